#include "signin/dosyaindir.h"

#include "app/processexit.h"
#include "remote/remotecall.h"
#include "signin/httpget.h"
#include "util/deployment.h"
#include "util/folders.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace tarsel {

QString UpdateNoticeText(int serverVersion)
{
    return QStringLiteral("Tarsel Otomotiv B2B Programının\nYeni versiyonu indirilecektir\nLütfen Bekleyiniz...!\n"
                          "Version: ") +
           QString::number(serverVersion) + QLatin1Char('-') + QString::number(8);
}

QString DownloadProgressText(qint64 received, qint64 total, const QLocale &locale)
{
    if (total <= 0) return {};
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    const double percent = double(received) / double(total) * 100.0;
    auto mb = [](qint64 bytes) { return double(bytes) / 1024.0 / 1024.0; };
    return QStringLiteral("Bilgi: %") + l.toString(percent, 'f', 2) + QStringLiteral("  İndirilen: ") +
           l.toString(mb(received), 'f', 2) + QLatin1Char('/') + l.toString(mb(total), 'f', 2) +
           QStringLiteral(" Mb");
}

QString InstallerPath()
{
    QString folder = GetLocalAppDataFolder();
    if (folder.isEmpty()) folder = QDir::homePath();
    return folder + QLatin1Char('/') + kInstallerFileName;
}

Tdosyaindir::Tdosyaindir(QWidget *owner, int version) : QDialog(owner), url_(Deployment().downloadUrl)
{
    setWindowTitle(QStringLiteral("Dosya İndir"));
    setObjectName(QStringLiteral("dosyaindir"));
    setModal(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);

    sLabel1 = new QLabel(UpdateNoticeText(version), this);
    sLabel1->setObjectName(QStringLiteral("sLabel1"));
    sLabel1->setAlignment(Qt::AlignCenter);
    sLabel1->setWordWrap(true);
    QFont notice(QStringLiteral("Tahoma"));
    notice.setPixelSize(27);
    sLabel1->setFont(notice);
    QPalette pal = sLabel1->palette();
    pal.setColor(QPalette::WindowText, QColor(67, 76, 88));
    sLabel1->setPalette(pal);
    lay->addWidget(sLabel1, 1);

    auto *bottom = new QWidget(this);
    bottom->setFixedHeight(58);
    auto *bl = new QVBoxLayout(bottom);
    bl->setContentsMargins(6, 2, 6, 6);
    bl->setSpacing(2);
    bilgi = new QLabel(bottom);
    bilgi->setObjectName(QStringLiteral("bilgi"));
    ProgressBar1 = new QProgressBar(bottom);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    bl->addWidget(bilgi);
    bl->addWidget(ProgressBar1, 1);
    lay->addWidget(bottom);

    setFixedSize(543, 309);
    if (QScreen *s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

void Tdosyaindir::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Started once the window is up, so that it shows while the download runs.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void Tdosyaindir::closeEvent(QCloseEvent *event)
{
    if (downloading_) event->ignore();
    else QDialog::closeEvent(event);
}

void Tdosyaindir::reject()
{
    if (!downloading_) QDialog::reject();
}

void Tdosyaindir::FormActivate()
{
    if (basladi_) return;
    basladi_ = true;
    try {
        download();
    } catch (const std::exception &e) {
        downloading_ = false;
        ReportUnhandledError(QString::fromUtf8(e.what()));
    }
}

void Tdosyaindir::ReceiveData(qint64 contentLength, qint64 readCount)
{
    if (contentLength <= 0) return;
    bilgi->setText(DownloadProgressText(readCount, contentLength));
    // The bar counts kilobytes so that large files fit its integer range.
    ProgressBar1->setMaximum(int(qMax<qint64>(1, contentLength / 1024)));
    ProgressBar1->setValue(int(readCount / 1024));
    QCoreApplication::processEvents();
}

void Tdosyaindir::download()
{
    const QString path = InstallerPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (QFile::exists(path) && !QFile::remove(path))
        throw std::runtime_error(("Eski kurulum dosyası silinemedi: " + path).toStdString());

    HttpGetOptions o;
    o.url = url_;
    o.connectTimeoutMs = kDownloadTimeoutMs;
    o.idleTimeoutMs = kDownloadTimeoutMs;
    o.followRedirects = true;
    o.acceptEncoding = kDownloadAcceptEncoding;
    o.userAgent = kDownloadUserAgent;
    o.headers = {{"Accept", kDownloadAccept}, {"Accept-Language", kDownloadAcceptLanguage}};
    o.progress = [this](qint64 total, qint64 now) { ReceiveData(total, now); };
    o.cancelled = [] {
        QCoreApplication::processEvents();  // the window keeps painting
        return false;
    };
    downloading_ = true;
    const HttpGetResult r = HttpGet(o);
    downloading_ = false;
    if (!r.ok) {
        QMessageBox::critical(this, QString(), QStringLiteral("Hata Oluştu !\nHata: ") + r.error);
        EndProcess(0);
        done(0);
        return;
    }

    // Saved whatever the HTTP status: an error page is started too, and
    // simply fails to run.
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(r.body) != r.body.size() ||
        !out.flush())
        throw std::runtime_error(("Kurulum dosyası yazılamadı: " + path + ": " + out.errorString()).toStdString());
    out.close();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);

    QProcess::startDetached(path, {QStringLiteral("/silent")}, QFileInfo(path).absolutePath());
    EndProcess(0);
    done(0);
}

}  // namespace tarsel
