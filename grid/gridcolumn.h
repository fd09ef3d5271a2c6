#pragma once
// Column definitions of a data grid.
//
// A screen describes each list it shows as a vector of GridColumn values, in
// view order: which result column a grid column shows, its header caption, its
// share of the width, whether it is shown at start and offered in the column
// chooser, and how its cells are drawn. Everything else (filters, sorting,
// footer, grouping, export) works from these definitions.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class QPainter;
class QStyleOptionViewItem;

namespace tarsel {

class DataTable;
class GridModel;

// How the cells of a column are drawn.
enum class CellKind : unsigned char {
    Text,         // the value as text (money columns with their display format)
    Icon,         // an icon chosen by the value; the description is never drawn
    CheckBox,     // ticked for a non-zero value
    ProgressBar,  // a value from 0 to 100 as a bar
    Button,       // a push button in every row (unbound); a click is reported
    Picture,      // image bytes (a blob or text column holding PNG/JPEG/GIF data)
    Custom,       // drawn by the column's paint callback
};

// One value of an icon column: the value, the description shown in filters,
// tooltips and exports, and the icon name (empty: the value shows no icon).
struct IconValue {
    qint64 value = 0;
    QString description;
    QString icon;
};

// Value-to-icon table of an icon column.
struct IconSet {
    std::vector<IconValue> values;
    // Index into values used for a value that is not in the table; -1 draws nothing.
    int fallback = -1;

    const IconValue *find(qint64 value) const;  // with the fallback; nullptr when none

    // The six stock states of the DURUM column: 0 "Yok", 1 "Var",
    // 2 "Telefon Açınız", 3 "Yolda", 4 "Özel Sipariş", 5 "Tedarik Sürecinde".
    static IconSet stockStates();
    // 0 "Hayır", 1 "Evet". With iconForNo false the value 0 shows no icon.
    static IconSet yesNo(bool iconForNo = true);
    // RESIM: 1 "Var" with the picture-available icon, 0 "Yok" without icon.
    static IconSet pictureFlag();
    // The seven document kinds of the documents list, by icon index:
    // 0 generic file, 1 database, 2 picture, 3 word-processor document,
    // 4 PDF, 5 presentation, 6 spreadsheet. Other values show icon 0.
    static IconSet documentTypes();
};

// Theme colours of a grid. The names follow the colours custom-drawn cells
// are specified with: selection, even rows and odd rows.
struct GridTheme {
    QColor selectionColor{0xcf, 0xe3, 0xf7};
    QColor selectionTextColor{0x10, 0x20, 0x30};
    QColor contentEvenColor{0xff, 0xff, 0xff};
    QColor contentOddColor{0xf3, 0xf6, 0xfa};
    QColor textColor{0x20, 0x20, 0x20};
    QColor gridLineColor{0xdc, 0xe1, 0xe8};
    QColor headerColor{0xe9, 0xee, 0xf4};
    QColor headerTextColor{0x1e, 0x2a, 0x38};
    QColor footerColor{0xe9, 0xee, 0xf4};
    QColor groupRowColor{0xdd, 0xe6, 0xf0};
    QColor groupFooterColor{0xf0, 0xf3, 0xf7};
    QColor accentColor{0x1f, 0x6f, 0xc5};     // active filter buttons, progress bars
    QColor searchHighlightColor{0xff, 0xd8, 0x4d};
};

// Read access to one row of the grid's table, given to custom-drawn cells and
// computed columns. Field names are the table's column names (case-insensitive);
// a field the table lacks reads as null.
class GridRow {
public:
    GridRow() = default;
    GridRow(const GridModel *model, int sourceRow, int viewRow);

    bool isValid() const { return model_ && sourceRow_ >= 0; }
    int sourceRow() const { return sourceRow_; }  // row index in the table
    int viewRow() const { return viewRow_; }      // row index in the view, from 0
    const DataTable *table() const;

    bool isNull(const QString &field) const;
    QVariant value(const QString &field) const;  // typed value; invalid for null or missing
    double number(const QString &field) const;   // 0 for null, missing or text
    QString text(const QString &field) const;    // as the table stores it, no display format
    // The value as the grid would show it: money columns with their display
    // format and the regional separators.
    QString displayText(const QString &field) const;

private:
    const GridModel *model_ = nullptr;
    int sourceRow_ = -1;
    int viewRow_ = -1;
};

// What a custom-drawn cell knows about its situation.
struct GridCellState {
    bool selected = false;
    bool focused = false;     // the current cell of the view
    bool enabled = true;
    int viewRow = -1;         // index of the row in the view, counted from 0
    QFont font;               // the cell's font
    const GridTheme *theme = nullptr;
    const QStyleOptionViewItem *option = nullptr;
};

using CellPainter =
    std::function<void(QPainter *painter, const QRect &rect, const GridRow &row, const GridCellState &state)>;
using CellValue = std::function<QVariant(const GridRow &row)>;

// One column of a grid.
struct GridColumn {
    QString field;       // result column; empty for an unbound column
    QString id;          // unique key when field is empty or bound twice; defaults to field
    QString caption;     // header text; empty shows the field name
    int weight = 1;      // share of the width in FitColumnsByWeight
    bool visible = true;     // shown at start
    bool inChooser = true;   // offered in the column chooser
    CellKind kind = CellKind::Text;
    Qt::Alignment alignment = {};  // horizontal part; empty = numbers right, others left
    int wordWrap = -1;   // -1 the grid's default, 0 no, 1 yes
    int width = 0;       // initial width in pixels; 0 = derived from the weight
    bool sortable = true;
    bool filterable = true;
    bool exportable = true;
    IconSet icons;             // CellKind::Icon
    QString buttonIcon;        // CellKind::Button: icon name, e.g. "download"
    QString buttonText;        // CellKind::Button: text beside the icon
    CellPainter paint;         // CellKind::Custom
    // Value of an unbound column (filters, search, export and the text of a
    // custom cell); bound columns read the table.
    CellValue value;

    QString key() const { return id.isEmpty() ? field : id; }
    QString headerText() const { return caption.isEmpty() ? field : caption; }

    // Builders for the usual kinds; modifiers below chain on the result.
    static GridColumn text(const QString &field, const QString &caption, int weight = 1);
    static GridColumn icon(const QString &field, const QString &caption, int weight, IconSet set);
    static GridColumn checkBox(const QString &field, const QString &caption, int weight = 1);
    static GridColumn progress(const QString &field, const QString &caption, int weight = 1);
    static GridColumn button(const QString &id, const QString &caption, const QString &iconName,
                             const QString &text = QString(), int weight = 1);
    static GridColumn picture(const QString &field, const QString &caption, int weight = 1);
    static GridColumn custom(const QString &id, const QString &caption, int weight, CellPainter painter,
                             CellValue value = {});

    GridColumn &hidden() { visible = false; return *this; }
    GridColumn &shown(bool v) { visible = v; return *this; }
    GridColumn &notInChooser() { inChooser = false; return *this; }
    GridColumn &chooser(bool v) { inChooser = v; return *this; }
    GridColumn &align(Qt::Alignment a) { alignment = a; return *this; }
    GridColumn &centred() { alignment = Qt::AlignHCenter; return *this; }
    GridColumn &wrap(bool v) { wordWrap = v ? 1 : 0; return *this; }
    GridColumn &withWidth(int px) { width = px; return *this; }
    GridColumn &withId(const QString &k) { id = k; return *this; }
    GridColumn &noSort() { sortable = false; return *this; }
    GridColumn &noFilter() { filterable = false; return *this; }
    GridColumn &noExport() { exportable = false; return *this; }
};

// A footer or group footer summary.
struct GridSummary {
    enum Kind : unsigned char { Count, Sum };
    Kind kind = Count;
    QString column;  // key of the column it is shown under (and, for Sum, the column summed);
                     // an empty column puts a count under the first visible column

    static GridSummary count(const QString &underColumn = QString()) { return {Count, underColumn}; }
    static GridSummary sum(const QString &column) { return {Sum, column}; }
};

// View settings of a grid. Grids of this program are always read-only.
struct GridOptions {
    int rowHeight = 40;
    int headerHeight = 40;
    int footerHeight = 28;
    int fontPixelSize = 0;      // 0: the application font
    bool wordWrap = false;      // default for text cells
    bool headerFilters = true;  // filter button in each header
    bool filterButtonsAlways = false;  // false: shown while pointed at, or while the column is filtered
    bool incrementalSearch = true;
    bool columnChooser = true;
    bool sorting = true;        // false keeps the rows in the table's order
    bool rowIndicator = false;  // a narrow strip left of the rows marking the focused one
    bool showFooter = false;    // also shown whenever footer summaries are set
    bool focusRect = false;     // frame around the focused cell
    bool autoFitByWeight = false;  // FitColumnsByWeight with the grid's width on every resize
};

}  // namespace tarsel
