// PushChannelClient against a real tarsel-server: registration, the reply
// true to a notification, the notified() signal on the owner's thread,
// reconnecting after a server restart, and stop().

#include "remote/pushchannel.h"
#include "tests/server/push_notify.h"
#include "tests/server/serverprocess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>

#include <thread>

using namespace tarsel;
using namespace tarsel::test;
using namespace std::chrono_literals;

namespace {

// Processes events until cond holds or timeoutMs passes.
template <class F>
bool WaitFor(F cond, int timeoutMs = 30000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Waits for the notify command while the event loop keeps running.
NotifyOutcome NotifyWhileProcessingEvents(const ServerProcess &srv, const QString &message)
{
    auto f = NotifyAsync(srv, message);
    WaitFor([&] { return f.wait_for(0s) == std::future_status::ready; }, 120000);
    return f.get();
}

class PushClient : public ::testing::Test {
protected:
    void SetUp() override { srv.start(); }
    ServerProcess srv{ServerProcess::Database::FromEnvironment};
};

} // namespace

TEST(PushClientUrl, PointsAtThePushPath)
{
    EXPECT_EQ(PushChannelClient::pushUrl("127.0.0.1", 9090).toString(), "ws://127.0.0.1:9090/datasnap/push");
    EXPECT_EQ(PushChannelClient::pushUrl(" sunucu.tarsel.example ", 9090).toString(),
              "ws://sunucu.tarsel.example:9090/datasnap/push");
    EXPECT_EQ(PushChannelClient::pushUrl("::1", 9090).toString(), "ws://[::1]:9090/datasnap/push");
    PushChannelClient c;
    EXPECT_EQ(c.channel(), "KelvasOto");
    EXPECT_EQ(c.managerId(), "KelvasOtoId");
    EXPECT_EQ(c.callbackId(), "KelvasOto");
    EXPECT_FALSE(c.clientId().isEmpty());
    EXPECT_NE(PushChannelClient().clientId(), c.clientId());
}

TEST_F(PushClient, ReceivesANotificationOnItsOwnThreadAndRepliesTrue)
{
    PushChannelClient client;
    client.setCallbackId("GeriBildirim");
    QSignalSpy registered(&client, &PushChannelClient::registered);
    std::vector<QJsonValue> args;
    std::vector<QThread *> threads;
    QObject::connect(&client, &PushChannelClient::notified, &client, [&](const QJsonValue &arg) {
        args.push_back(arg);
        threads.push_back(QThread::currentThread());
    });
    client.start("127.0.0.1", srv.port());
    ASSERT_TRUE(WaitFor([&] { return registered.count() == 1; })) << srv.log();
    EXPECT_TRUE(client.isRegistered());
    EXPECT_EQ(AdminClientCount(srv), 1);
    EXPECT_NE(srv.log().find(client.clientId().toStdString() + " (GeriBildirim)"), std::string::npos) << srv.log();

    const NotifyOutcome o = NotifyWhileProcessingEvents(srv, "merhaba dünya");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.clients, 1) << o.out;
    EXPECT_EQ(o.replied, 1) << o.out;
    ASSERT_TRUE(WaitFor([&] { return args.size() == 1; }));
    EXPECT_EQ(args[0], QJsonValue("merhaba dünya"));
    EXPECT_EQ(threads[0], QThread::currentThread());

    // Two notifications give two signals.
    NotifyWhileProcessingEvents(srv, "bir");
    NotifyWhileProcessingEvents(srv, "iki");
    ASSERT_TRUE(WaitFor([&] { return args.size() == 3; }));
    EXPECT_EQ(args[2], QJsonValue("iki"));
}

TEST_F(PushClient, RepliesEvenWhileTheOwnerThreadIsBusy)
{
    PushChannelClient client;
    QSignalSpy registered(&client, &PushChannelClient::registered);
    QSignalSpy notified(&client, &PushChannelClient::notified);
    client.start("127.0.0.1", srv.port());
    ASSERT_TRUE(WaitFor([&] { return registered.count() == 1; })) << srv.log();

    // This thread does not process events until the command has finished:
    // the answer comes from the channel's own thread.
    const NotifyOutcome o = RunNotify(srv, "meşgul");
    EXPECT_EQ(o.replied, 1) << o.out << o.err;
    EXPECT_EQ(notified.count(), 0);  // queued for this thread, not delivered yet
    ASSERT_TRUE(WaitFor([&] { return notified.count() == 1; }));
    EXPECT_EQ(notified.at(0).at(0).value<QJsonValue>(), QJsonValue("meşgul"));
}

TEST_F(PushClient, ReconnectsAfterAServerRestart)
{
    PushChannelClient client;
    client.setReconnectDelays(100, 1000);
    QSignalSpy registered(&client, &PushChannelClient::registered);
    QSignalSpy disconnected(&client, &PushChannelClient::disconnected);
    QSignalSpy notified(&client, &PushChannelClient::notified);
    client.start("127.0.0.1", srv.port());
    ASSERT_TRUE(WaitFor([&] { return registered.count() == 1; })) << srv.log();

    const quint16 port = srv.port();
    ASSERT_EQ(srv.stop(), 0) << srv.log();
    ASSERT_TRUE(WaitFor([&] { return disconnected.count() >= 1; }));
    EXPECT_FALSE(client.isRegistered());
    // Attempts against the stopped server fail and are retried.
    ASSERT_TRUE(WaitFor([&] { return disconnected.count() >= 2; }));

    srv.start({"--port", QString::number(port)});
    ASSERT_TRUE(WaitFor([&] { return registered.count() == 2; })) << srv.log();
    EXPECT_TRUE(client.isRegistered());

    const NotifyOutcome o = NotifyWhileProcessingEvents(srv, "yeniden");
    EXPECT_EQ(o.clients, 1) << o.out << o.err;
    EXPECT_EQ(o.replied, 1) << o.out;
    ASSERT_TRUE(WaitFor([&] { return notified.count() == 1; }));
}

TEST_F(PushClient, StopLeavesTheChannelAndNothingFollows)
{
    PushChannelClient client;
    QSignalSpy registered(&client, &PushChannelClient::registered);
    QSignalSpy notified(&client, &PushChannelClient::notified);
    client.start("127.0.0.1", srv.port());
    ASSERT_TRUE(WaitFor([&] { return registered.count() == 1; })) << srv.log();
    client.stop();
    EXPECT_FALSE(client.isRunning());
    EXPECT_EQ(client.state(), PushChannelClient::State::Stopped);
    EXPECT_TRUE(WaitForClientCount(srv, 0)) << srv.log();

    const NotifyOutcome o = NotifyWhileProcessingEvents(srv, "kimse");
    EXPECT_EQ(o.clients, 0) << o.out;
    QCoreApplication::processEvents();
    EXPECT_EQ(notified.count(), 0);

    // It can be started again, and two clients are counted separately.
    PushChannelClient other;
    QSignalSpy otherRegistered(&other, &PushChannelClient::registered);
    client.start("127.0.0.1", srv.port());
    other.start("127.0.0.1", srv.port());
    ASSERT_TRUE(WaitFor([&] { return registered.count() == 2 && otherRegistered.count() == 1; }));
    const NotifyOutcome both = NotifyWhileProcessingEvents(srv, "ikisi");
    EXPECT_EQ(both.clients, 2) << both.out;
    EXPECT_EQ(both.replied, 2) << both.out;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
