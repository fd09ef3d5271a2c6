#include "app/pagecontrol.h"

namespace tarsel {

TFixedTabBar::TFixedTabBar(QSize tabSize, QWidget *parent) : QTabBar(parent), size_(tabSize)
{
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
}

QSize TFixedTabBar::tabSizeHint(int index) const
{
    Q_UNUSED(index);
    return size_;
}

QSize TFixedTabBar::minimumTabSizeHint(int index) const
{
    Q_UNUSED(index);
    return size_;
}

TPageControl::TPageControl(QWidget *parent, QSize tabSize) : QTabWidget(parent), bar_(new TFixedTabBar(tabSize))
{
    setTabBar(bar_);
    setIconSize(QSize(32, 32));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    bar_->setFont(f);
    QPalette p = bar_->palette();
    p.setColor(QPalette::Window, QColor(0x2a, 0x4d, 0x78));
    p.setColor(QPalette::Button, QColor(0x35, 0x60, 0x8f));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0xc8, 0xd2, 0xde));
    bar_->setPalette(p);
    bar_->setAutoFillBackground(false);
}

}  // namespace tarsel
