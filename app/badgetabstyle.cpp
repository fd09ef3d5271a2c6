#include "app/badgetabstyle.h"

#include "app/badgecaption.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionTab>
#include <QTabBar>

namespace tarsel {

namespace {

bool isHorizontal(QTabBar::Shape shape)
{
    return shape == QTabBar::RoundedNorth || shape == QTabBar::RoundedSouth || shape == QTabBar::TriangularNorth ||
           shape == QTabBar::TriangularSouth;
}

QStyle *defaultBase()
{
    QStyle *s = QStyleFactory::create(QStringLiteral("Fusion"));
    return s;  // QProxyStyle takes a null base as "the application's default"
}

}  // namespace

TBadgeTabStyle::TBadgeTabStyle(QStyle *base) : QProxyStyle(base ? base : defaultBase()) {}

QRect TBadgeTabStyle::TitleRect(const QRect &tabRect, const QRect &textArea)
{
    QRect r(textArea.left(), tabRect.top(), textArea.width(), tabRect.height());
    return r.adjusted(0, 5, 0, -5);
}

QRect TBadgeTabStyle::BadgeRect(const QRect &tabRect) { return tabRect.adjusted(2, -3, -2, 3); }

void TBadgeTabStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                 const QWidget *widget) const
{
    if (element != CE_TabBarTabLabel) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
    if (!tab) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const BadgeCaption caption = ParseBadgeCaption(tab->text);
    if (!isHorizontal(tab->shape)) {
        // Side tabs: the title only, drawn the usual (rotated) way.
        QStyleOptionTab copy(*tab);
        copy.text = caption.title;
        QProxyStyle::drawControl(element, &copy, painter, widget);
        return;
    }

    // Icon (and close buttons, etc.) as usual, without text.
    QStyleOptionTab iconOnly(*tab);
    iconOnly.text.clear();
    QProxyStyle::drawControl(element, &iconOnly, painter, widget);

    // The text area is the tab less the icon on its left.
    QRect textArea = tab->rect.adjusted(2, 0, -2, 0);
    if (!tab->icon.isNull()) {
        QStyleOptionTab forLayout(*tab);
        forLayout.text = caption.title;
        const QRect iconArea = proxy()->subElementRect(SE_TabBarTabText, &forLayout, widget);
        const int iconWidth = tab->iconSize.isValid() ? tab->iconSize.width()
                                                      : proxy()->pixelMetric(PM_TabBarIconSize, tab, widget);
        // Right of the icon as the base style places it (about 6 px in).
        int left = tab->rect.left() + 6 + iconWidth + 2;
        if (iconArea.isValid() && iconArea.left() > tab->rect.left() && iconArea.left() < left) left = iconArea.left();
        textArea.setLeft(qMin(left, textArea.right() - 8));
    }

    painter->save();
    const QRect titleRect = TitleRect(tab->rect, textArea);
    proxy()->drawItemText(painter, titleRect, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                          tab->palette, tab->state & State_Enabled, caption.title, QPalette::WindowText);
    if (caption.hasBadge()) {
        painter->setPen(kBadgeColor);
        QRect badge = BadgeRect(tab->rect);
        // Grown above the tab, the badge would be cut off where the tab bar
        // begins; it then starts at the bar's top edge.
        if (badge.top() < 0) badge.moveTop(0);
        painter->drawText(badge, Qt::AlignRight | Qt::AlignTop, caption.badgeText());
    }
    painter->restore();
}

QSize TBadgeTabStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                       const QWidget *widget) const
{
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type != CT_TabBarTab) return s;
    const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
    if (!tab || !tab->text.contains(QLatin1Char('='))) return s;
    // The tab bar measured the whole caption; the tab shows the title and
    // perhaps the badge instead.
    const BadgeCaption caption = ParseBadgeCaption(tab->text);
    const QFontMetrics fm = widget ? widget->fontMetrics() : tab->fontMetrics;
    int delta = fm.horizontalAdvance(caption.title) - fm.horizontalAdvance(tab->text);
    if (caption.hasBadge()) delta += fm.horizontalAdvance(caption.badgeText()) + 4;
    if (isHorizontal(tab->shape)) s.rwidth() = qMax(s.width() + delta, s.height());
    else s.rheight() = qMax(s.height() + delta, s.width());
    return s;
}

int TBadgeTabStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                              QStyleHintReturn *returnData) const
{
    // Eliding would cut the caption before it is parsed ("12=Kamp…").
    if (hint == SH_TabBar_ElideMode) return Qt::ElideNone;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void InstallProgramStyle()
{
    // The windows are designed for Tahoma; where it is missing, the
    // condensed DejaVu face comes closest to its width.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    if (qobject_cast<TBadgeTabStyle *>(QApplication::style())) return;
    QApplication::setStyle(new TBadgeTabStyle);
}

}  // namespace tarsel
