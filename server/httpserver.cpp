#include "server/httpserver.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket/rfc6455.hpp>

#include "server/log.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace tarsel::server {

namespace {

constexpr std::string_view kRpcPrefix = "/datasnap/TServerMethods1.";
constexpr std::string_view kHandshakePath = "/datasnap/handshake";
constexpr std::string_view kPushPath = "/datasnap/push";
constexpr std::string_view kHealthPath = "/health";
// Longest accepted remote method name.
constexpr std::size_t kMaxMethodName = 128;
// After an error answer the client may still be sending its body; reading it
// away for a while before closing keeps the kernel from resetting the
// connection before the client has read our answer.
constexpr std::chrono::seconds kLingerTime{2};
constexpr std::size_t kLingerBytes = 16 * 1024 * 1024;

bool IEquals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

enum class Route { Health, Handshake, Rpc, Push, NotFound, WrongVerb, Fallback };

struct RouteMatch {
    Route route = Route::NotFound;
    std::string rpcMethod;
    const char *allow = nullptr;  // for WrongVerb
};

bool ValidMethodName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxMethodName)
        return false;
    for (char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '_';
        if (!ok)
            return false;
    }
    return true;
}

RouteMatch Classify(http::verb verb, std::string_view path)
{
    RouteMatch m;
    auto expect = [&](Route r, http::verb wanted, const char *allow) {
        if (verb == wanted) {
            m.route = r;
        } else {
            m.route = Route::WrongVerb;
            m.allow = allow;
        }
    };
    if (path == kHealthPath) {
        expect(Route::Health, http::verb::get, "GET");
    } else if (path == kHandshakePath) {
        expect(Route::Handshake, http::verb::get, "GET");
    } else if (path == kPushPath) {
        expect(Route::Push, http::verb::get, "GET");
    } else if (path.substr(0, kRpcPrefix.size()) == kRpcPrefix &&
               ValidMethodName(path.substr(kRpcPrefix.size()))) {
        expect(Route::Rpc, http::verb::post, "POST");
        if (m.route == Route::Rpc)
            m.rpcMethod = std::string(path.substr(kRpcPrefix.size()));
    }
    return m;
}

std::string FormatEndpoint(const tcp::endpoint &ep)
{
    const auto addr = ep.address();
    if (addr.is_v6()) {
        const auto v6 = addr.to_v6();
        if (v6.is_v4_mapped())
            return net::ip::make_address_v4(net::ip::v4_mapped, v6).to_string() + ':' +
                   std::to_string(ep.port());
        return '[' + addr.to_string() + "]:" + std::to_string(ep.port());
    }
    return addr.to_string() + ':' + std::to_string(ep.port());
}

// The "error" member of a small JSON object body, decoded; empty when absent.
std::string ExtractJsonError(std::string_view body)
{
    if (body.size() > 64 * 1024)
        body = body.substr(0, 64 * 1024);
    const auto key = body.find("\"error\"");
    if (key == std::string_view::npos)
        return {};
    std::size_t i = key + 7;
    while (i < body.size() && (body[i] == ' ' || body[i] == ':' || body[i] == '\t' || body[i] == '\n' || body[i] == '\r'))
        ++i;
    if (i >= body.size() || body[i] != '"')
        return {};
    std::string out;
    for (++i; i < body.size() && body[i] != '"'; ++i) {
        if (body[i] == '\\' && i + 1 < body.size()) {
            ++i;
            switch (body[i]) {
            case 'n': case 'r': case 't': out += ' '; break;
            case 'u':  // keep \uXXXX escapes as written; the log only needs a hint
                out += "\\u";
                break;
            default: out += body[i]; break;
            }
        } else {
            out += body[i];
        }
    }
    return out;
}

std::string OutcomeFor(const Response &r, int status)
{
    if (!r.logNote.empty())
        return r.logNote;
    if (status < 400)
        return "ok";
    std::string text = ExtractJsonError(r.body);
    if (!text.empty())
        return text;
    if (!r.body.empty() && r.body.size() < 4096 &&
        (r.contentType.find("json") != std::string::npos || r.contentType.find("text") != std::string::npos))
        return r.body;
    return "hata";
}

bool HeaderTokenSafe(std::string_view s)
{
    for (char c : s)
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
    return true;
}

} // namespace

// --------------------------------------------------------------------------
// Request / Response helpers

std::string_view Request::header(std::string_view name) const
{
    for (const auto &[k, v] : headers)
        if (IEquals(k, name))
            return v;
    return {};
}

std::string JsonEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out;
}

Response Response::Json(int status, std::string jsonBody)
{
    Response r;
    r.status = status;
    r.body = std::move(jsonBody);
    return r;
}

Response Response::Error(int status, std::string_view message)
{
    Response r;
    r.status = status;
    r.body = "{\"error\":\"" + JsonEscape(message) + "\"}";
    r.logNote = std::string(message);
    return r;
}

// --------------------------------------------------------------------------
// Shared state

class Session;

struct HttpServer::State {
    HttpServerOptions options;
    RequestHandler rpc;
    RequestHandler health;
    RequestHandler fallback;
    WebSocketHandler ws;

    std::atomic<bool> draining{false};

    mutable std::mutex m;
    std::condition_variable cv;
    bool stopped = false;       // answers arriving now are dropped
    std::uint64_t nextId = 0;
    std::size_t active = 0;     // requests between "header read" and "answer written"
    int runningThreads = 0;
    // Connections whose request is with a handler, by request id.
    std::unordered_map<std::uint64_t, std::shared_ptr<Session>> waiting;
    // Every live connection (for closing idle ones at shutdown).
    std::unordered_map<Session *, std::weak_ptr<Session>> sessions;
};

using State = HttpServer::State;

// Delivers one handler answer to its connection. Shared by every copy of the
// `done` callback; the first call wins, and if no copy ever calls it the
// client gets a 500 answer instead of a hanging connection.
class ReplySlot {
public:
    ReplySlot(std::shared_ptr<State> st, std::uint64_t id) : st_(std::move(st)), id_(id) {}
    ~ReplySlot()
    {
        if (!used_.load()) {
            try {
                deliver(Response::Error(500, "Sunucu bu isteğe yanıt üretmedi"));
            } catch (...) {
            }
        }
    }
    void deliver(Response r);

private:
    std::shared_ptr<State> st_;
    std::uint64_t id_;
    std::atomic<bool> used_{false};
};

// --------------------------------------------------------------------------
// One TCP connection.

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(std::shared_ptr<State> st, tcp::socket &&socket)
        : st_(std::move(st)), stream_(std::move(socket))
    {
        beast::error_code ec;
        const auto ep = stream_.socket().remote_endpoint(ec);
        peer_ = ec ? std::string("?") : FormatEndpoint(ep);
    }

    ~Session()
    {
        setActive(false);
        std::lock_guard<std::mutex> lock(st_->m);
        st_->sessions.erase(this);
    }

    tcp::socket::executor_type executor() { return stream_.get_executor(); }

    void run()
    {
        net::dispatch(stream_.get_executor(),
                      beast::bind_front_handler(&Session::readHeader, shared_from_this()));
    }

    // Shutdown: a connection waiting for its next request is closed now; one
    // in the middle of a request finishes it and closes after the answer.
    void drain()
    {
        if (phase_ == Phase::Header || phase_ == Phase::Idle) {
            beast::error_code ec;
            stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
            stream_.socket().close(ec);
        }
    }

    // Called on the strand with the handler's answer.
    void sendResponse(Response r)
    {
        if (phase_ != Phase::Handler)
            return;
        startWrite(std::move(r), /*closeAfter=*/false, /*linger=*/false);
    }

private:
    enum class Phase { Idle, Header, Body, Handler, Writing, Closing, HandedOver };

    void setActive(bool on)
    {
        if (on == active_)
            return;
        active_ = on;
        std::lock_guard<std::mutex> lock(st_->m);
        if (on) {
            ++st_->active;
        } else {
            --st_->active;
            st_->cv.notify_all();
        }
    }

    void readHeader()
    {
        if (st_->draining.load()) {
            closeNow();
            return;
        }
        phase_ = Phase::Header;
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(st_->options.headerLimit));
        // The body limit is armed once the header is known (onHeader), so a
        // refused body still leaves the request line for the answer and log.
        parser_->body_limit(std::numeric_limits<std::uint64_t>::max());
        verb_.clear();
        what_.clear();
        stream_.expires_after(st_->options.readTimeout);
        http::async_read_header(stream_, buffer_, *parser_,
                                beast::bind_front_handler(&Session::onHeader, shared_from_this()));
    }

    // Errors while reading: a protocol fault is answered; anything else (end
    // of stream, time-out, reset, shutdown) closes the connection, with a log
    // line when it cut a request short.
    void onReadError(beast::error_code ec)
    {
        const bool inRequest = phase_ == Phase::Body;
        if (ec.category() == http::make_error_code(http::error::body_limit).category() &&
            ec != http::error::end_of_stream && ec != http::error::partial_message) {
            if (ec == http::error::body_limit)
                answerDirect(Response::Error(413, "İstek gövdesi çok büyük (sınır " +
                                                      std::to_string(st_->options.bodyLimit) + " bayt)"));
            else if (ec == http::error::header_limit)
                answerDirect(Response::Error(431, "İstek başlıkları çok büyük"));
            else
                answerDirect(Response::Error(400, "Geçersiz HTTP isteği: " + ec.message()));
            return;
        }
        if (inRequest) {
            if (ec == beast::error::timeout)
                logRequest(408, "gövde okunurken zaman aşımı");
            else
                logRequest(0, "bağlantı gövde okunurken koptu: " + ec.message());
        }
        closeNow();
    }

    void onHeader(beast::error_code ec, std::size_t)
    {
        if (ec) {
            onReadError(ec);
            return;
        }
        started_ = std::chrono::steady_clock::now();
        setActive(true);
        phase_ = Phase::Body;
        auto &req = parser_->get();
        version_ = req.version();
        keepAlive_ = req.keep_alive();
        verb_ = std::string(req.method_string());
        const std::string_view target(req.target().data(), req.target().size());
        const auto q = target.find('?');
        path_ = std::string(target.substr(0, q));
        query_ = q == std::string_view::npos ? std::string() : std::string(target.substr(q + 1));
        what_ = path_;

        route_ = Classify(req.method(), path_);
        if (route_.route == Route::Rpc)
            what_ = route_.rpcMethod;

        const auto declared = parser_->content_length();
        if (declared && *declared > st_->options.bodyLimit) {
            answerDirect(Response::Error(413, "İstek gövdesi çok büyük (sınır " +
                                                  std::to_string(st_->options.bodyLimit) + " bayt)"));
            return;
        }
        parser_->body_limit(st_->options.bodyLimit);  // also bounds chunked bodies

        if (route_.route == Route::NotFound && st_->fallback)
            route_.route = Route::Fallback;
        switch (route_.route) {
        case Route::NotFound:
            answerDirect(Response::Error(404, "Bulunamadı: " + path_));
            return;
        case Route::WrongVerb: {
            auto r = Response::Error(405, "Bu adres için izin verilmeyen yöntem: " + verb_);
            r.headers.emplace_back("Allow", route_.allow);
            answerDirect(std::move(r));
            return;
        }
        case Route::Push:
            if (!st_->ws) {
                answerDirect(Response::Error(404, "Bulunamadı: " + path_));
                return;
            }
            if (!beast::websocket::is_upgrade(req)) {
                auto r = Response::Error(426, "Bu adres yalnızca WebSocket bağlantısı kabul eder");
                r.headers.emplace_back("Upgrade", "websocket");
                answerDirect(std::move(r));
                return;
            }
            if (!parser_->is_done()) {
                answerDirect(Response::Error(400, "WebSocket isteği gövde taşıyamaz"));
                return;
            }
            handOverWebSocket();
            return;
        default:
            break;
        }

        const auto expect = req[http::field::expect];
        if (!expect.empty()) {
            if (!IEquals(std::string_view(expect.data(), expect.size()), "100-continue")) {
                answerDirect(Response::Error(417, "Desteklenmeyen Expect başlığı"));
                return;
            }
            if (!parser_->is_done() && version_ >= 11) {
                continue_.emplace(http::status::continue_, version_);
                stream_.expires_after(st_->options.readTimeout);
                http::async_write(stream_, *continue_,
                                  beast::bind_front_handler(&Session::onContinueWritten, shared_from_this()));
                return;
            }
        }
        readBody();
    }

    void onContinueWritten(beast::error_code ec, std::size_t)
    {
        continue_.reset();
        if (ec) {
            logRequest(0, "100-continue yazılamadı: " + ec.message());
            closeNow();
            return;
        }
        readBody();
    }

    void readBody()
    {
        if (parser_->is_done()) {
            onRequest();
            return;
        }
        // Re-armed for every piece: the time-out bounds idleness, not the
        // length of a large upload.
        stream_.expires_after(st_->options.readTimeout);
        http::async_read_some(stream_, buffer_, *parser_,
                              beast::bind_front_handler(&Session::onBodyPart, shared_from_this()));
    }

    void onBodyPart(beast::error_code ec, std::size_t)
    {
        if (ec) {
            onReadError(ec);
            return;
        }
        readBody();
    }

    void onRequest()
    {
        stream_.expires_never();
        phase_ = Phase::Handler;
        auto msg = parser_->release();
        parser_.reset();
        keepAlive_ = msg.keep_alive();

        Request r;
        r.method = verb_;
        r.target = path_;
        r.query = query_;
        r.rpcMethod = route_.rpcMethod;
        r.peer = peer_;
        r.version = msg.version();
        r.headers.reserve(8);
        for (const auto &f : msg) {
            r.headers.emplace_back(std::string(f.name_string()), std::string(f.value()));
        }
        r.contentType = std::string(r.header("Content-Type"));
        r.expect = std::string(r.header("Expect"));
        r.body = std::move(msg.body());

        const RequestHandler &handler = route_.route == Route::Health     ? st_->health
                                        : route_.route == Route::Fallback ? st_->fallback
                                                                          : st_->rpc;
        if (!handler) {
            if (route_.route == Route::Health)
                startWrite(Response::Json(200, "{\"status\":\"ok\"}"), false, false);
            else
                startWrite(Response::Error(404, "Bulunamadı: " + path_), false, false);
            return;
        }

        std::uint64_t id;
        {
            std::lock_guard<std::mutex> lock(st_->m);
            id = ++st_->nextId;
            st_->waiting.emplace(id, shared_from_this());
        }
        auto slot = std::make_shared<ReplySlot>(st_, id);
        try {
            handler(std::move(r), [slot](Response resp) { slot->deliver(std::move(resp)); });
        } catch (const std::exception &e) {
            slot->deliver(Response::Error(500, std::string("Sunucu iç hatası: ") + e.what()));
        } catch (...) {
            slot->deliver(Response::Error(500, "Sunucu iç hatası"));
        }
    }

    void handOverWebSocket()
    {
        stream_.expires_never();
        phase_ = Phase::HandedOver;
        logRequest(101, "websocket");
        setActive(false);
        auto req = parser_->release();
        parser_.reset();
        try {
            st_->ws(stream_.release_socket(), std::move(req));
        } catch (const std::exception &e) {
            LogError(std::string("WebSocket işleyicisi hata verdi: ") + e.what());
        }
    }

    // Answers without involving a handler (routing and protocol errors). The
    // request body, if any, has not been read, so the connection is closed.
    void answerDirect(Response r)
    {
        const bool bodyPending = !parser_ || !parser_->is_header_done() || !parser_->is_done();
        if (!parser_ || !parser_->is_header_done())
            version_ = 11;
        startWrite(std::move(r), /*closeAfter=*/bodyPending, /*linger=*/bodyPending);
    }

    void startWrite(Response r, bool closeAfter, bool linger)
    {
        if (!active_) {
            started_ = std::chrono::steady_clock::now();
            setActive(true);
        }
        phase_ = Phase::Writing;
        int status = r.status;
        if (status < 200 || status > 999) {
            LogError("İşleyici geçersiz HTTP durum kodu verdi: " + std::to_string(status));
            r = Response::Error(500, "Sunucu geçersiz bir yanıt üretti");
            status = 500;
        }
        outcome_ = OutcomeFor(r, status);
        status_ = status;

        auto res = std::make_unique<http::response<http::string_body>>();
        res->version(version_ == 10 ? 10 : 11);
        res->result(static_cast<unsigned>(status));
        res->set(http::field::server, "tarsel-server");
        if (!r.contentType.empty() && HeaderTokenSafe(r.contentType))
            res->set(http::field::content_type, r.contentType);
        for (auto &[name, value] : r.headers) {
            if (name.empty() || !HeaderTokenSafe(name) || !HeaderTokenSafe(value) ||
                IEquals(name, "Content-Length") || IEquals(name, "Transfer-Encoding") ||
                IEquals(name, "Connection"))
                continue;
            res->insert(name, value);
        }
        if (status != 204 && status != 304)
            res->body() = std::move(r.body);
        keepAlive_ = keepAlive_ && !closeAfter && !st_->draining.load();
        res->keep_alive(keepAlive_);
        res->prepare_payload();
        linger_ = linger;
        res_ = std::move(res);
        sr_.emplace(*res_);
        writeSome();
    }

    void writeSome()
    {
        stream_.expires_after(st_->options.readTimeout);
        http::async_write_some(stream_, *sr_,
                               beast::bind_front_handler(&Session::onWritePart, shared_from_this()));
    }

    void onWritePart(beast::error_code ec, std::size_t)
    {
        if (ec) {
            logRequest(status_, "yanıt yazılamadı: " + ec.message());
            sr_.reset();
            res_.reset();
            closeNow();
            return;
        }
        if (!sr_->is_done()) {
            writeSome();
            return;
        }
        stream_.expires_never();
        logRequest(status_, outcome_);
        sr_.reset();
        res_.reset();
        if (!keepAlive_) {
            closeAfterAnswer();
            return;
        }
        phase_ = Phase::Idle;
        readHeader();
    }

    void logRequest(int status, std::string outcome)
    {
        RequestLogEntry e;
        e.peer = peer_;
        e.verb = verb_.empty() ? std::string("-") : verb_;
        e.what = what_.empty() ? std::string("-") : what_;
        e.status = status;
        e.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - started_)
                           .count();
        e.outcome = std::move(outcome);
        LogRequest(e);
        setActive(false);
    }

    void closeAfterAnswer()
    {
        phase_ = Phase::Closing;
        beast::error_code ec;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
        if (!linger_ || ec) {
            closeNow();
            return;
        }
        stream_.expires_after(kLingerTime);  // one deadline for the whole drain
        lingerBytes_ = 0;
        lingerRead();
    }

    void lingerRead()
    {
        buffer_.consume(buffer_.size());
        stream_.async_read_some(buffer_.prepare(64 * 1024),
                                [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                                    self->lingerBytes_ += n;
                                    if (ec || self->lingerBytes_ > kLingerBytes) {
                                        self->closeNow();
                                        return;
                                    }
                                    self->lingerRead();
                                });
    }

    void closeNow()
    {
        phase_ = Phase::Closing;
        setActive(false);
        beast::error_code ec;
        stream_.socket().close(ec);
    }

    std::shared_ptr<State> st_;
    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::empty_body>> continue_;
    std::unique_ptr<http::response<http::string_body>> res_;
    std::optional<http::response_serializer<http::string_body>> sr_;
    std::string peer_;
    std::string verb_, path_, query_, what_;
    RouteMatch route_;
    unsigned version_ = 11;
    bool keepAlive_ = true;
    bool linger_ = false;
    bool active_ = false;
    Phase phase_ = Phase::Idle;
    int status_ = 0;
    std::string outcome_;
    std::size_t lingerBytes_ = 0;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

void ReplySlot::deliver(Response r)
{
    if (used_.exchange(true))
        return;
    std::lock_guard<std::mutex> lock(st_->m);
    if (st_->stopped)
        return;
    auto it = st_->waiting.find(id_);
    if (it == st_->waiting.end())
        return;
    std::shared_ptr<Session> s = std::move(it->second);
    st_->waiting.erase(it);
    st_->cv.notify_all();
    // Posted while holding the lock: stop() marks the state stopped under the
    // same lock before the io_context can go away.
    auto ex = s->executor();
    net::post(ex, [s = std::move(s), r = std::move(r)]() mutable { s->sendResponse(std::move(r)); });
}

// --------------------------------------------------------------------------
// HttpServer

HttpServer::HttpServer(HttpServerOptions options)
    : options_(std::move(options)), ioc_(std::make_unique<net::io_context>(std::max(1, options_.threads))),
      state_(std::make_shared<State>())
{
    if (options_.threads < 1)
        options_.threads = 1;
    state_->options = options_;
}

HttpServer::~HttpServer()
{
    stop();
}

void HttpServer::setRpcHandler(RequestHandler handler) { state_->rpc = std::move(handler); }
void HttpServer::setHealthHandler(RequestHandler handler) { state_->health = std::move(handler); }
void HttpServer::setWebSocketHandler(WebSocketHandler handler) { state_->ws = std::move(handler); }
void HttpServer::setFallbackHandler(RequestHandler handler) { state_->fallback = std::move(handler); }

quint16 HttpServer::port() const { return boundPort_; }
std::string HttpServer::address() const { return options_.address; }
const HttpServerOptions &HttpServer::options() const { return options_; }
net::io_context &HttpServer::ioContext() { return *ioc_; }

std::size_t HttpServer::pendingRequests() const
{
    std::lock_guard<std::mutex> lock(state_->m);
    return state_->waiting.size();
}

void HttpServer::start()
{
    if (started_)
        throw std::logic_error("HttpServer::start called twice");

    beast::error_code ec;
    const auto addr = net::ip::make_address(options_.address, ec);
    if (ec)
        throw std::runtime_error("Geçersiz dinleme adresi \"" + options_.address + "\": " + ec.message());
    const tcp::endpoint endpoint(addr, options_.port);

    acceptor_ = std::make_unique<tcp::acceptor>(net::make_strand(*ioc_));
    auto fail = [&](const char *what) {
        const std::string text = std::string(what) + " (" + options_.address + ":" +
                                 std::to_string(options_.port) + "): " + ec.message();
        acceptor_.reset();
        throw std::runtime_error(text);
    };
    acceptor_->open(endpoint.protocol(), ec);
    if (ec)
        fail("Soket açılamadı");
    acceptor_->set_option(net::socket_base::reuse_address(true), ec);
    if (ec)
        fail("Soket ayarlanamadı");
    acceptor_->bind(endpoint, ec);
    if (ec)
        fail("Adres dinlenemiyor");
    acceptor_->listen(net::socket_base::max_listen_connections, ec);
    if (ec)
        fail("Dinleme başlatılamadı");
    boundPort_ = acceptor_->local_endpoint().port();
    acceptRetry_ = std::make_unique<net::steady_timer>(acceptor_->get_executor());

    started_ = true;
    work_ = std::make_unique<net::executor_work_guard<net::io_context::executor_type>>(ioc_->get_executor());
    doAccept();

    {
        std::lock_guard<std::mutex> lock(state_->m);
        state_->runningThreads = options_.threads;
    }
    threads_.reserve(static_cast<std::size_t>(options_.threads));
    for (int i = 0; i < options_.threads; ++i) {
        threads_.emplace_back([ioc = ioc_.get(), st = state_] {
            for (;;) {
                try {
                    ioc->run();
                    break;
                } catch (const std::exception &e) {
                    LogError(std::string("Ağ iş parçacığında yakalanmamış hata: ") + e.what());
                }
            }
            std::lock_guard<std::mutex> lock(st->m);
            --st->runningThreads;
            st->cv.notify_all();
        });
    }
}

void HttpServer::doAccept()
{
    acceptor_->async_accept(net::make_strand(*ioc_), [this](beast::error_code ec, tcp::socket socket) {
        if (ec == net::error::operation_aborted || !acceptor_->is_open())
            return;
        if (ec) {
            // Usually out of file descriptors: wait a little instead of spinning.
            LogWarning("Bağlantı kabul edilemedi: " + ec.message());
            acceptRetry_->expires_after(std::chrono::milliseconds(100));
            acceptRetry_->async_wait([this](beast::error_code tec) {
                if (!tec && acceptor_->is_open())
                    doAccept();
            });
            return;
        }
        auto session = std::make_shared<Session>(state_, std::move(socket));
        {
            std::lock_guard<std::mutex> lock(state_->m);
            state_->sessions.emplace(session.get(), session);
        }
        session->run();
        doAccept();
    });
}

void HttpServer::stop()
{
    if (!started_ || stopped_) {
        stopped_ = true;
        return;
    }
    stopped_ = true;
    const auto deadline = std::chrono::steady_clock::now() + options_.shutdownGrace;

    state_->draining.store(true);
    net::post(acceptor_->get_executor(), [this] {
        beast::error_code ec;
        acceptor_->close(ec);
        acceptRetry_->cancel();
    });

    std::vector<std::shared_ptr<Session>> live;
    {
        std::lock_guard<std::mutex> lock(state_->m);
        live.reserve(state_->sessions.size());
        for (auto &[ptr, weak] : state_->sessions)
            if (auto s = weak.lock())
                live.push_back(std::move(s));
    }
    for (auto &s : live) {
        auto ex = s->executor();
        net::post(ex, [s] { s->drain(); });
    }
    live.clear();

    // Requests already received are answered and written.
    {
        std::unique_lock<std::mutex> lock(state_->m);
        if (!state_->cv.wait_until(lock, deadline, [this] { return state_->active == 0; }))
            LogWarning("Kapanış: " + std::to_string(state_->active) +
                       " istek süre sınırında bitmedi, yanıtları gönderilmeyecek");
    }
    // Then the network threads run out of work (closing connections) and end.
    work_.reset();
    {
        std::unique_lock<std::mutex> lock(state_->m);
        state_->cv.wait_until(lock, deadline, [this] { return state_->runningThreads == 0; });
    }
    ioc_->stop();
    for (auto &t : threads_)
        if (t.joinable())
            t.join();
    threads_.clear();

    std::unordered_map<std::uint64_t, std::shared_ptr<Session>> dropped;
    {
        std::lock_guard<std::mutex> lock(state_->m);
        state_->stopped = true;
        dropped.swap(state_->waiting);
    }
    dropped.clear();  // outside the lock: a session's destructor takes it
}

} // namespace tarsel::server
