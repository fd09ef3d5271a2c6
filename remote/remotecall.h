#pragma once
// How one remote call is carried out, and the background patterns around it.
//
//  - OpenConnectionWithRetry: at most 11 attempts, 500 ms apart.
//  - GuardedCall / UnguardedCall: the shape of every fetch and change routine
//    (private copy of the description, open, proxy, call, close).
//  - RunInBackground / RunOnUserInterfaceThread: background tasks with a
//    continuation on the user-interface thread, and the hand-over back.
//  - RunRemoteCall: the tab-load pattern (busy indicator, grid disabled and
//    detached while a background fetch fills its table).
//  - ReportUnhandledError: the general error report.

#include "remote/dsconnection.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QWidget;
class QObject;

namespace tarsel {

class TServerMethods1Client;
class TGifResim;

inline const QString kConnectionFailedMessage = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");

inline constexpr int kOpenAttempts = 11;
inline constexpr int kOpenPauseMs = 500;

// Records the attempts of one OpenConnectionWithRetry (for diagnostics and tests).
struct OpenTrace {
    std::vector<qint64> attemptStartMs;  // since the call began
    std::vector<QString> errors;
    QElapsedTimer clock;
};

// Closes the connection, then tries to open it up to 11 times with a 500 ms
// pause after every failed attempt. True when open. On failure and with
// reportFailure, shows the connection message (on the user-interface thread,
// waiting for the user when called from a background task).
bool OpenConnectionWithRetry(DSConnection &connection, bool reportFailure, OpenTrace *trace = nullptr);

// One call, guarded: any error of the call is caught. Returns the failure flag
// (true = the connection could not be opened or the call failed).
// With usePrivateCopy the call runs on a private copy of `description`;
// otherwise on `description` itself (the main connection, user-interface thread only).
bool GuardedCall(DSConnection &description, const std::function<void(TServerMethods1Client &)> &call,
                 bool reportFailure = false, bool usePrivateCopy = true, QString *errorText = nullptr);

// One call, unguarded: errors of the call reach the caller (after the
// connection and proxy have been released). Returns false when the
// connection could not be opened (no method was called), true when it ran.
bool UnguardedCall(DSConnection &description, const std::function<void(TServerMethods1Client &)> &call,
                   bool reportFailure = true, bool usePrivateCopy = true);

// Runs body on a background task, then continuation on the user-interface
// thread, whether the body returned or raised. An error raised by the body is
// handed to the general error report after the continuation has run. When
// `context` is destroyed before the body ends, the continuation is skipped.
void RunInBackground(std::function<void()> body, std::function<void()> continuation, QObject *context = nullptr);

// From a background task: runs procedure on the user-interface thread and
// waits for it (errors it raises are raised again in the caller). On the
// user-interface thread it runs directly.
void RunOnUserInterfaceThread(const std::function<void()> &procedure);

bool IsUserInterfaceThread();

// The general error report: a message box with the error's own text.
void ReportUnhandledError(const QString &text);

// What a tab load works on. `detach` runs before the fetch (the grid's view
// stops reading its table: begin of a reload), `attach` after it.
struct TabLoad {
    const void *table = nullptr;  // identity of the table being filled
    QPointer<QWidget> busy;       // busy indicator (a TGifResim), may be null
    QPointer<QWidget> grid;       // disabled during the load
    std::function<void()> detach;
    std::function<void()> attach;
};

// The tab-load pattern. `fetch` runs on a background task and returns the
// failure flag; `finish` runs on the user-interface thread after the grid is
// back (column widths, captions). Returns false without doing anything when a
// load of the same table is still running (no two loads of one table at once).
bool RunRemoteCall(const TabLoad &target, std::function<bool()> fetch, std::function<void(bool failed)> finish = {});

// True while a load of this table runs.
bool IsLoadRunning(const void *table);

}  // namespace tarsel
