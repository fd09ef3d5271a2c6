#pragma once
// The program's style: the platform's widget style with the badge captions of
// tab controls (see badgecaption.h). Installed once for the whole
// application, so every tab control of every window draws "12=Kampanyalı" as
// the title "Kampanyalı" with "(12)" in its top-right corner.
//
//   QApplication::setStyle(new TBadgeTabStyle);   // or InstallProgramStyle()
//
// The title is drawn centred (word wrap on) in the text area of the tab, the
// tab rectangle shrunk by 5 pixels at top and bottom, in the style's text
// colour; the badge right-aligned at the top of the tab rectangle shrunk by
// 2 pixels left and right and grown by 3 pixels at top and bottom, in
// kBadgeColor. The tab's background and icon are drawn by the base style.

#include <QColor>
#include <QProxyStyle>

class QStyleOptionTab;

namespace tarsel {

inline const QColor kBadgeColor = QColor(30, 180, 223);

class TBadgeTabStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Without a base style, "Fusion" is used (the same look on every desktop).
    explicit TBadgeTabStyle(QStyle *base = nullptr);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

    // Where the title and the badge go for a tab rectangle and its text area.
    static QRect TitleRect(const QRect &tabRect, const QRect &textArea);
    static QRect BadgeRect(const QRect &tabRect);
};

// Sets the application style to a TBadgeTabStyle (once; later calls do nothing).
void InstallProgramStyle();

}  // namespace tarsel
