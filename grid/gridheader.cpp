#include "grid/gridheader.h"

#include "grid/griddelegate.h"
#include "grid/gridicons.h"
#include "grid/gridmodel.h"

#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

namespace tarsel {

// ---------------------------------------------------------------- GridHeaderView

GridHeaderView::GridHeaderView(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setMinimumSectionSize(16);
    setSortIndicatorShown(false);
    setMouseTracking(true);
    connect(this, &QHeaderView::sectionClicked, this,
            [this](int logical) { Q_EMIT sortClicked(logical, releaseModifiers_); });
}

void GridHeaderView::setFilterButtonsEnabled(bool on)
{
    filterButtons_ = on;
    viewport()->update();
}

void GridHeaderView::setFilterButtonsAlwaysShown(bool on)
{
    filterButtonsAlways_ = on;
    viewport()->update();
}

void GridHeaderView::setSortState(int column, Qt::SortOrder order)
{
    sortColumn_ = column;
    sortOrder_ = order;
    viewport()->update();
}

bool GridHeaderView::hasFilterButton(int logicalIndex) const
{
    if (!filterButtons_ || !gridModel_ || logicalIndex < 0 || logicalIndex >= gridModel_->columnCount()) return false;
    return gridModel_->column(logicalIndex).filterable && sectionSize(logicalIndex) >= 36;
}

bool GridHeaderView::filterButtonShown(int logicalIndex) const
{
    if (!hasFilterButton(logicalIndex)) return false;
    return filterButtonsAlways_ || logicalIndex == hoverSection_ || logicalIndex == popupSection_ ||
           gridModel_->hasFilter(logicalIndex);
}

void GridHeaderView::setPopupSection(int logicalIndex)
{
    popupSection_ = logicalIndex;
    viewport()->update();
}

void GridHeaderView::mouseMoveEvent(QMouseEvent *event)
{
    const int logical = logicalIndexAt(event->position().toPoint());
    if (logical != hoverSection_) {
        hoverSection_ = logical;
        viewport()->update();
    }
    QHeaderView::mouseMoveEvent(event);
}

void GridHeaderView::leaveEvent(QEvent *event)
{
    if (hoverSection_ >= 0) {
        hoverSection_ = -1;
        viewport()->update();
    }
    QHeaderView::leaveEvent(event);
}

QRect GridHeaderView::sectionRect(int logicalIndex) const
{
    return QRect(sectionViewportPosition(logicalIndex), 0, sectionSize(logicalIndex), viewport()->height());
}

QRect GridHeaderView::filterButtonRect(int logicalIndex) const
{
    if (!hasFilterButton(logicalIndex)) return {};
    const QRect r = sectionRect(logicalIndex);
    return QRect(r.right() - 18, r.center().y() - 7, 14, 14);
}

void GridHeaderView::paintSection(QPainter *p, const QRect &rect, int logicalIndex) const
{
    const GridTheme &t = theme_ ? *theme_ : fallback_;
    p->fillRect(rect, t.headerColor);
    p->setPen(t.gridLineColor.darker(112));
    p->drawLine(rect.topRight(), rect.bottomRight());
    p->drawLine(rect.bottomLeft(), rect.bottomRight());

    QRect text = rect.adjusted(6, 2, -6, -2);
    const bool filterButton = filterButtonShown(logicalIndex);
    const bool sorted = logicalIndex == sortColumn_;
    if (filterButton) text.setRight(text.right() - 16);
    if (sorted) text.setRight(text.right() - 12);

    const QString caption = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    p->setPen(t.headerTextColor);
    const QFontMetrics fm = p->fontMetrics();
    if (text.width() > 4) {
        const QRect need = fm.boundingRect(text, Qt::AlignCenter | Qt::TextWordWrap, caption);
        if (need.height() <= text.height() && need.width() <= text.width())
            p->drawText(text, Qt::AlignCenter | Qt::TextWordWrap, caption);
        else
            p->drawText(text, Qt::AlignCenter | Qt::TextSingleLine, fm.elidedText(caption, Qt::ElideRight, text.width()));
    }
    p->setRenderHint(QPainter::Antialiasing);
    if (sorted) {
        const QPointF c(text.right() + 8, rect.center().y() + 1);
        QPainterPath tri;
        if (sortOrder_ == Qt::AscendingOrder) {
            tri.moveTo(c.x() - 4, c.y() + 2.5);
            tri.lineTo(c.x() + 4, c.y() + 2.5);
            tri.lineTo(c.x(), c.y() - 2.5);
        } else {
            tri.moveTo(c.x() - 4, c.y() - 2.5);
            tri.lineTo(c.x() + 4, c.y() - 2.5);
            tri.lineTo(c.x(), c.y() + 2.5);
        }
        tri.closeSubpath();
        p->fillPath(tri, t.headerTextColor);
    }
    if (filterButton) {
        const QRect b(rect.right() - 18, rect.center().y() - 7, 14, 14);
        const bool active = gridModel_->hasFilter(logicalIndex);
        GridIcons::paint(p, b, active ? QStringLiteral("filter-active") : QStringLiteral("filter"));
    }
}

void GridHeaderView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int logical = logicalIndexAt(pos);
    pressOnButton_ = false;
    if (event->button() == Qt::LeftButton && logical >= 0 && hasFilterButton(logical) &&
        filterButtonRect(logical).adjusted(-3, -4, 3, 4).contains(pos)) {
        pressOnButton_ = true;
        const QRect section = sectionRect(logical);
        const QRect globalRect(viewport()->mapToGlobal(QPoint(section.left(), section.top())),
                               QSize(section.width(), section.height()));
        Q_EMIT filterButtonClicked(logical, globalRect);
        event->accept();
        return;
    }
    pressedSection_ = logical;
    QHeaderView::mousePressEvent(event);
}

void GridHeaderView::mouseReleaseEvent(QMouseEvent *event)
{
    if (pressOnButton_) {
        pressOnButton_ = false;
        event->accept();
        return;
    }
    releaseModifiers_ = event->modifiers();  // read by the sectionClicked handler
    QHeaderView::mouseReleaseEvent(event);
}

void GridHeaderView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int logical = logicalIndexAt(pos);
    if (logical >= 0 && hasFilterButton(logical) && filterButtonRect(logical).adjusted(-3, -4, 3, 4).contains(pos)) {
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

QSize GridHeaderView::sectionSizeFromContents(int logicalIndex) const
{
    QSize s = QHeaderView::sectionSizeFromContents(logicalIndex);
    s.rwidth() += 12 + (filterButtons_ ? 18 : 0) + 12;
    return s;
}

// ---------------------------------------------------------------- GridRowIndicator

GridRowIndicator::GridRowIndicator(QWidget *parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setHighlightSections(false);
    setFixedWidth(18);
}

QSize GridRowIndicator::sizeHint() const
{
    return QSize(18, QHeaderView::sizeHint().height());
}

void GridRowIndicator::setCurrentRow(int row)
{
    if (row == current_) return;
    current_ = row;
    viewport()->update();
}

void GridRowIndicator::paintSection(QPainter *p, const QRect &rect, int logicalIndex) const
{
    const GridTheme &t = theme_ ? *theme_ : fallback_;
    p->fillRect(rect, t.headerColor);
    p->setPen(t.gridLineColor.darker(112));
    p->drawLine(rect.topRight(), rect.bottomRight());
    p->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (logicalIndex != current_) return;
    p->setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect).center();
    QPainterPath tri;
    tri.moveTo(c.x() - 3, c.y() - 5);
    tri.lineTo(c.x() + 4, c.y());
    tri.lineTo(c.x() - 3, c.y() + 5);
    tri.closeSubpath();
    p->fillPath(tri, t.accentColor);
}

// ---------------------------------------------------------------- GridFooterBar

GridFooterBar::GridFooterBar(QTableView *view, QWidget *parent) : QWidget(parent), view_(view)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void GridFooterBar::setCells(std::vector<SummaryCell> cells)
{
    cells_ = std::move(cells);
    update();
}

void GridFooterBar::setFallbackColumn(int column)
{
    fallbackColumn_ = column;
    update();
}

QString GridFooterBar::textUnder(int column) const
{
    for (const SummaryCell &c : cells_)
        if ((c.column < 0 ? fallbackColumn_ : c.column) == column) return c.text;
    return {};
}

QSize GridFooterBar::sizeHint() const
{
    return QSize(100, height() > 0 ? height() : 28);
}

void GridFooterBar::paintEvent(QPaintEvent *)
{
    const GridTheme &t = theme_ ? *theme_ : fallback_;
    QPainter p(this);
    p.fillRect(rect(), t.footerColor);
    p.setPen(t.gridLineColor.darker(112));
    p.drawLine(rect().topLeft(), rect().topRight());
    if (!view_ || cells_.empty()) return;

    QHeaderView *h = view_->horizontalHeader();
    QWidget *vp = view_->viewport();
    const int offset = vp->mapTo(window(), QPoint(0, 0)).x() - mapTo(window(), QPoint(0, 0)).x();
    p.setClipRect(QRect(offset, 0, vp->width(), height()));
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = p.fontMetrics();
    for (const SummaryCell &c : cells_) {
        const int col = c.column < 0 ? fallbackColumn_ : c.column;
        if (col < 0 || col >= h->count() || h->isSectionHidden(col)) continue;
        const int x = offset + h->sectionViewportPosition(col);
        const QRect box(x + 2, 3, h->sectionSize(col) - 4, height() - 6);
        if (box.width() < 6) continue;
        p.setPen(QPen(t.gridLineColor.darker(105), 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        p.setPen(t.headerTextColor);
        Qt::Alignment a = alignmentOf_ ? alignmentOf_(col) : Qt::AlignRight;
        if (c.kind == GridSummary::Count && !(a & Qt::AlignRight)) a = Qt::AlignHCenter;
        // A sum that does not fit is drawn smaller (down to 70 %) before it
        // is cut: a cut total hides its magnitude.
        QRect tr = box.adjusted(5, 0, -5, 0);
        QFont font = p.font();
        if (fm.horizontalAdvance(c.text) > tr.width()) {
            tr = box.adjusted(2, 0, -2, 0);
            font = FontToFit(font, {c.text}, QSize(tr.width(), QWIDGETSIZE_MAX), QFontInfo(font).pixelSize() * 7 / 10);
        }
        p.save();
        p.setFont(font);
        p.drawText(tr, int(a | Qt::AlignVCenter) | Qt::TextSingleLine,
                   QFontMetrics(font).elidedText(c.text, Qt::ElideLeft, tr.width()));
        p.restore();
    }
}

}  // namespace tarsel
