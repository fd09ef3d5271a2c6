#pragma once
// The grid's header row (captions, sort arrow, filter buttons), the row
// indicator strip and the footer bar with the summaries.

#include "grid/gridcolumn.h"
#include "grid/gridsummary.h"

#include <QHeaderView>
#include <QWidget>

#include <functional>
#include <vector>

class QTableView;

namespace tarsel {

class GridModel;

class GridHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeaderView(QWidget *parent = nullptr);

    void setTheme(const GridTheme *theme) { theme_ = theme; }
    void setGridModel(const GridModel *model) { gridModel_ = model; }
    void setFilterButtonsEnabled(bool on);
    bool filterButtonsEnabled() const { return filterButtons_; }
    void setFilterButtonsAlwaysShown(bool on);
    void setSortState(int column, Qt::SortOrder order);

    // Rectangle of a section's filter button in header coordinates (empty
    // when the column has none). The button shows while the pointer is over
    // the section or while the column is filtered, so narrow captions keep
    // their room.
    QRect filterButtonRect(int logicalIndex) const;
    void setPopupSection(int logicalIndex);  // the section whose popup is open

Q_SIGNALS:
    void filterButtonClicked(int logicalIndex, const QRect &globalButtonRect);
    void sortClicked(int logicalIndex, Qt::KeyboardModifiers modifiers);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    bool hasFilterButton(int logicalIndex) const;
    bool filterButtonShown(int logicalIndex) const;
    QRect sectionRect(int logicalIndex) const;

    const GridTheme *theme_ = nullptr;
    GridTheme fallback_;
    const GridModel *gridModel_ = nullptr;
    bool filterButtons_ = true;
    bool filterButtonsAlways_ = false;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    int pressedSection_ = -1;
    int hoverSection_ = -1;
    int popupSection_ = -1;
    bool pressOnButton_ = false;
    Qt::KeyboardModifiers releaseModifiers_;
};

// Narrow strip left of the rows marking the focused row with a small arrow.
class GridRowIndicator : public QHeaderView {
    Q_OBJECT
public:
    explicit GridRowIndicator(QWidget *parent = nullptr);
    void setTheme(const GridTheme *theme) { theme_ = theme; }
    void setCurrentRow(int row);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sizeHint() const override;

private:
    const GridTheme *theme_ = nullptr;
    GridTheme fallback_;
    int current_ = -1;
};

// The footer row under the grid: each summary in a box under its column,
// following the columns' widths and the horizontal scrolling.
class GridFooterBar : public QWidget {
    Q_OBJECT
public:
    GridFooterBar(QTableView *view, QWidget *parent = nullptr);

    void setTheme(const GridTheme *theme) { theme_ = theme; update(); }
    void setCells(std::vector<SummaryCell> cells);
    const std::vector<SummaryCell> &cells() const { return cells_; }
    void setFallbackColumn(int column);
    // Column alignment lookup (numbers right, text left) for the boxes.
    void setAlignmentOf(std::function<Qt::Alignment(int)> f) { alignmentOf_ = std::move(f); }
    // Text shown under `column`, empty when none (tests).
    QString textUnder(int column) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTableView *view_;
    const GridTheme *theme_ = nullptr;
    GridTheme fallback_;
    std::vector<SummaryCell> cells_;
    int fallbackColumn_ = 0;
    std::function<Qt::Alignment(int)> alignmentOf_;
};

}  // namespace tarsel
