#include "grid/gridicons.h"

#include "grid/gridcolumn.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPaintDevice>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>
#include <memory>

// Resources of a static library are registered explicitly (outside any namespace).
static void InitGridResources()
{
    Q_INIT_RESOURCE(gridicons);
}

namespace tarsel {

namespace {

const QStringList &AllNames()
{
    static const QStringList n = {
        QStringLiteral("stock-none"),      QStringLiteral("stock-available"),    QStringLiteral("stock-call"),
        QStringLiteral("stock-on-the-way"), QStringLiteral("stock-special-order"), QStringLiteral("stock-procuring"),
        QStringLiteral("yes"),             QStringLiteral("no"),                 QStringLiteral("picture-available"),
        QStringLiteral("doc-generic"),     QStringLiteral("doc-database"),       QStringLiteral("doc-picture"),
        QStringLiteral("doc-word"),        QStringLiteral("doc-pdf"),            QStringLiteral("doc-presentation"),
        QStringLiteral("doc-spreadsheet"), QStringLiteral("download"),           QStringLiteral("busy"),
        QStringLiteral("filter"),          QStringLiteral("filter-active"),
    };
    return n;
}

QSvgRenderer *Renderer(const QString &name)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    static bool init = (InitGridResources(), true);
    Q_UNUSED(init);
    auto it = cache.find(name);
    if (it == cache.end()) {
        std::shared_ptr<QSvgRenderer> r;
        const QString path = GridIcons::resourcePath(name);
        if (QFile::exists(path)) {
            r = std::make_shared<QSvgRenderer>(path);
            if (!r->isValid()) r.reset();
        }
        it = cache.insert(name, r);
    }
    return it->get();
}

}  // namespace

namespace GridIcons {

QStringList names() { return AllNames(); }

bool exists(const QString &name) { return !name.isEmpty() && Renderer(name) != nullptr; }

QString resourcePath(const QString &name) { return QStringLiteral(":/tarsel/grid/icons/%1.svg").arg(name); }

QPixmap pixmap(const QString &name, const QSize &logicalSize, qreal dpr)
{
    if (logicalSize.isEmpty() || name.isEmpty()) return {};
    if (dpr <= 0) dpr = 1.0;
    const QString key = QStringLiteral("tarsel-grid:%1:%2x%3@%4")
                            .arg(name)
                            .arg(logicalSize.width())
                            .arg(logicalSize.height())
                            .arg(dpr, 0, 'f', 2);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm)) return pm;
    QSvgRenderer *r = Renderer(name);
    if (!r) return {};
    const QSize px(int(std::ceil(logicalSize.width() * dpr)), int(std::ceil(logicalSize.height() * dpr)));
    pm = QPixmap(px);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        // Keep the drawing's aspect ratio inside the requested box.
        QSizeF s = r->defaultSize();
        s.scale(QSizeF(px), Qt::KeepAspectRatio);
        const QRectF target((px.width() - s.width()) / 2.0, (px.height() - s.height()) / 2.0, s.width(), s.height());
        r->render(&p, target);
    }
    pm.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, pm);
    return pm;
}

QIcon icon(const QString &name)
{
    static bool init = (InitGridResources(), true);
    Q_UNUSED(init);
    if (!exists(name)) return {};
    return QIcon(resourcePath(name));
}

void paint(QPainter *painter, const QRect &rect, const QString &name, qreal rotation)
{
    if (!painter || rect.isEmpty() || name.isEmpty()) return;
    QSvgRenderer *r = Renderer(name);
    if (!r) return;
    QSize s = r->defaultSize();
    s.scale(rect.size(), Qt::KeepAspectRatio);
    const QRect target(rect.x() + (rect.width() - s.width()) / 2, rect.y() + (rect.height() - s.height()) / 2,
                       s.width(), s.height());
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    if (rotation == 0.0) {
        painter->drawPixmap(target.topLeft(), pixmap(name, target.size(), dpr));
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(QRectF(target).center());
    painter->rotate(rotation);
    painter->translate(-QRectF(target).center());
    r->render(painter, QRectF(target));
    painter->restore();
}

}  // namespace GridIcons

std::vector<StockLegendEntry> StockStateLegend()
{
    const IconSet set = IconSet::stockStates();
    auto iconOf = [&](int v) { return set.find(v)->icon; };
    return {
        {1, QStringLiteral(" Stok mevcut  "), iconOf(1)},
        {2, QStringLiteral(" Telefon Açınız  "), iconOf(2)},
        {3, QStringLiteral(" Yolda  "), iconOf(3)},
        {5, QStringLiteral(" Tedarik Sürecinde "), iconOf(5)},
        {4, QStringLiteral(" Özel Sipariş  "), iconOf(4)},
        {0, QStringLiteral(" Yok  "), iconOf(0)},
    };
}

}  // namespace tarsel
