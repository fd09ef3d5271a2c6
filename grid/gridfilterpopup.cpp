#include "grid/gridfilterpopup.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tarsel {

// ---------------------------------------------------------------- FilterListModel

FilterListModel::FilterListModel(FilterChoice *choice, QObject *parent) : QAbstractListModel(parent), choice_(choice) {}

int FilterListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(choice_->shown().size()) + 1;
}

QVariant FilterListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (index.row() == 0) {
        if (role == Qt::DisplayRole) return AllFilterText();
        if (role == Qt::CheckStateRole) return QVariant::fromValue(int(choice_->allState()));
        return {};
    }
    const int v = choice_->shown()[std::size_t(index.row() - 1)];
    if (role == Qt::DisplayRole) return choice_->values()[std::size_t(v)].text;
    if (role == Qt::CheckStateRole) return QVariant::fromValue(int(choice_->isChecked(v) ? Qt::Checked : Qt::Unchecked));
    if (role == Qt::ToolTipRole) return choice_->values()[std::size_t(v)].text;
    return {};
}

Qt::ItemFlags FilterListModel::flags(const QModelIndex &index) const
{
    // Ticks change on a click anywhere on the line (see GridFilterPopup), not
    // through the view's own check box handling.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void FilterListModel::toggleRow(int row)
{
    if (row < 0 || row >= rowCount()) return;
    if (row == 0) {
        choice_->setAllShown(choice_->allState() != Qt::Checked);
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
        return;
    }
    choice_->toggle(choice_->shown()[std::size_t(row - 1)]);
    Q_EMIT dataChanged(index(row), index(row), {Qt::CheckStateRole});
    Q_EMIT dataChanged(index(0), index(0), {Qt::CheckStateRole});
}

void FilterListModel::relist()
{
    beginResetModel();
    endResetModel();
}

// ---------------------------------------------------------------- GridFilterPopup

GridFilterPopup::GridFilterPopup(std::vector<FilterValue> values, QWidget *parent)
    : QFrame(parent, Qt::Popup), choice_(std::move(values))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(6, 6, 6, 6);
    lay->setSpacing(6);

    narrow_ = new QLineEdit(this);
    narrow_->setPlaceholderText(QStringLiteral("Listede ara"));
    narrow_->setClearButtonEnabled(true);
    lay->addWidget(narrow_);

    model_ = new FilterListModel(&choice_, this);
    list_ = new QListView(this);
    list_->setModel(model_);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->installEventFilter(this);
    lay->addWidget(list_, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok_ = new QPushButton(QStringLiteral("Tamam"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Vazgeç"), this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    lay->addLayout(buttons);

    connect(list_, &QListView::clicked, this, [this](const QModelIndex &i) {
        model_->toggleRow(i.row());
        updateButtons();
    });
    connect(narrow_, &QLineEdit::textChanged, this, [this](const QString &t) {
        choice_.setNarrowText(t);
        model_->relist();
        updateButtons();
    });
    connect(narrow_, &QLineEdit::returnPressed, this, &GridFilterPopup::accept);
    connect(ok_, &QPushButton::clicked, this, &GridFilterPopup::accept);
    connect(cancel_, &QPushButton::clicked, this, &GridFilterPopup::reject);

    // Wide enough for the longer entries, within reason.
    const QFontMetrics fm = list_->fontMetrics();
    int widest = fm.horizontalAdvance(AllFilterText());
    const auto &vals = choice_.values();
    for (std::size_t i = 0; i < vals.size() && i < 2000; ++i) widest = std::max(widest, fm.horizontalAdvance(vals[i].text));
    resize(std::clamp(widest + 70, 240, 460), 340);
    updateButtons();
    narrow_->setFocus();
}

void GridFilterPopup::updateButtons()
{
    ok_->setEnabled(choice_.canAccept());
}

void GridFilterPopup::showUnder(const QRect &globalSectionRect)
{
    QPoint pos(globalSectionRect.left(), globalSectionRect.bottom() + 1);
    if (QScreen *s = QGuiApplication::screenAt(globalSectionRect.center())) {
        const QRect avail = s->availableGeometry();
        if (pos.x() + width() > avail.right()) pos.setX(std::max(avail.left(), avail.right() - width()));
        if (pos.y() + height() > avail.bottom()) pos.setY(std::max(avail.top(), globalSectionRect.top() - height()));
    }
    move(pos);
    show();
    narrow_->setFocus();
}

void GridFilterPopup::accept()
{
    if (done_ || !choice_.canAccept()) return;
    done_ = true;
    const auto result = choice_.result();
    hide();
    Q_EMIT filterChosen(result);
    close();
}

void GridFilterPopup::reject()
{
    done_ = true;
    close();
}

void GridFilterPopup::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

bool GridFilterPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Space && list_->currentIndex().isValid()) {
            model_->toggleRow(list_->currentIndex().row());
            updateButtons();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void GridFilterPopup::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    Q_EMIT closed();
}

}  // namespace tarsel
