#pragma once
// The product search group ("Ürün Arama") and the search behind it.
//
// The group's controls belong to the main window; this controller gives
// them their behaviour: the search (a remote call on a background task,
// the group disabled meanwhile), "Temizle", the three filter lists
// (manufacturer and main category filled by the start-up batch, sub
// category reloaded on a main category change) and the stock tab caption.

#include "catalogue/stocklistpage.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace tarsel {

class DSConnection;
class TGifResim;
class TSonucBilgisi;

inline const QString kStockTabTitle = QStringLiteral("Stok Listesi");

// The controls of the search group, as the main window lays them out.
struct StockFilterControls {
    QWidget *group = nullptr;  // GroupBox3, disabled while a search runs
    QComboBox *comdepartman = nullptr, *comanagrup = nullptr, *comaltgrup = nullptr;
    QCheckBox *chkampanya = nullptr, *chyeniurun = nullptr, *chstoktaolanlar = nullptr, *chresmiolanlar = nullptr;
    QLineEdit *araedit = nullptr;
    QAbstractButton *SpeedButton2 = nullptr;  // "Ara"
    QAbstractButton *SpeedButton1 = nullptr;  // "Temizle"
    TGifResim *gifstokara = nullptr;
    QTabWidget *tabs = nullptr;
    QWidget *stockTab = nullptr;  // sstoklistesi
};

// The criteria of one search, read from the controls when it starts.
struct StockSearchCriteria {
    QString kod;  // normalised search text
    QString departman, anagrup, altgrup;
    bool kampanya = false, yeni = false, var = false, resim = false;
};

class StockSearch : public QObject {
    Q_OBJECT
public:
    StockSearch(const StockFilterControls &controls, StockListPage *page, DSConnection &bagc, TSonucBilgisi &sbilgi,
                QObject *parent = nullptr);

    const StockFilterControls &controls() const { return c_; }

    bool SearchCriteriaValid() const;
    StockSearchCriteria CurrentCriteria() const;

    // Enter in the search box and "Ara": starts a search when the criteria
    // are valid, else warns "Lütfen en az 3 harf giriniz !". Returns whether
    // a search was started.
    bool AraBul();
    bool searching() const { return searching_; }

    // The background part: fetches the result into `stok`, the page's table,
    // which its grid has let go of meanwhile; a failure empties it. Returns
    // true on failure.
    bool RunStockSearch(const StockSearchCriteria &criteria, const TSonucBilgisi &session, DataTable &stok);

    // "Temizle": empties the list and resets the filters; no server call.
    void SpeedButton1Click();

    // Start-up batch steps (on its background task): fill the manufacturer
    // and main category lists. Errors of the calls themselves propagate.
    void DepartmanDoldur();
    void AnaGrupDoldur();
    // A main category chosen by the user: reload the sub categories.
    void AltGrupDoldur();

    // After a change of customer account: the list is emptied (when a search
    // is running, its rows are dropped as it ends).
    void ClearList();

    void setTabCaption(const QString &caption);

Q_SIGNALS:
    // A search ended (after its continuation ran).
    void searchFinished(bool failed, int rowCount);

private:
    void fillList(QComboBox *combo, const QStringList &entries);
    void resetSubCategories();

    StockFilterControls c_;
    QPointer<StockListPage> page_;
    DSConnection &bagc_;
    TSonucBilgisi &sbilgi_;
    bool searching_ = false;
    bool clearWhenDone_ = false;  // ClearList came while a search ran
};

}  // namespace tarsel
