#pragma once
// `TAsyncResim`: a transparent picture control that downloads its picture
// over HTTP in the background and shows it once it has arrived.
//
// Setting `Url` to a new, non-empty address starts one GET of it. When the
// answer has a body, its "Content-Type" decides the picture kind (the text
// after "image/": jpeg or jpg, png, bmp; anything else, parameters included,
// shows nothing) and the body is decoded; the status code is not looked at.
// Nothing is ever reported to the user: a missing or unusable answer leaves
// the control empty, so what lies beneath stays visible. Destroying the
// control cancels a download that is still running.

#include "catalogue/picturebox.h"

#include <QNetworkReply>
#include <QPointer>
#include <QString>

class QIODevice;
class QNetworkAccessManager;

namespace tarsel {

// The image format ("JPEG", "PNG", "BMP") a content type selects, or nullptr.
const char *PictureFormatForContentType(const QString &contentType);

class TAsyncResim : public TPictureBox {
    Q_OBJECT
    Q_PROPERTY(QString Url READ Url WRITE setUrl)
public:
    explicit TAsyncResim(QWidget *owner = nullptr);
    ~TAsyncResim() override;

    QString Url() const { return FUrl; }
    void setUrl(const QString &url);

    // Decodes `body` as the kind `contentType` selects and makes it the
    // control's picture. False (picture unchanged) for another content type
    // or a body that does not decode.
    bool LoadPictureFromStream(const QString &contentType, QIODevice &body);

    // Number of downloads started so far.
    int downloadsStarted() const { return started_; }
    bool downloading() const { return FHTTPRequest != nullptr; }

Q_SIGNALS:
    // A download ended: with a picture shown, or not.
    void downloadFinished(bool shown);

private:
    void Geldi(QNetworkReply *reply);

    QString FUrl;
    QNetworkAccessManager *FHTTPClient = nullptr;
    QPointer<QNetworkReply> FHTTPRequest;
    bool iptal = false;
    int started_ = 0;
};

}  // namespace tarsel
