// One call from the client proxy to a real tarsel-server process, the
// connection retries, and the background patterns around calls.

#include "remote/proxim.h"
#include "remote/remotecall.h"
#include "tests/server/serverprocess.h"
#include "util/messagebox.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tarsel;
using tarsel::test::ServerProcess;

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();  // closed again when probe goes
}

std::unique_ptr<DSConnection> connectionTo(quint16 port)
{
    auto c = std::make_unique<DSConnection>();
    c->HostName = "127.0.0.1";
    c->Port = QString::number(port);
    c->ConnectTimeoutMs = 500;
    return c;
}

// Closes every message box that appears and remembers its text, so that a
// test sees the messages instead of blocking on them.
class MessageWatcher : public QObject {
public:
    MessageWatcher()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts.push_back(box->text());
                titles.push_back(box->windowTitle());
                // Close through the OK button, as a user would.
                QPushButton *ok = nullptr;
                for (auto *b : box->findChildren<QPushButton *>())
                    if (b->text() == "Tamam") ok = b;
                if (ok) ok->click();
                else box->reject();
            }
        });
        timer_.start(20);
    }
    QStringList texts;
    QStringList titles;

private:
    QTimer timer_;
};

class DemoServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new ServerProcess(ServerProcess::Database::FromEnvironment);
        server->start({"--demo", "--machine", "TEST-PC-1"});
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(server->stop(), 0);
        delete server;
        server = nullptr;
    }
    static ServerProcess *server;
};
ServerProcess *DemoServer::server = nullptr;

}  // namespace

TEST_F(DemoServer, BuyukGetirReturnsTheUserRegisteredForTheMachine)
{
    auto conn = connectionTo(server->port());
    ASSERT_TRUE(OpenConnectionWithRetry(*conn, false));
    TServerMethods1Client proxy(*conn);
    TSonucBilgisi *rec = proxy.BuyukGetir("TEST-PC-1");
    ASSERT_NE(rec, nullptr);
    EXPECT_TRUE(rec->Varmi());
    EXPECT_EQ(rec->ADI(), "BAYI");
    EXPECT_EQ(rec->SIFRE(), "1234");
    EXPECT_EQ(rec->MusteriTipi(), 3);
    EXPECT_EQ(rec->AKTIF(), 1);
    EXPECT_EQ(rec->Version(), 8);
    EXPECT_EQ(rec->CARINO(), 1201);
    EXPECT_EQ(rec->CariAdi(), "ÖZKAN OTO YEDEK PARÇA LTD. ŞTİ.");
    EXPECT_EQ(rec->SaticiAdi(), "Ayşe Çelik");
    EXPECT_GT(rec->Sirano(), 0);

    // A second call through the same proxy reuses the command; the first
    // object is released then and the new one answers.
    TSonucBilgisi *unknown = proxy.BuyukGetir("BILINMEYEN-MAKINE");
    ASSERT_NE(unknown, nullptr);
    EXPECT_FALSE(unknown->Varmi());
    EXPECT_EQ(unknown->Version(), 8);  // an unknown machine is not forced to update
    EXPECT_TRUE(unknown->ADI().isEmpty());
}

TEST_F(DemoServer, EveryDemoUserTypeIsRegistered)
{
    const struct {
        const char *machine, *name;
        int type;
    } cases[] = {{"DEMO-BAYI", "BAYI", 3}, {"DEMO-BAYI4", "BAYI4", 4}, {"DEMO-SATIS", "SATIS", 1},
                 {"DEMO-TEMSILCI", "TEMSILCI", 2}};
    DSConnection desc;
    desc.Port = QString::number(server->port());
    for (const auto &c : cases) {
        TSonucBilgisi got;
        const bool failed = GuardedCall(desc, [&](TServerMethods1Client &p) {
            if (auto *r = p.BuyukGetir(c.machine)) got.Kopyala(*r);
        });
        ASSERT_FALSE(failed) << c.machine;
        EXPECT_EQ(got.ADI(), c.name);
        EXPECT_EQ(got.MusteriTipi(), c.type);
    }
}

TEST_F(DemoServer, ServerErrorsArriveWithTheirOwnText)
{
    auto conn = connectionTo(server->port());
    ASSERT_TRUE(OpenConnectionWithRetry(*conn, false));
    TServerMethods1Client proxy(*conn);
    try {
        proxy.AcilisREklamVer(99);  // there is no advert 99
        FAIL() << "a lookup of a missing advert answered";
    } catch (const RemoteError &e) {
        EXPECT_EQ(e.status, 500);
        EXPECT_EQ(std::string(e.what()).rfind("Açılış reklamı bulunamadı (sıra 99", 0), 0u) << e.what();
    }
    // The connection stays usable after an error answer.
    EXPECT_TRUE(proxy.BuyukGetir("TEST-PC-1")->Varmi());
}

TEST_F(DemoServer, GuardedCallReportsFailureUnguardedCallRaises)
{
    DSConnection desc;
    desc.Port = QString::number(server->port());
    QString text;
    EXPECT_TRUE(GuardedCall(desc, [](TServerMethods1Client &p) { p.AcilisREklamVer(99); }, false, true, &text));
    EXPECT_TRUE(text.startsWith("Açılış reklamı bulunamadı")) << text.toStdString();
    EXPECT_THROW(UnguardedCall(desc, [](TServerMethods1Client &p) { p.AcilisREklamVer(99); }), RemoteError);
    EXPECT_FALSE(GuardedCall(desc, [](TServerMethods1Client &p) { p.BuyukGetir("X"); }));
}

TEST(OpenRetry, ServerDownMakesElevenAttemptsHalfASecondApart)
{
    auto conn = connectionTo(freePort());
    OpenTrace trace;
    MessageWatcher watcher;
    // With reportFailure the message is shown once, after the last attempt.
    std::atomic<bool> result{true};
    QElapsedTimer clock;
    clock.start();
    result = OpenConnectionWithRetry(*conn, true, &trace);
    const qint64 total = clock.elapsed();
    EXPECT_FALSE(result);
    ASSERT_EQ(trace.attemptStartMs.size(), 11u);
    for (std::size_t i = 1; i < trace.attemptStartMs.size(); ++i) {
        const qint64 gap = trace.attemptStartMs[i] - trace.attemptStartMs[i - 1];
        EXPECT_GE(gap, 500) << "attempt " << i;
        EXPECT_LT(gap, 1500) << "attempt " << i;
    }
    EXPECT_GE(total, 11 * 500);  // the pause follows the last attempt too
    QTest::qWait(100);
    ASSERT_EQ(watcher.texts.size(), 1);
    EXPECT_EQ(watcher.texts[0], "Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");
    EXPECT_EQ(watcher.titles[0], "Hata");
}

TEST(OpenRetry, ServerComingUpDuringTheRetriesIsUsedWithoutAMessage)
{
    const quint16 port = freePort();
    ServerProcess late(ServerProcess::Database::FromEnvironment);
    std::thread starter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        late.start({"--port", QString::number(port), "--demo", "--machine", "LATE-PC"});
    });
    auto conn = connectionTo(port);
    OpenTrace trace;
    MessageWatcher watcher;
    bool opened = false;
    // Open on a background task, as a tab load would; the message box (if
    // any) would have to come to this thread, which keeps processing events.
    std::atomic<bool> done{false};
    RunInBackground([&] { opened = OpenConnectionWithRetry(*conn, true, &trace); }, [&] { done = true; });
    QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
    starter.join();
    EXPECT_TRUE(opened);
    EXPECT_GE(trace.attemptStartMs.size(), 2u);
    EXPECT_LT(trace.attemptStartMs.size(), 11u);
    EXPECT_TRUE(watcher.texts.isEmpty());
    TServerMethods1Client proxy(*conn);
    EXPECT_EQ(proxy.BuyukGetir("LATE-PC")->ADI(), "BAYI");
    conn->Close();
    EXPECT_EQ(late.stop(), 0);
}

TEST(Background, ContinuationRunsOnTheUserInterfaceThreadAfterTheBody)
{
    std::atomic<bool> bodyOnUi{true};
    bool contOnUi = false;
    int order = 0, bodyAt = 0, contAt = 0;
    bool done = false;
    RunInBackground(
        [&] {
            bodyOnUi = IsUserInterfaceThread();
            bodyAt = ++order;
        },
        [&] {
            contOnUi = IsUserInterfaceThread();
            contAt = ++order;
            done = true;
        });
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
    EXPECT_FALSE(bodyOnUi);
    EXPECT_TRUE(contOnUi);
    EXPECT_LT(bodyAt, contAt);
}

TEST(Background, RunOnUserInterfaceThreadWaitsAndPassesErrorsBack)
{
    std::atomic<int> step{0};
    std::string caught;
    bool done = false;
    RunInBackground(
        [&] {
            RunOnUserInterfaceThread([&] { step = IsUserInterfaceThread() ? 1 : -1; });
            if (step == 1) step = 2;  // ran before we went on
            try {
                RunOnUserInterfaceThread([] { throw std::runtime_error("arayüzde hata"); });
            } catch (const std::exception &e) {
                caught = e.what();
            }
        },
        [&] { done = true; });
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
    EXPECT_EQ(step, 2);
    EXPECT_EQ(caught, "arayüzde hata");
}

TEST(TabLoad, GridComesBackThenTheConnectionMessage)
{
    QWidget grid;
    QLabel busy;
    grid.show();
    std::vector<std::string> events;
    int table = 0;
    TabLoad load{&table, &busy, &grid, [&] { events.push_back("detach"); }, [&] { events.push_back("attach"); }};
    MessageWatcher watcher;
    bool finished = false;
    ASSERT_TRUE(RunRemoteCall(
        load,
        [&] {
            QThread::msleep(100);
            return true;  // failed
        },
        [&](bool failed) {
            events.push_back(failed ? "finish-failed" : "finish");
            EXPECT_TRUE(grid.isEnabled());
            finished = true;
        }));
    EXPECT_FALSE(grid.isEnabled());
    EXPECT_TRUE(busy.isVisible());
    // A second load of the same table does not start while the first runs.
    EXPECT_FALSE(RunRemoteCall(load, [] { return false; }));
    QTRY_VERIFY_WITH_TIMEOUT(finished, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(watcher.texts.size(), 1, 5000);
    EXPECT_EQ(watcher.texts[0], "Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");
    EXPECT_EQ(events, (std::vector<std::string>{"detach", "attach", "finish-failed"}));
    EXPECT_TRUE(grid.isEnabled());
    EXPECT_FALSE(busy.isVisible());
    EXPECT_FALSE(IsLoadRunning(&table));
}

TEST(TabLoad, AnErrorInTheBodyRestoresTheGridThenShowsItsText)
{
    QWidget grid;
    grid.show();
    int table = 0;
    TabLoad load{&table, nullptr, &grid, {}, {}};
    MessageWatcher watcher;
    bool finished = false;
    bool sawFailedFlag = true;
    RunRemoteCall(
        load, []() -> bool { throw std::runtime_error("Sunucu cevabı okunamadı"); },
        [&](bool failed) {
            sawFailedFlag = failed;
            finished = true;
        });
    QTRY_VERIFY_WITH_TIMEOUT(finished, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(watcher.texts.size(), 1, 5000);
    EXPECT_FALSE(sawFailedFlag);  // the flag stays false: no connection message
    EXPECT_EQ(watcher.texts[0], "Sunucu cevabı okunamadı");
    EXPECT_TRUE(grid.isEnabled());
}
