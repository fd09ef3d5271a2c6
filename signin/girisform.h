#pragma once
// The sign-in window `Tgirisform` ("Giriş"), shown modally before the main
// window. The server looks the user up by this machine's computer
// identifier and returns the user record registered for it; the window
// compares the typed user name and password with it. On the way it learns
// the machine's outside address, may start the self-update or send an
// unknown machine to the request page, remembers the typed credentials in
// the settings file and lets sales staff choose a customer account.
//
// Closes with QDialog::Accepted for a completed sign-in; the opener ends the
// program otherwise. Paths that end the program go through EndProcess.

#include <QDialog>

#include <atomic>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarsel {

class DSConnection;
class TGifResim;
class TSonucBilgisi;

class Tgirisform : public QDialog {
    Q_OBJECT
public:
    // `bagim` and `Bilgim` are the main window's connection description and
    // session record itself (the sign-in fills it).
    Tgirisform(QWidget *owner, DSConnection &bagim, TSonucBilgisi &Bilgim);
    ~Tgirisform() override;

    QString idsi;  // this machine's computer identifier

    // Controls.
    QLabel *Image1 = nullptr;     // background picture
    QLabel *RxLabel1 = nullptr;   // the seller's contact block
    QCheckBox *benihatirla = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *adi = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *sifre = nullptr;
    QPushButton *Button1 = nullptr;  // "Giriş"
    TGifResim *RxGIFAnimator1 = nullptr;
    QPushButton *Button2 = nullptr;  // "Vazgeç"

    // "Giriş": the outside-address query, then Devamet.
    void Button1Click();
    // "Vazgeç": ends the program at once (an address query still running is abandoned).
    void Button2Click();
    // The rest of the sign-in once the outside address is known.
    void Devamet(const QString &address);

    // True from "Giriş" until an attempt has ended (the button is disabled).
    bool attemptRunning() const { return attemptRunning_; }

    // The customer choice of sales staff: shows the console and returns true
    // when an account was chosen. Replaceable for tests of the sign-in alone.
    std::function<bool()> customerChoice;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void loadSettings();
    void lookup();
    void decide(bool lookupFailed, const std::shared_ptr<TSonucBilgisi> &record, bool updateRefused);
    void endAttempt(bool selectUserName);
    bool runCustomerChoice();
    void warnEmpty(QLineEdit *field, const QString &text);

    DSConnection &bagim_;
    TSonucBilgisi &Bilgim_;
    std::shared_ptr<std::atomic<bool>> abandon_;  // set when the window goes or "Vazgeç" is pressed
    bool attemptRunning_ = false;
};

}  // namespace tarsel
