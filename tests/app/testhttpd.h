#pragma once
// A tiny HTTP server on 127.0.0.1 for tests of the client's own HTTP
// requests: it records every request (line and headers) and answers from a
// handler. Runs on a thread of its own, so a client that blocks the
// user-interface thread still gets its answers.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tarsel::test {

struct HttpdRequest {
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray header(const QByteArray &name) const;
};

struct HttpdAnswer {
    int status = 200;
    QByteArray contentType = "text/plain";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    int delayMs = 0;        // wait before answering
    bool hangUp = false;    // close without answering
};

class TestHttpd {
public:
    using Handler = std::function<HttpdAnswer(const HttpdRequest &)>;
    explicit TestHttpd(Handler handler);
    ~TestHttpd();

    quint16 port() const { return port_; }
    QString url(const QString &path) const;
    std::vector<HttpdRequest> requests() const;

private:
    void serve();

    Handler handler_;
    int listenFd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex m_;
    std::vector<HttpdRequest> requests_;
    std::thread thread_;
};

}  // namespace tarsel::test
