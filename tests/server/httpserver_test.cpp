// HttpServer in-process, with handlers written by the test: what a handler
// receives, answering from other threads, lost and failing handlers,
// large answers, the WebSocket hand-over and shutdown with work in flight.

#include "server/httpserver.h"
#include "server/log.h"
#include "tests/server/testhttp.h"

#include <gtest/gtest.h>

#include <boost/asio/write.hpp>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using namespace tarsel::server;
using namespace tarsel::test;
using namespace std::chrono_literals;

namespace {

HttpServerOptions LocalOptions()
{
    HttpServerOptions o;
    o.address = "127.0.0.1";
    o.port = 0;
    o.threads = 2;
    return o;
}

std::string Url(const HttpServer &s, const std::string &path)
{
    return "http://127.0.0.1:" + std::to_string(s.port()) + path;
}

// Keeps the request log out of the test output.
class QuietLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLogSink([this](std::string_view line) { lines_.emplace_back(line); });
    }
    void TearDown() override { SetLogSink({}); }
    std::vector<std::string> lines_;  // written under the log mutex
};

using HttpServerTest = QuietLog;

TEST_F(HttpServerTest, HandlerReceivesTheRequestAndAnswersFromAnotherThread)
{
    HttpServer server(LocalOptions());
    std::promise<Request> seen;
    std::vector<std::thread> workers;
    std::mutex workersMutex;
    server.setRpcHandler([&](Request r, ResponseCallback done) {
        const std::thread::id networkThread = std::this_thread::get_id();
        seen.set_value(r);
        std::lock_guard<std::mutex> lock(workersMutex);
        workers.emplace_back([done = std::move(done), networkThread] {
            Response resp = Response::Json(201, "{\"ok\":true}");
            resp.headers.emplace_back("X-Deneme", "evet");
            resp.headers.emplace_back("Content-Length", "999");  // ignored: the server sets it
            EXPECT_NE(std::this_thread::get_id(), networkThread);
            done(std::move(resp));
        });
    });
    server.start();
    ASSERT_NE(server.port(), 0);

    HttpClient http;
    const HttpResult r = http.post(Url(server, "/datasnap/TServerMethods1.SepetVer2?a=1&b=%C3%A7"),
                                   "{\"x\":\"çğü\"}", {"Content-Type: application/json", "X-Ozel: değer"});
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 201);
    EXPECT_EQ(r.body, "{\"ok\":true}");
    EXPECT_EQ(r.header("x-deneme"), "evet");
    EXPECT_EQ(r.header("content-length"), "11");
    EXPECT_EQ(r.header("server"), "tarsel-server");

    const Request req = seen.get_future().get();
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.target, "/datasnap/TServerMethods1.SepetVer2");
    EXPECT_EQ(req.query, "a=1&b=%C3%A7");
    EXPECT_EQ(req.rpcMethod, "SepetVer2");
    EXPECT_EQ(req.contentType, "application/json");
    EXPECT_EQ(req.body, "{\"x\":\"çğü\"}");
    EXPECT_EQ(req.header("x-ozel"), "değer");
    EXPECT_EQ(req.header("X-OZEL"), "değer");
    EXPECT_EQ(req.header("yok"), "");
    EXPECT_EQ(req.peer.rfind("127.0.0.1:", 0), 0u) << req.peer;
    EXPECT_EQ(req.version, 11u);

    server.stop();
    for (auto &t : workers)
        t.join();
}

TEST_F(HttpServerTest, HandshakeAndHealthReachTheirHandlers)
{
    HttpServer server(LocalOptions());
    std::atomic<int> rpcCalls{0};
    server.setRpcHandler([&](Request r, ResponseCallback done) {
        ++rpcCalls;
        EXPECT_EQ(r.rpcMethod, "");
        EXPECT_EQ(r.target, "/datasnap/handshake");
        done(Response::Json(200, "{\"h\":1}"));
    });
    server.setHealthHandler([](Request, ResponseCallback done) { done(Response::Json(200, "{\"sağlık\":1}")); });
    server.start();
    HttpClient http;
    EXPECT_EQ(http.get(Url(server, "/datasnap/handshake")).body, "{\"h\":1}");
    EXPECT_EQ(http.get(Url(server, "/health")).body, "{\"sağlık\":1}");
    EXPECT_EQ(rpcCalls.load(), 1);
}

TEST_F(HttpServerTest, HealthWithoutHandlerAnswersOk)
{
    HttpServer server(LocalOptions());
    server.start();
    HttpClient http;
    const HttpResult r = http.get(Url(server, "/health"));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(JsonMember(r.body, "status"), "ok");
}

TEST_F(HttpServerTest, LostOrFailingHandlersStillAnswer)
{
    struct Case {
        const char *method;
        long status;
        std::string errorPart;
    } cases[] = {
        {"Dropped", 500, "yanıt üretmedi"},
        {"Throws", 500, "kırıldı"},
        {"BadStatus", 500, "geçersiz"},
        {"Twice", 202, ""},
    };
    HttpServer server(LocalOptions());
    server.setRpcHandler([](Request r, ResponseCallback done) {
        if (r.rpcMethod == "Dropped")
            return;  // `done` is destroyed unanswered
        if (r.rpcMethod == "Throws")
            throw std::runtime_error("işleyici kırıldı");
        if (r.rpcMethod == "BadStatus") {
            done(Response::Json(42, "{}"));
            return;
        }
        done(Response::Json(202, "{}"));
        done(Response::Json(500, "{}"));  // the second answer is ignored
    });
    server.start();
    HttpClient http;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.method);
        const HttpResult r = http.post(Url(server, std::string("/datasnap/TServerMethods1.") + c.method), "{}");
        ASSERT_EQ(r.curlCode, 0) << r.curlError;
        EXPECT_EQ(r.status, c.status);
        if (!c.errorPart.empty()) {
            const auto error = JsonMember(r.body, "error");
            ASSERT_TRUE(error) << r.body;
            EXPECT_NE(error->find(c.errorPart), std::string::npos) << *error;
        }
    }
    // The connection survived all of it.
    EXPECT_EQ(http.get(Url(server, "/health")).newConnections, 0);
}

TEST_F(HttpServerTest, LargeBinaryAnswerArrivesIntact)
{
    constexpr std::size_t kSize = 50 * 1024 * 1024;
    HttpServer server(LocalOptions());
    server.setRpcHandler([](Request, ResponseCallback done) {
        Response r;
        r.contentType = "application/octet-stream";
        r.body.resize(kSize);
        for (std::size_t i = 0; i < kSize; ++i)
            r.body[i] = static_cast<char>((i * 131) >> 7);
        done(std::move(r));
    });
    server.start();
    HttpClient http;
    http.setTimeout(60s);
    const HttpResult r = http.post(Url(server, "/datasnap/TServerMethods1.Dosya"), "");
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.header("content-type"), "application/octet-stream");
    ASSERT_EQ(r.body.size(), kSize);
    for (std::size_t i = 0; i < kSize; i += 4093)
        ASSERT_EQ(r.body[i], static_cast<char>((i * 131) >> 7)) << i;
}

TEST_F(HttpServerTest, Http10WithoutKeepAliveIsClosedAfterTheAnswer)
{
    HttpServer server(LocalOptions());
    server.start();
    RawConnection c(server.port());
    ASSERT_TRUE(c.send("GET /health HTTP/1.0\r\n\r\n"));
    const auto r = c.readResponse();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_TRUE(c.waitClosed(10s));
}

TEST_F(HttpServerTest, WebSocketUpgradeIsHandedOver)
{
    HttpServer server(LocalOptions());
    std::promise<std::string> target;
    server.setWebSocketHandler([&](boost::asio::ip::tcp::socket &&socket, WebSocketRequest &&req) {
        // The receiver owns the socket now: answer on it directly.
        const std::string hello = "HTTP/1.1 101 Switching Protocols\r\nContent-Length: 0\r\n\r\n";
        boost::system::error_code ec;
        boost::asio::write(socket, boost::asio::buffer(hello), ec);
        target.set_value(std::string(req.target()) + "|" + std::string(req["Sec-WebSocket-Key"]));
        socket.close(ec);
    });
    server.start();

    RawConnection c(server.port());
    ASSERT_TRUE(c.send("GET /datasnap/push HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                       "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n"));
    const auto r = c.readResponse();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 101);
    EXPECT_EQ(target.get_future().get(), "/datasnap/push|dGhlIHNhbXBsZSBub25jZQ==");

    // A plain request to the push address is told to upgrade.
    HttpClient http;
    const HttpResult plain = http.get(Url(server, "/datasnap/push"));
    EXPECT_EQ(plain.status, 426);
    EXPECT_EQ(plain.header("upgrade"), "websocket");
}

TEST_F(HttpServerTest, StopWaitsForAnswersInFlight)
{
    HttpServerOptions o = LocalOptions();
    o.shutdownGrace = 20s;
    HttpServer server(o);
    std::promise<void> received;
    std::promise<void> release;
    std::shared_future<void> releaseFuture = release.get_future().share();
    std::thread worker;
    server.setRpcHandler([&](Request, ResponseCallback done) {
        worker = std::thread([done = std::move(done), releaseFuture] {
            releaseFuture.wait();
            done(Response::Json(200, "{\"geç\":true}"));
        });
        received.set_value();
    });
    server.start();

    std::promise<HttpResult> result;
    std::thread client([&] {
        HttpClient http;
        result.set_value(http.post(Url(server, "/datasnap/TServerMethods1.Yavas"), "{}"));
    });
    received.get_future().wait();
    std::thread stopper([&] { server.stop(); });
    // stop() is now waiting for the answer; new connections are refused.
    for (int i = 0; i < 100; ++i) {
        RawConnection probe(server.port());
        if (!probe.connected())
            break;
        std::this_thread::sleep_for(10ms);
    }
    release.set_value();
    const HttpResult r = result.get_future().get();
    stopper.join();
    client.join();
    worker.join();
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "{\"geç\":true}");
    EXPECT_EQ(r.header("connection"), "close");
    EXPECT_FALSE(RawConnection(server.port()).connected());
}

TEST_F(HttpServerTest, StopGivesUpOnAnswersAfterTheGraceTime)
{
    HttpServerOptions o = LocalOptions();
    o.shutdownGrace = 200ms;
    ResponseCallback kept;
    std::mutex keptMutex;
    std::promise<void> received;
    {
        HttpServer server(o);
        server.setRpcHandler([&](Request, ResponseCallback done) {
            std::lock_guard<std::mutex> lock(keptMutex);
            kept = std::move(done);
            received.set_value();
        });
        server.start();
        RawConnection c(server.port());
        ASSERT_TRUE(c.send("POST /datasnap/TServerMethods1.Hic HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n"));
        received.get_future().wait();
        server.stop();
        EXPECT_TRUE(c.waitClosed(10s));
    }
    // The server is gone; a late answer must be harmless.
    std::lock_guard<std::mutex> lock(keptMutex);
    kept(Response::Json(200, "{}"));
    kept = nullptr;
}

TEST_F(HttpServerTest, BindFailureNamesTheAddress)
{
    HttpServer first(LocalOptions());
    first.start();
    HttpServerOptions o = LocalOptions();
    o.port = first.port();
    HttpServer second(o);
    try {
        second.start();
        FAIL() << "second bind succeeded";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find(std::to_string(first.port())), std::string::npos) << e.what();
    }
}

TEST(JsonEscape, EscapesQuotesBackslashesAndControls)
{
    EXPECT_EQ(JsonEscape("a\"b\\c\nd\te\x01"), "a\\\"b\\\\c\\nd\\te\\u0001");
    EXPECT_EQ(JsonEscape("çğıöşü"), "çğıöşü");
    EXPECT_EQ(Response::Error(404, "yok \"x\"").body, "{\"error\":\"yok \\\"x\\\"\"}");
}

} // namespace
