#pragma once
// The program's own pictures: the seller's logo, the sign-in background, the
// header button's icon, the tab icons and the customer console's buttons.
// Flat SVG drawings compiled into the program, rendered at the device pixel
// ratio where they are painted.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace tarsel {

// Names (files app/icons/<name>.svg): tarsel-logo, giris-arka-plan, menu, ara,
// the tab icons stok-listesi, sepet, onceki-siparisler, cari-ekstre,
// yeni-stoklar, kampanyali, duyurular, bakiyeler, dosyalar, iletisim, and the
// console's cari-liste, alindi, onaylandi, goruldu, parcali-hazirlandi,
// hazirlandi, sevk-edildi.
QStringList AppPictureNames();
QString AppPicturePath(const QString &name);  // ":/tarsel/app/icons/<name>.svg"

QIcon AppIcon(const QString &name);
// The picture rendered into `size` (logical pixels) at `dpr`, keeping its
// aspect ratio, centred on a transparent background.
QPixmap AppPixmap(const QString &name, const QSize &size, qreal dpr = 1.0);

}  // namespace tarsel
