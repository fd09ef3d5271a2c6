#pragma once
// The date dialog of the console's reports `Ttarihsec` ("Tarih Seç"): one or
// two date pickers, both starting at the current date and time; "Seç"
// closes it with OK.

#include <QDialog>

class QDateTimeEdit;
class QLabel;
class QPushButton;

namespace tarsel {

class Ttarihsec : public QDialog {
    Q_OBJECT
public:
    explicit Ttarihsec(QWidget *owner = nullptr);

    // Hides the second picker and its label (reports with one date).
    void setSingleDate(bool single);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QDateTimeEdit *DateTimePicker1 = nullptr;
    QDateTimeEdit *DateTimePicker2 = nullptr;
    QPushButton *Button1 = nullptr;  // "Seç"
};

}  // namespace tarsel
