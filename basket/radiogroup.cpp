#include "basket/radiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace tarsel {

TRadioGroup::TRadioGroup(const QString &caption, QWidget *parent, int rowsPerColumn)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), grid_(new QGridLayout(this)),
      rowsPerColumn_(rowsPerColumn > 0 ? rowsPerColumn : 1)
{
    grid_->setContentsMargins(8, 4, 8, 4);
    grid_->setVerticalSpacing(2);
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idClicked, this, [this](int index) {
        if (index == chosen_) return;
        chosen_ = index;
        Q_EMIT itemClicked(index);
    });
}

void TRadioGroup::clear()
{
    // With exclusivity on, the last checked button cannot be unchecked; the
    // buttons are removed anyway.
    for (QRadioButton *b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    keys_.clear();
    chosen_ = -1;
}

void TRadioGroup::addItem(const QString &text, qint32 key)
{
    const int index = count();
    auto *b = new QRadioButton(text, this);
    b->setObjectName(QStringLiteral("item%1").arg(index));
    group_->addButton(b, index);
    grid_->addWidget(b, index % rowsPerColumn_, index / rowsPerColumn_);
    buttons_.push_back(b);
    keys_.push_back(key);
}

int TRadioGroup::itemIndex() const { return group_->checkedId(); }

void TRadioGroup::setItemIndex(int index)
{
    chosen_ = index >= 0 && index < count() ? index : -1;
    if (index >= 0 && index < count()) {
        buttons_[std::size_t(index)]->setChecked(true);
        return;
    }
    group_->setExclusive(false);
    for (QRadioButton *b : buttons_) b->setChecked(false);
    group_->setExclusive(true);
}

qint32 TRadioGroup::key(int index) const { return keys_.at(std::size_t(index)); }

QString TRadioGroup::text(int index) const { return buttons_.at(std::size_t(index))->text(); }

}  // namespace tarsel
