#include "tests/basket/standinserver.h"

#include "wire/json.h"
#include "wire/tablecodec.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace tarsel::test {

namespace {

wire::JsonWriter &W(void *w) { return *static_cast<wire::JsonWriter *>(w); }

bool SendAll(int fd, const std::string &data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += std::size_t(n);
    }
    return true;
}

const char *Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    default: return "Status";
    }
}

}  // namespace

void JsonOut::table(const DataTable &t) { wire::WriteTable(W(w_), t); }
void JsonOut::integer(qint64 v) { W(w_).int64(v); }
void JsonOut::boolean(bool v) { W(w_).boolean(v); }
void JsonOut::text(const QString &v) { W(w_).string(v); }
void JsonOut::null() { W(w_).null(); }

StandInServer::StandInServer() = default;

StandInServer::~StandInServer() { stop(); }

void StandInServer::on(const QString &method, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_);
    handlers_[method] = std::move(handler);
}

void StandInServer::onGet(const std::string &path, std::function<Response()> handler)
{
    std::lock_guard<std::mutex> lock(m_);
    getHandlers_[path] = std::move(handler);
}

int StandInServer::getCount(const std::string &path) const
{
    std::lock_guard<std::mutex> lock(m_);
    auto it = getCounts_.find(path);
    return it == getCounts_.end() ? 0 : it->second;
}

void StandInServer::start()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket");
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) throw std::runtime_error("bind");
    if (::listen(listenFd_, 64) != 0) throw std::runtime_error("listen");
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

void StandInServer::stop()
{
    if (stopping_.exchange(true)) return;
    if (listenFd_ >= 0) {
        ::shutdown(listenFd_, SHUT_RDWR);
        ::close(listenFd_);
    }
    if (acceptor_.joinable()) acceptor_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(m_);
        for (int fd : clientFds_) ::shutdown(fd, SHUT_RDWR);
        workers.swap(workers_);
    }
    for (std::thread &t : workers)
        if (t.joinable()) t.join();
}

void StandInServer::acceptLoop()
{
    while (!stopping_) {
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            if (stopping_) return;
            continue;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard<std::mutex> lock(m_);
        clientFds_.push_back(fd);
        workers_.emplace_back([this, fd] { serve(fd); });
    }
}

void StandInServer::serve(int fd)
{
    struct Closer {
        StandInServer *self;
        int fd;
        ~Closer()
        {
            std::lock_guard<std::mutex> lock(self->m_);
            std::erase(self->clientFds_, fd);
            ::close(fd);
        }
    } closer{this, fd};
    std::string buffer;
    char chunk[65536];
    for (;;) {
        std::size_t headerEnd;
        while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) return;
            buffer.append(chunk, std::size_t(n));
        }
        const std::string head = buffer.substr(0, headerEnd);
        buffer.erase(0, headerEnd + 4);
        const std::size_t sp1 = head.find(' ');
        const std::size_t sp2 = head.find(' ', sp1 + 1);
        const std::string verb = head.substr(0, sp1);
        const std::string path = head.substr(sp1 + 1, sp2 - sp1 - 1);
        std::size_t contentLength = 0;
        {
            std::string lower = head;
            for (char &c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
            const std::size_t at = lower.find("content-length:");
            if (at != std::string::npos) contentLength = std::stoul(lower.substr(at + 15));
        }
        while (buffer.size() < contentLength) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) return;
            buffer.append(chunk, std::size_t(n));
        }
        const std::string body = buffer.substr(0, contentLength);
        buffer.erase(0, contentLength);

        Response r;
        QString method;
        if (verb == "GET" && path == "/datasnap/handshake") {
            r.body = R"({"server":"stand-in","protocol":1})";
        } else if (verb == "POST" && path.rfind("/datasnap/TServerMethods1.", 0) == 0) {
            method = QString::fromStdString(path.substr(std::strlen("/datasnap/TServerMethods1.")));
            const QJsonArray params =
                QJsonDocument::fromJson(QByteArray::fromStdString(body)).object().value(QStringLiteral("params")).toArray();
            Handler h;
            {
                std::lock_guard<std::mutex> lock(m_);
                calls_.push_back({method, params});
                auto it = handlers_.find(method);
                if (it != handlers_.end()) h = it->second;
            }
            if (h) {
                try {
                    r = h(params);
                } catch (const std::exception &e) {
                    r.status = 500;
                    r.body = std::string(R"({"error":")") + e.what() + "\"}";
                }
            } else {
                r.status = 501;
                r.body = R"({"error":"not offered"})";
            }
        } else if (verb == "GET") {
            std::function<Response()> h;
            {
                std::lock_guard<std::mutex> lock(m_);
                ++getCounts_[path];
                auto it = getHandlers_.find(path);
                if (it != getHandlers_.end()) h = it->second;
            }
            if (h) {
                r = h();
            } else {
                r.status = 404;
                r.contentType = "text/plain";
                r.body = "not found";
            }
        } else {
            r.status = 404;
            r.body = R"({"error":"not found"})";
        }
        std::string out = "HTTP/1.1 " + std::to_string(r.status) + " " + Reason(r.status) + "\r\n";
        out += "Content-Type: " + r.contentType + "\r\n";
        out += "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
        for (const auto &[k, v] : r.headers) out += k + ": " + v + "\r\n";
        out += "Connection: keep-alive\r\n\r\n";
        out += r.body;
        if (!SendAll(fd, out)) return;
        if (!method.isEmpty()) {
            std::lock_guard<std::mutex> lock(m_);
            answered_[method] = std::chrono::steady_clock::now();
        }
    }
}

std::vector<StandInServer::Call> StandInServer::calls() const
{
    std::lock_guard<std::mutex> lock(m_);
    return calls_;
}

std::vector<StandInServer::Call> StandInServer::callsOf(const QString &method) const
{
    std::vector<Call> out;
    for (const Call &c : calls())
        if (c.method == method) out.push_back(c);
    return out;
}

void StandInServer::clearCalls()
{
    std::lock_guard<std::mutex> lock(m_);
    calls_.clear();
}

std::chrono::steady_clock::time_point StandInServer::lastAnswerWritten(const QString &method) const
{
    std::lock_guard<std::mutex> lock(m_);
    auto it = answered_.find(method);
    return it == answered_.end() ? std::chrono::steady_clock::time_point() : it->second;
}

StandInServer::Response StandInServer::Answer(int paramCount, const std::function<void(JsonOut &)> &result)
{
    wire::JsonWriter w;
    w.beginObject();
    w.key("result");
    w.beginArray();
    for (int i = 0; i < paramCount; ++i) w.null();
    JsonOut out(&w);
    result(out);
    w.endArray();
    w.endObject();
    Response r;
    r.body = w.take();
    return r;
}

StandInServer::Response StandInServer::TableAnswer(int paramCount, const DataTable &table)
{
    return Answer(paramCount, [&](JsonOut &o) { o.table(table); });
}

StandInServer::Response StandInServer::IntAnswer(int paramCount, qint64 value)
{
    return Answer(paramCount, [&](JsonOut &o) { o.integer(value); });
}

StandInServer::Response StandInServer::BoolAnswer(int paramCount, bool value)
{
    return Answer(paramCount, [&](JsonOut &o) { o.boolean(value); });
}

StandInServer::Response StandInServer::TextAnswer(int paramCount, const QString &value)
{
    return Answer(paramCount, [&](JsonOut &o) { o.text(value); });
}

StandInServer::Response StandInServer::NullAnswer(int paramCount)
{
    return Answer(paramCount, [&](JsonOut &o) { o.null(); });
}

StandInServer::Response StandInServer::StreamAnswer(const std::vector<std::string> &positions, const QByteArray &bytes)
{
    std::string header = "[";
    for (const std::string &p : positions) header += p + ",";
    header += "{\"stream\":" + std::to_string(bytes.size()) + "}]";
    Response r;
    r.contentType = "application/octet-stream";
    r.body.assign(bytes.constData(), std::size_t(bytes.size()));
    r.headers.emplace_back("X-Tarsel-Result", header);
    return r;
}

}  // namespace tarsel::test
