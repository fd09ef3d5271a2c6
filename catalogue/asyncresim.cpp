#include "catalogue/asyncresim.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace tarsel {

const char *PictureFormatForContentType(const QString &contentType)
{
    QString kind = contentType.mid(6);
    for (QChar &c : kind)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    if (kind == QLatin1String("jpeg") || kind == QLatin1String("jpg")) return "JPEG";
    if (kind == QLatin1String("png")) return "PNG";
    if (kind == QLatin1String("bmp")) return "BMP";
    return nullptr;
}

TAsyncResim::TAsyncResim(QWidget *owner) : TPictureBox(owner)
{
    // Not owned by the Qt parent chain: released explicitly in the destructor,
    // after any running transfer has been aborted.
    FHTTPClient = new QNetworkAccessManager();
}

TAsyncResim::~TAsyncResim()
{
    iptal = true;
    if (FHTTPRequest) {
        QNetworkReply *reply = FHTTPRequest;
        FHTTPRequest = nullptr;
        reply->disconnect(this);
        reply->abort();
        delete reply;
    }
    delete FHTTPClient;
}

void TAsyncResim::setUrl(const QString &url)
{
    if (url == FUrl) return;
    FUrl = url;
    if (FUrl.isEmpty()) return;
    if (FHTTPRequest) {  // a new address replaces a download still running
        QNetworkReply *old = FHTTPRequest;
        FHTTPRequest = nullptr;
        old->disconnect(this);
        old->abort();
        old->deleteLater();
    }
    ++started_;
    QNetworkReply *reply = FHTTPClient->get(QNetworkRequest(QUrl(FUrl)));
    FHTTPRequest = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (iptal) reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (FHTTPRequest == reply) FHTTPRequest = nullptr;
        reply->deleteLater();
        if (iptal) return;
        Geldi(reply);
    });
}

void TAsyncResim::Geldi(QNetworkReply *reply)
{
    const QByteArray body = reply->readAll();
    if (body.isEmpty()) {
        Q_EMIT downloadFinished(false);
        return;
    }
    const QString contentType = QString::fromLatin1(reply->rawHeader("Content-Type"));
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    const bool shown = LoadPictureFromStream(contentType, buffer);
    if (shown) update();
    Q_EMIT downloadFinished(shown);
}

bool TAsyncResim::LoadPictureFromStream(const QString &contentType, QIODevice &body)
{
    const char *format = PictureFormatForContentType(contentType);
    if (!format) return false;
    body.seek(0);
    QImageReader reader(&body, format);
    reader.setDecideFormatFromContent(false);
    QImage image;
    if (!reader.read(&image) || image.isNull()) return false;
    setPicture(image);
    return true;
}

}  // namespace tarsel
