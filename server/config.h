#pragma once
// Configuration of tarsel-server.
//
// Sources, later ones winning: built-in defaults, the INI file (path from
// --config, default "tarsel-server.conf" beside the executable; a missing
// default file is not an error), then the command line.
//
//   tarsel-server [serve|migrate|register-machine|notify] [options]
//
//   option            INI key                 default
//   --listen ADDR     [server] listen         0.0.0.0
//   --port N          [server] port           9090   (0 = any free port)
//   --web-port N      [server] web_port       9091
//   --threads N       [server] threads        2      (network threads)
//   --body-limit B    [server] body_limit     16M    (bytes; K, M, G suffixes allowed)
//   --read-timeout S  [server] read_timeout   30     (seconds of idleness)
//   --shutdown-grace S [server] shutdown_grace 10    (seconds stop waits for requests)
//   --db CONN         [database] connection   sqlite:<data dir>/tarsel.db
//   --db-threads N    [database] threads      max(2, hardware threads)
//   --queue-limit N   [database] queue_limit  10000
//   --data-dir DIR    [paths] data_dir        ~/.local/share/tarsel-server
//   --push-timeout S  [push] reply_timeout    10     (seconds a push client has to answer)
//   --message TEXT    (notify only)           the notification text
//
// A relative data_dir in the file is taken from the file's folder; a
// relative SQLite path from the data folder.

#include "server/dbpool.h"
#include "server/httpserver.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tarsel::server {

enum class ServerCommand { Serve, Migrate, RegisterMachine, Notify };

struct ServerConfig {
    ServerCommand command = ServerCommand::Serve;
    QString configFile;  // the file that was read; empty when none
    QString listenAddress = QStringLiteral("0.0.0.0");
    quint16 port = 9090;
    quint16 webPort = 9091;
    QString dataDir;
    QString dbConnection;  // never empty after parsing
    int threads = 2;
    int dbThreads = 0;     // 0 = max(2, hardware threads)
    qint64 bodyLimit = 16 * 1024 * 1024;
    int readTimeoutSec = 30;
    int shutdownGraceSec = 10;
    int queueLimit = 10000;
    bool demo = false;       // seed the demo data into an empty database
    QString machineId;       // computer identifier for the demo seed / register-machine
                             // (empty = this machine's)
    QString userName;        // register-machine: the user to register the machine to
    int pushReplyTimeoutSec = 10;  // a push client that does not answer a notification in
                                   // this time is dropped
    QString notifyMessage = QStringLiteral("yenile");  // notify: the notification's value (a text)

    HttpServerOptions httpOptions() const;
    // The web side: the same limits and time-outs on webPort.
    HttpServerOptions webHttpOptions() const;
    DbPoolOptions dbPoolOptions() const;
};

struct ConfigResult {
    enum class Status { Ok, Help, Version, Error };
    Status status = Status::Ok;
    ServerConfig config;
    QString message;       // help text, version text or error text
    QStringList warnings;  // e.g. unknown keys in the file
};

// arguments[0] is the program path (as QCoreApplication::arguments()).
ConfigResult ParseServerConfig(const QStringList &arguments);

QString HelpText();
QString DefaultDataDir();
QString DefaultConfigPath();

// "1048576", "512K", "16M", "1G" (binary multiples, case-insensitive).
std::optional<qint64> ParseByteSize(const QString &text);

} // namespace tarsel::server
