#include "testhttpd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace tarsel::test {

QByteArray HttpdRequest::header(const QByteArray &name) const
{
    for (const auto &[n, v] : headers)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return v;
    return {};
}

TestHttpd::TestHttpd(Handler handler) : handler_(std::move(handler))
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(listenFd_, 16) != 0)
        throw std::runtime_error("test httpd: cannot listen");
    socklen_t len = sizeof a;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { serve(); });
}

TestHttpd::~TestHttpd()
{
    stop_ = true;
    thread_.join();
    ::close(listenFd_);
}

QString TestHttpd::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
}

std::vector<HttpdRequest> TestHttpd::requests() const
{
    std::lock_guard lock(m_);
    return requests_;
}

void TestHttpd::serve()
{
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) continue;
        QByteArray in;
        char buf[4096];
        while (!in.contains("\r\n\r\n")) {
            pollfd q{fd, POLLIN, 0};
            if (::poll(&q, 1, 2000) <= 0) break;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0) break;
            in.append(buf, n);
        }
        HttpdRequest req;
        const QList<QByteArray> lines = in.left(in.indexOf("\r\n\r\n")).split('\n');
        if (!lines.isEmpty()) {
            const QList<QByteArray> first = lines[0].trimmed().split(' ');
            if (first.size() >= 2) {
                req.method = first[0];
                req.path = first[1];
            }
            for (int i = 1; i < lines.size(); ++i) {
                const QByteArray l = lines[i].trimmed();
                const int colon = l.indexOf(':');
                if (colon > 0) req.headers.push_back({l.left(colon).trimmed(), l.mid(colon + 1).trimmed()});
            }
        }
        {
            std::lock_guard lock(m_);
            requests_.push_back(req);
        }
        const HttpdAnswer a = handler_(req);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(a.delayMs);
        while (!stop_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!a.hangUp) {
            QByteArray out = "HTTP/1.1 " + QByteArray::number(a.status) + " X\r\nContent-Type: " + a.contentType +
                             "\r\nContent-Length: " + QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n";
            for (const auto &[n, v] : a.headers) out += n + ": " + v + "\r\n";
            out += "\r\n" + a.body;
            qsizetype sent = 0;
            while (sent < out.size()) {
                const ssize_t n = ::write(fd, out.constData() + sent, size_t(out.size() - sent));
                if (n <= 0) break;
                sent += n;
            }
        }
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
}

}  // namespace tarsel::test
