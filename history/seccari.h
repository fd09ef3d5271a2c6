#pragma once
// The customer console `Tseccari` ("Cari Seçimi") of the sales staff: find a
// customer account, see its card and the number of orders in each
// processing state, list the accounts with orders in one state, open reports,
// and choose the account to work for. Choosing writes the account into the
// live session record.
//
// Opened modally by the sign-in (user types 1 and 2) and by the main
// window's "Başka Cari Seç". Both openers call SepetSayisiYaz and TusSonuclari
// first. Every call opens the given connection directly (no retries) and
// closes it right after; an error ends the current action and reaches the
// general error report (the console stays open as it was), except the
// reports, which swallow their errors.

#include "history/consolelogic.h"
#include "wire/datatable.h"

#include <QDialog>

#include <array>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QToolButton;

namespace tarsel {

class DataGrid;
class DSConnection;
class TServerMethods1Client;
class TSonucBilgisi;

class Tseccari : public QDialog {
    Q_OBJECT
public:
    // `bag` and `bilgim` are the opener's: the connection to open for each
    // call and the live session record (not a copy).
    Tseccari(QWidget *owner, DSConnection &bag, TSonucBilgisi &bilgim);
    ~Tseccari() override;

    // Basket count into the basket button (empty caption below 1).
    void SepetSayisiYaz();
    // The six order-state counts into their buttons.
    void TusSonuclari();

    // Enter in the search edit.
    void SearchCustomers();
    // "Tüm Carileri Listeler": empties the search edit, then searches.
    void sBitBtn2Click();
    // The seven count buttons.
    void ListCustomersByStatus(CustomerList which);
    // "Seç" and double-click.
    void ChooseCustomer();
    // "Vazgeç": ends the program.
    void Button2Click();
    // The report entries of the grid menu.
    void RunReport(ConsoleReport entry);
    void FetchReport(qint32 raporno, qint32 carino, double tarih1, double tarih2, const QString &saticiadi);

    // Controls.
    std::array<QToolButton *, 8> buttons{};  // in order: sBitBtn2 .. sevktus
    QToolButton *sBitBtn2 = nullptr;
    QToolButton *sepettus = nullptr;
    QToolButton *alinditus = nullptr;
    QToolButton *onaylanditus = nullptr;
    QToolButton *goruldutus = nullptr;
    QToolButton *parcalihazirlandi = nullptr;
    QToolButton *hazirlanditus = nullptr;
    QToolButton *sevktus = nullptr;
    QLineEdit *NEdit1 = nullptr;
    DataGrid *cxGrid1 = nullptr;
    QGroupBox *cariBilgileri = nullptr;  // "Cari Bilgileri"
    QLabel *carikod = nullptr, *cariadi = nullptr, *yetkili = nullptr, *ozelkod = nullptr, *anagrup = nullptr,
           *altgrup = nullptr, *adres1 = nullptr, *adres2 = nullptr, *ilce = nullptr, *vergi = nullptr,
           *telefon1 = nullptr, *telefon2 = nullptr, *fax1 = nullptr, *fax2 = nullptr, *gsm = nullptr,
           *email = nullptr, *indirim = nullptr, *vade = nullptr, *bakiye = nullptr;
    QPushButton *Button1 = nullptr;  // "Seç"
    QPushButton *Button2 = nullptr;  // "Vazgeç"
    QMenu *PopupMenu1 = nullptr;
    QAction *C1 = nullptr, *B1 = nullptr, *CariAlSatTablosuSatcl1 = nullptr, *CariTopluAlacakVadeleri1 = nullptr;

    const DataTable &cariler() const { return CARILER; }

    // The date dialog a report asks with; tests replace it. Returns false
    // when the dialog was closed without "Seç".
    std::function<bool(bool singleDate, QDate *first, QDate *second)> askDates;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void fillCard(int sourceRow);
    void loadInto(const std::function<DataTable(TServerMethods1Client &)> &call);
    template <class F> auto callOnBag(F &&f);
    bool defaultAskDates(bool singleDate, QDate *first, QDate *second);

    DSConnection &bag_;
    TSonucBilgisi &bilgim_;
    DataTable CARILER;
    bool placed_ = false;
};

}  // namespace tarsel
