#include "catalogue/stokayarinti.h"

#include "catalogue/asyncresim.h"
#include "catalogue/numberbox.h"
#include "catalogue/orderingicons.h"
#include "catalogue/picturebox.h"
#include "util/deployment.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

namespace tarsel {

namespace {

constexpr int kClientWidth = 662;
constexpr int kClientHeight = 631;
constexpr int kHeaderHeight = 97;
constexpr int kBottomHeight = 207;

QLabel *Caption(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

TNumberBox *ReadOnlyBox(QWidget *parent, const char *name)
{
    auto *b = new TNumberBox(parent);
    b->setObjectName(QLatin1String(name));
    b->setReadOnly(true);
    return b;
}

bool IsEnter(const QKeyEvent *k) { return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter; }

}  // namespace

QString WebPictureUrl(int stokno)
{
    return Deployment().webSiteBase + QStringLiteral("resimgoster.ashx?id=") + QString::number(stokno);
}

Tstokayarinti::Tstokayarinti(QWidget *owner, int _stokno) : QDialog(owner), stokno(_stokno)
{
    setObjectName(QStringLiteral("stokayarinti"));
    setWindowTitle(QStringLiteral("Sepete Ekle"));
    if (owner) setFont(owner->window()->font());
    setFixedSize(kClientWidth, kClientHeight);

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(8, 6, 8, 8);
    v->setSpacing(6);

    // Header: the item's identity.
    auto *header = new QWidget(this);
    header->setFixedHeight(kHeaderHeight);
    auto *hg = new QGridLayout(header);
    hg->setContentsMargins(0, 0, 0, 0);
    hg->setHorizontalSpacing(8);
    hg->setVerticalSpacing(0);
    const char *captions[] = {"Barkod:", "Açıklama:", "Finish Kod:", "Marka:", "Model:"};
    QLabel **values[] = {&barkod, &adi, &finishkod, &marka, &model};
    const char *names[] = {"barkod", "adi", "finishkod", "marka", "model"};
    for (int r = 0; r < 5; ++r) {
        hg->addWidget(Caption(QString::fromUtf8(captions[r]), header), r, 0);
        auto *value = new QLabel(header);
        value->setObjectName(QLatin1String(names[r]));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        *values[r] = value;
        hg->addWidget(value, r, 1);
    }
    hg->setColumnStretch(1, 1);
    v->addWidget(header);

    // Picture area: the server picture (or the placeholder) beneath, the web
    // picture on top of it.
    auto *pictures = new QWidget(this);
    auto *pg = new QGridLayout(pictures);
    pg->setContentsMargins(0, 0, 0, 0);
    Image1 = new TPictureBox(pictures);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPicture(OrderingImage(QStringLiteral("resim-yok"), QSize(640, 480)));
    AsyncResim1 = new TAsyncResim(pictures);
    AsyncResim1->setObjectName(QStringLiteral("AsyncResim1"));
    pg->addWidget(Image1, 0, 0);
    pg->addWidget(AsyncResim1, 0, 0);
    v->addWidget(pictures, 1);

    // Bottom panel: rate boxes (hidden), the figures, the two buttons.
    auto *bottom = new QWidget(this);
    bottom->setFixedHeight(kBottomHeight);
    auto *bh = new QHBoxLayout(bottom);
    bh->setContentsMargins(0, 0, 0, 0);
    bh->setSpacing(10);

    GridPanel2 = new QWidget(bottom);
    GridPanel2->setObjectName(QStringLiteral("GridPanel2"));
    auto *rg = new QGridLayout(GridPanel2);
    rg->setContentsMargins(0, 0, 0, 0);
    const char *rateCaptions[] = {"İsk", "İsk2", "İsk3", "İsk4"};
    for (int i = 0; i < 4; ++i) {
        rg->addWidget(Caption(QString::fromUtf8(rateCaptions[i]), GridPanel2), i, 0);
        edindirim[std::size_t(i)] = ReadOnlyBox(GridPanel2, QStringLiteral("edindirim%1").arg(i + 1).toLatin1().constData());
        edindirim[std::size_t(i)]->setFixedWidth(80);
        rg->addWidget(edindirim[std::size_t(i)], i, 1);
    }
    GridPanel2->hide();
    bh->addWidget(GridPanel2);

    auto *figures = new QWidget(bottom);
    auto *fg = new QGridLayout(figures);
    fg->setContentsMargins(0, 0, 0, 0);
    fg->setVerticalSpacing(6);
    Label1 = Caption(QStringLiteral("Adet:"), figures);
    adet = new QSpinBox(figures);
    adet->setObjectName(QStringLiteral("adet"));
    adet->setRange(1, 10000);
    adet->setValue(1);
    adet->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2 = Caption(kPriceCaption, figures);
    birimfiyat = ReadOnlyBox(figures, "birimfiyat");
    indirimoran = Caption(kDiscountCaption, figures);
    indirimoran->setObjectName(QStringLiteral("indirimoran"));
    indtutar = ReadOnlyBox(figures, "indtutar");
    Label3 = Caption(QStringLiteral("KDV Dahil:"), figures);
    kdvdahiltutar = ReadOnlyBox(figures, "kdvdahiltutar");
    sLabel6 = Caption(QStringLiteral("Tutar:"), figures);
    geneltutar = ReadOnlyBox(figures, "geneltutar");
    QFont big = geneltutar->font();
    big.setPixelSize(18);
    big.setBold(true);
    geneltutar->setFont(big);
    sLabel6->setFont(big);
    const std::pair<QLabel *, QWidget *> rows[] = {
        {Label1, adet}, {Label2, birimfiyat}, {indirimoran, indtutar}, {Label3, kdvdahiltutar}, {sLabel6, geneltutar}};
    for (int r = 0; r < 5; ++r) {
        fg->addWidget(rows[r].first, r, 0);
        rows[r].second->setMinimumHeight(30);
        fg->addWidget(rows[r].second, r, 1);
    }
    fg->setColumnStretch(1, 1);
    Label3->hide();
    kdvdahiltutar->hide();
    bh->addWidget(figures, 1);

    auto *buttons = new QWidget(bottom);
    auto *bv = new QVBoxLayout(buttons);
    bv->setContentsMargins(0, 0, 0, 0);
    ParcaliTus1 = new QPushButton(OrderingIcon(QStringLiteral("sepete-ekle")), QStringLiteral("Sipariş ekle"), buttons);
    ParcaliTus1->setObjectName(QStringLiteral("ParcaliTus1"));
    ParcaliTus2 = new QPushButton(OrderingIcon(QStringLiteral("vazgec")), QStringLiteral("Vazgeç"), buttons);
    ParcaliTus2->setObjectName(QStringLiteral("ParcaliTus2"));
    for (QPushButton *b : {ParcaliTus1, ParcaliTus2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setIconSize(QSize(32, 32));
        b->setMinimumSize(190, 80);
        bv->addWidget(b);
    }
    bv->addStretch(1);
    bh->addWidget(buttons);
    v->addWidget(bottom);

    connect(ParcaliTus1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ParcaliTus2, &QPushButton::clicked, this, &QDialog::reject);
    // Every edit of the quantity counts, also the texts the spin box does not
    // accept as a value yet (an empty box, a typed 0).
    if (auto *editor = adet->findChild<QLineEdit *>())
        connect(editor, &QLineEdit::textChanged, this, [this] { Recalculate(); });
    else
        connect(adet, &QSpinBox::textChanged, this, [this] { Recalculate(); });

    adet->installEventFilter(this);
    for (TNumberBox *b : {birimfiyat, indtutar, kdvdahiltutar, geneltutar}) b->installEventFilter(this);
    for (TNumberBox *b : edindirim) b->installEventFilter(this);
    adet->setFocus();
}

Tstokayarinti::~Tstokayarinti() = default;

void Tstokayarinti::Fill(const DialogContent &c)
{
    kdvoran = c.vatRate;
    barkod->setText(c.barkod);
    adi->setText(c.adi);
    finishkod->setText(c.finishkod);
    marka->setText(c.marka);
    model->setText(c.model);
    birimfiyat->setValue(c.price);
    for (int i = 0; i < 4; ++i) edindirim[std::size_t(i)]->setValue(c.rates[std::size_t(i)]);
    Label2->setText(c.priceCaption);
    indirimoran->setText(c.discountCaption);
    birimfiyat->setReadOnly(!c.editable);
    for (TNumberBox *b : edindirim) b->setReadOnly(!c.editable);
    GridPanel2->setVisible(c.rateBoxesShown);
    adet->setValue(qBound(adet->minimum(), c.quantity, adet->maximum()));
}

DiscountRates Tstokayarinti::rates() const
{
    return {edindirim[0]->value(), edindirim[1]->value(), edindirim[2]->value(), edindirim[3]->value()};
}

bool Tstokayarinti::DiscountRowVisible() const { return tarsel::DiscountRowVisible(rates()); }

int Tstokayarinti::quantityForFigures() const
{
    bool ok = false;
    const int q = adet->cleanText().trimmed().toInt(&ok);
    return ok ? q : 0;
}

double Tstokayarinti::quantityForOrder() const
{
    const QString text = adet->cleanText();
    double q = 0;
    if (!TNumberBox::ParseNumber(text, &q))
        throw std::invalid_argument(QStringLiteral("'%1' geçerli bir sayı değil").arg(text).toStdString());
    return q;
}

DialogFigures Tstokayarinti::ApplyDiscounts() const
{
    return ComputeDialogFigures(birimfiyat->value(), quantityForFigures(), rates(), kdvoran);
}

void Tstokayarinti::Recalculate()
{
    const DialogFigures f = ApplyDiscounts();
    indtutar->setValue(f.discount);
    kdvdahiltutar->setValue(f.vatIncludedUnit);
    geneltutar->setValue(f.lineAmount);
}

void Tstokayarinti::StripTaxFromPrice() { birimfiyat->setValue(tarsel::StripTaxFromPrice(birimfiyat->value())); }

void Tstokayarinti::FormShow()
{
    const bool discountRow = DiscountRowVisible();
    indirimoran->setVisible(discountRow);
    indtutar->setVisible(discountRow);
    Recalculate();
    AsyncResim1->setUrl(WebPictureUrl(stokno));
}

void Tstokayarinti::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    FormShow();
    adet->setFocus();
    adet->selectAll();
}

bool Tstokayarinti::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate) adet->selectAll();  // FormActivate
    return QDialog::event(e);
}

bool Tstokayarinti::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (IsEnter(k)) {
            if (watched == adet) {
                accept();
                return true;
            }
            return true;  // Enter in a price or rate box does nothing
        }
        if (k->key() == Qt::Key_F4 && watched != adet) return true;
    } else if (e->type() == QEvent::KeyRelease && watched != adet) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_F4) {
            StripTaxFromPrice();
            Recalculate();
            return true;
        }
        Recalculate();
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace tarsel
