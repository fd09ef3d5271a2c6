#include "signin/httpget.h"

#include <QElapsedTimer>

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace tarsel {

namespace {

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t onBody(char *data, size_t size, size_t n, void *user)
{
    static_cast<QByteArray *>(user)->append(data, qsizetype(size * n));
    return size * n;
}

struct Progress {
    qint64 total = 0;
    qint64 now = 0;
    qint64 lastNow = -1;
};

int onProgress(void *user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t)
{
    auto *p = static_cast<Progress *>(user);
    p->total = qint64(dltotal);
    p->now = qint64(dlnow);
    return 0;
}

}  // namespace

HttpGetResult HttpGet(const HttpGetOptions &o)
{
    globalInit();
    HttpGetResult result;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), &curl_easy_cleanup);
    std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)> multi(curl_multi_init(), &curl_multi_cleanup);
    if (!easy || !multi) {
        result.error = QStringLiteral("HTTP istemcisi hazırlanamadı");
        return result;
    }
    CURL *h = easy.get();
    const QByteArray url = o.url.toUtf8();
    char errbuf[CURL_ERROR_SIZE] = {0};
    Progress progress;

    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(o.connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, o.followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(h, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errbuf);
    if (!o.acceptEncoding.isEmpty()) curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, o.acceptEncoding.constData());
    if (!o.userAgent.isEmpty()) curl_easy_setopt(h, CURLOPT_USERAGENT, o.userAgent.constData());
    struct curl_slist *headers = nullptr;
    QList<QByteArray> headerLines;  // curl copies the strings, but keep them alive anyway
    for (const auto &[name, value] : o.headers) {
        headerLines.push_back(name + ": " + value);
        headers = curl_slist_append(headers, headerLines.back().constData());
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);

    curl_multi_add_handle(multi.get(), h);
    QElapsedTimer clock;
    clock.start();
    qint64 lastActivityMs = -1;  // once connected: time of the last byte (or of the connection)
    int running = 1;
    CURLcode code = CURLE_OK;
    bool done = false;
    while (!done) {
        if (o.cancelled && o.cancelled()) {
            result.cancelled = true;
            result.error = QStringLiteral("İstek iptal edildi");
            break;
        }
        curl_multi_perform(multi.get(), &running);
        int msgs = 0;
        while (CURLMsg *m = curl_multi_info_read(multi.get(), &msgs)) {
            if (m->msg == CURLMSG_DONE) {
                code = m->data.result;
                done = true;
            }
        }
        if (progress.now != progress.lastNow) {
            progress.lastNow = progress.now;
            lastActivityMs = clock.elapsed();
            if (o.progress) o.progress(progress.total, progress.now);
        }
        if (done) break;
        if (lastActivityMs < 0) {
            curl_off_t connectUs = 0;
            curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connectUs);
            if (connectUs > 0) lastActivityMs = clock.elapsed();
        }
        if (o.idleTimeoutMs > 0 && lastActivityMs >= 0 && clock.elapsed() - lastActivityMs > o.idleTimeoutMs) {
            result.error = QStringLiteral("Okuma zaman aşımı (%1 ms)").arg(o.idleTimeoutMs);
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, 20, nullptr);
    }
    if (done) {
        if (code == CURLE_OK) {
            result.ok = true;
            curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
            char *effective = nullptr;
            curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective);
            if (effective) result.finalUrl = QString::fromUtf8(effective);
            long redirects = 0;
            curl_easy_getinfo(h, CURLINFO_REDIRECT_COUNT, &redirects);
            result.redirects = int(redirects);
        } else {
            result.error = QString::fromUtf8(errbuf[0] ? errbuf : curl_easy_strerror(code));
        }
    }
    curl_multi_remove_handle(multi.get(), h);
    curl_slist_free_all(headers);
    return result;
}

}  // namespace tarsel
