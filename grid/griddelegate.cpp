#include "grid/griddelegate.h"

#include "grid/gridicons.h"
#include "grid/gridmodel.h"
#include "wire/datatable.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace tarsel {

namespace {
constexpr int kPadX = 5;

QColor Blend(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t), float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}
}  // namespace

QFont FontToFit(const QFont &font, const QStringList &lines, const QSize &area, int smallestPixels)
{
    QFont f = font;
    if (f.pixelSize() <= 0) f.setPixelSize(QFontInfo(font).pixelSize());
    while (f.pixelSize() > smallestPixels) {
        const QFontMetrics fm(f);
        int widest = 0;
        for (const QString &l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
        if (widest <= area.width() && fm.lineSpacing() * int(lines.size()) <= area.height()) break;
        f.setPixelSize(f.pixelSize() - 1);
    }
    return f;
}

GridDelegate::GridDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void GridDelegate::setSearchHighlight(const QPersistentModelIndex &index, int length)
{
    searchIndex_ = index;
    searchLength_ = length;
}

QColor GridDelegate::rowBackground(const GridTheme &theme, int viewRow, bool selected)
{
    if (selected) return theme.selectionColor;
    return viewRow % 2 == 0 ? theme.contentEvenColor : theme.contentOddColor;
}

QRect GridDelegate::checkBoxRect(const QRect &cell)
{
    const int s = std::min({16, cell.width() - 4, cell.height() - 4});
    return QRect(cell.center().x() - s / 2 + 1, cell.center().y() - s / 2 + 1, s, s);
}

QRect GridDelegate::buttonRect(const QRect &cell)
{
    const int h = std::min(30, cell.height() - 10);
    return QRect(cell.left() + 6, cell.center().y() - h / 2 + 1, std::max(cell.width() - 12, 10), h);
}

QRect GridDelegate::expanderRect(const QRect &cell)
{
    return QRect(cell.left() + 4, cell.center().y() - 8, 16, 16);
}

void GridDelegate::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *m = qobject_cast<const GridModelBase *>(index.model());
    if (!m) {
        QStyledItemDelegate::paint(p, option, index);
        return;
    }
    p->save();
    switch (GridModelBase::RowKind(index.data(GridModelBase::RowKindRole).toInt())) {
    case GridModelBase::RowKind::GroupHeader: paintGroupHeader(p, option, index); break;
    case GridModelBase::RowKind::GroupFooter: paintGroupFooter(p, option, index); break;
    case GridModelBase::RowKind::Data: paintData(p, option, index, m); break;
    }
    p->restore();
}

void GridDelegate::paintText(QPainter *p, const QRect &r, const QString &textIn, Qt::Alignment align, bool wrap,
                             const QColor &color, int highlight) const
{
    if (textIn.isEmpty()) return;
    const QRect tr = r.adjusted(kPadX, 2, -kPadX, -2);
    if (tr.width() <= 0 || tr.height() <= 0) return;
    p->setPen(color);
    const QFontMetrics fm = p->fontMetrics();
    if (highlight <= 0) {
        if (wrap) {
            p->save();
            p->setClipRect(tr);
            // A block taller than the cell starts at the top rather than being cut on both sides.
            const QRect need = fm.boundingRect(tr, int(align) | Qt::TextWordWrap, textIn);
            Qt::Alignment a = align;
            if (need.height() > tr.height()) a = (align & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
            p->drawText(tr, int(a) | Qt::TextWordWrap, textIn);
            p->restore();
        } else {
            QString one = textIn;
            one.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
            p->drawText(tr, int(align) | Qt::TextSingleLine, fm.elidedText(one, Qt::ElideRight, tr.width()));
        }
        return;
    }
    // The cell of the incremental search: lay the text out to mark the prefix.
    QString text = textIn;
    if (!wrap) text.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
    QTextLayout layout(text, p->font());
    QTextOption to(align & Qt::AlignHorizontal_Mask);
    to.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(to);
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(tr.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    qreal y = tr.top();
    if (align & Qt::AlignVCenter) y = tr.top() + std::max<qreal>(0, (tr.height() - height) / 2);
    else if (align & Qt::AlignBottom) y = tr.bottom() - height;
    QTextLayout::FormatRange fr;
    fr.start = 0;
    fr.length = std::min<int>(highlight, int(text.size()));
    const GridTheme &t = theme_ ? *theme_ : fallbackTheme_;
    fr.format.setBackground(t.searchHighlightColor);
    fr.format.setForeground(color);
    p->save();
    p->setClipRect(tr);
    layout.draw(p, QPointF(tr.left(), y), {fr});
    p->restore();
}

void GridDelegate::paintData(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index,
                             const GridModelBase *m) const
{
    const GridTheme &t = theme_ ? *theme_ : fallbackTheme_;
    const GridModel *gm = m->gridModel();
    const QRect r = option.rect;
    const int viewRow = index.row();
    const bool selected = option.state & QStyle::State_Selected;
    const bool enabled = option.state & QStyle::State_Enabled;
    const QColor bg = rowBackground(t, viewRow, selected);
    const QColor fg = selected ? t.selectionTextColor : t.textColor;
    const GridColumn &col = gm->column(index.column());
    const int sourceRow = index.data(GridModelBase::SourceRowRole).toInt();
    const Qt::Alignment align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    p->setFont(option.font);

    if (col.kind != CellKind::Custom) p->fillRect(r, bg);

    switch (col.kind) {
    case CellKind::Text: {
        const bool wrap = col.wordWrap < 0 ? (options_ && options_->wordWrap) : col.wordWrap == 1;
        const int hl = (searchLength_ > 0 && searchIndex_ == index) ? searchLength_ : 0;
        paintText(p, r, index.data(Qt::DisplayRole).toString(), align, wrap, fg, hl);
        break;
    }
    case CellKind::Icon: {
        const QString name = index.data(GridModelBase::IconNameRole).toString();
        if (!name.isEmpty()) {
            // Icons keep their drawn size (24 or 32 px) unless the cell is smaller.
            const int natural = name.startsWith(QLatin1String("doc-")) ? 32 : 24;
            const int s = std::max(8, std::min({natural, r.height() - 4, r.width() - 4}));
            QRect ir(0, 0, s, s);
            const Qt::Alignment h = align & Qt::AlignHorizontal_Mask;
            if (h & Qt::AlignLeft) ir.moveTopLeft(QPoint(r.left() + kPadX, r.center().y() - s / 2 + 1));
            else if (h & Qt::AlignRight) ir.moveTopLeft(QPoint(r.right() - kPadX - s, r.center().y() - s / 2 + 1));
            else ir.moveCenter(r.center());
            GridIcons::paint(p, ir, name);
        }
        break;
    }
    case CellKind::CheckBox: {
        const QRect b = checkBoxRect(r);
        const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        p->setRenderHint(QPainter::Antialiasing);
        if (on) {
            p->setPen(Qt::NoPen);
            p->setBrush(enabled ? t.accentColor : QColor(0xa0, 0xa8, 0xb3));
            p->drawRoundedRect(QRectF(b).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
            QPainterPath tick;
            tick.moveTo(b.left() + b.width() * 0.24, b.top() + b.height() * 0.52);
            tick.lineTo(b.left() + b.width() * 0.43, b.top() + b.height() * 0.71);
            tick.lineTo(b.left() + b.width() * 0.77, b.top() + b.height() * 0.31);
            p->setPen(QPen(Qt::white, std::max(1.6, b.width() / 8.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p->setBrush(Qt::NoBrush);
            p->drawPath(tick);
        } else {
            p->setPen(QPen(QColor(0x8a, 0x94, 0xa3), 1.2));
            p->setBrush(Qt::white);
            p->drawRoundedRect(QRectF(b).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        break;
    }
    case CellKind::ProgressBar: {
        const int value = index.data(GridModelBase::ProgressRole).toInt();
        const int h = std::min(18, r.height() - 10);
        const QRect track(r.left() + 6, r.center().y() - h / 2 + 1, std::max(r.width() - 12, 4), h);
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(QColor(0xc5, 0xcc, 0xd6), 1));
        p->setBrush(QColor(0xf2, 0xf4, 0xf7));
        p->drawRoundedRect(QRectF(track).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        QRectF fill = QRectF(track).adjusted(1.5, 1.5, -1.5, -1.5);
        fill.setWidth(fill.width() * value / 100.0);
        if (value > 0) {
            p->setPen(Qt::NoPen);
            p->setBrush(t.accentColor);
            p->drawRoundedRect(fill, 2, 2);
        }
        // The label is white over the filled part and dark over the rest.
        const QString label = QStringLiteral("%1 %").arg(value);
        QFont f = option.font;
        f.setBold(true);
        p->setFont(f);
        p->save();
        p->setClipRect(QRectF(track.left(), track.top(), fill.right() - track.left(), track.height()));
        p->setPen(Qt::white);
        p->drawText(track, Qt::AlignCenter, label);
        p->setClipRect(QRectF(fill.right(), track.top(), track.right() - fill.right() + 1, track.height()));
        p->setPen(t.textColor);
        p->drawText(track, Qt::AlignCenter, label);
        p->restore();
        break;
    }
    case CellKind::Button: {
        const QRect b = buttonRect(r);
        const bool down = pressed_.isValid() && pressed_ == index;
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(QColor(0xa9, 0xb4, 0xc2), 1));
        p->setBrush(down ? QColor(0xd6, 0xe2, 0xf0) : QColor(0xf7, 0xf9, 0xfc));
        p->drawRoundedRect(QRectF(b).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        const int is = std::min(20, b.height() - 8);
        const QFontMetrics fm(option.font);
        const int textW = col.buttonText.isEmpty() ? 0 : fm.horizontalAdvance(col.buttonText) + 6;
        const int total = (col.buttonIcon.isEmpty() ? 0 : is) + textW;
        int x = b.center().x() - total / 2 + 1;
        if (!col.buttonIcon.isEmpty()) {
            GridIcons::paint(p, QRect(x, b.center().y() - is / 2 + 1, is, is), col.buttonIcon);
            x += is + 6;
        }
        if (textW > 0) {
            p->setPen(enabled ? t.textColor : QColor(0x90, 0x90, 0x90));
            p->drawText(QRect(x, b.top(), textW, b.height()), Qt::AlignVCenter | Qt::AlignLeft, col.buttonText);
        }
        break;
    }
    case CellKind::Picture: {
        if (const QImage *img = picture(m, index, sourceRow)) {
            QSize s = img->size();
            s.scale(r.size() - QSize(6, 6), Qt::KeepAspectRatio);
            QRect ir(QPoint(0, 0), s);
            ir.moveCenter(r.center());
            p->setRenderHint(QPainter::SmoothPixmapTransform);
            p->drawImage(ir, *img);
        }
        break;
    }
    case CellKind::Custom: {
        if (col.paint) {
            GridCellState st;
            st.selected = selected;
            st.focused = option.state & QStyle::State_HasFocus;
            st.enabled = enabled;
            st.viewRow = viewRow;
            st.font = option.font;
            st.theme = &t;
            st.option = &option;
            p->save();
            p->setClipRect(r);
            col.paint(p, r, GridRow(gm, sourceRow, viewRow), st);
            p->restore();
        } else {
            p->fillRect(r, bg);
        }
        break;
    }
    }

    // Grid lines: right and bottom edge of every cell.
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(t.gridLineColor);
    p->drawLine(r.topRight(), r.bottomRight());
    p->drawLine(r.bottomLeft(), r.bottomRight());
    if (options_ && options_->focusRect && (option.state & QStyle::State_HasFocus)) {
        p->setPen(QPen(t.accentColor, 1, Qt::DotLine));
        p->setBrush(Qt::NoBrush);
        p->drawRect(r.adjusted(1, 1, -2, -2));
    }
}

void GridDelegate::paintGroupHeader(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const GridTheme &t = theme_ ? *theme_ : fallbackTheme_;
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    p->fillRect(r, selected ? Blend(t.groupRowColor, t.selectionColor, 0.6) : t.groupRowColor);
    const bool expanded = index.data(GridModelBase::GroupExpandedRole).toBool();
    const QRect e = expanderRect(r);
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(QPen(t.headerTextColor, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::NoBrush);
    QPainterPath chevron;
    const QPointF c = QRectF(e).center();
    if (expanded) {
        chevron.moveTo(c.x() - 4, c.y() - 2);
        chevron.lineTo(c.x(), c.y() + 2);
        chevron.lineTo(c.x() + 4, c.y() - 2);
    } else {
        chevron.moveTo(c.x() - 2, c.y() - 4);
        chevron.lineTo(c.x() + 2, c.y());
        chevron.lineTo(c.x() - 2, c.y() + 4);
    }
    p->drawPath(chevron);
    QFont f = option.font;
    f.setBold(true);
    p->setFont(f);
    p->setPen(t.headerTextColor);
    const QRect tr(e.right() + 6, r.top(), r.right() - e.right() - 10, r.height());
    p->drawText(tr, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                QFontMetrics(f).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, tr.width()));
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(t.gridLineColor);
    p->drawLine(r.bottomLeft(), r.bottomRight());
}

void GridDelegate::paintGroupFooter(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const GridTheme &t = theme_ ? *theme_ : fallbackTheme_;
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    p->fillRect(r, selected ? Blend(t.groupFooterColor, t.selectionColor, 0.6) : t.groupFooterColor);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        QFont f = option.font;
        f.setBold(true);
        p->setFont(f);
        p->setPen(t.headerTextColor);
        const QRect tr = r.adjusted(kPadX, 0, -kPadX, 0);
        p->drawText(tr, Qt::AlignVCenter | Qt::AlignRight | Qt::TextSingleLine,
                    QFontMetrics(f).elidedText(text, Qt::ElideLeft, tr.width()));
    }
    p->setPen(t.gridLineColor);
    p->drawLine(r.topRight(), r.bottomRight());
    p->drawLine(r.bottomLeft(), r.bottomRight());
}

const QImage *GridDelegate::picture(const GridModelBase *m, const QModelIndex &index, int sourceRow) const
{
    const GridModel *gm = m->gridModel();
    const DataColumn *dc = gm->boundColumn(index.column());
    if (!dc || sourceRow < 0 || dc->isNull(std::size_t(sourceRow))) return nullptr;
    if (dc->type != FieldType::Blob && dc->type != FieldType::String) return nullptr;
    const qint64 key = qint64(sourceRow) * 4096 + index.column();
    if (QImage *hit = pictures_.object(key)) return hit;
    const auto bytes = dc->bytesAt(std::size_t(sourceRow));
    auto img = std::make_unique<QImage>();
    if (!img->loadFromData(reinterpret_cast<const uchar *>(bytes.data()), int(bytes.size())) || img->isNull())
        return nullptr;
    // Keep a copy no larger than needed for a tall row on a 2x screen.
    if (img->height() > 256) *img = img->scaledToHeight(256, Qt::SmoothTransformation);
    const int cost = std::max<int>(1, int(img->sizeInBytes() / 1024));
    QImage *raw = img.release();
    pictures_.insert(key, raw, cost);
    return pictures_.object(key);
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Rows have a fixed height; the width is what fit-to-content asks for.
    const QString text = index.data(Qt::DisplayRole).toString();
    const int w = QFontMetrics(option.font).horizontalAdvance(text) + 2 * kPadX + 2;
    return QSize(w, options_ ? options_->rowHeight : 24);
}

bool GridDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                               const QModelIndex &index)
{
    const auto *m = qobject_cast<const GridModelBase *>(model);
    if (!m || !index.isValid()) return false;
    const auto kind = GridModelBase::RowKind(index.data(GridModelBase::RowKindRole).toInt());
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    auto *me = static_cast<QMouseEvent *>(event);
    if (me->button() != Qt::LeftButton) return false;
    const QPoint pos = me->position().toPoint();

    if (kind == GridModelBase::RowKind::GroupHeader) {
        if (type == QEvent::MouseButtonPress && expanderRect(option.rect).adjusted(-4, -6, 4, 6).contains(pos)) {
            Q_EMIT expanderClicked(index);
            return true;
        }
        return false;
    }
    if (kind != GridModelBase::RowKind::Data) return false;
    const GridColumn &col = m->gridModel()->column(index.column());
    if (col.kind == CellKind::Button) {
        const bool inside = buttonRect(option.rect).contains(pos);
        if (type == QEvent::MouseButtonPress && inside) {
            pressed_ = index;
            if (auto *view = qobject_cast<QAbstractItemView *>(parent())) view->viewport()->update(option.rect);
            return false;  // let the view focus the row as well
        }
        if (type == QEvent::MouseButtonRelease && pressed_.isValid()) {
            const bool same = pressed_ == index && inside;
            pressed_ = QPersistentModelIndex();
            if (auto *view = qobject_cast<QAbstractItemView *>(parent())) view->viewport()->update();
            if (same) Q_EMIT buttonClicked(index);
            return same;
        }
        return type == QEvent::MouseButtonDblClick && inside;  // no double-click action on the button
    }
    if (col.kind == CellKind::CheckBox) {
        const bool inside = checkBoxRect(option.rect).adjusted(-3, -3, 3, 3).contains(pos);
        if (type == QEvent::MouseButtonRelease && inside) {
            Q_EMIT checkBoxClicked(index);
            return false;
        }
        return type == QEvent::MouseButtonDblClick && inside;
    }
    return false;
}

}  // namespace tarsel
