#pragma once
// The tab page control of the main window: tabs of a fixed size (120 by 45
// pixels), 32-pixel icons, white 13-pixel Tahoma on dark tabs. The badge
// captions are drawn by the program's style (badgetabstyle.h), as for every
// other tab control.

#include <QTabBar>
#include <QTabWidget>

namespace tarsel {

class TFixedTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit TFixedTabBar(QSize tabSize, QWidget *parent = nullptr);
    QSize fixedTabSize() const { return size_; }

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    QSize size_;
};

class TPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget *parent = nullptr, QSize tabSize = QSize(120, 45));
    TFixedTabBar *fixedTabBar() const { return bar_; }

private:
    TFixedTabBar *bar_;
};

}  // namespace tarsel
