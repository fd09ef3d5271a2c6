#include "remote/application.h"

#include "remote/remotecall.h"

#include <exception>

namespace tarsel {

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ReportUnhandledError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportUnhandledError(QStringLiteral("Bilinmeyen hata"));
    }
    return false;
}

}  // namespace tarsel
