#pragma once
// Pictures of the ordering screens (flat SVG drawings compiled in):
// resim-yok (the stock dialog's placeholder), check-all, uncheck-all
// (basket selection buttons), gonder, excel, sepete-ekle, vazgec.

#include <QIcon>
#include <QImage>
#include <QString>

namespace tarsel {

QIcon OrderingIcon(const QString &name);
// The drawing rendered into `size` device pixels (transparent background).
QImage OrderingImage(const QString &name, const QSize &size);

}  // namespace tarsel
