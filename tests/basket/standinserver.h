#pragma once
// A stand-in application server for tests and benchmarks that need to see
// exactly which calls the client makes, or an answer the real server never
// gives (a 20,000-row search, a wrong picture size).
//
// It speaks the wire protocol's HTTP side: the handshake and
// POST /datasnap/TServerMethods1.<Method>, each call recorded with its
// parameters. A method without a handler answers 501. Each connection is
// served on a thread of its own.

#include "wire/datatable.h"

#include <QJsonArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarsel::test {

class StandInServer {
public:
    struct Response {
        int status = 200;
        std::string contentType = "application/json";
        std::string body;
        std::vector<std::pair<std::string, std::string>> headers;
    };
    using Handler = std::function<Response(const QJsonArray &params)>;

    struct Call {
        QString method;
        QJsonArray params;
    };

    StandInServer();
    ~StandInServer();
    StandInServer(const StandInServer &) = delete;
    StandInServer &operator=(const StandInServer &) = delete;

    void on(const QString &method, Handler handler);
    // Any other GET: `path` with its query, e.g. "/resimgoster.ashx?id=5".
    void onGet(const std::string &path, std::function<Response()> handler);
    int getCount(const std::string &path) const;
    void start();  // listens on 127.0.0.1, a free port
    void stop();
    quint16 port() const { return port_; }

    std::vector<Call> calls() const;
    std::vector<Call> callsOf(const QString &method) const;
    void clearCalls();
    // When the last answer to `method` had been written to the socket.
    std::chrono::steady_clock::time_point lastAnswerWritten(const QString &method) const;

    // {"result":[null x paramCount, <result>]}
    static Response Answer(int paramCount, const std::function<void(class JsonOut &)> &result);
    static Response TableAnswer(int paramCount, const DataTable &table);
    static Response IntAnswer(int paramCount, qint64 value);
    static Response BoolAnswer(int paramCount, bool value);
    static Response TextAnswer(int paramCount, const QString &value);
    static Response NullAnswer(int paramCount);
    // A stream answer: `out` holds the out-parameter values by position
    // (JSON text, "null" for inputs), the stream follows at the end.
    static Response StreamAnswer(const std::vector<std::string> &positions, const QByteArray &bytes);

private:
    void acceptLoop();
    void serve(int fd);

    int listenFd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    mutable std::mutex m_;
    std::map<QString, Handler> handlers_;
    std::map<std::string, std::function<Response()>> getHandlers_;
    std::map<std::string, int> getCounts_;
    std::vector<Call> calls_;
    std::map<QString, std::chrono::steady_clock::time_point> answered_;
    std::vector<std::thread> workers_;
    std::vector<int> clientFds_;
};

// Writes JSON through the wire codec's writer (so tables have the protocol's form).
class JsonOut {
public:
    explicit JsonOut(void *writer) : w_(writer) {}
    void table(const DataTable &t);
    void integer(qint64 v);
    void boolean(bool v);
    void text(const QString &v);
    void null();

private:
    void *w_;
};

}  // namespace tarsel::test
