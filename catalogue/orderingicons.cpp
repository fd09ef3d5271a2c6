#include "catalogue/orderingicons.h"

#include <QPainter>
#include <QSvgRenderer>

// Resources of a static library are registered explicitly (outside any namespace).
static void InitCatalogueResources() { Q_INIT_RESOURCE(catalogue); }

namespace tarsel {

namespace {
QString PathOf(const QString &name)
{
    static const bool registered = [] {
        InitCatalogueResources();
        return true;
    }();
    Q_UNUSED(registered);
    return QStringLiteral(":/tarsel/catalogue/icons/") + name + QStringLiteral(".svg");
}
}  // namespace

QIcon OrderingIcon(const QString &name) { return QIcon(PathOf(name)); }

QImage OrderingImage(const QString &name, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(PathOf(name));
    if (!renderer.isValid()) return image;
    QSize drawn = renderer.defaultSize();
    drawn.scale(size, Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), drawn);
    target.moveCenter(image.rect().center());
    QPainter p(&image);
    renderer.render(&p, target);
    return image;
}

}  // namespace tarsel
