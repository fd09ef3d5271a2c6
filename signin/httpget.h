#pragma once
// One HTTP GET with libcurl, driven in small steps so that the caller can
// abandon it at any moment and can keep a window painted while it runs.
// Used by the outside-address query (on a background task) and the
// self-update download (on the user-interface thread).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace tarsel {

struct HttpGetOptions {
    QString url;
    int connectTimeoutMs = 15000;
    // The request fails when no byte arrives for this long once connected
    // (0: no limit).
    int idleTimeoutMs = 0;
    bool followRedirects = false;
    // Extra request headers, e.g. {"Accept", "text/html"}.
    QList<QPair<QByteArray, QByteArray>> headers;
    // Sent as Accept-Encoding; the body is decoded accordingly. Empty: none.
    QByteArray acceptEncoding;
    QByteArray userAgent;
    // Polled between steps (about every 20 ms); true abandons the request.
    std::function<bool()> cancelled;
    // Called between steps with the announced length (0 or less: unknown)
    // and the bytes received so far.
    std::function<void(qint64 total, qint64 received)> progress;
};

struct HttpGetResult {
    bool ok = false;         // an answer arrived (any HTTP status)
    bool cancelled = false;  // abandoned through `cancelled`
    long status = 0;
    QByteArray body;
    QString error;           // why it failed
    QString finalUrl;        // after redirects
    int redirects = 0;
};

HttpGetResult HttpGet(const HttpGetOptions &options);

}  // namespace tarsel
