#pragma once
// Runs the real tarsel-server executable for tests.
//
//   tarsel::test::ServerProcess srv;
//   srv.start();                       // or srv.start({"--body-limit", "1K"})
//   HttpClient http;
//   auto r = http.get(srv.url("/health"));
//   EXPECT_EQ(srv.stop(), 0);          // SIGTERM, exit code
//
// start() runs "tarsel-server serve" on 127.0.0.1 with --port 0,
// --web-port 0 and a fresh SQLite database in a temporary folder (removed
// with the object), then waits up to 20 s for the "listening on" and
// "web on" lines and reads the chosen ports from them. extraArgs come after
// the defaults, so they override them. The server's stderr (its log) is kept
// in a file; log() returns it. If the object is destroyed while the server
// runs, it is stopped and a non-zero exit code is reported as a test failure.
//
// Database::FromEnvironment runs the server on PostgreSQL when the
// environment variable TARSEL_TEST_PG holds a connection string: every
// start() gets a fresh schema of that database (search_path set through the
// connection string, at most 2 database threads unless extraArgs say
// otherwise), dropped at the next start() and with the object, so runs
// leave nothing behind. It needs a QCoreApplication (Qt SQL loads its
// driver through it). Without TARSEL_TEST_PG it is the SQLite default.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>

namespace tarsel::test {

class PgTestSchema;

class ServerProcess {
public:
    enum class Database { SQLite, FromEnvironment };

    explicit ServerProcess(Database database = Database::SQLite);
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // Throws std::runtime_error (with the server's log) when the server does
    // not report that it listens within the time-out.
    void start(const QStringList &extraArgs = {},
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

    quint16 port() const { return port_; }
    quint16 webPort() const { return webPort_; }  // the web side's port
    std::string host() const { return "127.0.0.1"; }
    // "http://127.0.0.1:<port>" + path
    std::string url(std::string_view path) const;
    // "http://127.0.0.1:<web port>" + path
    std::string webUrl(std::string_view path) const;

    QString dataDir() const;        // the temporary folder (also --data-dir)
    QString databasePath() const;   // the SQLite file passed with --db (SQLite only)
    // True when the server of the last start() runs on PostgreSQL.
    bool postgres() const { return pg_ != nullptr; }
    // The --db value of the last start() (SQLite or PostgreSQL), empty before.
    QString databaseUrl() const { return databaseUrl_; }
    // The PostgreSQL schema of the last start(), empty with SQLite.
    QString pgSchema() const;
    pid_t pid() const { return pid_; }
    bool running();

    // Sends a signal to the server process.
    void signal(int sig);
    // SIGTERM, then waits for the exit (SIGKILL after the time-out). Returns
    // the exit code, 128 + signal number when killed by a signal, or -1 when
    // the server was not running.
    int stop(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Waits for the process to end by itself; returns as stop() does, or
    // nullopt-like -2 when it is still running at the time-out.
    int waitForExit(std::chrono::milliseconds timeout);

    std::string log() const;         // the server's stderr so far
    std::string stdoutText() const;  // the server's stdout so far

    // Runs the executable with args to completion (e.g. "migrate ...").
    struct RunResult {
        int exitCode = -1;
        std::string out;
        std::string err;
    };
    static RunResult run(const QStringList &args,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60));

    static QString executable();

private:
    void readStdout(int fd);

    Database database_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<PgTestSchema> pg_;
    QString databaseUrl_;
    pid_t pid_ = -1;
    quint16 port_ = 0;
    quint16 webPort_ = 0;
    int exitStatus_ = -1;
    QString logPath_;

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::string stdout_;
    bool stdoutClosed_ = false;
    std::thread reader_;
};

// Exit status as returned by stop(): exit code, or 128 + signal.
int DecodeWaitStatus(int status);

} // namespace tarsel::test
