#include "signin/outsideaddress.h"

#include "signin/httpget.h"
#include "util/deployment.h"

#include <QElapsedTimer>
#include <QThread>

namespace tarsel {

QString OutsideAddressUrl() { return Deployment().outsideAddressBase + QStringLiteral("ip.php"); }

QString TrimBlank(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 0x20) ++b;
    while (e > b && text[e - 1].unicode() <= 0x20) --e;
    return text.mid(b, e - b);
}

QString OutsideAddressQuery::run() const
{
    HttpGetOptions o;
    o.url = url;
    o.connectTimeoutMs = kOutsideAddressConnectTimeoutMs;
    o.idleTimeoutMs = kOutsideAddressReadTimeoutMs;
    o.cancelled = cancelled;
    for (;;) {
        if (cancelled && cancelled()) return {};
        const HttpGetResult r = HttpGet(o);
        if (r.cancelled) return {};
        if (r.ok && r.status >= 200 && r.status < 300) return TrimBlank(QString::fromUtf8(r.body));
        if (onRetry) onRetry(r.ok ? QStringLiteral("HTTP %1").arg(r.status) : r.error);
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < retryPauseMs) {
            if (cancelled && cancelled()) return {};
            QThread::msleep(20);
        }
    }
}

}  // namespace tarsel
