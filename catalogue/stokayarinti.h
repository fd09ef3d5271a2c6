#pragma once
// `Tstokayarinti` ("Sepete Ekle"): the stock detail and quantity dialog.
//
// Every way into the basket passes through it. It shows one item (code,
// description, finish code, manufacturer, model, its picture), lets the user
// choose the quantity and shows what that quantity costs after the four
// discounts and the value added tax. Sales staff may also change the unit
// price and the four rates. The dialog only computes; its opener decides
// what "Sipariş ekle" does (see OrderingPath).

#include "catalogue/dialogcontent.h"
#include "catalogue/dialogfigures.h"

#include <QDialog>

#include <array>

class QGridLayout;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tarsel {

class TAsyncResim;
class TNumberBox;
class TPictureBox;

// The web picture of an item: the seller's web site + "resimgoster.ashx?id=" + number.
QString WebPictureUrl(int stokno);

class Tstokayarinti : public QDialog {
    Q_OBJECT
public:
    // `Ac`: the dialog for item `_stokno` (0 when none is given).
    explicit Tstokayarinti(QWidget *owner, int _stokno = 0);
    ~Tstokayarinti() override;

    int stokno = 0;     // item number, used for the web picture
    double kdvoran = 0; // value added tax rate in percent

    // Fills the labels, price, rates, captions and quantity, and makes price
    // and rates editable for sales staff.
    void Fill(const DialogContent &content);

    bool DiscountRowVisible() const;
    DialogFigures ApplyDiscounts() const;
    void Recalculate();
    // F4: the unit price without 20 % tax.
    void StripTaxFromPrice();

    DiscountRates rates() const;
    // The quantity the figures use: the box's text as a whole number (0 for
    // a text that is no number, e.g. while the user types).
    int quantityForFigures() const;
    // The quantity sent with "Sipariş ekle": the box's text read as a
    // decimal number. Throws std::invalid_argument for an empty text or one
    // that is no number.
    double quantityForOrder() const;

    // ---- controls ----
    QLabel *barkod = nullptr, *adi = nullptr, *finishkod = nullptr, *marka = nullptr, *model = nullptr;
    TPictureBox *Image1 = nullptr;       // server picture (and the placeholder)
    TAsyncResim *AsyncResim1 = nullptr;  // web picture, on top of Image1
    QPushButton *ParcaliTus1 = nullptr;  // "Sipariş ekle"
    QPushButton *ParcaliTus2 = nullptr;  // "Vazgeç"
    QLabel *Label1 = nullptr;            // "Adet:"
    QSpinBox *adet = nullptr;
    QLabel *Label2 = nullptr;            // "Fiyat:" / "Kampanyalı Fiyat:"
    TNumberBox *birimfiyat = nullptr;
    QLabel *indirimoran = nullptr;       // "İndirim:"
    TNumberBox *indtutar = nullptr;
    QLabel *Label3 = nullptr;            // "KDV Dahil:" (hidden)
    TNumberBox *kdvdahiltutar = nullptr; // hidden
    QLabel *sLabel6 = nullptr;           // "Tutar:"
    TNumberBox *geneltutar = nullptr;
    QWidget *GridPanel2 = nullptr;       // the rate boxes (hidden unless shown for sales staff)
    std::array<TNumberBox *, 4> edindirim{};

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    bool shownOnce_ = false;
};

}  // namespace tarsel
