#pragma once
// HTTP/1.1 front end of tarsel-server (Boost.Beast on Boost.Asio).
//
// One listening port serves the remote method calls, the health check and
// the WebSocket push channel:
//
//   GET  /health                             -> health handler
//   GET  /datasnap/handshake                 -> RPC handler (Request::rpcMethod empty)
//   POST /datasnap/TServerMethods1.<Method>  -> RPC handler (Request::rpcMethod = "<Method>")
//   GET  /datasnap/push with "Upgrade: websocket" -> WebSocket handler (socket handed over)
//   anything else                            -> fallback handler when one is set, else
//                                               404 {"error":"..."}; a known path with the
//                                               wrong verb -> 405 with an Allow header
//
// Threads: the network threads (run on the io_context) only parse and write.
// A complete request is handed to the application's RequestHandler, which is
// expected to post the work elsewhere (the database worker pool) and return at
// once. The handler answers by calling `done` exactly once, from any thread;
// the response is then written on the connection's strand. If the handler
// drops `done` without calling it, the client gets a 500 answer; if it throws,
// the exception text becomes a 500 answer.
//
// Per connection: keep-alive, a 16 KB header limit, a configurable body limit
// (413 when exceeded), an idle read time-out that also closes idle keep-alive
// connections, "Expect: 100-continue" answered before the body is read, and
// 400 plus close on malformed HTTP.
//
// Bodies are never copied on their way through: the request body is moved
// out of the parser into Request::body and Response::body is moved into the
// outgoing message, whose serializer writes straight from it.

// Boost before Qt: Qt's keyword macros must not meet Boost headers.
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include <QtGlobal>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace tarsel::server {

// One complete HTTP request as handed to the application.
struct Request {
    std::string method;       // HTTP verb as sent: "GET", "POST", ...
    std::string target;       // path part of the request target (no query), e.g.
                              // "/datasnap/TServerMethods1.SepetVer2"
    std::string query;        // text after '?', empty when none
    std::string rpcMethod;    // "<Method>" of /datasnap/TServerMethods1.<Method>, else empty
    std::string contentType;  // Content-Type header, empty when absent
    std::string expect;       // Expect header (already answered by the server), usually empty
    std::vector<std::pair<std::string, std::string>> headers;  // every header, in order received
    std::string body;         // the whole body (moved out of the parser)
    std::string peer;         // remote end, "ip:port"
    unsigned version = 11;    // HTTP version, 10 or 11

    // Value of the first header called name (case-insensitive), empty when absent.
    std::string_view header(std::string_view name) const;
};

// The application's answer to one Request.
struct Response {
    int status = 200;                                    // 100..999; others become 500
    std::string contentType = "application/json; charset=utf-8";
    std::string body;                                    // moved into the outgoing message
    std::vector<std::pair<std::string, std::string>> headers;  // extra headers
    // Outcome text for the request log. Empty: "ok" for status < 400, else the
    // "error" member of a JSON body (or the start of the body).
    std::string logNote;

    // A JSON answer with the given body text.
    static Response Json(int status, std::string jsonBody);
    // {"error": message} with the given status; message is UTF-8 text.
    static Response Error(int status, std::string_view message);
};

// Escapes UTF-8 text for use inside a JSON string (without the quotes).
std::string JsonEscape(std::string_view text);

using ResponseCallback = std::function<void(Response)>;
using RequestHandler = std::function<void(Request, ResponseCallback done)>;
using WebSocketRequest = boost::beast::http::request<boost::beast::http::string_body>;
// Receives the connected socket and the upgrade request; it owns both from
// then on (the WebSocket handshake is the receiver's job). The socket's
// executor is the connection's strand on the server's io_context.
using WebSocketHandler =
    std::function<void(boost::asio::ip::tcp::socket &&, WebSocketRequest &&)>;

struct HttpServerOptions {
    std::string address = "0.0.0.0";  // IPv4 or IPv6 literal
    quint16 port = 9090;               // 0 = pick a free port (see HttpServer::port())
    int threads = 2;                   // network threads running the io_context
    std::size_t headerLimit = 16 * 1024;
    std::size_t bodyLimit = 16 * 1024 * 1024;
    std::chrono::milliseconds readTimeout{30000};  // idle time allowed while reading or writing
    std::chrono::milliseconds shutdownGrace{10000};  // bound of stop()'s wait for in-flight work
};

class HttpServer {
public:
    explicit HttpServer(HttpServerOptions options = {});
    ~HttpServer();  // calls stop()
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Handlers must be set before start().
    void setRpcHandler(RequestHandler handler);
    // Without a health handler /health answers {"status":"ok"}.
    void setHealthHandler(RequestHandler handler);
    // Without a WebSocket handler /datasnap/push answers 404.
    void setWebSocketHandler(WebSocketHandler handler);
    // Requests for any other path, with any verb (Request::rpcMethod empty).
    // Without a fallback handler they answer 404.
    void setFallbackHandler(RequestHandler handler);

    // Binds, listens and starts the network threads. Throws std::runtime_error
    // (Turkish text naming the address) when the address cannot be bound.
    void start();

    // Stops accepting, closes idle connections, lets requests in progress
    // finish and their answers be written (bounded by shutdownGrace), then
    // joins the network threads. Answers that arrive later are dropped.
    // Safe to call more than once.
    void stop();

    // The bound port (the chosen one when the options asked for port 0).
    quint16 port() const;
    std::string address() const;
    const HttpServerOptions &options() const;

    // The io_context the connections run on (for the push channel).
    boost::asio::io_context &ioContext();

    // Number of requests handed to a handler and not answered yet.
    std::size_t pendingRequests() const;

    struct State;  // shared with the connections; defined in httpserver.cpp

private:
    void doAccept();

    HttpServerOptions options_;
    std::unique_ptr<boost::asio::io_context> ioc_;
    std::unique_ptr<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> work_;
    std::shared_ptr<State> state_;
    std::unique_ptr<boost::asio::ip::tcp::acceptor> acceptor_;
    std::unique_ptr<boost::asio::steady_timer> acceptRetry_;
    std::vector<std::thread> threads_;
    quint16 boundPort_ = 0;
    bool started_ = false;
    bool stopped_ = false;
};

} // namespace tarsel::server
