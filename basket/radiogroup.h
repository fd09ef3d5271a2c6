#pragma once
// A radio group: a framed caption with one radio button per entry, each
// entry carrying an integer key. Entries are laid out top to bottom in
// columns of at most `rowsPerColumn`.

#include <QGroupBox>

#include <vector>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace tarsel {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString &caption, QWidget *parent = nullptr, int rowsPerColumn = 3);

    void clear();
    void addItem(const QString &text, qint32 key);
    int count() const { return int(buttons_.size()); }

    // -1 when nothing is selected.
    int itemIndex() const;
    void setItemIndex(int index);  // -1 clears the selection
    qint32 key(int index) const;
    QString text(int index) const;
    QRadioButton *button(int index) const { return buttons_[std::size_t(index)]; }

Q_SIGNALS:
    // The user chose another entry (a click on the entry already chosen, or
    // a selection made by the program, is not reported).
    void itemClicked(int index);

private:
    QButtonGroup *group_;
    QGridLayout *grid_;
    int rowsPerColumn_;
    std::vector<QRadioButton *> buttons_;
    std::vector<qint32> keys_;
    int chosen_ = -1;  // the entry last reported or set
};

}  // namespace tarsel
