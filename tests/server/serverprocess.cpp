#include "tests/server/serverprocess.h"

#include "tests/server/pgtest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tarsel::test {

namespace {

constexpr std::string_view kListening = "tarsel-server listening on ";
constexpr std::string_view kWebListening = "tarsel-server web on ";

// The port at the end of the line that follows marker in text, 0 when the
// line is not complete.
int PortAfter(const std::string &text, std::string_view marker)
{
    const auto at = text.find(marker);
    if (at == std::string::npos)
        return 0;
    const auto end = text.find('\n', at);
    if (end == std::string::npos)
        return 0;
    const std::string line = text.substr(at + marker.size(), end - at - marker.size());
    const auto colon = line.rfind(':');
    if (colon == std::string::npos)
        return 0;
    const int port = std::atoi(line.c_str() + colon + 1);
    return port > 0 && port <= 65535 ? port : 0;
}

std::string ReadWholeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// argv for posix_spawn; keeps the strings alive.
struct Argv {
    explicit Argv(const QStringList &args)
    {
        storage.push_back(QFile::encodeName(ServerProcess::executable()).toStdString());
        for (const QString &a : args)
            storage.push_back(a.toStdString());
        for (auto &s : storage)
            ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    std::vector<std::string> storage;
    std::vector<char *> ptrs;
};

pid_t Spawn(const QStringList &args, int stdoutFd, int stderrFd)
{
    Argv argv(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    posix_spawn_file_actions_adddup2(&actions, stderrFd, 2);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv.ptrs[0], &actions, nullptr, argv.ptrs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv.storage[0] + ": " + std::strerror(rc));
    return pid;
}

// Polls waitpid until the child ends or the deadline passes.
bool WaitPid(pid_t pid, std::chrono::steady_clock::time_point deadline, int *status)
{
    for (;;) {
        const pid_t r = waitpid(pid, status, WNOHANG);
        if (r == pid)
            return true;
        if (r < 0 && errno != EINTR)
            return true;  // not our child any more
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

int DecodeWaitStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

QString ServerProcess::executable()
{
    return QStringLiteral(TARSEL_SERVER_EXE);
}

ServerProcess::ServerProcess(Database database) : database_(database) {}

ServerProcess::~ServerProcess()
{
    if (pid_ > 0) {
        const int code = stop();
        if (code != 0)
            ADD_FAILURE() << "tarsel-server ended with status " << code << "; log:\n" << log();
    }
    if (reader_.joinable())
        reader_.join();
    pg_.reset();  // after the server has gone: drops its schema
}

QString ServerProcess::pgSchema() const
{
    return pg_ ? pg_->name() : QString();
}

QString ServerProcess::dataDir() const
{
    return dir_ ? dir_->path() : QString();
}

QString ServerProcess::databasePath() const
{
    return dir_ ? dir_->filePath(QStringLiteral("tarsel.db")) : QString();
}

std::string ServerProcess::url(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::string ServerProcess::webUrl(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(webPort_) + std::string(path);
}

void ServerProcess::start(const QStringList &extraArgs, std::chrono::milliseconds timeout)
{
    if (pid_ > 0)
        throw std::logic_error("ServerProcess::start: already running");
    dir_ = std::make_unique<QTemporaryDir>();
    if (!dir_->isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const QString config = dir_->filePath(QStringLiteral("empty.conf"));
    {
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write " + config.toStdString());
    }
    logPath_ = dir_->filePath(QStringLiteral("server.log"));

    // A fresh database for every start: a new SQLite file above, or a new
    // PostgreSQL schema (the one of the previous start goes now).
    pg_.reset();
    databaseUrl_ = QStringLiteral("sqlite:") + databasePath();
    QStringList dbArgs;
    if (database_ == Database::FromEnvironment && PgTestAvailable()) {
        if (!QCoreApplication::instance())
            throw std::logic_error("ServerProcess: PostgreSQL needs a QCoreApplication (include "
                                   "tests/server/qtcoreapp.h)");
        pg_ = std::make_unique<PgTestSchema>();
        const QString base = PgTestConnectionString();
        databaseUrl_ = base + (base.contains(u'?') ? u'&' : u'?') + QStringLiteral("options=-csearch_path%3D") +
                       pg_->name();
        // Test servers run side by side on one PostgreSQL: keep the
        // connections per server low.
        dbArgs << QStringLiteral("--db-threads") << QStringLiteral("2");
    }

    QStringList args{QStringLiteral("serve"),
                     QStringLiteral("--config"), config,
                     QStringLiteral("--listen"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("--port"), QStringLiteral("0"),
                     QStringLiteral("--web-port"), QStringLiteral("0"),
                     QStringLiteral("--data-dir"), dir_->path(),
                     QStringLiteral("--db"), databaseUrl_};
    args += dbArgs;
    args += extraArgs;

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    const int logFd = ::open(QFile::encodeName(logPath_).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (logFd < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        throw std::runtime_error("cannot create " + logPath_.toStdString());
    }
    try {
        pid_ = Spawn(args, pipeFds[1], logFd);
    } catch (...) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::close(logFd);
        throw;
    }
    ::close(pipeFds[1]);
    ::close(logFd);
    {
        std::lock_guard<std::mutex> lock(m_);
        stdout_.clear();
        stdoutClosed_ = false;
    }
    if (reader_.joinable())
        reader_.join();
    reader_ = std::thread(&ServerProcess::readStdout, this, pipeFds[0]);

    std::unique_lock<std::mutex> lock(m_);
    cv_.wait_for(lock, timeout, [this] {
        return stdoutClosed_ || (PortAfter(stdout_, kListening) && PortAfter(stdout_, kWebListening));
    });
    const int port = PortAfter(stdout_, kListening);
    const int webPort = PortAfter(stdout_, kWebListening);
    lock.unlock();

    if (!port || !webPort) {
        const int code = stop(std::chrono::seconds(5));
        throw std::runtime_error("tarsel-server did not report its listening ports (exit status " +
                                 std::to_string(code) + "); log:\n" + log());
    }
    port_ = static_cast<quint16>(port);
    webPort_ = static_cast<quint16>(webPort);
}

void ServerProcess::readStdout(int fd)
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        std::lock_guard<std::mutex> lock(m_);
        if (n <= 0) {
            stdoutClosed_ = true;
            cv_.notify_all();
            break;
        }
        stdout_.append(buf, static_cast<std::size_t>(n));
        cv_.notify_all();
    }
    ::close(fd);
}

bool ServerProcess::running()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        exitStatus_ = DecodeWaitStatus(status);
        pid_ = -1;
        return false;
    }
    return true;
}

void ServerProcess::signal(int sig)
{
    if (pid_ > 0)
        ::kill(pid_, sig);
}

int ServerProcess::waitForExit(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return exitStatus_;
    int status = 0;
    if (!WaitPid(pid_, std::chrono::steady_clock::now() + timeout, &status))
        return -2;
    exitStatus_ = DecodeWaitStatus(status);
    pid_ = -1;
    if (reader_.joinable())
        reader_.join();
    return exitStatus_;
}

int ServerProcess::stop(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, SIGTERM);
    int code = waitForExit(timeout);
    if (code == -2) {
        ::kill(pid_, SIGKILL);
        code = waitForExit(std::chrono::seconds(10));
    }
    return code;
}

std::string ServerProcess::log() const
{
    return logPath_.isEmpty() ? std::string() : ReadWholeFile(logPath_);
}

std::string ServerProcess::stdoutText() const
{
    std::lock_guard<std::mutex> lock(m_);
    return stdout_;
}

ServerProcess::RunResult ServerProcess::run(const QStringList &args, std::chrono::milliseconds timeout)
{
    QTemporaryDir tmp;
    if (!tmp.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const QByteArray outPath = QFile::encodeName(tmp.filePath(QStringLiteral("out")));
    const QByteArray errPath = QFile::encodeName(tmp.filePath(QStringLiteral("err")));
    const int outFd = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int errFd = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (outFd < 0 || errFd < 0)
        throw std::runtime_error("cannot create output files");
    pid_t pid;
    try {
        pid = Spawn(args, outFd, errFd);
    } catch (...) {
        ::close(outFd);
        ::close(errFd);
        throw;
    }
    ::close(outFd);
    ::close(errFd);
    RunResult result;
    int status = 0;
    if (!WaitPid(pid, std::chrono::steady_clock::now() + timeout, &status)) {
        ::kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.exitCode = -2;
    } else {
        result.exitCode = DecodeWaitStatus(status);
    }
    result.out = ReadWholeFile(QFile::decodeName(outPath));
    result.err = ReadWholeFile(QFile::decodeName(errPath));
    return result;
}

} // namespace tarsel::test
