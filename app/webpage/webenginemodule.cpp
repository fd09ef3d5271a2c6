// The browser engine module, loaded by TWebPage on first use (see webpage.h).
// It only creates the engine's view; the caller drives it through its
// properties and signals ("url", loadFinished(bool)).

#include <QWebEngineView>

extern "C" Q_DECL_EXPORT QWidget *tarsel_webengine_create_view(QWidget *parent)
{
    return new QWebEngineView(parent);
}
