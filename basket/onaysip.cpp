#include "basket/onaysip.h"

#include "basket/basketlogic.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarsel {

TONAYSIP::TONAYSIP(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("ONAYSIP"));
    setWindowTitle(QStringLiteral("Sipariş Onay"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(527, 334);

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 10);
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *fv = new QVBoxLayout(frame);
    Label2 = new QLabel(frame);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setFixedPitch(true);
    mono.setPixelSize(16);
    mono.setBold(true);
    Label2->setFont(mono);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(false);
    fv->addWidget(Label2, 1);
    v->addWidget(frame, 1);

    Label1 = new QLabel(kConfirmOrderQuestion, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont question = Label1->font();
    question.setPixelSize(20);
    question.setBold(true);
    Label1->setFont(question);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    v->addWidget(Label1);

    auto *h = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Evet"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Hayır"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton *b : {Button1, Button2}) b->setMinimumSize(120, 34);
    h->addWidget(Button1);
    h->addStretch(1);
    h->addWidget(Button2);
    v->addLayout(h);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TONAYSIP::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred over the window that opened it.
    if (QWidget *p = parentWidget()) {
        const QRect owner = p->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
}

}  // namespace tarsel
