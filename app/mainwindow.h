#pragma once
// The main window `TForm1`: holds every ordering screen as a tab page.
//
// FormCreate runs the start-up: titles, the session record with this
// machine's identity, the server address, the sign-in (which may end the
// program), the adaptation to the user type, the start-up batch on one
// background task, and the push callback. Closing the window asks
// "Programdan Çıkmak İstiyor musunuz ?"; Evet ends the process at once.
//
// The window's controls are public members named as the screens that fill
// them know them (the catalogue fills the filter group and the stock tab,
// the basket its tab, and so on). Work of later screens is attached through
// `hooks`: a step whose hook is empty is skipped.

#include "app/usertype.h"
#include "remote/baglantiu.h"
#include "remote/dsconnection.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace tarsel {

class DataGrid;
class TGifResim;
class TPageControl;

// Texts of the main window.
inline const QString kMainCaption = QStringLiteral("Tarsel Otomotiv B2B Programı");
inline const QString kApplicationTitle = QStringLiteral("Tarsel Otomotiv B2B");
inline const QString kExitQuestion = QStringLiteral("Programdan Çıkmak İstiyor musunuz ?");
inline const QString kStockTabStart = QStringLiteral("0=Stok Listesi");

// The header label "Temsilci:": salesperson, telephone and e-mail.
QString SalespersonLine(const TSonucBilgisi &s);

// Icon of a tab by its index in the tab icon list (the names in app/icons).
QString TabIconName(int index);

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The start-up sequence. Returns false when the program was ended on
    // the way (only seen when the end is intercepted, in tests).
    bool FormCreate();

    // Writes the three header labels from the session record; from a
    // background task the writes are handed to the user-interface thread.
    void AnaBilgiAl();
    void SetFilterCombosEnabled(bool enabled);
    // "Başka Cari Seç": the customer console, then the window refreshes for
    // the (possibly new) account.
    void SwitchCustomer();
    // "Çıkış": asks the window to close (the exit question).
    void G1Click();
    // Adapts the window to the user type (runs once after sign-in).
    void AdaptToUserType(int userType);
    // Filter layout by window height: the three lists and four check boxes
    // only when the window is at least 700 pixels high.
    void LayoutFilterPanel();
    void FitLogo();
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Grids of the later screens register under their view names so that
    // the user-type plan reaches them (applied at once when the window was
    // already adapted).
    void RegisterGridView(const QString &viewName, DataGrid *grid);
    const UserTypePlan &userTypePlan() const { return plan_; }
    bool adapted() const { return adapted_; }

    bool startupBatchRunning() const { return batchRunning_; }
    bool startupBatchDone() const { return batchDone_; }

    // ---- state owned for the whole run ----
    TSonucBilgisi sbilgi;
    DSConnection bagc;
    qint32 _acilisadet = 0;
    bool _indirmeyapiliyormu = false;

    // ---- work of later screens ----
    struct Hooks {
        // Start-up batch steps after the header labels, in this order; they
        // run on the batch's background task and hand their control changes
        // to the user-interface thread themselves.
        std::function<void()> LoadTickerText;
        std::function<void()> BannerREsimAl;
        std::function<void()> BannerREsimAlUst;
        std::function<void()> BannerREsimAlAlt;
        std::function<void()> AcilisReklamAdetAl;
        std::function<void()> BalonYaz;
        std::function<void()> DepartmanDoldur;
        std::function<void()> AnaGrupDoldur;
        // In the batch's continuation: the opening adverts.
        std::function<void()> ShowOpeningAdverts;
        // After the batch has started: register the push callback.
        std::function<void()> RegisterPushCallback;
        // After a customer switch: reload the basket; empty the stock list.
        std::function<void()> LoadBasket;
        std::function<void()> ClearStockList;
    } hooks;

    // Creates the sign-in window (tests may replace it to drive it).
    std::function<int(TForm1 &)> runSignIn;

    // ---- header ----
    QWidget *Panel1 = nullptr;
    QLabel *Image1 = nullptr;  // the seller's logo
    QWidget *GridPanel1 = nullptr;
    QLabel *kullanicilbl = nullptr;
    QLabel *cariadilbl = nullptr;
    QLabel *saticilbl = nullptr;
    TGifResim *GifResim1 = nullptr;  // banner picture (empty until a banner arrives)
    QToolButton *Button3 = nullptr;  // split button with the main menu
    QMenu *Genelmenu = nullptr;
    QAction *M1 = nullptr;           // "Mail Gönder"
    QAction *N4 = nullptr;           // "Şifre Değiştirme İsteği"
    QAction *WebSiteItem = nullptr;  // the seller's web address
    QAction *G1 = nullptr;           // "Çıkış"
    QAction *R1 = nullptr;           // "Raporlar"

    // ---- filter strip ----
    QWidget *Panel2 = nullptr;
    QGroupBox *GroupBox3 = nullptr;  // "Ürün Arama"
    QLabel *lblUretici = nullptr, *lblAnaKategori = nullptr, *lblAltKategori = nullptr;
    QComboBox *comdepartman = nullptr, *comanagrup = nullptr, *comaltgrup = nullptr;
    QCheckBox *chkampanya = nullptr, *chyeniurun = nullptr, *chstoktaolanlar = nullptr, *chresmiolanlar = nullptr;
    QLabel *lblGenelArama = nullptr, *lblIslemler = nullptr;
    QLineEdit *araedit = nullptr;
    QPushButton *SpeedButton2 = nullptr;  // "Ara"
    QPushButton *SpeedButton1 = nullptr;  // "Temizle"
    TGifResim *gifstokara = nullptr, *gifyeniler = nullptr, *gifkampanyali = nullptr, *gifduyuru = nullptr,
              *gifekstre = nullptr, *gifoncekiler = nullptr, *gifdosyalar = nullptr;
    QPushButton *musteritus = nullptr;  // "Başka Cari Seç"

    // ---- tabs ----
    TPageControl *sPageControl1 = nullptr;
    QWidget *sstoklistesi = nullptr, *ssepet = nullptr, *sonceki = nullptr, *sccariekstre = nullptr,
            *syeniler = nullptr, *skampanyali = nullptr, *sTabSheetduyuru = nullptr, *sTabbakiyeler = nullptr,
            *tabdosyalar = nullptr, *iletisim = nullptr;

    // ---- status legend and ticker strip ----
    QWidget *Panel3 = nullptr;
    QWidget *Panel5 = nullptr;
    QWidget *kayanyazi = nullptr;         // holder of the scrolling text ticker
    QWidget *RealTimeMarquee1 = nullptr;  // holder of the picture ticker
    QLabel *Image3 = nullptr;             // hidden picture holder

    // ---- grid menus (attached by the grids of their screens) ----
    QMenu *popstok = nullptr;
    QAction *S2 = nullptr, *B1 = nullptr, *S3 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Deitir1 = nullptr, *SatrSil1 = nullptr, *HepsiniSil1 = nullptr;
    QMenu *poponceki = nullptr;
    QAction *S1 = nullptr, *SipariBakiyeleriniz1 = nullptr, *T1 = nullptr;
    QMenu *popekstre = nullptr;
    QAction *H1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildHeader(QWidget *parent);
    void buildFilterStrip(QWidget *parent);
    void buildTabs(QWidget *parent);
    void buildLegend(QWidget *parent);
    void buildTicker(QWidget *parent);
    void buildMenus();
    bool FormCloseQuery();
    bool signIn();
    void startStartupBatch();
    void startupContinuation();
    void applyColumnPlan(const QString &view, DataGrid *grid);

    UserTypePlan plan_;
    bool adapted_ = false;
    bool batchRunning_ = false;
    bool batchDone_ = false;
    bool closing_ = false;
    QHash<QString, QPointer<DataGrid>> gridViews_;
};

}  // namespace tarsel
