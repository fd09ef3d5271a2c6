// The real tarsel-server executable over HTTP: routes, keep-alive, limits,
// Expect: 100-continue, malformed input, the request log, shutdown, and the
// migrate command.

#include "tests/server/qtcoreapp.h"
#include "tests/server/serverprocess.h"
#include "tests/server/testhttp.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <csignal>

using namespace tarsel::test;
using namespace std::chrono_literals;

namespace {

// The log line of a request is written after its answer: wait for it.
std::string WaitForLog(ServerProcess &srv, const std::string &text)
{
    std::string log;
    for (int i = 0; i < 500; ++i) {
        log = srv.log();
        if (log.find(text) != std::string::npos)
            break;
        std::this_thread::sleep_for(10ms);
    }
    return log;
}

// One server for the tests that do not need special options.
class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new ServerProcess(ServerProcess::Database::FromEnvironment);
        server_->start();
    }
    static void TearDownTestSuite()
    {
        const int code = server_->stop();
        EXPECT_EQ(code, 0) << server_->log();
        delete server_;
        server_ = nullptr;
    }
    static ServerProcess &srv() { return *server_; }

    static inline ServerProcess *server_ = nullptr;
};

TEST_F(ServerTest, HealthReportsServerAndDatabase)
{
    HttpClient http;
    const HttpResult r = http.get(srv().url("/health"));
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(JsonMember(r.body, "status"), "ok") << r.body;
    EXPECT_EQ(JsonMember(r.body, "db"), "ok") << r.body;
    EXPECT_EQ(r.header("server"), "tarsel-server");
    EXPECT_NE(r.header("content-type").find("application/json"), std::string::npos);
    EXPECT_EQ(r.header("content-length"), std::to_string(r.body.size()));
}

TEST_F(ServerTest, HandshakeNamesServerAndProtocol)
{
    HttpClient http;
    const HttpResult r = http.get(srv().url("/datasnap/handshake"));
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(JsonMember(r.body, "server"), "tarsel-server") << r.body;
    EXPECT_EQ(JsonMember(r.body, "protocol"), "1") << r.body;
}

struct RouteCase {
    const char *verb;
    const char *path;
    long status;
    const char *allow;  // expected Allow header for 405, else nullptr
};

TEST_F(ServerTest, RoutesAnswerWithStatusAndJsonError)
{
    const RouteCase cases[] = {
        {"GET", "/", 404, nullptr},
        {"GET", "/nope", 404, nullptr},
        {"GET", "/health/", 404, nullptr},
        {"GET", "/datasnap/", 404, nullptr},
        {"POST", "/datasnap/TServerMethods1.", 404, nullptr},
        {"POST", "/datasnap/TServerMethods1.Sepet-Ver", 404, nullptr},
        {"POST", "/datasnap/TServerMethods2.SepetVer2", 404, nullptr},
        {"GET", "/datasnap/push", 426, nullptr},  // the push channel takes WebSocket upgrades only
        {"POST", "/health", 405, "GET"},
        {"POST", "/datasnap/handshake", 405, "GET"},
        {"GET", "/datasnap/TServerMethods1.SepetVer2", 405, "POST"},
        {"DELETE", "/datasnap/TServerMethods1.SepetVer2", 405, "POST"},
        {"POST", "/datasnap/TServerMethods1.SepetVer2", 400, nullptr},  // no body: not JSON
    };
    HttpClient http;
    for (const RouteCase &c : cases) {
        SCOPED_TRACE(std::string(c.verb) + " " + c.path);
        const HttpResult r = http.request(c.verb, srv().url(c.path), c.verb == std::string("POST") ? "{}" : "");
        ASSERT_EQ(r.curlCode, 0) << r.curlError;
        EXPECT_EQ(r.status, c.status);
        const auto error = JsonMember(r.body, "error");
        ASSERT_TRUE(error.has_value()) << r.body;
        EXPECT_FALSE(error->empty());
        EXPECT_EQ(r.header("allow"), c.allow ? c.allow : "");
        EXPECT_EQ(r.header("server"), "tarsel-server");
    }
}

TEST_F(ServerTest, RequestWithoutParamsNamesTheMethod)
{
    HttpClient http;
    const HttpResult r = http.post(srv().url("/datasnap/TServerMethods1.SepetEkle2"), "{\"_parameters\":[]}",
                                   {"Content-Type: application/json"});
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 400);
    EXPECT_EQ(JsonMember(r.body, "error"),
              "Geçersiz istek (SepetEkle2): the request must be an object with a \"params\" array");
}

TEST_F(ServerTest, KeepAliveServesSeveralRequestsOnOneConnection)
{
    HttpClient http;
    const HttpResult first = http.get(srv().url("/health"));
    const HttpResult second = http.post(srv().url("/datasnap/TServerMethods1.X"), "{}");
    const HttpResult third = http.get(srv().url("/nope"));
    ASSERT_EQ(first.curlCode, 0) << first.curlError;
    ASSERT_EQ(second.curlCode, 0) << second.curlError;
    ASSERT_EQ(third.curlCode, 0) << third.curlError;
    EXPECT_EQ(first.newConnections, 1);
    EXPECT_EQ(second.newConnections, 0) << "second request needed a new connection";
    EXPECT_EQ(third.newConnections, 0) << "a 404 closed the connection";
}

TEST_F(ServerTest, PipelinedRequestsAreAnsweredInOrder)
{
    RawConnection c(srv().port());
    ASSERT_TRUE(c.connected());
    ASSERT_TRUE(c.send("GET /health HTTP/1.1\r\nHost: x\r\n\r\n"
                       "POST /datasnap/TServerMethods1.Bir HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\n\r\n{}"
                       "GET /datasnap/handshake HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto a = c.readResponse();
    const auto b = c.readResponse();
    const auto h = c.readResponse();
    ASSERT_TRUE(a && b && h);
    EXPECT_EQ(a->status, 200);
    EXPECT_EQ(b->status, 404);
    EXPECT_EQ(JsonMember(b->body, "error"), "Bilinmeyen metot: TServerMethods1.Bir");
    EXPECT_EQ(h->status, 200);
    EXPECT_EQ(JsonMember(h->body, "server"), "tarsel-server");
}

TEST_F(ServerTest, ConnectionCloseIsHonoured)
{
    RawConnection c(srv().port());
    ASSERT_TRUE(c.send("GET /health HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    const auto r = c.readResponse();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->headers.at("connection"), "close");
    EXPECT_TRUE(c.waitClosed(10s));
}

TEST_F(ServerTest, ExpectContinueUploadIsAnsweredWithoutStall)
{
    // curl waits up to the whole transfer time-out for "100 Continue": a
    // server that does not send it makes this request time out.
    HttpClient http;
    http.setTimeout(15s);
    http.setExpectContinueTimeout(60s);
    const std::string body(1536 * 1024, 'x');
    const HttpResult r = http.post(srv().url("/datasnap/TServerMethods1.BuyukYukle"), body,
                                   {"Expect: 100-continue", "Content-Type: application/octet-stream"});
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(JsonMember(r.body, "error"), "Bilinmeyen metot: TServerMethods1.BuyukYukle");
    ASSERT_FALSE(r.statusLines.empty());
    EXPECT_NE(r.statusLines.front().find("100"), std::string::npos) << r.statusLines.front();
}

TEST_F(ServerTest, MalformedRequestsAreRefusedAndServerGoesOn)
{
    const std::string bigHeader = "GET /health HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'a') + "\r\n\r\n";
    const std::string inputs[] = {
        "GARBAGE\r\n\r\n",
        "GET /health HTTP/1.1\r\nBadHeaderWithoutColon\r\n\r\n",
        "POST /datasnap/TServerMethods1.X HTTP/1.1\r\nHost: x\r\nContent-Length: abc\r\n\r\n",
        "POST /datasnap/TServerMethods1.X HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n{}",
        "GET /health HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
        std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11),  // a TLS hello
        bigHeader,
    };
    for (const std::string &input : inputs) {
        SCOPED_TRACE(input.substr(0, 60));
        RawConnection c(srv().port());
        ASSERT_TRUE(c.connected());
        c.send(input);
        const auto r = c.readResponse(10s);
        if (r) {
            EXPECT_TRUE(r->status == 400 || r->status == 431) << r->status;
            EXPECT_TRUE(JsonMember(r->body, "error").has_value()) << r->body;
        }
        EXPECT_TRUE(c.waitClosed(10s)) << "connection left open after a malformed request";
    }
    HttpClient http;
    const HttpResult after = http.get(srv().url("/health"));
    ASSERT_EQ(after.curlCode, 0) << after.curlError;
    EXPECT_EQ(after.status, 200);
}

TEST_F(ServerTest, EveryRequestGetsOneLogLine)
{
    HttpClient http;
    http.post(srv().url("/datasnap/TServerMethods1.LogDenemesi"), "{}");
    http.get(srv().url("/nereye/gitti"));
    const std::string log = WaitForLog(srv(), "/nereye/gitti");
    EXPECT_NE(log.find(" 127.0.0.1:"), std::string::npos) << log;
    EXPECT_NE(log.find(" POST LogDenemesi 404 "), std::string::npos) << log;
    EXPECT_NE(log.find("Bilinmeyen metot: TServerMethods1.LogDenemesi"), std::string::npos) << log;
    EXPECT_NE(log.find(" GET /nereye/gitti 404 "), std::string::npos) << log;
}

// ---------------------------------------------------------------------------
// Servers with their own options.

TEST(ServerLimits, BodyOverLimitIsRefusedWith413)
{
    ServerProcess srv(ServerProcess::Database::FromEnvironment);
    srv.start({"--body-limit", "1K"});

    HttpClient http;
    const std::string body(4096, 'x');
    struct Case {
        const char *name;
        std::vector<std::string> headers;
    } cases[] = {
        {"plain", {}},
        {"expect", {"Expect: 100-continue"}},
        {"chunked", {"Transfer-Encoding: chunked"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        http.setExpectContinueTimeout(60s);
        const HttpResult r = http.post(srv.url("/datasnap/TServerMethods1.Buyuk"), body, c.headers);
        ASSERT_EQ(r.curlCode, 0) << r.curlError;
        EXPECT_EQ(r.status, 413);
        EXPECT_TRUE(JsonMember(r.body, "error").has_value()) << r.body;
        for (const auto &line : r.statusLines)
            EXPECT_EQ(line.find(" 100 "), std::string::npos) << "100 Continue sent for a body over the limit";
    }
    EXPECT_NE(WaitForLog(srv, " POST Buyuk 413 ").find(" POST Buyuk 413 "), std::string::npos) << srv.log();
    // A body within the limit still goes through.
    const HttpResult ok = http.post(srv.url("/datasnap/TServerMethods1.Kucuk"), std::string(1024, 'y'));
    EXPECT_EQ(ok.status, 404);  // read whole and answered: an unknown method
    EXPECT_EQ(srv.stop(), 0) << srv.log();
}

TEST(ServerLimits, IdleConnectionsAreClosedAfterReadTimeout)
{
    ServerProcess srv(ServerProcess::Database::FromEnvironment);
    srv.start({"--read-timeout", "1"});

    RawConnection idle(srv.port());
    RawConnection afterRequest(srv.port());
    RawConnection halfHeader(srv.port());
    ASSERT_TRUE(afterRequest.send("GET /health HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto r = afterRequest.readResponse();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    ASSERT_TRUE(halfHeader.send("GET /health HTTP/1.1\r\nHo"));

    EXPECT_TRUE(idle.waitClosed(15s));
    EXPECT_TRUE(afterRequest.waitClosed(15s));
    EXPECT_TRUE(halfHeader.waitClosed(15s));
    EXPECT_EQ(srv.stop(), 0) << srv.log();
}

TEST(ServerLifecycle, SigtermAndSigintEndWithExitCodeZero)
{
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        ServerProcess srv(ServerProcess::Database::FromEnvironment);
        srv.start();
        // A connection held open must not keep the server from ending.
        RawConnection idle(srv.port());
        ASSERT_TRUE(idle.connected());
        HttpClient http;
        ASSERT_EQ(http.get(srv.url("/health")).status, 200);
        srv.signal(sig);
        EXPECT_EQ(srv.waitForExit(20s), 0) << srv.log();
        EXPECT_TRUE(idle.waitClosed(5s));
        EXPECT_NE(srv.log().find("Sunucu durdu"), std::string::npos) << srv.log();
    }
}

TEST(ServerLifecycle, PortInUseFailsWithMessage)
{
    ServerProcess first(ServerProcess::Database::FromEnvironment);
    first.start();
    const auto r = ServerProcess::run({"serve", "--listen", "127.0.0.1", "--port", QString::number(first.port()),
                                       "--config", "/dev/null", "--db",
                                       "sqlite:" + first.dataDir() + "/other.db"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find(std::to_string(first.port())), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("listening"), std::string::npos);
}

TEST(ServerCommandLine, BadOptionsExitWithCode2AndAMessage)
{
    const QStringList cases[] = {
        {"--port", "abc"},
        {"--port", "70000"},
        {"--threads", "0"},
        {"--body-limit", "5X"},
        {"--bogus", "1"},
        {"--db", "mysql://localhost/x"},
        {"--listen", "not-an-address"},
        {"--config", "/nonexistent/tarsel.conf"},
        {"serve", "migrate"},
        {"frobnicate"},
        {"--port"},
    };
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto r = ServerProcess::run(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("tarsel-server: "), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("listening"), std::string::npos);
    }
}

TEST(ServerCommandLine, UnusableDatabaseExitsWithCode1)
{
    const auto r = ServerProcess::run({"serve", "--config", "/dev/null", "--port", "0", "--listen", "127.0.0.1",
                                       "--db", "sqlite:/proc/tarsel-yok/tarsel.db"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("/proc/tarsel-yok"), std::string::npos) << r.err;
}

TEST(ServerMigrate, RunningTwiceAppliesEachMigrationOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString dbPath = dir.filePath("m.db");
    const QStringList args{"migrate", "--config", "/dev/null", "--data-dir", dir.path(), "--db", "sqlite:" + dbPath};

    const auto first = ServerProcess::run(args);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const auto second = ServerProcess::run(args);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_NE(second.out.find("(0 "), std::string::npos) << second.out;

    int rows = 0, distinct = 0, maxVersion = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "migrate-check");
        db.setDatabaseName(dbPath);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("SELECT COUNT(*), COUNT(DISTINCT version), MAX(version) FROM schema_version"));
        ASSERT_TRUE(q.next());
        rows = q.value(0).toInt();
        distinct = q.value(1).toInt();
        maxVersion = q.value(2).toInt();
        ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name IN "
                           "('machines','salespeople','customers','users')"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 4);
    }
    QSqlDatabase::removeDatabase("migrate-check");
    EXPECT_GE(rows, 1);
    EXPECT_EQ(rows, distinct);
    EXPECT_EQ(rows, maxVersion);
}

TEST(ServerConfigFile, SettingsComeFromTheFileAndCommandLineWins)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString conf = dir.filePath("tarsel-server.conf");
    {
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[server]\nlisten=127.0.0.1\nport=1\nbody_limit=1K\n"
                "[database]\nconnection=sqlite:dosyadan.db\nthreads=2\n"
                "[paths]\ndata_dir=veri\n");
    }
    ServerProcess srv;
    // ServerProcess passes its own --config/--db first; these come after.
    srv.start({"--config", conf, "--db", "sqlite:dosyadan.db", "--port", "0"});
    HttpClient http;
    const HttpResult big = http.post(srv.url("/datasnap/TServerMethods1.X"), std::string(2048, 'x'));
    EXPECT_EQ(big.status, 413) << "body_limit from the file not applied";
    EXPECT_EQ(srv.stop(), 0) << srv.log();
    // --data-dir from ServerProcess wins over data_dir; the relative SQLite
    // path is taken from the data folder.
    EXPECT_TRUE(QFile::exists(srv.dataDir() + "/dosyadan.db"));
}

} // namespace
