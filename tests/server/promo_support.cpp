#include "tests/server/promo_support.h"

#include "tests/server/pgtest.h"

#include <QGuiApplication>

#include <atomic>
#include <map>

namespace tarsel::test {

namespace {

struct Servers {
    std::map<Backend, std::unique_ptr<ServerProcess>> demo, empty;
};
Servers &Registry()
{
    static Servers s;
    return s;
}

ServerProcess &Start(std::map<Backend, std::unique_ptr<ServerProcess>> &map, Backend backend, bool demo)
{
    auto &slot = map[backend];
    if (!slot) {
        slot = std::make_unique<ServerProcess>(backend == Backend::PostgreSQL ? ServerProcess::Database::FromEnvironment
                                                                              : ServerProcess::Database::SQLite);
        QStringList args;
        if (demo) args << "--demo" << "--machine" << kTestMachine;
        slot->start(args);
    }
    return *slot;
}

// The QGuiApplication lives for the whole run; the servers stop before it goes
// (dropping a PostgreSQL schema uses Qt SQL).
class PromoEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QCoreApplication::instance()) app_ = new QGuiApplication(argc_, argv_);
    }
    void TearDown() override
    {
        for (auto *map : {&Registry().demo, &Registry().empty})
            for (auto &[backend, srv] : *map)
                if (srv) EXPECT_EQ(srv->stop(), 0) << srv->log();
        Registry().demo.clear();
        Registry().empty.clear();
        delete app_;
        app_ = nullptr;
    }

private:
    inline static char name_[] = "promo-test";
    inline static char *argv_[] = {name_, nullptr};
    inline static int argc_ = 1;
    QGuiApplication *app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment *const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new PromoEnvironment);

}  // namespace

std::string BackendName(const ::testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

bool BackendAvailable(Backend backend) { return backend == Backend::SQLite || PgTestAvailable(); }

ServerProcess &DemoServer(Backend backend) { return Start(Registry().demo, backend, true); }
ServerProcess &EmptyServer(Backend backend) { return Start(Registry().empty, backend, false); }

std::unique_ptr<DSConnection> ConnectTo(const ServerProcess &srv)
{
    auto c = std::make_unique<DSConnection>();
    c->HostName = QStringLiteral("127.0.0.1");
    c->Port = QString::number(srv.port());
    c->Open();
    return c;
}

QByteArray ReadAll(QIODevice *stream)
{
    QByteArray out;
    if (!stream) return out;
    stream->seek(0);
    char chunk[1024];
    for (;;) {
        const qint64 n = stream->read(chunk, sizeof chunk);
        if (n > 0) out.append(chunk, n);
        if (n < qint64(sizeof chunk)) break;
    }
    return out;
}

std::string ErrorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const std::exception &e) {
        return e.what();
    }
    return {};
}

std::unique_ptr<server::Db> OpenDatabase(const ServerProcess &srv)
{
    static std::atomic<int> seq{0};
    return std::make_unique<server::Db>(server::ParseConnectionString(srv.databaseUrl()),
                                        QStringLiteral("promo-test-%1").arg(++seq));
}

}  // namespace tarsel::test
