#pragma once
// The push channel of tarsel-server.
//
// Clients keep one WebSocket open to GET /datasnap/push on the server's own
// port and register for the callback channel "KelvasOto" (manager id
// "KelvasOtoId"). The server sends a notification to every registered
// client; each client answers with the JSON value true. The messages are
// JSON objects in text frames (docs/protocol.md, "Push channel"):
//
//   client -> server  {"type":"register","channel":"KelvasOto","managerId":"KelvasOtoId",
//                      "clientId":"<id>","callback":"<callback name>"}
//   server -> client  {"type":"registered","channel":"KelvasOto","clientId":"<id>",
//                      "callback":"<callback name>","replyTimeoutMs":10000}
//   server -> client  {"type":"notify","id":7,"channel":"KelvasOto","callback":"<name>","arg":<JSON>}
//   client -> server  {"type":"reply","id":7,"result":true}
//   client -> server  {"type":"ping"}              server -> client {"type":"pong"}
//   client -> server  {"type":"unregister"}        server -> client {"type":"unregistered"}, then close
//   server -> client  {"type":"error","message":"<Turkish text>"}
//
// A client is dropped (its socket closed) when a write to it fails, when it
// does not answer a notification within the reply time-out, when it closes
// or loses its connection (WebSocket pings detect a dead peer), and when a
// newer connection registers with the same client id.
//
// Administration (main port, loopback peers only, see IsLoopbackPeer):
//   POST /admin/notify  {"value":<JSON>}  -> {"clients":2,"delivered":2,"replied":2,"dropped":0}
//   GET  /admin/push                      -> {"channel":"KelvasOto","clients":2}
// `tarsel-server notify [--message TEXT] [--port N]` calls the first one.
//
// Threads: every connection runs on its own strand of the HTTP server's
// io_context; the registry is guarded by a mutex. A notification round
// answers once every client has replied or been dropped, so it takes at
// most the reply time-out.

// Boost before Qt: Qt's keyword macros must not meet Boost headers.
#include "server/httpserver.h"

#include <QJsonValue>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tarsel::server {

struct ServerConfig;

inline constexpr std::string_view kPushChannel = "KelvasOto";
inline constexpr std::string_view kPushManagerId = "KelvasOtoId";

struct PushOptions {
    // A registered client must answer a notification within this time.
    std::chrono::milliseconds replyTimeout{10000};
    // A new connection must register within this time; also bounds the
    // WebSocket opening and closing handshakes.
    std::chrono::milliseconds registerTimeout{10000};
    // A connection that receives nothing for this long is closed; a ping is
    // sent after half of it, so a live client never reaches it.
    std::chrono::milliseconds idleTimeout{60000};
    std::size_t maxMessage = 64 * 1024;       // largest message a client may send
    std::size_t maxClients = 20000;           // registered clients at once
    std::size_t maxQueuedBytes = 4 * 1024 * 1024;  // unsent bytes per client before it is dropped

    static PushOptions FromConfig(const ServerConfig &config);
};

// Outcome of one notification round.
struct NotifyResult {
    int clients = 0;    // registered clients it was sent to
    int delivered = 0;  // written to the client's connection
    int replied = 0;    // answered with JSON true
    int dropped = 0;    // dropped during the round (write failed, no answer, connection gone)
};

class PushHub {
public:
    explicit PushHub(PushOptions options = {});
    ~PushHub();  // calls stop()
    PushHub(const PushHub &) = delete;
    PushHub &operator=(const PushHub &) = delete;

    // Sets the server's WebSocket handler (/datasnap/push) and its fallback
    // handler (the /admin routes; every other unknown path still answers
    // 404). Call before server.start().
    void install(HttpServer &server);

    // Takes over an upgraded connection (the WebSocket handshake happens
    // here). After stop() the socket is closed at once.
    void accept(boost::asio::ip::tcp::socket &&socket, WebSocketRequest &&request);

    // Sends the JSON value to every registered client. done is called once,
    // from a network thread, when every client has answered or been dropped
    // (at once, from the calling thread, when no client is registered).
    void notifyAll(const QJsonValue &value, std::function<void(NotifyResult)> done);

    // Registered clients now.
    std::size_t clientCount() const;

    // Refuses new connections, closes every connection (WebSocket close
    // "going away", the socket itself if the client does not answer) and
    // waits a little for them to go, so that HttpServer::stop() finds no
    // work left on its io_context. Rounds in progress finish with what they
    // have. Safe to call more than once. Call before HttpServer::stop().
    void stop();

    // The /admin routes as a RequestHandler (installed by install()).
    RequestHandler adminHandler();

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

// True when peer ("ip:port", "[ipv6]:port", or a bare address) is a
// loopback address: 127.0.0.0/8, ::1, or an IPv4-mapped 127.x address.
bool IsLoopbackPeer(std::string_view peer);

// Whether an administration request may run: its peer is loopback and it
// did not pass through a proxy (no Forwarded, X-Forwarded-For or X-Real-IP
// header; a proxy on the same machine would make every caller loopback).
bool AdminRequestAllowed(const Request &request);

// `tarsel-server notify`: POSTs the message to /admin/notify of the server
// running on this machine (config.port; the loopback address of the listen
// address's family) and prints the outcome. Returns the exit code: 0 done,
// 1 server unreachable or refused, 2 bad settings.
int RunNotifyCommand(const ServerConfig &config);

} // namespace tarsel::server
