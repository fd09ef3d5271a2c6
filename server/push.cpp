#include "server/push.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include "server/config.h"
#include "server/log.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace tarsel::server {

namespace {

// How long a closing connection may take to answer our close frame before
// its socket is closed outright.
constexpr std::chrono::milliseconds kCloseGrace{2000};
// Malformed messages tolerated on one connection before it is closed.
constexpr int kMaxBadMessages = 20;
// Longest client id, manager id or callback name.
constexpr qsizetype kMaxNameLength = 128;

const char *kAdminNotifyPath = "/admin/notify";
const char *kAdminPushPath = "/admin/push";

std::string Compact(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::string ErrorMessage(const QString &text)
{
    return Compact(QJsonObject{{QStringLiteral("type"), QStringLiteral("error")},
                               {QStringLiteral("message"), text}});
}

std::string FormatPeer(const tcp::endpoint &ep)
{
    auto addr = ep.address();
    if (addr.is_v6() && addr.to_v6().is_v4_mapped())
        addr = net::ip::make_address_v4(net::ip::v4_mapped, addr.to_v6());
    if (addr.is_v6())
        return '[' + addr.to_string() + "]:" + std::to_string(ep.port());
    return addr.to_string() + ':' + std::to_string(ep.port());
}

// A client id, manager id or callback name: 1..128 characters, no control
// characters.
bool ValidName(const QString &s)
{
    if (s.isEmpty() || s.size() > kMaxNameLength)
        return false;
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

std::string ResultJson(const NotifyResult &r)
{
    return "{\"clients\":" + std::to_string(r.clients) + ",\"delivered\":" + std::to_string(r.delivered) +
           ",\"replied\":" + std::to_string(r.replied) + ",\"dropped\":" + std::to_string(r.dropped) + "}";
}

// One notification sent to several clients; answers once every client has
// replied or been dropped.
class Round {
public:
    Round(int clients, std::function<void(NotifyResult)> done) : pending_(clients), done_(std::move(done))
    {
        result_.clients = clients;
    }

    void delivered()
    {
        std::lock_guard<std::mutex> lock(m_);
        ++result_.delivered;
    }

    // Called exactly once per client of the round.
    void finish(bool repliedTrue, bool dropped)
    {
        std::function<void(NotifyResult)> call;
        NotifyResult r;
        {
            std::lock_guard<std::mutex> lock(m_);
            if (repliedTrue)
                ++result_.replied;
            if (dropped)
                ++result_.dropped;
            if (--pending_ == 0) {
                call = std::move(done_);
                r = result_;
            }
        }
        if (call)
            call(r);
    }

private:
    std::mutex m_;
    NotifyResult result_;
    int pending_;
    std::function<void(NotifyResult)> done_;
};

} // namespace

class PushSession;

struct PushHub::Impl {
    explicit Impl(PushOptions o) : options(o) {}

    enum class Registration { Ok, Full, Stopped };

    PushOptions options;
    mutable std::mutex m;
    std::condition_variable cv;
    bool stopped = false;
    std::uint64_t nextSessionId = 0;
    std::uint64_t nextNotificationId = 0;
    // Every connection handed to the hub and not gone yet.
    std::unordered_map<std::uint64_t, std::weak_ptr<PushSession>> live;
    // Registered connections, and the connection of each client id.
    std::unordered_map<std::uint64_t, std::weak_ptr<PushSession>> registered;
    std::unordered_map<std::string, std::uint64_t> byClientId;

    Registration registerSession(std::uint64_t id, const std::string &clientId, std::weak_ptr<PushSession> session,
                                 std::shared_ptr<PushSession> &replaced)
    {
        std::lock_guard<std::mutex> lock(m);
        if (stopped)
            return Registration::Stopped;
        const auto old = byClientId.find(clientId);
        if (old != byClientId.end() && old->second != id) {
            const auto it = registered.find(old->second);
            if (it != registered.end()) {
                replaced = it->second.lock();
                registered.erase(it);
            }
            byClientId.erase(old);
        } else if (registered.size() >= options.maxClients) {
            return Registration::Full;
        }
        registered[id] = std::move(session);
        byClientId[clientId] = id;
        return Registration::Ok;
    }

    void unregister(std::uint64_t id, const std::string &clientId)
    {
        std::lock_guard<std::mutex> lock(m);
        registered.erase(id);
        const auto it = byClientId.find(clientId);
        if (it != byClientId.end() && it->second == id)
            byClientId.erase(it);
    }

    void remove(std::uint64_t id, const std::string &clientId)
    {
        std::lock_guard<std::mutex> lock(m);
        registered.erase(id);
        const auto it = byClientId.find(clientId);
        if (it != byClientId.end() && it->second == id)
            byClientId.erase(it);
        live.erase(id);
        cv.notify_all();
    }
};

// One WebSocket connection of the push channel. Everything runs on the
// connection's strand; other threads reach it through post().
class PushSession : public std::enable_shared_from_this<PushSession> {
public:
    PushSession(std::shared_ptr<PushHub::Impl> hub, std::uint64_t id, tcp::socket &&socket)
        : hub_(std::move(hub)), id_(id), ws_(std::move(socket)), registerTimer_(ws_.get_executor()),
          closeTimer_(ws_.get_executor())
    {
        beast::error_code ec;
        const auto ep = beast::get_lowest_layer(ws_).socket().remote_endpoint(ec);
        peer_ = ec ? std::string("?") : FormatPeer(ep);
    }

    net::any_io_executor executor() { return ws_.get_executor(); }

    void start(WebSocketRequest &&request)
    {
        request_ = std::move(request);
        net::dispatch(ws_.get_executor(), [self = shared_from_this()] { self->doAccept(); });
    }

    // From any thread.
    void postNotify(std::uint64_t id, std::shared_ptr<const std::string> text, std::shared_ptr<Round> round)
    {
        net::post(ws_.get_executor(), [self = shared_from_this(), id, text = std::move(text),
                                       round = std::move(round)]() mutable {
            self->notify(id, *text, std::move(round));
        });
    }

    // From any thread: the server is stopping.
    void postShutdown()
    {
        net::post(ws_.get_executor(), [self = shared_from_this()] {
            self->closeWith(websocket::close_code::going_away, "Sunucu kapanıyor");
        });
    }

    // From any thread: a newer connection registered with the same client id.
    void postReplaced()
    {
        net::post(ws_.get_executor(), [self = shared_from_this()] {
            self->closeWith(websocket::close_code::normal, "Aynı istemci yeniden bağlandı");
        });
    }

private:
    enum class State { Handshake, Open, Registered, Closing, Closed };

    struct Outgoing {
        std::string text;
        std::uint64_t notificationId = 0;  // 0 = not a notification
    };

    struct Pending {
        std::shared_ptr<Round> round;
        std::unique_ptr<net::steady_timer> timer;
        bool delivered = false;
    };

    const PushOptions &options() const { return hub_->options; }

    void doAccept()
    {
        if (state_ != State::Handshake)
            return;
        beast::get_lowest_layer(ws_).expires_never();
        websocket::stream_base::timeout timeouts;
        timeouts.handshake_timeout = options().registerTimeout;
        timeouts.idle_timeout = options().idleTimeout;
        timeouts.keep_alive_pings = true;
        ws_.set_option(timeouts);
        ws_.set_option(websocket::stream_base::decorator(
            [](websocket::response_type &res) { res.set(http::field::server, "tarsel-server"); }));
        ws_.read_message_max(options().maxMessage);
        ws_.async_accept(request_, [self = shared_from_this()](beast::error_code ec) { self->onAccept(ec); });
    }

    void onAccept(beast::error_code ec)
    {
        request_ = {};
        if (state_ != State::Handshake)
            return;
        if (ec) {
            gone("WebSocket açılamadı: " + ec.message());
            return;
        }
        state_ = State::Open;
        registerTimer_.expires_after(options().registerTimeout);
        registerTimer_.async_wait([self = shared_from_this()](beast::error_code tec) {
            if (!tec && self->state_ == State::Open) {
                self->send(ErrorMessage(QStringLiteral("Kayıt süresi doldu")));
                self->closeWith(websocket::close_code::policy_error, "Kayıt süresi doldu");
            }
        });
        doRead();
    }

    void doRead()
    {
        ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onRead(ec); });
    }

    void onRead(beast::error_code ec)
    {
        if (state_ == State::Closed)
            return;
        if (ec) {
            if (ec == websocket::error::closed)
                gone("istemci bağlantıyı kapattı");
            else if (ec == beast::error::timeout)
                gone("zaman aşımı");
            else if (ec == websocket::error::message_too_big)
                gone("ileti çok büyük");
            else
                gone("bağlantı koptu: " + ec.message());
            return;
        }
        const bool text = ws_.got_text();
        std::string message = beast::buffers_to_string(buffer_.data());
        buffer_.consume(buffer_.size());
        if (!text)
            closeWith(websocket::close_code::unknown_data, "Yalnızca JSON metin iletileri kabul edilir");
        else if (state_ == State::Open || state_ == State::Registered)
            handleMessage(message);
        doRead();  // also receives the answer to our own close frame
    }

    void badMessage(const QString &text)
    {
        send(ErrorMessage(text));
        if (++badMessages_ >= kMaxBadMessages)
            closeWith(websocket::close_code::policy_error, "Çok fazla geçersiz ileti");
    }

    void handleMessage(const std::string &message)
    {
        QJsonParseError perr;
        const QJsonDocument doc =
            QJsonDocument::fromJson(QByteArray::fromRawData(message.data(), qsizetype(message.size())), &perr);
        if (perr.error != QJsonParseError::NoError || !doc.isObject()) {
            badMessage(QStringLiteral("Geçersiz ileti: bir JSON nesnesi bekleniyor"));
            return;
        }
        const QJsonObject o = doc.object();
        const QString type = o.value(QStringLiteral("type")).toString();
        if (type == u"register")
            onRegister(o);
        else if (type == u"reply")
            onReply(o);
        else if (type == u"ping")
            send(Compact(QJsonObject{{QStringLiteral("type"), QStringLiteral("pong")}}));
        else if (type == u"unregister")
            onUnregister();
        else if (type.isEmpty())
            badMessage(QStringLiteral("Geçersiz ileti: \"type\" alanı yok"));
        else
            badMessage(QStringLiteral("Bilinmeyen ileti türü: %1").arg(type.left(64)));
    }

    void refuse(const QString &text, websocket::close_code code = websocket::close_code::policy_error)
    {
        send(ErrorMessage(text));
        closeWith(code, text.toStdString());
    }

    void onRegister(const QJsonObject &o)
    {
        if (state_ == State::Registered) {
            badMessage(QStringLiteral("Bu bağlantı zaten kayıtlı"));
            return;
        }
        const QString channel = o.value(QStringLiteral("channel")).toString();
        const QString managerId = o.value(QStringLiteral("managerId")).toString();
        const QString clientId = o.value(QStringLiteral("clientId")).toString();
        const QString callback = o.value(QStringLiteral("callback")).toString();
        if (channel != QLatin1String(kPushChannel.data(), qsizetype(kPushChannel.size()))) {
            refuse(QStringLiteral("Bilinmeyen kanal: %1").arg(channel.left(64)));
            return;
        }
        if (!ValidName(managerId)) {
            refuse(QStringLiteral("Geçersiz yönetici kimliği (managerId)"));
            return;
        }
        if (!ValidName(clientId)) {
            refuse(QStringLiteral("Geçersiz istemci kimliği (clientId)"));
            return;
        }
        if (!ValidName(callback)) {
            refuse(QStringLiteral("Geçersiz geri çağırma adı (callback)"));
            return;
        }
        clientId_ = clientId.toStdString();
        managerId_ = managerId.toStdString();
        callback_ = callback.toStdString();

        std::shared_ptr<PushSession> replaced;
        switch (hub_->registerSession(id_, clientId_, weak_from_this(), replaced)) {
        case PushHub::Impl::Registration::Ok:
            break;
        case PushHub::Impl::Registration::Full:
            LogWarning("Bildirim istemcisi sınırına ulaşıldı, " + peer_ + " reddedildi");
            refuse(QStringLiteral("Sunucu şu anda daha fazla bildirim istemcisi kabul edemiyor"),
                   websocket::close_code::try_again_later);
            return;
        case PushHub::Impl::Registration::Stopped:
            closeWith(websocket::close_code::going_away, "Sunucu kapanıyor");
            return;
        }
        state_ = State::Registered;
        registerTimer_.cancel();
        send(Compact(QJsonObject{
            {QStringLiteral("type"), QStringLiteral("registered")},
            {QStringLiteral("channel"), channel},
            {QStringLiteral("clientId"), clientId},
            {QStringLiteral("callback"), callback},
            {QStringLiteral("replyTimeoutMs"), double(options().replyTimeout.count())},
        }));
        if (replaced)
            replaced->postReplaced();
        LogInfo("Bildirim istemcisi kaydoldu: " + peer_ + " istemci " + clientId_ + " (" + callback_ + ")");
    }

    void onReply(const QJsonObject &o)
    {
        if (state_ != State::Registered) {
            badMessage(QStringLiteral("Yanıttan önce kayıt olunmalı"));
            return;
        }
        const QJsonValue idValue = o.value(QStringLiteral("id"));
        const double idNumber = idValue.toDouble(-1);
        if (!idValue.isDouble() || idNumber < 1 || idNumber != double(qint64(idNumber))) {
            badMessage(QStringLiteral("Geçersiz yanıt: \"id\" bir bildirim numarası olmalı"));
            return;
        }
        const auto it = pending_.find(std::uint64_t(idNumber));
        if (it == pending_.end()) {
            badMessage(QStringLiteral("Beklenmeyen yanıt: %1 numaralı bildirim yanıt beklemiyor")
                           .arg(qint64(idNumber)));
            return;
        }
        Pending p = std::move(it->second);
        pending_.erase(it);
        p.timer->cancel();
        if (!p.delivered)
            p.round->delivered();
        p.round->finish(o.value(QStringLiteral("result")) == QJsonValue(true), false);
    }

    void onUnregister()
    {
        if (state_ == State::Registered) {
            LogInfo("Bildirim istemcisi kaydını sildi: " + peer_ + " istemci " + clientId_);
            hub_->unregister(id_, clientId_);
            failPending();
        }
        send(Compact(QJsonObject{{QStringLiteral("type"), QStringLiteral("unregistered")}}));
        closeWith(websocket::close_code::normal, "Kayıt silindi");
    }

    void notify(std::uint64_t id, const std::string &text, std::shared_ptr<Round> round)
    {
        if (state_ != State::Registered) {
            round->finish(false, true);
            return;
        }
        auto timer = std::make_unique<net::steady_timer>(ws_.get_executor());
        timer->expires_after(options().replyTimeout);
        timer->async_wait([self = shared_from_this(), id](beast::error_code ec) {
            if (!ec)
                self->onReplyTimeout(id);
        });
        pending_.emplace(id, Pending{std::move(round), std::move(timer), false});
        send(text, id);
    }

    void onReplyTimeout(std::uint64_t id)
    {
        if (pending_.find(id) == pending_.end())
            return;
        LogWarning("Bildirim istemcisi " + peer_ + " (" + clientId_ + ") " + std::to_string(id) +
                   " numaralı bildirime süresinde yanıt vermedi, düşürülüyor");
        closeWith(websocket::close_code::policy_error, "Bildirime süresinde yanıt verilmedi");
    }

    // Rounds waiting for this client end for it (as dropped).
    void failPending()
    {
        auto pending = std::move(pending_);
        pending_.clear();
        for (auto &[id, p] : pending) {
            p.timer->cancel();
            p.round->finish(false, true);
        }
    }

    void send(std::string text, std::uint64_t notificationId = 0)
    {
        if (state_ == State::Closed || closeRequested_)
            return;
        queuedBytes_ += text.size();
        queue_.push_back(Outgoing{std::move(text), notificationId});
        if (queuedBytes_ > options().maxQueuedBytes) {
            LogWarning("Bildirim istemcisi " + peer_ + " (" + clientId_ +
                       ") iletileri okumuyor, gönderilmeyi bekleyen veri sınırı aşıldı; düşürülüyor");
            gone("gönderilmeyi bekleyen veri sınırı aşıldı");
            return;
        }
        if (!writing_)
            doWrite();
    }

    void doWrite()
    {
        writing_ = true;
        ws_.text(true);
        ws_.async_write(net::buffer(queue_.front().text),
                        [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onWrite(ec); });
    }

    void onWrite(beast::error_code ec)
    {
        writing_ = false;
        if (state_ == State::Closed)
            return;
        if (ec) {
            gone("yazılamadı: " + ec.message());
            return;
        }
        Outgoing sent = std::move(queue_.front());
        queue_.pop_front();
        queuedBytes_ -= sent.text.size();
        if (sent.notificationId) {
            const auto it = pending_.find(sent.notificationId);
            if (it != pending_.end() && !it->second.delivered) {
                it->second.delivered = true;
                it->second.round->delivered();
            }
        }
        if (!queue_.empty())
            doWrite();
        else if (closeRequested_ && !closeStarted_)
            startClose();
    }

    // Leaves the channel at once and closes politely: messages already
    // queued are written, then the close frame; the socket is closed
    // outright if the client does not answer within kCloseGrace.
    void closeWith(websocket::close_code code, std::string reason)
    {
        if (state_ == State::Closed || closeRequested_)
            return;
        if (state_ == State::Handshake) {
            gone(reason);
            return;
        }
        if (state_ == State::Registered)
            hub_->unregister(id_, clientId_);
        state_ = State::Closing;
        registerTimer_.cancel();
        failPending();
        // A close reason is at most 123 bytes; cut at a character boundary.
        if (reason.size() > 120) {
            std::size_t cut = 120;
            while (cut > 0 && (static_cast<unsigned char>(reason[cut]) & 0xC0) == 0x80)
                --cut;
            reason.resize(cut);
        }
        closeReason_ = websocket::close_reason(code, reason);
        closeRequested_ = true;
        closeTimer_.expires_after(kCloseGrace);
        closeTimer_.async_wait([self = shared_from_this(), reason](beast::error_code ec) {
            if (!ec)
                self->gone(reason);
        });
        if (!writing_)
            startClose();
    }

    void startClose()
    {
        closeStarted_ = true;
        ws_.async_close(closeReason_, [self = shared_from_this()](beast::error_code) {
            // The read still pending ends now and reports the close.
            self->closeSocket();
        });
    }

    void closeSocket()
    {
        beast::error_code ec;
        auto &socket = beast::get_lowest_layer(ws_).socket();
        socket.shutdown(tcp::socket::shutdown_both, ec);
        socket.close(ec);
    }

    // The connection is over: it leaves the hub and its rounds. Operations
    // still pending end with an error and find the session closed. Buffers
    // they may still use (queue_ front) stay until the session is freed.
    void gone(const std::string &reason)
    {
        if (state_ == State::Closed)
            return;
        const bool wasRegistered = state_ == State::Registered || !clientId_.empty();
        state_ = State::Closed;
        registerTimer_.cancel();
        closeTimer_.cancel();
        closeSocket();
        failPending();
        hub_->remove(id_, clientId_);
        if (wasRegistered)
            LogInfo("Bildirim istemcisi ayrıldı: " + peer_ + " istemci " + clientId_ + " (" + reason + ")");
    }

    std::shared_ptr<PushHub::Impl> hub_;
    const std::uint64_t id_;
    websocket::stream<beast::tcp_stream> ws_;
    net::steady_timer registerTimer_;
    net::steady_timer closeTimer_;
    WebSocketRequest request_;
    beast::flat_buffer buffer_;
    std::string peer_;
    std::string clientId_, managerId_, callback_;
    State state_ = State::Handshake;
    std::deque<Outgoing> queue_;
    std::size_t queuedBytes_ = 0;
    bool writing_ = false;
    bool closeRequested_ = false;
    bool closeStarted_ = false;
    websocket::close_reason closeReason_;
    int badMessages_ = 0;
    std::map<std::uint64_t, Pending> pending_;
};

// --------------------------------------------------------------------------

PushOptions PushOptions::FromConfig(const ServerConfig &config)
{
    PushOptions o;
    o.replyTimeout = std::chrono::seconds(config.pushReplyTimeoutSec);
    return o;
}

PushHub::PushHub(PushOptions options) : impl_(std::make_shared<Impl>(options)) {}

PushHub::~PushHub()
{
    stop();
}

namespace {

void AcceptOn(const std::shared_ptr<PushHub::Impl> &impl, tcp::socket &&socket, WebSocketRequest &&request)
{
    std::shared_ptr<PushSession> session;
    {
        std::lock_guard<std::mutex> lock(impl->m);
        if (!impl->stopped) {
            const std::uint64_t id = ++impl->nextSessionId;
            session = std::make_shared<PushSession>(impl, id, std::move(socket));
            impl->live.emplace(id, session);
        }
    }
    if (!session) {
        beast::error_code ec;
        socket.close(ec);
        return;
    }
    session->start(std::move(request));
}

void NotifyOn(PushHub::Impl &impl, const QJsonValue &value, std::function<void(NotifyResult)> done)
{
    std::vector<std::shared_ptr<PushSession>> targets;
    std::uint64_t id;
    {
        std::lock_guard<std::mutex> lock(impl.m);
        id = ++impl.nextNotificationId;
        targets.reserve(impl.registered.size());
        for (const auto &[sid, weak] : impl.registered)
            if (auto s = weak.lock())
                targets.push_back(std::move(s));
    }
    if (targets.empty()) {
        done(NotifyResult{});
        return;
    }
    const QString channel = QString::fromLatin1(kPushChannel.data(), qsizetype(kPushChannel.size()));
    auto text = std::make_shared<const std::string>(Compact(QJsonObject{
        {QStringLiteral("type"), QStringLiteral("notify")},
        {QStringLiteral("id"), double(id)},
        {QStringLiteral("channel"), channel},
        {QStringLiteral("callback"), channel},
        {QStringLiteral("arg"), value},
    }));
    auto round = std::make_shared<Round>(int(targets.size()), std::move(done));
    for (auto &s : targets)
        s->postNotify(id, text, round);
}

} // namespace

void PushHub::install(HttpServer &server)
{
    server.setWebSocketHandler([impl = impl_](tcp::socket &&socket, WebSocketRequest &&request) {
        AcceptOn(impl, std::move(socket), std::move(request));
    });
    server.setFallbackHandler(adminHandler());
}

void PushHub::accept(tcp::socket &&socket, WebSocketRequest &&request)
{
    AcceptOn(impl_, std::move(socket), std::move(request));
}

void PushHub::notifyAll(const QJsonValue &value, std::function<void(NotifyResult)> done)
{
    NotifyOn(*impl_, value, std::move(done));
}

std::size_t PushHub::clientCount() const
{
    std::lock_guard<std::mutex> lock(impl_->m);
    return impl_->registered.size();
}

void PushHub::stop()
{
    std::vector<std::shared_ptr<PushSession>> live;
    {
        std::lock_guard<std::mutex> lock(impl_->m);
        impl_->stopped = true;
        for (const auto &[id, weak] : impl_->live)
            if (auto s = weak.lock())
                live.push_back(std::move(s));
    }
    if (live.empty())
        return;
    LogInfo("Bildirim kanalı kapanıyor: " + std::to_string(live.size()) + " bağlantı kapatılıyor");
    for (auto &s : live)
        s->postShutdown();
    live.clear();
    std::unique_lock<std::mutex> lock(impl_->m);
    if (!impl_->cv.wait_for(lock, kCloseGrace + std::chrono::milliseconds(500), [this] { return impl_->live.empty(); }))
        LogWarning("Bildirim kanalı: " + std::to_string(impl_->live.size()) + " bağlantı süresinde kapanmadı");
}

RequestHandler PushHub::adminHandler()
{
    return [impl = impl_](Request request, ResponseCallback done) {
        const std::string &path = request.target;
        if (path != kAdminNotifyPath && path != kAdminPushPath) {
            done(Response::Error(404, "Bulunamadı: " + path));
            return;
        }
        if (!AdminRequestAllowed(request)) {
            LogWarning("Yönetim çağrısı reddedildi: " + request.peer + " " + path);
            done(Response::Error(403, "Yönetim çağrıları yalnızca sunucunun kendi bilgisayarından kabul edilir"));
            return;
        }
        auto wrongVerb = [&](const char *allow) {
            Response r = Response::Error(405, "Bu adres için izin verilmeyen yöntem: " + request.method);
            r.headers.emplace_back("Allow", allow);
            done(std::move(r));
        };
        if (path == kAdminPushPath) {
            if (request.method != "GET")
                return wrongVerb("GET");
            std::size_t clients;
            {
                std::lock_guard<std::mutex> lock(impl->m);
                clients = impl->registered.size();
            }
            done(Response::Json(200, "{\"channel\":\"" + std::string(kPushChannel) +
                                         "\",\"clients\":" + std::to_string(clients) + "}"));
            return;
        }
        if (request.method != "POST")
            return wrongVerb("POST");
        QJsonValue value;  // null when the body has no "value"
        if (!request.body.empty()) {
            QJsonParseError perr;
            const QJsonDocument doc = QJsonDocument::fromJson(
                QByteArray::fromRawData(request.body.data(), qsizetype(request.body.size())), &perr);
            if (perr.error != QJsonParseError::NoError || !doc.isObject()) {
                done(Response::Error(400, "Geçersiz istek: {\"value\": <JSON>} biçiminde bir nesne bekleniyor"));
                return;
            }
            value = doc.object().value(QStringLiteral("value"));
            if (value.isUndefined())
                value = QJsonValue();
        }
        const std::size_t size =
            QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).size();
        if (size + 256 > impl->options.maxMessage) {
            done(Response::Error(413, "Bildirim değeri çok büyük (sınır " +
                                          std::to_string(impl->options.maxMessage - 256) + " bayt)"));
            return;
        }
        NotifyOn(*impl, value, [done](NotifyResult r) {
            LogInfo("Bildirim gönderildi: " + std::to_string(r.clients) + " istemci, " +
                    std::to_string(r.delivered) + " ulaştı, " + std::to_string(r.replied) + " true yanıtladı, " +
                    std::to_string(r.dropped) + " düşürüldü");
            done(Response::Json(200, ResultJson(r)));
        });
    };
}

// --------------------------------------------------------------------------

bool IsLoopbackPeer(std::string_view peer)
{
    std::string_view host = peer;
    if (!host.empty() && host.front() == '[') {
        const auto end = host.find(']');
        if (end == std::string_view::npos)
            return false;
        host = host.substr(1, end - 1);
    } else if (host.find(':') != std::string_view::npos && host.find(':') == host.rfind(':')) {
        host = host.substr(0, host.find(':'));  // "a.b.c.d:port"
    }
    beast::error_code ec;
    const auto addr = net::ip::make_address(std::string(host), ec);
    if (ec)
        return false;
    if (addr.is_v4())
        return addr.to_v4().is_loopback();
    const auto v6 = addr.to_v6();
    if (v6.is_v4_mapped())
        return net::ip::make_address_v4(net::ip::v4_mapped, v6).is_loopback();
    return v6.is_loopback();
}

bool AdminRequestAllowed(const Request &request)
{
    if (!IsLoopbackPeer(request.peer))
        return false;
    for (const char *proxied : {"Forwarded", "X-Forwarded-For", "X-Real-IP"})
        for (const auto &[name, value] : request.headers)
            if (beast::iequals(name, proxied))
                return false;
    return true;
}

int RunNotifyCommand(const ServerConfig &config)
{
    if (config.port == 0) {
        std::fprintf(stderr, "tarsel-server: notify için sunucunun portu verilmeli (--port N)\n");
        return 2;
    }
    beast::error_code ec;
    auto address = net::ip::make_address(config.listenAddress.toStdString(), ec);
    if (ec) {
        std::fprintf(stderr, "tarsel-server: geçersiz dinleme adresi: %s\n", config.listenAddress.toUtf8().constData());
        return 2;
    }
    if (address.is_unspecified())
        address = address.is_v4() ? net::ip::address(net::ip::address_v4::loopback())
                                  : net::ip::address(net::ip::address_v6::loopback());
    const tcp::endpoint endpoint(address, config.port);
    const std::string where = FormatPeer(endpoint);

    http::request<http::string_body> req{http::verb::post, kAdminNotifyPath, 11};
    req.set(http::field::host, where);
    req.set(http::field::user_agent, "tarsel-server notify");
    req.set(http::field::content_type, "application/json; charset=utf-8");
    req.body() = Compact(QJsonObject{{QStringLiteral("value"), config.notifyMessage}});
    req.prepare_payload();

    net::io_context ioc;
    beast::tcp_stream stream(ioc);
    beast::flat_buffer buffer;
    http::response<http::string_body> res;
    beast::error_code result;
    std::string step = "bağlanılamadı";
    // The server answers when every client has replied or been dropped.
    const auto answerWithin = std::chrono::seconds(config.pushReplyTimeoutSec) + std::chrono::seconds(60);
    stream.expires_after(std::chrono::seconds(10));
    stream.async_connect(endpoint, [&](beast::error_code cec) {
        if (cec) {
            result = cec;
            return;
        }
        step = "istek gönderilemedi";
        stream.expires_after(answerWithin);
        http::async_write(stream, req, [&](beast::error_code wec, std::size_t) {
            if (wec) {
                result = wec;
                return;
            }
            step = "yanıt alınamadı";
            http::async_read(stream, buffer, res, [&](beast::error_code rec, std::size_t) { result = rec; });
        });
    });
    ioc.run();
    if (result) {
        std::fprintf(stderr, "tarsel-server: Sunucuya bildirim gönderilemedi (%s, %s): %s\n", where.c_str(),
                     step.c_str(), result.message().c_str());
        return 1;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(res.body()));
    const QJsonObject o = doc.object();
    if (res.result_int() != 200) {
        QString text = o.value(QStringLiteral("error")).toString();
        if (text.isEmpty())
            text = QString::fromStdString(res.body()).left(200);
        std::fprintf(stderr, "tarsel-server: Sunucu bildirimi reddetti (%d): %s\n", res.result_int(),
                     text.toUtf8().constData());
        return 1;
    }
    std::printf("Bildirim: %d kayıtlı istemci, %d istemciye ulaştı, %d istemci true yanıtladı, %d istemci düşürüldü\n",
                o.value(QStringLiteral("clients")).toInt(), o.value(QStringLiteral("delivered")).toInt(),
                o.value(QStringLiteral("replied")).toInt(), o.value(QStringLiteral("dropped")).toInt());
    std::fflush(stdout);
    return 0;
}

} // namespace tarsel::server
