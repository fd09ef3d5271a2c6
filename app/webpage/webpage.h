#pragma once
// An embedded web browser, loaded on first use.
//
// The browser engine is large; linking it into the program would slow every
// start. It lives in the module "libtarsel_webengine.so" beside the program
// (or the file named by TARSEL_WEBENGINE_MODULE), which is loaded the first
// time a TWebPage is created. Until then nothing of the engine is loaded or
// constructed.
//
// The program must call PrepareWebEngine() before the application object is
// created (the engine shares OpenGL contexts between windows). Web pages
// must be deleted before the application object.
//
// When the module cannot be loaded, the page shows the reason and the
// address instead of the web content, and loadFinished(false) is emitted.

#include <QUrl>
#include <QWidget>

class QLabel;

namespace tarsel {

// Call once in main(), before the QApplication is created.
void PrepareWebEngine();

class TWebPage : public QWidget {
    Q_OBJECT
public:
    explicit TWebPage(QWidget *parent = nullptr);
    ~TWebPage() override;

    void load(const QUrl &url);
    QUrl url() const { return url_; }

    // True when the browser engine is in use (the module was loaded).
    bool engineAvailable() const { return engineView_ != nullptr; }
    // Why the engine is not available; empty when it is.
    QString engineError() const { return error_; }
    // True once a load has finished (successfully or not).
    bool loadDone() const { return loadDone_; }
    bool loadSucceeded() const { return loadOk_; }

Q_SIGNALS:
    void loadFinished(bool ok);

private Q_SLOTS:
    void onLoadFinished(bool ok);

private:
    QWidget *engineView_ = nullptr;
    QLabel *fallback_ = nullptr;
    QUrl url_;
    QString error_;
    bool loadDone_ = false;
    bool loadOk_ = false;
};

// Loads the module (once). Returns an empty text on success, else the reason.
QString LoadWebEngineModule();

// Path of the module looked for.
QString WebEngineModulePath();

}  // namespace tarsel
