#include "remote/dsconnection.h"

#include "wire/methodtable.h"

#include <curl/curl.h>

#include <mutex>

namespace tarsel {

namespace {

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Receive {
    HttpResult *result;
};

size_t onBody(char *data, size_t size, size_t n, void *user)
{
    auto *r = static_cast<Receive *>(user);
    r->result->body.append(data, qsizetype(size * n));
    return size * n;
}

size_t onHeader(char *data, size_t size, size_t n, void *user)
{
    auto *r = static_cast<Receive *>(user);
    const std::string_view line(data, size * n);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return size * n;
    std::string name(line.substr(0, colon));
    for (auto &ch : name) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.remove_suffix(1);
    if (name == "content-length") {
        // Reserve once so that a large stream is received without reallocation.
        const long long len = std::atoll(std::string(value).c_str());
        if (len > 0 && len < (1LL << 31)) r->result->body.reserve(qsizetype(len));
    } else if (name == "content-type") {
        r->result->contentType = std::string(value);
    } else if (name == "x-tarsel-result") {
        r->result->resultHeader = std::string(value);
    }
    return size * n;
}

}  // namespace

DSConnection::DSConnection() { globalInit(); }

DSConnection::~DSConnection() { Close(); }

std::unique_ptr<DSConnection> DSConnection::CloneDescription() const
{
    auto c = std::make_unique<DSConnection>();
    c->CopyDescriptionFrom(*this);
    return c;
}

void DSConnection::CopyDescriptionFrom(const DSConnection &o)
{
    DriverName = o.DriverName;
    CommunicationProtocol = o.CommunicationProtocol;
    HostName = o.HostName;
    Port = o.Port;
    DatasnapContext = o.DatasnapContext;
    Filters = o.Filters;
    LoginPrompt = o.LoginPrompt;
    ConnectTimeoutMs = o.ConnectTimeoutMs;
    StallTimeoutSec = o.StallTimeoutSec;
}

QString DSConnection::BaseUrl() const
{
    QString host = HostName.trimmed();
    if (host.contains(u':') && !host.startsWith(u'[')) host = u'[' + host + u']';  // IPv6 literal
    QString ctx = DatasnapContext;
    if (!ctx.startsWith(u'/')) ctx.prepend(u'/');
    if (!ctx.endsWith(u'/')) ctx.append(u'/');
    return QStringLiteral("http://") + host + u':' + Port.trimmed() + ctx;
}

void DSConnection::Open()
{
    Close();
    CURL *h = curl_easy_init();
    if (!h) throw ConnectionError("Bağlantı hazırlanamadı");
    handle_ = h;
    try {
        const std::string url = (BaseUrl() + QStringLiteral("handshake")).toStdString();
        // The handshake proves that a tarsel server answers, not just that the port is open.
        HttpResult r = perform(url, nullptr, long(ConnectTimeoutMs) + 5000);
        if (r.status != 200 || !r.body.contains("\"server\""))
            throw ConnectionError("Sunucu beklenen cevabı vermedi (HTTP " + std::to_string(r.status) + ")");
    } catch (...) {
        Close();
        throw;
    }
}

void DSConnection::Close()
{
    if (handle_) {
        curl_easy_cleanup(static_cast<CURL *>(handle_));
        handle_ = nullptr;
    }
}

HttpResult DSConnection::Post(const QString &methodName, std::string &&body)
{
    if (!handle_) throw ConnectionError("Bağlantı açık değil");
    const std::string url = (BaseUrl() + QString::fromLatin1(wire::kCommandPrefix.data(),
                                                             qsizetype(wire::kCommandPrefix.size())) +
                             methodName)
                                .toStdString();
    std::string payload = std::move(body);
    return perform(url, &payload, 0);
}

HttpResult DSConnection::perform(const std::string &url, std::string *postBody, long timeoutMs)
{
    CURL *h = static_cast<CURL *>(handle_);
    HttpResult result;
    Receive rx{&result};
    char errbuf[CURL_ERROR_SIZE] = {0};

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(ConnectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(StallTimeoutSec));
    curl_easy_setopt(h, CURLOPT_PROXY, "");  // the application server is reached directly
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &rx);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &rx);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L);

    struct curl_slist *headers = nullptr;
    if (postBody) {
        headers = curl_slist_append(headers, "Content-Type: application/json; charset=utf-8");
        headers = curl_slist_append(headers, "Expect:");  // no 100-continue round trip
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, postBody->data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postBody->size()));
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);

    const CURLcode rc = curl_easy_perform(h);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    if (rc != CURLE_OK) {
        std::string why = errbuf[0] ? errbuf : curl_easy_strerror(rc);
        throw ConnectionError("Sunucu ile iletişim kurulamadı: " + why);
    }
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    return result;
}

}  // namespace tarsel
