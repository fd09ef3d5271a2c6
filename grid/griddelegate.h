#pragma once
// Cell drawing of the grids: one delegate that paints each cell by its
// column's kind (text, icon, check box, progress bar, button, picture,
// custom) and the group caption and footer lines of grouped grids. It also
// reports clicks on check boxes and buttons; it never edits anything.

#include "grid/gridcolumn.h"

#include <QCache>
#include <QImage>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

namespace tarsel {

class GridModelBase;

// `font` made smaller pixel by pixel, down to `smallestPixels`, until every
// line fits `area` in width and all of them in height; the smallest size
// when nothing larger fits (the caller cuts what is still too wide).
QFont FontToFit(const QFont &font, const QStringList &lines, const QSize &area, int smallestPixels);

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(QObject *parent = nullptr);

    void setTheme(const GridTheme *theme) { theme_ = theme; }
    void setOptions(const GridOptions *options) { options_ = options; }
    // The cell whose first `length` characters match the incremental search.
    void setSearchHighlight(const QPersistentModelIndex &index, int length);
    void clearPictureCache() { pictures_.clear(); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    QWidget *createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const override { return nullptr; }

    // Geometry shared with hit tests.
    static QRect checkBoxRect(const QRect &cell);
    static QRect buttonRect(const QRect &cell);
    static QRect expanderRect(const QRect &cell);

    // Background of a data cell by the theme: selection, even or odd row.
    static QColor rowBackground(const GridTheme &theme, int viewRow, bool selected);

Q_SIGNALS:
    void checkBoxClicked(const QModelIndex &index);
    void buttonClicked(const QModelIndex &index);
    void expanderClicked(const QModelIndex &index);

private:
    void paintData(QPainter *p, const QStyleOptionViewItem &opt, const QModelIndex &index, const GridModelBase *m) const;
    void paintGroupHeader(QPainter *p, const QStyleOptionViewItem &opt, const QModelIndex &index) const;
    void paintGroupFooter(QPainter *p, const QStyleOptionViewItem &opt, const QModelIndex &index) const;
    void paintText(QPainter *p, const QRect &r, const QString &text, Qt::Alignment align, bool wrap,
                   const QColor &color, int highlight) const;
    const QImage *picture(const GridModelBase *m, const QModelIndex &index, int sourceRow) const;

    const GridTheme *theme_ = nullptr;
    const GridOptions *options_ = nullptr;
    GridTheme fallbackTheme_;
    QPersistentModelIndex searchIndex_;
    int searchLength_ = 0;
    QPersistentModelIndex pressed_;
    mutable QCache<qint64, QImage> pictures_{64 * 1024 * 1024 / 1024};  // cost in KiB
};

}  // namespace tarsel
