#include "tests/server/testhttp.h"

#include <curl/curl.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tarsel::test {

namespace {

std::string Lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return std::string(s);
}

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

void EnsureCurl()
{
    static CurlGlobal g;
}

size_t WriteBody(char *ptr, size_t size, size_t n, void *user)
{
    static_cast<HttpResult *>(user)->body.append(ptr, size * n);
    return size * n;
}

size_t WriteHeader(char *ptr, size_t size, size_t n, void *user)
{
    auto *r = static_cast<HttpResult *>(user);
    const std::string_view line(ptr, size * n);
    if (line.substr(0, 5) == "HTTP/") {
        r->statusLines.push_back(Trim(line));
        r->headers.clear();  // a new response (after 100 Continue) starts
    } else {
        const auto colon = line.find(':');
        if (colon != std::string_view::npos)
            r->headers[Lower(std::string(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
    }
    return size * n;
}

bool ParseHead(std::string_view head, RawResponse &out)
{
    const auto lineEnd = head.find("\r\n");
    const std::string_view statusLine = head.substr(0, lineEnd);
    const auto sp = statusLine.find(' ');
    if (statusLine.substr(0, 5) != "HTTP/" || sp == std::string_view::npos)
        return false;
    out.status = std::atoi(std::string(statusLine.substr(sp + 1, 3)).c_str());
    std::size_t pos = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        auto end = head.find("\r\n", pos);
        if (end == std::string_view::npos)
            end = head.size();
        const std::string_view line = head.substr(pos, end - pos);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos)
            out.headers[Lower(std::string(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
        pos = end + 2;
    }
    return true;
}

} // namespace

std::string HttpResult::header(const std::string &lowerName) const
{
    const auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

HttpClient::HttpClient()
{
    EnsureCurl();
    curl_ = curl_easy_init();
    if (!curl_)
        throw std::runtime_error("curl_easy_init failed");
}

HttpClient::~HttpClient()
{
    curl_easy_cleanup(static_cast<CURL *>(curl_));
}

HttpResult HttpClient::get(const std::string &url, const std::vector<std::string> &headers)
{
    return request("GET", url, {}, headers);
}

HttpResult HttpClient::post(const std::string &url, std::string_view body, const std::vector<std::string> &headers)
{
    return request("POST", url, body, headers);
}

HttpResult HttpClient::request(const std::string &verb, const std::string &url, std::string_view body,
                               const std::vector<std::string> &headers)
{
    CURL *c = static_cast<CURL *>(curl_);
    curl_easy_reset(c);
    HttpResult r;
    char errbuf[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &r);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &WriteHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &r);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout_.count()));
    curl_easy_setopt(c, CURLOPT_EXPECT_100_TIMEOUT_MS, static_cast<long>(expectTimeout_.count()));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
    if (verb == "POST") {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    } else if (verb != "GET") {
        curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, verb.c_str());
        if (!body.empty()) {
            curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
            curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        }
    }
    curl_slist *list = nullptr;
    for (const auto &h : headers)
        list = curl_slist_append(list, h.c_str());
    if (list)
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, list);

    const CURLcode rc = curl_easy_perform(c);
    r.curlCode = static_cast<int>(rc);
    r.curlError = errbuf[0] ? errbuf : curl_easy_strerror(rc);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.status);
    curl_easy_getinfo(c, CURLINFO_NUM_CONNECTS, &r.newConnections);
    curl_slist_free_all(list);
    return r;
}

// --------------------------------------------------------------------------

RawConnection::RawConnection(unsigned short port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

RawConnection::~RawConnection()
{
    close();
}

void RawConnection::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool RawConnection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool RawConnection::fill(std::chrono::steady_clock::time_point deadline)
{
    if (fd_ < 0)
        return false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        const int pr = ::poll(&p, 1, static_cast<int>(left.count()));
        if (pr < 0 && errno == EINTR)
            continue;
        if (pr <= 0)
            return false;
        char buf[65536];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer_.append(buf, static_cast<std::size_t>(n));
        return true;
    }
}

std::optional<RawResponse> RawConnection::readResponse(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto headEnd = buffer_.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            RawResponse r;
            if (!ParseHead(std::string_view(buffer_).substr(0, headEnd), r))
                return std::nullopt;
            std::size_t length = 0;
            if (auto it = r.headers.find("content-length"); it != r.headers.end())
                length = static_cast<std::size_t>(std::stoull(it->second));
            while (buffer_.size() < headEnd + 4 + length)
                if (!fill(deadline))
                    return std::nullopt;
            r.body = buffer_.substr(headEnd + 4, length);
            buffer_.erase(0, headEnd + 4 + length);
            return r;
        }
        if (!fill(deadline))
            return std::nullopt;
    }
}

bool RawConnection::waitClosed(std::chrono::milliseconds timeout)
{
    if (fd_ < 0)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        const int pr = ::poll(&p, 1, static_cast<int>(left.count()));
        if (pr < 0 && errno == EINTR)
            continue;
        if (pr == 0)
            return false;
        char buf[65536];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return true;
    }
}

std::optional<std::string> JsonMember(std::string_view json, std::string_view name)
{
    QJsonParseError err;
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(json.data(), static_cast<qsizetype>(json.size())), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject obj = doc.object();
    const QString key = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (!obj.contains(key))
        return std::nullopt;
    const QJsonValue v = obj.value(key);
    if (v.isString())
        return v.toString().toStdString();
    if (v.isDouble())
        return QString::number(v.toDouble()).toStdString();
    if (v.isBool())
        return v.toBool() ? "true" : "false";
    return QJsonDocument(v.isObject() ? QJsonDocument(v.toObject()) : QJsonDocument()).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace tarsel::test
