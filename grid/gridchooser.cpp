#include "grid/gridchooser.h"

#include "grid/gridicons.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace tarsel {

GridColumnChooser::GridColumnChooser(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("Sütun Seçici"));
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(8, 8, 8, 8);
    list_ = new QListWidget(this);
    list_->setUniformItemSizes(true);
    lay->addWidget(list_, 1);
    auto *box = new QDialogButtonBox(this);
    QPushButton *close = box->addButton(QStringLiteral("Kapat"), QDialogButtonBox::RejectRole);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    lay->addWidget(box);
    resize(240, 380);
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (filling_) return;
        Q_EMIT visibilityToggled(item->data(Qt::UserRole).toInt(), item->checkState() == Qt::Checked);
    });
}

void GridColumnChooser::setEntries(const std::vector<Entry> &entries)
{
    filling_ = true;
    list_->clear();
    for (const Entry &e : entries) {
        auto *item = new QListWidgetItem(e.caption, list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(e.visible ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, e.column);
    }
    filling_ = false;
}

QStringList GridColumnChooser::captions() const
{
    QStringList out;
    for (int i = 0; i < list_->count(); ++i) out << list_->item(i)->text();
    return out;
}

GridBusyOverlay::GridBusyOverlay(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    hide();
}

void GridBusyOverlay::start()
{
    if (timer_ < 0) timer_ = startTimer(80);
    raise();
    show();
}

void GridBusyOverlay::stop()
{
    if (timer_ >= 0) killTimer(timer_);
    timer_ = -1;
    hide();
}

void GridBusyOverlay::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != timer_) return;
    step_ = (step_ + 1) % 12;
    update();
}

void GridBusyOverlay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 255, 255, 150));
    const int s = 48;
    const QRect r(width() / 2 - s / 2, height() / 2 - s / 2, s, s);
    GridIcons::paint(&p, r, QStringLiteral("busy"), step_ * 30.0);
}

}  // namespace tarsel
