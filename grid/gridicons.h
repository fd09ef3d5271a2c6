#pragma once
// The grid's icons: flat SVG drawings compiled into the program, rendered at
// the device pixel ratio of whatever they are painted on so they stay crisp on
// high-density screens.
//
// Names: stock-none, stock-available, stock-call, stock-on-the-way,
// stock-special-order, stock-procuring (the six stock states); yes, no;
// picture-available; doc-generic, doc-database, doc-picture, doc-word,
// doc-pdf, doc-presentation, doc-spreadsheet (document kinds); download;
// busy; filter, filter-active.

#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;

namespace tarsel {

struct IconSet;

namespace GridIcons {

QStringList names();
bool exists(const QString &name);
QString resourcePath(const QString &name);  // ":/tarsel/grid/icons/<name>.svg"

// The icon drawn at `logicalSize` for a device of pixel ratio `dpr` (cached).
// A null pixmap for an unknown name.
QPixmap pixmap(const QString &name, const QSize &logicalSize, qreal dpr);
// A scalable QIcon (for buttons, menus, legends).
QIcon icon(const QString &name);
// Paints the icon into `rect`, keeping its aspect ratio and centred, at the
// pixel ratio of the painter's device. `rotation` in degrees turns it about
// its centre (the busy indicator).
void paint(QPainter *painter, const QRect &rect, const QString &name, qreal rotation = 0.0);

}  // namespace GridIcons

// The stock state legend entries (value, text shown beside the icon, icon),
// in the order of the main window's status strip.
struct StockLegendEntry {
    int value;
    QString text;
    QString icon;
};
std::vector<StockLegendEntry> StockStateLegend();

}  // namespace tarsel
