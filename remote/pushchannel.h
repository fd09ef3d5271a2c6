#pragma once
// Client end of the server push channel.
//
// PushChannelClient keeps one WebSocket to ws://<host>:<port>/datasnap/push
// open and registers on it for the callback channel "KelvasOto" with the
// manager id "KelvasOtoId", its client id and a callback name (the messages
// are described in docs/protocol.md, "Push channel"). For every
// notification the server sends, the client answers the JSON value true at
// once and emits notified() with the notification's value.
//
// The socket lives on a thread of its own (the channel's communication
// thread): nothing here ever waits on the thread that owns the client, and
// notified() reaches that thread through a queued connection, so a slot
// connected to it runs on the user-interface thread when the client was
// created there. When the connection drops, fails or stops answering pings,
// the client reconnects after a delay that doubles from 0.5 s up to 30 s
// (with a little jitter, so that many clients do not return at the same
// moment) and starts again at 0.5 s after each successful registration.
//
//   auto *push = new tarsel::PushChannelClient(mainWindow);
//   QObject::connect(push, &tarsel::PushChannelClient::notified, mainWindow, [](const QJsonValue &) { ... });
//   push->start(connection.HostName, connection.Port.toUShort());
//
// The client id is a new UUID per object unless set: a reconnecting client
// keeps it, so the server replaces its stale connection instead of counting
// it twice.

#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QUrl>

class QThread;

namespace tarsel {

class PushChannelWorker;

class PushChannelClient : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Connecting, Registering, Registered, WaitingToReconnect };
    Q_ENUM(State)

    explicit PushChannelClient(QObject *parent = nullptr);
    ~PushChannelClient() override;  // stop()

    // Settings, used by the next start().
    void setChannel(const QString &channel);      // default "KelvasOto"
    void setManagerId(const QString &managerId);  // default "KelvasOtoId"
    void setCallbackId(const QString &callbackId);  // default: the channel name
    void setClientId(const QString &clientId);    // default: a new UUID
    // First and largest delay before a reconnect, in milliseconds.
    void setReconnectDelays(int firstMs, int maxMs);
    // A ping every intervalMs while registered; no pong within timeoutMs
    // counts as a lost connection.
    void setKeepAlive(int intervalMs, int timeoutMs);

    QString channel() const { return channel_; }
    QString managerId() const { return managerId_; }
    QString callbackId() const { return callbackId_.isEmpty() ? channel_ : callbackId_; }
    QString clientId() const { return clientId_; }

    // ws://host:port/datasnap/push
    static QUrl pushUrl(const QString &host, quint16 port);

    // Starts (or restarts) the channel for the server at host:port and
    // returns at once; the connection is made on the channel's thread.
    void start(const QString &host, quint16 port);
    // Closes the channel and ends its thread. No signal is emitted after it
    // returns. Safe to call more than once.
    void stop();

    bool isRunning() const { return running_; }
    State state() const { return state_; }
    bool isRegistered() const { return state_ == State::Registered; }
    QUrl url() const { return url_; }

Q_SIGNALS:
    // One notification; the reply true has already been sent.
    void notified(const QJsonValue &arg);
    // The server acknowledged the registration (after each (re)connection).
    void registered();
    // The connection was lost or could not be made; a reconnect follows.
    void disconnected(const QString &reason);
    void stateChanged(tarsel::PushChannelClient::State state);

private Q_SLOTS:
    void onWorkerNotified(int generation, const QJsonValue &arg);
    void onWorkerRegistered(int generation);
    void onWorkerDisconnected(int generation, const QString &reason);
    void onWorkerState(int generation, int state);

private:
    void setState(State s);

    QString channel_;
    QString managerId_;
    QString callbackId_;
    QString clientId_;
    int firstDelayMs_ = 500;
    int maxDelayMs_ = 30000;
    int pingIntervalMs_ = 30000;
    int pongTimeoutMs_ = 15000;

    QUrl url_;
    bool running_ = false;
    State state_ = State::Stopped;
    int generation_ = 0;
    QThread *thread_ = nullptr;
    PushChannelWorker *worker_ = nullptr;
};

} // namespace tarsel
