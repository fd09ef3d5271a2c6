#include "remote/pushchannel.h"

#include <QAbstractSocket>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <QWebSocket>

#include <algorithm>

namespace tarsel {

namespace {

// A connection attempt, and the wait for the registration's answer, may take
// this long before the attempt counts as failed.
constexpr int kConnectTimeoutMs = 15000;

} // namespace

// Runs on the channel's thread: owns the socket and the timers, answers
// notifications, reconnects. Talks to PushChannelClient only through queued
// signals that carry the client's generation number.
class PushChannelWorker : public QObject {
    Q_OBJECT
public:
    struct Settings {
        QUrl url;
        QString channel, managerId, callbackId, clientId;
        int firstDelayMs = 500, maxDelayMs = 30000;
        int pingIntervalMs = 30000, pongTimeoutMs = 15000;
        int generation = 0;
    };

    explicit PushChannelWorker(Settings s) : s_(std::move(s)), delayMs_(s_.firstDelayMs) {}

public Q_SLOTS:
    void begin()
    {
        ws_ = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
        connect(ws_, &QWebSocket::connected, this, &PushChannelWorker::onConnected);
        connect(ws_, &QWebSocket::disconnected, this, [this] { lost(closeText()); });
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        connect(ws_, &QWebSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) { lost(ws_->errorString()); });
#else
        connect(ws_, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
                [this](QAbstractSocket::SocketError) { lost(ws_->errorString()); });
#endif
        connect(ws_, &QWebSocket::textMessageReceived, this, &PushChannelWorker::onText);
        connect(ws_, &QWebSocket::pong, this, [this](quint64, const QByteArray &) { pongDeadline_->stop(); });

        reconnectTimer_ = singleShot(&PushChannelWorker::connectNow);
        attemptDeadline_ = singleShot([this] { fail(QStringLiteral("Sunucu süresinde yanıt vermedi")); });
        pongDeadline_ = singleShot([this] { fail(QStringLiteral("Sunucu ping'e yanıt vermedi")); });
        pingTimer_ = new QTimer(this);
        pingTimer_->setInterval(s_.pingIntervalMs);
        connect(pingTimer_, &QTimer::timeout, this, [this] {
            if (!pongDeadline_->isActive())
                pongDeadline_->start(s_.pongTimeoutMs);
            ws_->ping();
        });
        connectNow();
    }

    // Closes everything in this thread; the thread ends after it.
    void finish()
    {
        finished_ = true;
        for (QTimer *t : {reconnectTimer_, attemptDeadline_, pongDeadline_, pingTimer_})
            if (t)
                t->stop();
        if (ws_) {
            ws_->disconnect(this);
            if (ws_->state() == QAbstractSocket::ConnectedState)
                ws_->close(QWebSocketProtocol::CloseCodeGoingAway);
            ws_->abort();
            delete ws_;
            ws_ = nullptr;
        }
        delete reconnectTimer_;
        delete attemptDeadline_;
        delete pongDeadline_;
        delete pingTimer_;
        reconnectTimer_ = attemptDeadline_ = pongDeadline_ = pingTimer_ = nullptr;
    }

Q_SIGNALS:
    void notified(int generation, const QJsonValue &arg);
    void registered(int generation);
    void disconnected(int generation, const QString &reason);
    void stateChanged(int generation, int state);

private:
    template <class F>
    QTimer *singleShot(F f)
    {
        auto *t = new QTimer(this);
        t->setSingleShot(true);
        connect(t, &QTimer::timeout, this, f);
        return t;
    }

    void setState(PushChannelClient::State st)
    {
        if (st == state_)
            return;
        state_ = st;
        Q_EMIT stateChanged(s_.generation, int(st));
    }

    QString closeText() const
    {
        if (ws_->closeCode() != QWebSocketProtocol::CloseCodeNormal || !ws_->closeReason().isEmpty())
            return QStringLiteral("Bağlantı kapandı (%1 %2)").arg(int(ws_->closeCode())).arg(ws_->closeReason());
        return QStringLiteral("Bağlantı kapandı");
    }

    void connectNow()
    {
        if (finished_)
            return;
        setState(PushChannelClient::State::Connecting);
        attemptDeadline_->start(kConnectTimeoutMs);
        ws_->open(s_.url);
    }

    void onConnected()
    {
        setState(PushChannelClient::State::Registering);
        send(QJsonObject{{QStringLiteral("type"), QStringLiteral("register")},
                         {QStringLiteral("channel"), s_.channel},
                         {QStringLiteral("managerId"), s_.managerId},
                         {QStringLiteral("clientId"), s_.clientId},
                         {QStringLiteral("callback"), s_.callbackId}});
    }

    void onText(const QString &text)
    {
        const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
        const QString type = o.value(QStringLiteral("type")).toString();
        if (type == u"notify") {
            // Answer first: the server counts on the reply, whatever the
            // receiver of notified() does with it.
            send(QJsonObject{{QStringLiteral("type"), QStringLiteral("reply")},
                             {QStringLiteral("id"), o.value(QStringLiteral("id"))},
                             {QStringLiteral("result"), true}});
            Q_EMIT notified(s_.generation, o.value(QStringLiteral("arg")));
        } else if (type == u"registered") {
            attemptDeadline_->stop();
            delayMs_ = s_.firstDelayMs;
            pingTimer_->start();
            setState(PushChannelClient::State::Registered);
            Q_EMIT registered(s_.generation);
        }
        // "pong", "error" (the server closes after a refusal) and anything
        // unknown need nothing.
    }

    void send(const QJsonObject &o)
    {
        ws_->sendTextMessage(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    }

    // The connection is not usable: close it; lost() follows.
    void fail(const QString &reason)
    {
        failReason_ = reason;
        lost(reason);
    }

    // The connection ended or could not be made: one reconnect is scheduled
    // however many signals report it.
    void lost(const QString &reasonIn)
    {
        if (finished_ || reconnectTimer_->isActive())
            return;
        const QString reason = failReason_.isEmpty() ? reasonIn : failReason_;
        failReason_.clear();
        const int jitter = delayMs_ / 5;
        const int delay = delayMs_ + (jitter > 0 ? QRandomGenerator::global()->bounded(-jitter, jitter + 1) : 0);
        delayMs_ = std::min(delayMs_ * 2, s_.maxDelayMs);
        // Armed before the abort below, whose own signals then find it.
        reconnectTimer_->start(std::max(0, delay));
        attemptDeadline_->stop();
        pingTimer_->stop();
        pongDeadline_->stop();
        if (ws_->state() != QAbstractSocket::UnconnectedState)
            ws_->abort();
        setState(PushChannelClient::State::WaitingToReconnect);
        Q_EMIT disconnected(s_.generation, reason);
    }

    Settings s_;
    int delayMs_;
    bool finished_ = false;
    QString failReason_;
    PushChannelClient::State state_ = PushChannelClient::State::Stopped;
    QWebSocket *ws_ = nullptr;
    QTimer *reconnectTimer_ = nullptr;
    QTimer *attemptDeadline_ = nullptr;
    QTimer *pongDeadline_ = nullptr;
    QTimer *pingTimer_ = nullptr;
};

// --------------------------------------------------------------------------

PushChannelClient::PushChannelClient(QObject *parent)
    : QObject(parent), channel_(QStringLiteral("KelvasOto")), managerId_(QStringLiteral("KelvasOtoId")),
      clientId_(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

PushChannelClient::~PushChannelClient()
{
    stop();
}

void PushChannelClient::setChannel(const QString &channel) { channel_ = channel; }
void PushChannelClient::setManagerId(const QString &managerId) { managerId_ = managerId; }
void PushChannelClient::setCallbackId(const QString &callbackId) { callbackId_ = callbackId; }
void PushChannelClient::setClientId(const QString &clientId)
{
    clientId_ = clientId.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : clientId;
}

void PushChannelClient::setReconnectDelays(int firstMs, int maxMs)
{
    firstDelayMs_ = std::max(1, firstMs);
    maxDelayMs_ = std::max(firstDelayMs_, maxMs);
}

void PushChannelClient::setKeepAlive(int intervalMs, int timeoutMs)
{
    pingIntervalMs_ = std::max(100, intervalMs);
    pongTimeoutMs_ = std::max(100, timeoutMs);
}

QUrl PushChannelClient::pushUrl(const QString &host, quint16 port)
{
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(host.trimmed());
    url.setPort(port);
    url.setPath(QStringLiteral("/datasnap/push"));
    return url;
}

void PushChannelClient::start(const QString &host, quint16 port)
{
    stop();
    url_ = pushUrl(host, port);
    running_ = true;
    ++generation_;

    PushChannelWorker::Settings s;
    s.url = url_;
    s.channel = channel_;
    s.managerId = managerId_;
    s.callbackId = callbackId();
    s.clientId = clientId_;
    s.firstDelayMs = firstDelayMs_;
    s.maxDelayMs = maxDelayMs_;
    s.pingIntervalMs = pingIntervalMs_;
    s.pongTimeoutMs = pongTimeoutMs_;
    s.generation = generation_;

    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("tarsel-push"));
    worker_ = new PushChannelWorker(s);
    worker_->moveToThread(thread_);
    connect(worker_, &PushChannelWorker::notified, this, &PushChannelClient::onWorkerNotified, Qt::QueuedConnection);
    connect(worker_, &PushChannelWorker::registered, this, &PushChannelClient::onWorkerRegistered,
            Qt::QueuedConnection);
    connect(worker_, &PushChannelWorker::disconnected, this, &PushChannelClient::onWorkerDisconnected,
            Qt::QueuedConnection);
    connect(worker_, &PushChannelWorker::stateChanged, this, &PushChannelClient::onWorkerState,
            Qt::QueuedConnection);
    connect(thread_, &QThread::started, worker_, &PushChannelWorker::begin);
    thread_->start();
}

void PushChannelClient::stop()
{
    if (!thread_)
        return;
    running_ = false;
    ++generation_;  // whatever the old worker still has queued is dropped
    // Runs on the channel's thread (timers and socket belong to it); takes
    // as long as closing a socket.
    QMetaObject::invokeMethod(worker_, &PushChannelWorker::finish, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete worker_;
    delete thread_;
    worker_ = nullptr;
    thread_ = nullptr;
    setState(State::Stopped);
}

void PushChannelClient::setState(State s)
{
    if (s == state_)
        return;
    state_ = s;
    Q_EMIT stateChanged(s);
}

void PushChannelClient::onWorkerNotified(int generation, const QJsonValue &arg)
{
    if (generation == generation_)
        Q_EMIT notified(arg);
}

void PushChannelClient::onWorkerRegistered(int generation)
{
    if (generation == generation_)
        Q_EMIT registered();
}

void PushChannelClient::onWorkerDisconnected(int generation, const QString &reason)
{
    if (generation == generation_)
        Q_EMIT disconnected(reason);
}

void PushChannelClient::onWorkerState(int generation, int state)
{
    if (generation == generation_)
        setState(State(state));
}

} // namespace tarsel

#include "pushchannel.moc"
