#pragma once
// `TONAYSIP` ("Sipariş Onay"): asks the user to confirm an order. The
// summary is shown in a bold fixed-pitch font so that its colons line up;
// "Evet" closes with OK, "Hayır" with Cancel.

#include <QDialog>

class QLabel;
class QPushButton;

namespace tarsel {

class TONAYSIP : public QDialog {
    Q_OBJECT
public:
    explicit TONAYSIP(QWidget *owner = nullptr);

    QLabel *Label2 = nullptr;  // the summary
    QLabel *Label1 = nullptr;  // the question
    QPushButton *Button1 = nullptr;  // "Evet"
    QPushButton *Button2 = nullptr;  // "Hayır"

protected:
    void showEvent(QShowEvent *event) override;
};

}  // namespace tarsel
