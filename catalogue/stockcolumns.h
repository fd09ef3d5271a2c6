#pragma once
// Column definitions of the three stock grids (stock list, new items,
// campaign items) and the price information cell of the stock list.

#include "grid/gridcolumn.h"

#include <QLocale>
#include <QStringList>

#include <vector>

namespace tarsel {

// Key of the unbound price information column of the stock list.
inline const QString kPriceInfoColumn = QStringLiteral("FIYATBILGISI");

// A main window more than this many pixels wide is wide: the stock list then
// shows its price columns instead of the price information cell.
inline constexpr int kNarrowWindowLimit = 1152;
inline bool IsWideWindow(int width) { return width > kNarrowWindowLimit; }

// Width of the price information column and of Oem1-Oem3 on a narrow window.
inline constexpr int kPriceInfoWidth = 150;
inline constexpr int kNarrowOemWidth = 80;
inline constexpr int kStockRowHeight = 50;

std::vector<GridColumn> StockListColumns();
std::vector<GridColumn> NewItemColumns();
std::vector<GridColumn> CampaignColumns();

// Lines of the price information cell, values in the money format of
// `locale`: "Liste Fiyatı: ", "Kampanyalı Fiyat: " (only for a campaign price
// above 0), "NetFiyat: ", "KDV li Fiyat: ".
QStringList PriceCellLines(double listPrice, double campaignPrice, double netPrice, double vatIncluded,
                           const QLocale &locale = QLocale());

// The cell's font, made smaller (down to 8 pixels) when the lines would not
// fit into `area` with it; never larger.
QFont PriceCellFont(const QFont &cellFont, const QStringList &lines, const QSize &area);

// Draws the price information cell: the row background (selection colour,
// or the even/odd row colour by the row's index in the view), then the lines
// right-aligned and vertically centred, 10 pixels in from both sides.
void PaintPriceCell(QPainter *painter, const QRect &rect, const GridRow &row, const GridCellState &state);

}  // namespace tarsel
