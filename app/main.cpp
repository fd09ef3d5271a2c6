// TarselB2B: the ordering client of Tarsel Otomotiv.
//
// The main window gets the ordering path (search, dialog, basket, order)
// before it starts; the tour visits its screens too.
//
//   TarselB2B                         the program
//   TarselB2B --print-computer-id     prints this machine's computer identifier and ends
//   TarselB2B --tour DIR --tour-user NAME [--tour-password P]
//                                     the screenshot tour (app/tour/tourdriver.h)
//
// With TARSEL_STARTUP_PROBE=1 in the environment the program prints
// "signin-shown" as soon as the sign-in window is on the screen and ends
// (bench/startup measures the start-up with it).
//
// The deployment settings file "tarselb2b.conf" is looked for beside the
// program; TARSEL_CONFIG names another file.

#include "app/badgetabstyle.h"
#include "app/mainwindow.h"
#include "app/processexit.h"
#include "app/tour/tourdriver.h"
#include "app/webpage/webpage.h"
#include "basket/installorderingpath.h"
#include "basket/orderingtour.h"
#include "remote/application.h"
#include "signin/girisform.h"
#include "util/machineid.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// Prints "signin-shown" once the sign-in window has been shown, then ends.
class StartupProbe : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<tarsel::Tgirisform *>(watched)) {
            // Report once the window has been laid out and painted.
            QTimer::singleShot(0, [] {
                std::printf("signin-shown\n");
                std::fflush(stdout);
                ::_exit(0);
            });
        }
        return false;
    }
};

// Numbers, dates and sorting follow the user's regional settings. A
// machine that has none (the C locale, as on a bare system) gets the
// seller's, Turkish, rather than the C locale's English month names and
// separators.
void UseTurkishWhenNoRegionalSettings()
{
    if (QLocale::system().language() == QLocale::C) QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

}  // namespace

int main(int argc, char **argv)
{
    tarsel::PrepareWebEngine();
    tarsel::TApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("TarselB2B"));
    QCoreApplication::setOrganizationName(QStringLiteral("tarselotomotiv"));
    UseTurkishWhenNoRegionalSettings();

    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption printId(QStringLiteral("print-computer-id"), QStringLiteral("Bu bilgisayarın kimliğini yazar."));
    QCommandLineOption tourDir(QStringLiteral("tour"), QStringLiteral("Ekran görüntüsü turu: PNG klasörü."),
                               QStringLiteral("klasör"));
    QCommandLineOption tourUser(QStringLiteral("tour-user"), QStringLiteral("Turda girilen kullanıcı adı."),
                                QStringLiteral("ad"));
    QCommandLineOption tourPassword(QStringLiteral("tour-password"), QStringLiteral("Turda girilen şifre."),
                                    QStringLiteral("şifre"), QStringLiteral("1234"));
    parser.addOptions({printId, tourDir, tourUser, tourPassword});
    parser.process(app);

    if (parser.isSet(printId)) {
        std::printf("%s\n", tarsel::GetComputerId().toUtf8().constData());
        return 0;
    }

    tarsel::InstallProgramStyle();
    if (qEnvironmentVariable("TARSEL_STARTUP_PROBE") == QLatin1String("1"))
        app.installEventFilter(new StartupProbe(&app));

    std::unique_ptr<tarsel::TourDriver> tour;
    auto *form = new tarsel::TForm1;  // lives until the process ends
    tarsel::OrderingPath *ordering = tarsel::InstallOrderingPath(*form);
    if (parser.isSet(tourDir)) {
        tour = std::make_unique<tarsel::TourDriver>(parser.value(tourDir), parser.value(tourUser),
                                                    parser.value(tourPassword));
        tour->setMainWindow(form);
        tour->addScreens([form, ordering](tarsel::TourDriver::Save save, tarsel::TourDriver::Done done) {
            auto *screens = new tarsel::OrderingTour(*form, *ordering, std::move(save), form);
            screens->start([screens, done](bool ok, const QString &why) {
                screens->deleteLater();
                done(ok, why);
            });
        });
        tour->start();
    }
    if (!form->FormCreate()) return 0;
    form->showMaximized();
    return app.exec();
}
