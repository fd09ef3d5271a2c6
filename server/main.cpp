// tarsel-server: the application server of TarselB2B.
//
//   tarsel-server [serve] [options]   run the server (default)
//   tarsel-server migrate [options]   bring the database schema up to date and exit
//
// Boost.Asio drives everything; the QGuiApplication only exists so that the
// Qt SQL driver plugins can be loaded and documents (PDF, pictures) can be
// drawn with text, on the "offscreen" platform unless QT_QPA_PLATFORM says
// otherwise. No Qt event loop runs.

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>

#include "server/config.h"
#include "server/dbpool.h"
#include "server/demodata.h"
#include "server/handlers.h"
#include "server/httpserver.h"
#include "server/log.h"
#include "server/migrations.h"
#include "server/push.h"
#include "server/rpc.h"
#include "server/website.h"
#include "util/machineid.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <string>

#ifndef TARSEL_VERSION
#define TARSEL_VERSION ""
#endif

using namespace tarsel::server;

namespace {

std::string HostPort(const std::string &address, unsigned port)
{
    if (address.find(':') != std::string::npos)
        return '[' + address + "]:" + std::to_string(port);
    return address + ':' + std::to_string(port);
}

int Migrate(const DbSettings &settings)
{
    Db db(settings, QStringLiteral("tarsel-migrate"));
    const MigrationReport report = RunMigrations(db);
    std::printf("Şema sürümü %d -> %d (%zu göç uygulandı)\n", report.before, report.after,
                report.applied.size());
    std::fflush(stdout);
    return 0;
}

QString MachineIdOf(const ServerConfig &config)
{
    return config.machineId.isEmpty() ? tarsel::GetComputerId() : config.machineId;
}

int Register(const ServerConfig &config, const DbSettings &settings)
{
    if (config.userName.isEmpty()) {
        std::fprintf(stderr, "tarsel-server: register-machine --user AD gerekli\n");
        return 2;
    }
    Db db(settings, QStringLiteral("tarsel-register"));
    RunMigrations(db);
    const QString machine = MachineIdOf(config);
    RegisterMachine(db, machine, config.userName);
    std::printf("Bilgisayar %s, %s kullanıcısına kaydedildi\n", machine.toUtf8().constData(),
                config.userName.toUtf8().constData());
    return 0;
}

int Serve(const ServerConfig &config, const DbSettings &settings, boost::asio::io_context &signalContext,
          boost::asio::signal_set &stopSignals)
{
    LogInfo("Veritabanı: " + settings.describe().toStdString());
    DbPool pool(settings, config.dbPoolOptions());
    pool.start();
    const MigrationReport report = pool.run([](Db &db) { return RunMigrations(db); });
    LogInfo("Şema sürümü " + std::to_string(report.after) + ", " + std::to_string(pool.threadCount()) +
            " veritabanı iş parçacığı");
    if (config.demo) {
        const QString machine = MachineIdOf(config);
        if (pool.run([&](Db &db) { return SeedDemoData(db, machine); }))
            LogInfo("Tanıtım verileri yüklendi; bu bilgisayar (" + machine.toStdString() + ") kayıtlı");
    }

    PushHub push(PushOptions::FromConfig(config));  // outlives both servers
    HttpServer server(config.httpOptions());
    InstallHealthCheck(server, pool);
    InstallRpc(server, pool, config);
    push.install(server);
    HttpServer web(config.webHttpOptions());
    InstallWebsite(web, pool);
    server.start();
    web.start();

    const std::string where = HostPort(server.address(), server.port());
    std::printf("tarsel-server listening on %s\n", where.c_str());
    const std::string webWhere = HostPort(web.address(), web.port());
    std::printf("tarsel-server web on %s\n", webWhere.c_str());
    std::fflush(stdout);
    LogInfo("Dinleniyor: " + where);
    LogInfo("Web sayfaları: " + webWhere);

    int received = 0;
    stopSignals.async_wait([&received](const boost::system::error_code &ec, int signal) {
        if (!ec)
            received = signal;
    });
    signalContext.run();

    LogInfo(std::string("Sinyal alındı (") + (received == SIGINT ? "SIGINT" : "SIGTERM") + "), kapanıyor");
    push.stop();  // closes the push sockets, which server.stop() does not know
    web.stop();
    server.stop();
    pool.stop();
    LogInfo("Sunucu durdu");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // A client that goes away must not kill the process; asio reports EPIPE.
    std::signal(SIGPIPE, SIG_IGN);

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarsel-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARSEL_VERSION));

    // Installed before anything slow happens, so that SIGTERM during start-up
    // also ends in an orderly shutdown.
    boost::asio::io_context signalContext(1);
    boost::asio::signal_set stopSignals(signalContext, SIGINT, SIGTERM);

    const ConfigResult parsed = ParseServerConfig(QCoreApplication::arguments());
    switch (parsed.status) {
    case ConfigResult::Status::Help:
    case ConfigResult::Status::Version:
        std::printf("%s\n", parsed.message.trimmed().toUtf8().constData());
        return 0;
    case ConfigResult::Status::Error:
        std::fprintf(stderr, "tarsel-server: %s\n", parsed.message.toUtf8().constData());
        return 2;
    case ConfigResult::Status::Ok:
        break;
    }
    for (const QString &w : parsed.warnings)
        LogWarning(w.toStdString());
    const ServerConfig &config = parsed.config;
    if (!config.configFile.isEmpty())
        LogInfo("Yapılandırma dosyası: " + config.configFile.toStdString());

    if (config.command == ServerCommand::Notify)
        return RunNotifyCommand(config);
    try {
        if (!QDir().mkpath(config.dataDir)) {
            LogError("Veri klasörü oluşturulamadı: " + config.dataDir.toStdString());
            return 1;
        }
        const DbSettings settings = ParseConnectionString(config.dbConnection, config.dataDir);
        if (config.command == ServerCommand::Migrate)
            return Migrate(settings);
        if (config.command == ServerCommand::RegisterMachine)
            return Register(config, settings);
        return Serve(config, settings, signalContext, stopSignals);
    } catch (const std::exception &e) {
        LogError(e.what());
        return 1;
    }
}
