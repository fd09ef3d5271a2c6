#include "app/webpage/webpage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLibrary>
#include <QMutex>
#include <QVBoxLayout>

#include <unistd.h>

namespace tarsel {

namespace {

using CreateViewFn = QWidget *(*)(QWidget *parent);

struct ModuleState {
    bool tried = false;
    QString error;
    CreateViewFn create = nullptr;
};

ModuleState &moduleState()
{
    static ModuleState s;
    return s;
}

}  // namespace

void PrepareWebEngine()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's sandbox cannot work for the superuser; it refuses to start
    // at all unless told so.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QString WebEngineModulePath()
{
    const QString env = qEnvironmentVariable("TARSEL_WEBENGINE_MODULE");
    if (!env.isEmpty()) return env;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libtarsel_webengine.so");
}

QString LoadWebEngineModule()
{
    ModuleState &s = moduleState();
    if (s.tried) return s.error;
    s.tried = true;
    QLibrary lib(WebEngineModulePath());
    if (!lib.load()) {
        s.error = QStringLiteral("Web tarayıcısı yüklenemedi: ") + lib.errorString();
        return s.error;
    }
    s.create = reinterpret_cast<CreateViewFn>(lib.resolve("tarsel_webengine_create_view"));
    if (!s.create) s.error = QStringLiteral("Web tarayıcısı yüklenemedi: ") + lib.errorString();
    return s.error;  // the module stays loaded for the rest of the run
}

TWebPage::TWebPage(QWidget *parent) : QWidget(parent)
{
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    error_ = LoadWebEngineModule();
    if (error_.isEmpty()) engineView_ = moduleState().create(this);
    if (engineView_) {
        lay->addWidget(engineView_);
        connect(engineView_, SIGNAL(loadFinished(bool)), this, SLOT(onLoadFinished(bool)));
    } else {
        if (error_.isEmpty()) error_ = QStringLiteral("Web tarayıcısı oluşturulamadı");
        fallback_ = new QLabel(this);
        fallback_->setWordWrap(true);
        fallback_->setAlignment(Qt::AlignCenter);
        fallback_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lay->addWidget(fallback_);
    }
}

TWebPage::~TWebPage() = default;

void TWebPage::load(const QUrl &url)
{
    url_ = url;
    loadDone_ = false;
    loadOk_ = false;
    if (engineView_) {
        engineView_->setProperty("url", url);
        return;
    }
    fallback_->setText(error_ + QStringLiteral("\n\n") + url.toString());
    QMetaObject::invokeMethod(this, [this] { onLoadFinished(false); }, Qt::QueuedConnection);
}

void TWebPage::onLoadFinished(bool ok)
{
    loadDone_ = true;
    loadOk_ = ok;
    Q_EMIT loadFinished(ok);
}

}  // namespace tarsel
