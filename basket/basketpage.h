#pragma once
// The basket tab (`ssepet`): the server-side basket of the working customer
// account with its selection flags and totals, the overdue-account warning,
// the line commands ("Satır Değiştir", "Satır Sil", "Hepsini Sil"), the
// delivery type, carrier type and carrier choice, the note and "Gönder".
//
// Everything here runs on the user-interface thread and blocks it for its
// server calls, except the warning text, which is fetched on a thread of
// its own.

#include "basket/basketlogic.h"
#include "wire/datatable.h"

#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace tarsel {

class DataGrid;
class DSConnection;
class TRadioGroup;
class TServerMethods1Client;
class TSonucBilgisi;

class BasketPage : public QWidget {
    Q_OBJECT
public:
    BasketPage(DSConnection &bagc, TSonucBilgisi &sbilgi, QWidget *parent = nullptr);
    ~BasketPage() override;

    // ---- what the page works with in the main window ----
    void setTab(QTabWidget *tabs, QWidget *page);
    void setHeaderPanel(QWidget *panel) { headerPanel_ = panel; }
    void setSearchBox(QLineEdit *box) { searchBox_ = box; }
    // The grid's popup menu with "Satır Değiştir", "Satır Sil", "Hepsini Sil".
    void setLineMenu(QMenu *menu, QAction *change, QAction *remove, QAction *removeAll);
    // Opens a basket line in the stock dialog (given its SIRANO and table row).
    std::function<void(qint32 sirano, std::size_t row)> openEditLine;

    // ---- the basket ----
    DataTable sepet;
    bool sepetOpen = false;

    // The tab was shown: header 50 pixels high, the warning fetched on its own
    // thread, the basket and the delivery and carrier type lists loaded.
    void ssepetShow();
    // Fetches the basket (reporting a connection failure), rewrites the tab
    // caption and the totals. False when the connection could not be
    // opened. Errors of the call itself propagate.
    bool LoadBasket();
    BasketTotals ComputeBasketTotals();
    bool SendLineSelection(qint32 sirano, qint32 secim);
    void ToggleLineSelection(std::size_t row);
    void SelectAll(bool selected);  // "Hepsini Seç" / "Seçimleri Kaldır"
    void CariBakiyeUyariBak();
    void Button2Click();            // "Excel Kaydet"
    void LayoutBasketColumns();

    // ---- line operations (on the main connection) ----
    void AddBasketLine(const DataTable &source, std::size_t row, double quantity, double price,
                       const DiscountRates &rates);
    void UpdateBasketLine(qint32 sirano, std::size_t row, double quantity, double price);
    void Deitir1Click();
    void SatrSil1Click();
    void HepsiniSil1Click();

    // ---- delivery, carrier, order ----
    void LoadDeliveryAndCarrierTypes();
    void boxkargoClick();
    void LoadCarriers(qint32 carrierType);
    void kargocomboChange();
    void Button1Click();  // "Gönder"
    bool SaveOrder(qint32 kargoyeni, qint32 kargoTuru, qint32 teslim);
    DataTable kargo;

    // ---- controls ----
    DataGrid *cxGrid2 = nullptr;
    QWidget *panelsec = nullptr;
    QPushButton *Button4 = nullptr;  // "Hepsini Seç"
    QPushButton *Button5 = nullptr;  // "Seçimleri Kaldır"
    QLabel *lbluyarbakiye = nullptr;
    QWidget *Panel4 = nullptr;
    TRadioGroup *teslimbox = nullptr;  // hidden
    TRadioGroup *boxkargo = nullptr;
    QGroupBox *GroupBox1 = nullptr;    // "Kargo"
    QComboBox *kargocombo = nullptr;
    QLabel *uyarikargo = nullptr;
    QGroupBox *GroupBox2 = nullptr;    // "Mesaj"
    QPlainTextEdit *aciklamagir = nullptr;
    QLabel *aratoplaml = nullptr, *indiriml = nullptr, *nettutarl = nullptr, *vergil = nullptr,
           *geneltoplaml = nullptr;
    QLabel *indirimCaption = nullptr, *vergiCaption = nullptr;
    QPushButton *Button1 = nullptr;  // "Gönder"
    QPushButton *Button2 = nullptr;  // "Excel Kaydet"

protected:
    void resizeEvent(QResizeEvent *event) override;
    // "Gönder" is the page's default button: Enter that no control of the
    // page takes for itself (the note takes it as a line break) presses it.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildGrid();
    void buildSelectionStrip();
    void buildOrderPanel();
    void onGridDoubleClicked(int sourceRow);
    void onCheckBoxClicked(int sourceRow, const QString &column);
    void writeTotals(const BasketTotals &t);
    // One call on the main connection (reporting a failure to open it).
    bool callOnMainConnection(const std::function<void(TServerMethods1Client &)> &call);

    DSConnection &bagc_;
    TSonucBilgisi &sbilgi_;
    QPointer<QTabWidget> tabs_;
    QPointer<QWidget> tab_;
    QPointer<QWidget> headerPanel_;
    QPointer<QLineEdit> searchBox_;

    struct WarningGuard;
    std::shared_ptr<WarningGuard> warningGuard_;
    // The last check box toggle (row, time): the second click of a double
    // click on the box does not toggle back.
    int lastToggleRow_ = -1;
    qint64 lastToggleMs_ = 0;
};

}  // namespace tarsel
