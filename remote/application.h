#pragma once
// The application object: an error that no routine catches, raised while an
// event is handled, is shown by the general error report and the program
// goes on.

#include <QApplication>

namespace tarsel {

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

}  // namespace tarsel
