#pragma once
// The popup of a header filter button: the column's distinct values with
// check boxes, "(Tümü)" on top, a box that narrows the list, and the
// buttons "Tamam" and "Vazgeç".

#include "grid/gridfilter.h"

#include <QAbstractListModel>
#include <QFrame>

#include <optional>

class QLineEdit;
class QListView;
class QPushButton;

namespace tarsel {

class FilterListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FilterListModel(FilterChoice *choice, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void toggleRow(int row);  // row 0 is "(Tümü)"
    void relist();            // after the narrowing text changed

private:
    FilterChoice *choice_;
};

class GridFilterPopup : public QFrame {
    Q_OBJECT
public:
    GridFilterPopup(std::vector<FilterValue> values, QWidget *parent = nullptr);

    FilterChoice &choice() { return choice_; }
    QLineEdit *narrowEdit() const { return narrow_; }
    QListView *listView() const { return list_; }
    QPushButton *okButton() const { return ok_; }
    FilterListModel *listModel() const { return model_; }

    // Shows the popup below a header section (global coordinates), kept on screen.
    void showUnder(const QRect &globalSectionRect);

public Q_SLOTS:
    void accept();
    void reject();

Q_SIGNALS:
    // The user confirmed: no value (nullopt) clears the column's filter.
    void filterChosen(const std::optional<tarsel::FilterKeySet> &accepted);
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateButtons();

    FilterChoice choice_;
    FilterListModel *model_;
    QLineEdit *narrow_;
    QListView *list_;
    QPushButton *ok_;
    QPushButton *cancel_;
    bool done_ = false;
};

}  // namespace tarsel
