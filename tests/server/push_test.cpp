// The push channel of tarsel-server: registration, notifications through
// `tarsel-server notify` and the loopback-only admin call, dropping clients
// that have gone or do not answer, malformed messages, shutdown.

#include "tests/server/push_testclient.h"  // Boost before Qt

#include "server/config.h"
#include "server/push.h"
#include "tests/server/push_notify.h"
#include "tests/server/qtcoreapp.h"
#include "tests/server/serverprocess.h"
#include "tests/server/testhttp.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <future>

using namespace tarsel::test;
using tarsel::server::AdminRequestAllowed;
using tarsel::server::IsLoopbackPeer;
using tarsel::server::Request;
using namespace std::chrono_literals;

namespace {

// Reads one notification on c and answers it with result; returns its "arg".
std::optional<QJsonValue> AnswerNotification(PushTestClient &c, const QJsonValue &result = QJsonValue(true))
{
    const auto msg = c.readJson();
    if (!msg || msg->value("type").toString() != "notify")
        return std::nullopt;
    EXPECT_EQ(msg->value("channel").toString(), "KelvasOto");
    if (!c.reply(msg->value("id").toInteger(), result))
        return std::nullopt;
    return msg->value("arg");
}

class PushServer : public ::testing::Test {
protected:
    void SetUp() override { srv.start({"--push-timeout", "2"}); }
    ServerProcess srv{ServerProcess::Database::FromEnvironment};
};

} // namespace

// ---------------------------------------------------------------------------
// The admin call's guard, without a server.

TEST(PushAdmin, OnlyLoopbackPeersAreAdmitted)
{
    const struct {
        const char *peer;
        bool loopback;
    } cases[] = {
        {"127.0.0.1:5000", true},   {"127.1.2.3:80", true},        {"[::1]:5000", true},
        {"::1", true},              {"[::ffff:127.0.0.1]:1", true}, {"10.0.0.5:5000", false},
        {"192.168.1.20:443", false}, {"[2001:db8::1]:5000", false}, {"[::ffff:10.0.0.5]:1", false},
        {"0.0.0.0:1", false},       {"", false},                   {"?", false},
        {"localhost:80", false},    {"127.0.0.1.evil:80", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.peer);
        EXPECT_EQ(IsLoopbackPeer(c.peer), c.loopback);
        Request r;
        r.peer = c.peer;
        EXPECT_EQ(AdminRequestAllowed(r), c.loopback);
    }
}

TEST(PushAdmin, RequestsThroughAProxyAreRefusedEvenFromLoopback)
{
    for (const char *header : {"X-Forwarded-For", "x-forwarded-for", "Forwarded", "X-Real-IP"}) {
        SCOPED_TRACE(header);
        Request r;
        r.peer = "127.0.0.1:40000";
        r.headers = {{"Host", "x"}, {header, "203.0.113.7"}};
        EXPECT_FALSE(AdminRequestAllowed(r));
    }
}

// ---------------------------------------------------------------------------
// Settings of the channel and of the notify command.

TEST(PushConfig, NotifyCommandAndReplyTimeoutFromFileAndCommandLine)
{
    namespace s = tarsel::server;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString conf = dir.filePath("t.conf");
    {
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[server]\nport=9345\n[push]\nreply_timeout=7\n");
    }
    const s::ConfigResult fromFile = s::ParseServerConfig({"tarsel-server", "notify", "--config", conf});
    ASSERT_EQ(fromFile.status, s::ConfigResult::Status::Ok) << fromFile.message.toStdString();
    EXPECT_TRUE(fromFile.warnings.isEmpty());
    EXPECT_EQ(fromFile.config.command, s::ServerCommand::Notify);
    EXPECT_EQ(fromFile.config.port, 9345);
    EXPECT_EQ(fromFile.config.pushReplyTimeoutSec, 7);
    EXPECT_EQ(fromFile.config.notifyMessage, "yenile");
    EXPECT_EQ(s::PushOptions::FromConfig(fromFile.config).replyTimeout, std::chrono::seconds(7));

    const s::ConfigResult cli = s::ParseServerConfig(
        {"tarsel-server", "notify", "--config", conf, "--message", "Kampanya başladı", "--push-timeout", "3",
         "--port", "9400"});
    ASSERT_EQ(cli.status, s::ConfigResult::Status::Ok) << cli.message.toStdString();
    EXPECT_EQ(cli.config.notifyMessage, "Kampanya başladı");
    EXPECT_EQ(cli.config.pushReplyTimeoutSec, 3);
    EXPECT_EQ(cli.config.port, 9400);

    const s::ConfigResult web = s::ParseServerConfig({"tarsel-server", "--config", conf, "--web-port", "0",
                                                      "--body-limit", "1K", "--read-timeout", "4"});
    ASSERT_EQ(web.status, s::ConfigResult::Status::Ok);
    const s::HttpServerOptions main = web.config.httpOptions(), site = web.config.webHttpOptions();
    EXPECT_EQ(site.port, 0);
    EXPECT_EQ(main.port, 9345);
    EXPECT_EQ(site.bodyLimit, main.bodyLimit);
    EXPECT_EQ(site.readTimeout, main.readTimeout);
    EXPECT_EQ(site.address, main.address);

    for (const char *bad : {"0", "-1", "abc", "3601"}) {
        const s::ConfigResult r = s::ParseServerConfig({"tarsel-server", "--config", conf, "--push-timeout", bad});
        EXPECT_EQ(r.status, s::ConfigResult::Status::Error) << bad;
    }
}

// ---------------------------------------------------------------------------
// A running server.

TEST_F(PushServer, TwoClientsReceiveTheNotificationAndBothReplyTrue)
{
    PushTestClient a(srv.port()), b(srv.port());
    ASSERT_TRUE(a.open()) << a.error().message();
    ASSERT_TRUE(b.open()) << b.error().message();
    const auto ackA = a.registerAs("istemci-a", "GeriBildirimA");
    const auto ackB = b.registerAs("istemci-b");
    ASSERT_TRUE(ackA && ackB);
    EXPECT_EQ(ackA->value("type").toString(), "registered");
    EXPECT_EQ(ackA->value("channel").toString(), "KelvasOto");
    EXPECT_EQ(ackA->value("clientId").toString(), "istemci-a");
    EXPECT_EQ(ackA->value("callback").toString(), "GeriBildirimA");
    EXPECT_EQ(ackA->value("replyTimeoutMs").toInt(), 2000);
    EXPECT_EQ(AdminClientCount(srv), 2);

    auto notify = NotifyAsync(srv, "Fiyatlar güncellendi <&>");
    const auto argA = AnswerNotification(a);
    const auto argB = AnswerNotification(b);
    const NotifyOutcome o = notify.get();
    ASSERT_TRUE(argA && argB);
    EXPECT_EQ(argA->toString(), "Fiyatlar güncellendi <&>");
    EXPECT_EQ(argB->toString(), "Fiyatlar güncellendi <&>");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.clients, 2) << o.out;
    EXPECT_EQ(o.delivered, 2) << o.out;
    EXPECT_EQ(o.replied, 2) << o.out;
    EXPECT_EQ(o.dropped, 0) << o.out;

    // A reply other than true counts as answered but not as true; the
    // client stays.
    notify = NotifyAsync(srv, "ikinci");
    ASSERT_TRUE(AnswerNotification(a, QJsonValue(false)));
    ASSERT_TRUE(AnswerNotification(b));
    const NotifyOutcome second = notify.get();
    EXPECT_EQ(second.replied, 1) << second.out;
    EXPECT_EQ(second.dropped, 0) << second.out;
    EXPECT_EQ(AdminClientCount(srv), 2);
}

TEST_F(PushServer, AdminNotifyCarriesAnyJsonValue)
{
    PushTestClient c(srv.port());
    ASSERT_TRUE(c.registerAs("json-istemci"));
    const QJsonValue values[] = {QJsonValue(), QJsonValue(12.5), QJsonValue(true),
                                 QJsonObject{{"olay", "yenile"}, {"sekmeler", QJsonArray{"Sepet", "Duyurular"}}}};
    for (const QJsonValue &v : values) {
        const std::string body =
            QJsonDocument(QJsonObject{{"value", v}}).toJson(QJsonDocument::Compact).toStdString();
        SCOPED_TRACE(body);
        auto answer = std::async(std::launch::async, [&] {
            HttpClient http;
            return http.post(srv.url("/admin/notify"), body, {"Content-Type: application/json"});
        });
        const auto arg = AnswerNotification(c);
        const HttpResult r = answer.get();
        ASSERT_TRUE(arg);
        EXPECT_EQ(*arg, v);
        EXPECT_EQ(r.status, 200) << r.body;
        EXPECT_EQ(JsonMember(r.body, "clients"), "1") << r.body;
        EXPECT_EQ(JsonMember(r.body, "replied"), "1") << r.body;
    }
    HttpClient http;
    for (const char *bad : {"[1]", "nope", "\"metin\""}) {
        const HttpResult r = http.post(srv.url("/admin/notify"), bad);
        EXPECT_EQ(r.status, 400) << bad;
        EXPECT_TRUE(JsonMember(r.body, "error").has_value()) << r.body;
    }
    EXPECT_EQ(http.get(srv.url("/admin/notify")).status, 405);
    EXPECT_EQ(http.post(srv.url("/admin/push"), "{}").status, 405);
    EXPECT_EQ(http.get(srv.url("/admin/yok")).status, 404);
}

TEST_F(PushServer, ClientsThatLeaveAreDroppedAndTheCountGoesDown)
{
    // One client says goodbye with a close frame, one just vanishes.
    PushTestClient stays(srv.port()), closes(srv.port()), vanishes(srv.port());
    ASSERT_TRUE(stays.registerAs("kalan"));
    ASSERT_TRUE(closes.registerAs("kapatan"));
    ASSERT_TRUE(vanishes.registerAs("kaybolan"));
    ASSERT_TRUE(WaitForClientCount(srv, 3));

    closes.close();
    ASSERT_TRUE(WaitForClientCount(srv, 2)) << srv.log();
    vanishes.drop();
    ASSERT_TRUE(WaitForClientCount(srv, 1)) << srv.log();

    auto notify = NotifyAsync(srv, "yenile");
    ASSERT_TRUE(AnswerNotification(stays));
    const NotifyOutcome o = notify.get();
    EXPECT_EQ(o.clients, 1) << o.out;
    EXPECT_EQ(o.delivered, 1) << o.out;
    EXPECT_EQ(o.replied, 1) << o.out;
    EXPECT_NE(srv.log().find("Bildirim istemcisi ayrıldı"), std::string::npos) << srv.log();
}

TEST_F(PushServer, AClientThatNeverRepliesIsDroppedAfterTheTimeOut)
{
    PushTestClient good(srv.port()), silent(srv.port());
    ASSERT_TRUE(good.registerAs("iyi"));
    ASSERT_TRUE(silent.registerAs("sessiz"));

    auto notify = NotifyAsync(srv, "yenile");
    ASSERT_TRUE(AnswerNotification(good));
    const auto seen = silent.readJson();  // received, never answered
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->value("type").toString(), "notify");
    const NotifyOutcome o = notify.get();
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.clients, 2) << o.out;
    EXPECT_EQ(o.delivered, 2) << o.out;
    EXPECT_EQ(o.replied, 1) << o.out;
    EXPECT_EQ(o.dropped, 1) << o.out;

    EXPECT_TRUE(silent.waitClosed()) << "the silent client's connection stays open";
    EXPECT_EQ(silent.closeCode(), 1008);  // policy violation
    EXPECT_EQ(AdminClientCount(srv), 1);
    auto again = NotifyAsync(srv, "yenile");
    ASSERT_TRUE(AnswerNotification(good));
    EXPECT_EQ(again.get().clients, 1);
}

TEST_F(PushServer, ANewConnectionWithTheSameClientIdReplacesTheOldOne)
{
    PushTestClient first(srv.port()), second(srv.port());
    ASSERT_TRUE(first.registerAs("ayni-istemci"));
    ASSERT_TRUE(second.registerAs("ayni-istemci"));
    EXPECT_TRUE(first.waitClosed());
    EXPECT_EQ(first.closeCode(), 1000);
    EXPECT_EQ(AdminClientCount(srv), 1);
    auto notify = NotifyAsync(srv, "yenile");
    ASSERT_TRUE(AnswerNotification(second));
    EXPECT_EQ(notify.get().replied, 1);
}

TEST_F(PushServer, PingsAreAnswered)
{
    PushTestClient c(srv.port());
    ASSERT_TRUE(c.registerAs("ping-istemci"));
    ASSERT_TRUE(c.ping());  // WebSocket control ping
    ASSERT_TRUE(c.sendJson(QJsonObject{{"type", "ping"}}));
    const auto pong = c.readJson();
    ASSERT_TRUE(pong);
    EXPECT_EQ(pong->value("type").toString(), "pong");
    EXPECT_GE(c.pongs(), 1);
    // Before registering too.
    PushTestClient fresh(srv.port());
    ASSERT_TRUE(fresh.sendJson(QJsonObject{{"type", "ping"}}));
    const auto freshPong = fresh.readJson();
    ASSERT_TRUE(freshPong);
    EXPECT_EQ(freshPong->value("type").toString(), "pong");
}

TEST_F(PushServer, MalformedMessagesGetAnErrorOrACloseAndTheServerGoesOn)
{
    struct Case {
        const char *name;
        std::string text;  // sent as a text frame unless binary
        bool binary;
        bool closes;       // the server closes the connection
        int closeCode;     // expected close code when it closes (0 = any)
    };
    const Case cases[] = {
        {"not JSON", "{kayıt", false, false, 0},
        {"JSON array", "[1,2,3]", false, false, 0},
        {"no type", "{\"channel\":\"KelvasOto\"}", false, false, 0},
        {"unknown type", "{\"type\":\"sil\"}", false, false, 0},
        {"reply before register", "{\"type\":\"reply\",\"id\":1,\"result\":true}", false, false, 0},
        {"empty text", "", false, false, 0},
        {"wrong channel",
         "{\"type\":\"register\",\"channel\":\"Baska\",\"managerId\":\"KelvasOtoId\",\"clientId\":\"x\","
         "\"callback\":\"c\"}",
         false, true, 1008},
        {"no client id", "{\"type\":\"register\",\"channel\":\"KelvasOto\",\"managerId\":\"KelvasOtoId\"}", false,
         true, 1008},
        {"binary frame", std::string("\x00\x01\x02", 3), true, true, 1003},
        {"message too big", "{\"type\":\"ping\",\"x\":\"" + std::string(70 * 1024, 'a') + "\"}", false, true, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PushTestClient client(srv.port());
        ASSERT_TRUE(client.open());
        const bool sent = c.binary ? client.sendBinary(c.text) : client.sendText(c.text);
        if (!c.closes) {
            ASSERT_TRUE(sent);  // a refused large message may cut its own sending short
        }
        if (c.closes) {
            // An error message may come first; then the connection ends.
            EXPECT_TRUE(client.waitClosed());
            if (c.closeCode) {
                EXPECT_EQ(client.closeCode(), c.closeCode);
            }
        } else {
            const auto answer = client.readJson();
            ASSERT_TRUE(answer);
            EXPECT_EQ(answer->value("type").toString(), "error");
            EXPECT_FALSE(answer->value("message").toString().isEmpty());
            // The connection is still usable.
            EXPECT_TRUE(client.registerAs(QString("sonra-%1").arg(c.name)));
        }
    }
    // A registered client answering a notification that does not exist.
    PushTestClient c(srv.port());
    ASSERT_TRUE(c.registerAs("yanlis-yanit"));
    ASSERT_TRUE(c.reply(987654));
    const auto err = c.readJson();
    ASSERT_TRUE(err);
    EXPECT_EQ(err->value("type").toString(), "error");

    HttpClient http;
    EXPECT_EQ(http.get(srv.url("/health")).status, 200);
    PushTestClient after(srv.port());
    const auto ack = after.registerAs("en-son");
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->value("type").toString(), "registered");
}

TEST_F(PushServer, PlainHttpOnThePushPathIsRefused)
{
    HttpClient http;
    const HttpResult r = http.get(srv.url("/datasnap/push"));
    EXPECT_EQ(r.status, 426);
    EXPECT_EQ(r.header("upgrade"), "websocket");
}

TEST_F(PushServer, AdminCallsThroughAProxyAreRefused)
{
    HttpClient http;
    const HttpResult r = http.post(srv.url("/admin/notify"), "{}", {"X-Forwarded-For: 203.0.113.9"});
    EXPECT_EQ(r.status, 403);
    EXPECT_EQ(JsonMember(r.body, "error"), "Yönetim çağrıları yalnızca sunucunun kendi bilgisayarından kabul edilir");
}

TEST_F(PushServer, NotifyWithoutClientsReportsZero)
{
    const NotifyOutcome o = RunNotify(srv, "kimse yok");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.clients, 0) << o.out;
    EXPECT_EQ(o.replied, 0) << o.out;
}

TEST(PushShutdown, StoppingTheServerClosesThePushConnections)
{
    ServerProcess srv(ServerProcess::Database::FromEnvironment);
    srv.start();
    PushTestClient registered(srv.port()), unregistered(srv.port());
    ASSERT_TRUE(registered.registerAs("kapanis"));
    ASSERT_TRUE(unregistered.open());
    auto stopped = std::async(std::launch::async, [&] { return srv.stop(); });
    // The registered client reads on and answers the server's close frame;
    // the other one does not, and its socket is closed all the same.
    EXPECT_TRUE(registered.waitClosed(20s));
    EXPECT_EQ(registered.closeCode(), 1001);  // going away
    EXPECT_EQ(stopped.get(), 0) << srv.log();
    EXPECT_TRUE(unregistered.waitClosed(5s));
    EXPECT_NE(srv.log().find("Bildirim kanalı kapanıyor: 2 bağlantı"), std::string::npos) << srv.log();
    EXPECT_EQ(srv.log().find("süresinde kapanmadı"), std::string::npos) << srv.log();
}

TEST(PushNotifyCommand, AnUnreachableServerIsAnErrorWithExitCode1)
{
    // A port nothing listens on: take a free one and let it go.
    quint16 port;
    {
        ServerProcess probe;
        probe.start();
        port = probe.port();
        ASSERT_EQ(probe.stop(), 0);
    }
    const auto r = ServerProcess::run({"notify", "--config", "/dev/null", "--port", QString::number(port)});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("Sunucuya bildirim gönderilemedi"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::to_string(port)), std::string::npos) << r.err;

    const auto zero = ServerProcess::run({"notify", "--config", "/dev/null", "--port", "0"});
    EXPECT_EQ(zero.exitCode, 2) << zero.err;
}
