#include "remote/remotecall.h"

#include "remote/proxim.h"
#include "util/gifresim.h"
#include "util/messagebox.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QWidget>

#include <exception>
#include <memory>

namespace tarsel {

namespace {

QString errorText(std::exception_ptr ep)
{
    try {
        std::rethrow_exception(ep);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Bilinmeyen hata");
    }
}

void showConnectionFailure()
{
    RunOnUserInterfaceThread(
        [] { ShowMessageBox(kConnectionFailedMessage, MsgKind::Error, MsgButton::Ok, 0, MsgButton::Ok); });
}

// Tables with a load in flight; touched on the user-interface thread only.
QSet<const void *> &runningLoads()
{
    static QSet<const void *> set;
    return set;
}

}  // namespace

bool IsUserInterfaceThread()
{
    auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool OpenConnectionWithRetry(DSConnection &connection, bool reportFailure, OpenTrace *trace)
{
    connection.Close();
    if (trace && !trace->clock.isValid()) trace->clock.start();
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (trace) trace->attemptStartMs.push_back(trace->clock.elapsed());
        try {
            connection.Open();
            return true;
        } catch (const std::exception &e) {
            if (trace) trace->errors.push_back(QString::fromUtf8(e.what()));
            connection.Close();
            QThread::msleep(kOpenPauseMs);
        }
    }
    if (reportFailure) showConnectionFailure();
    return false;
}

bool GuardedCall(DSConnection &description, const std::function<void(TServerMethods1Client &)> &call,
                 bool reportFailure, bool usePrivateCopy, QString *errorOut)
{
    std::unique_ptr<DSConnection> copy;
    DSConnection &conn = usePrivateCopy ? *(copy = description.CloneDescription()) : description;
    if (!OpenConnectionWithRetry(conn, reportFailure)) return true;
    try {
        {
            TServerMethods1Client proxy(conn);
            call(proxy);
        }
        conn.Close();
        return false;
    } catch (...) {
        if (errorOut) *errorOut = errorText(std::current_exception());
        conn.Close();
        return true;
    }
}

bool UnguardedCall(DSConnection &description, const std::function<void(TServerMethods1Client &)> &call,
                   bool reportFailure, bool usePrivateCopy)
{
    std::unique_ptr<DSConnection> copy;
    DSConnection &conn = usePrivateCopy ? *(copy = description.CloneDescription()) : description;
    if (!OpenConnectionWithRetry(conn, reportFailure)) return false;
    try {
        {
            TServerMethods1Client proxy(conn);
            call(proxy);
        }
        conn.Close();
    } catch (...) {
        conn.Close();
        throw;
    }
    return true;
}

void RunInBackground(std::function<void()> body, std::function<void()> continuation, QObject *context)
{
    QObject *target = context ? context : QCoreApplication::instance();
    QPointer<QObject> guard(target);
    QThreadPool::globalInstance()->start([body = std::move(body), continuation = std::move(continuation), guard,
                                          target]() mutable {
        std::exception_ptr error;
        try {
            body();
        } catch (...) {
            error = std::current_exception();
        }
        if (!guard) return;
        QMetaObject::invokeMethod(
            target,
            [continuation = std::move(continuation), error] {
                if (continuation) continuation();
                if (error) ReportUnhandledError(errorText(error));
            },
            Qt::QueuedConnection);
    });
}

void RunOnUserInterfaceThread(const std::function<void()> &procedure)
{
    if (IsUserInterfaceThread() || !QCoreApplication::instance()) {
        procedure();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            try {
                procedure();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error) std::rethrow_exception(error);
}

void ReportUnhandledError(const QString &text)
{
    RunOnUserInterfaceThread([&] { ShowMessageBox(text, MsgKind::Error, MsgButton::Ok, 0, MsgButton::Ok); });
}

bool IsLoadRunning(const void *table) { return runningLoads().contains(table); }

bool RunRemoteCall(const TabLoad &target, std::function<bool()> fetch, std::function<void(bool failed)> finish)
{
    Q_ASSERT(IsUserInterfaceThread());
    if (target.table && runningLoads().contains(target.table)) return false;
    if (target.table) runningLoads().insert(target.table);

    struct State {
        bool failed = false;
    };
    auto state = std::make_shared<State>();

    if (auto *gif = qobject_cast<TGifResim *>(target.busy.data())) gif->GosterAnim();
    else if (target.busy) target.busy->show();
    if (target.grid) target.grid->setEnabled(false);
    if (target.detach) target.detach();

    RunInBackground([state, fetch = std::move(fetch)] { state->failed = fetch(); },
                    [state, target, finish = std::move(finish)] {
                        if (target.table) runningLoads().remove(target.table);
                        if (target.attach) target.attach();
                        if (target.grid) target.grid->setEnabled(true);
                        if (finish) finish(state->failed);
                        if (auto *gif = qobject_cast<TGifResim *>(target.busy.data())) gif->GizleDurdur();
                        else if (target.busy) target.busy->hide();
                        if (state->failed)
                            ShowMessageBox(kConnectionFailedMessage, MsgKind::Error, MsgButton::Ok, 0, MsgButton::Ok);
                    });
    return true;
}

}  // namespace tarsel
