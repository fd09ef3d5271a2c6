#pragma once
// The request page for a machine the server does not know: the seller's web
// form in an embedded browser, on which the visitor applies for access for
// this machine. The sign-in ends the program when it is closed.

#include <QDialog>

class QPushButton;

namespace tarsel {

class TWebPage;

// webSiteBase + "formmailgonder.aspx?carino=0&kullanici= &id=" + computer id
// (the value of "kullanici" is a single blank).
QString RequestPageAddress(const QString &computerId);

class TIstekFormu : public QDialog {
    Q_OBJECT
public:
    TIstekFormu(QWidget *owner, const QString &computerId);
    ~TIstekFormu() override;

    TWebPage *WebBrowser1 = nullptr;
    QPushButton *Kapat = nullptr;
};

}  // namespace tarsel
