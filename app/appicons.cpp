#include "app/appicons.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

static void initAppIconResources() { Q_INIT_RESOURCE(appicons); }

namespace tarsel {

namespace {

void ensureResources()
{
    static const bool done = [] {
        initAppIconResources();
        return true;
    }();
    Q_UNUSED(done);
}

}  // namespace

QStringList AppPictureNames()
{
    return {QStringLiteral("tarsel-logo"),       QStringLiteral("giris-arka-plan"), QStringLiteral("menu"),
            QStringLiteral("ara"),               QStringLiteral("stok-listesi"),    QStringLiteral("sepet"),
            QStringLiteral("onceki-siparisler"), QStringLiteral("cari-ekstre"),     QStringLiteral("yeni-stoklar"),
            QStringLiteral("kampanyali"),        QStringLiteral("duyurular"),       QStringLiteral("bakiyeler"),
            QStringLiteral("dosyalar"),          QStringLiteral("iletisim"),        QStringLiteral("cari-liste"),
            QStringLiteral("alindi"),            QStringLiteral("onaylandi"),       QStringLiteral("goruldu"),
            QStringLiteral("parcali-hazirlandi"), QStringLiteral("hazirlandi"),     QStringLiteral("sevk-edildi")};
}

QString AppPicturePath(const QString &name)
{
    ensureResources();
    return QStringLiteral(":/tarsel/app/icons/") + name + QStringLiteral(".svg");
}

QIcon AppIcon(const QString &name) { return QIcon(AppPicturePath(name)); }

QPixmap AppPixmap(const QString &name, const QSize &size, qreal dpr)
{
    QSvgRenderer renderer(AppPicturePath(name));
    if (!renderer.isValid() || size.isEmpty()) return {};
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QSizeF natural = renderer.defaultSize();
    if (natural.isEmpty()) natural = size;
    natural.scale(QSizeF(size), Qt::KeepAspectRatio);
    const QRectF target((size.width() - natural.width()) / 2.0, (size.height() - natural.height()) / 2.0,
                        natural.width(), natural.height());
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p, target);
    return pm;
}

}  // namespace tarsel
