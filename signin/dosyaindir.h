#pragma once
// The self-update window `Tdosyaindir` ("Dosya İndir"): opened by the sign-in
// when the server expects another program version. It downloads the
// installer of the current version from the seller's download address into
// the local application-data folder, starts it with "/silent" and ends the
// program. There is no way back into the program with the old version.

#include <QDialog>
#include <QLocale>
#include <QString>

class QLabel;
class QProgressBar;

namespace tarsel {

// The notice: "...Version: <server version>-8".
QString UpdateNoticeText(int serverVersion);

// "Bilgi: %50,00  İndirilen: 1,50/3,00 Mb" for 1.5 MiB of 3 MiB under Turkish
// settings: percent, received and total MiB with two decimals and the
// locale's decimal separator (no digit grouping). Empty when the total is
// unknown (0 or less).
QString DownloadProgressText(qint64 received, qint64 total, const QLocale &locale = QLocale());

// Where the installer is saved: the local application-data folder +
// "/TarselSetup" (an executable file on this system).
QString InstallerPath();
inline const QString kInstallerFileName = QStringLiteral("TarselSetup");

// The request headers of the download.
inline const QByteArray kDownloadAccept =
    "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8";
inline const QByteArray kDownloadAcceptEncoding = "gzip, deflate";
inline const QByteArray kDownloadAcceptLanguage = "en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4";
inline const QByteArray kDownloadUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/60.0.3112.32 Safari/537.36";
inline constexpr int kDownloadTimeoutMs = 60000;

class Tdosyaindir : public QDialog {
    Q_OBJECT
public:
    // `Yeni`: the window with the notice for `version`, the download address
    // set and the download not yet started.
    Tdosyaindir(QWidget *owner, int version);

    QLabel *sLabel1 = nullptr;        // notice
    QLabel *bilgi = nullptr;          // progress text
    QProgressBar *ProgressBar1 = nullptr;

    QString downloadUrl() const { return url_; }
    bool basladi() const { return basladi_; }

    // Starts the download (once): FormActivate.
    void FormActivate();
    // Progress of the download: NetHTTPClient1ReceiveData.
    void ReceiveData(qint64 contentLength, qint64 readCount);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void download();

    QString url_;
    bool basladi_ = false;
    bool downloading_ = false;
};

}  // namespace tarsel
