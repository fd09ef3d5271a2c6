#include "history/tarihsec.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tarsel {

Ttarihsec::Ttarihsec(QWidget *owner) : QDialog(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("tarihsec"));
    setWindowTitle(QStringLiteral("Tarih Seç"));
    auto *lay = new QGridLayout(this);
    const QDateTime now = QDateTime::currentDateTime();
    Label1 = new QLabel(QStringLiteral("Tarih 1:"), this);
    Label2 = new QLabel(QStringLiteral("Tarih 1:"), this);
    DateTimePicker1 = new QDateTimeEdit(now, this);
    DateTimePicker2 = new QDateTimeEdit(now, this);
    for (QDateTimeEdit *p : {DateTimePicker1, DateTimePicker2}) {
        p->setCalendarPopup(true);
        p->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    Button1 = new QPushButton(QStringLiteral("Seç"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    lay->addWidget(Label1, 0, 0);
    lay->addWidget(DateTimePicker1, 0, 1);
    lay->addWidget(Label2, 1, 0);
    lay->addWidget(DateTimePicker2, 1, 1);
    lay->addWidget(Button1, 2, 0, 1, 2, Qt::AlignRight);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void Ttarihsec::setSingleDate(bool single)
{
    Label2->setVisible(!single);
    DateTimePicker2->setVisible(!single);
}

}  // namespace tarsel
