#include "app/tour/tourdriver.h"

#include "app/mainwindow.h"
#include "app/pagecontrol.h"
#include "app/processexit.h"
#include "app/webpage/webpage.h"
#include "grid/datagrid.h"
#include "history/seccari.h"
#include "signin/dosyaindir.h"
#include "signin/girisform.h"
#include "signin/istekformu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTextStream>
#include <QToolButton>

#include <cstdio>

namespace tarsel {

namespace {

QAbstractButton *buttonWithText(QWidget *parent, const QString &text)
{
    for (auto *b : parent->findChildren<QAbstractButton *>())
        if (b->text() == text && b->isVisible()) return b;
    return nullptr;
}

}  // namespace

TourDriver::TourDriver(QString outDir, QString user, QString password, QObject *parent)
    : QObject(parent), outDir_(std::move(outDir)), user_(std::move(user)), password_(std::move(password))
{
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void TourDriver::start()
{
    QDir().mkpath(outDir_);
    QFile::remove(outDir_ + QStringLiteral("/tour.txt"));
    sinceProgress_.start();
    timer_.start(100);
    qApp->installEventFilter(this);
}

bool TourDriver::eventFilter(QObject *watched, QEvent *event)
{
    // The self-update starts its download as soon as it is shown and ends
    // the program when done: its picture is taken right when it shows.
    if (event->type() == QEvent::Show)
        if (auto *update = qobject_cast<Tdosyaindir *>(watched)) {
            markHandled(update);
            QTimer::singleShot(0, this, [this, p = QPointer<Tdosyaindir>(update)] {
                if (p) save(p, QStringLiteral("guncelleme"));
            });
        }
    return QObject::eventFilter(watched, event);
}

void TourDriver::Click(QWidget *w, QPoint pos)
{
    if (!w) return;
    const QPoint p = pos.x() < 0 ? w->rect().center() : pos;
    const QPointF global = w->mapToGlobal(QPointF(p));
    QCoreApplication::postEvent(
        w, new QMouseEvent(QEvent::MouseButtonPress, QPointF(p), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        w, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(p), global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

void TourDriver::PressKey(QWidget *w, int key, Qt::KeyboardModifiers mods)
{
    if (!w) return;
    QString text;
    if (key == Qt::Key_Return) text = QStringLiteral("\r");
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, key, mods, text));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, key, mods, text));
}

void TourDriver::TypeText(QWidget *w, const QString &text)
{
    if (!w) return;
    for (const QChar ch : text) {
        const int key = ch.isLetter() ? int(ch.toUpper().unicode()) : int(ch.unicode());
        QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, QString(ch)));
        QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch)));
    }
}

void TourDriver::after(int ms, std::function<void()> action)
{
    busy_ = true;
    QTimer::singleShot(ms, this, [this, action = std::move(action)] {
        busy_ = false;
        sinceProgress_.restart();
        action();
    });
}

void TourDriver::save(QWidget *w, const QString &name)
{
    if (!w) return;
    const QString file = QStringLiteral("%1-%2.png").arg(++counter_, 2, 10, QLatin1Char('0')).arg(name);
    const bool ok = w->grab().save(outDir_ + QLatin1Char('/') + file);
    files_ << (ok ? file : QStringLiteral("NOT SAVED: ") + file);
    std::printf("tour: %s\n", file.toUtf8().constData());
    std::fflush(stdout);
    finishLog();
    sinceProgress_.restart();
}

void TourDriver::finishLog()
{
    QFile f(outDir_ + QStringLiteral("/tour.txt"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return;
    QTextStream out(&f);
    out << "user " << user_ << "\n";
    for (const QString &file : files_) out << file << "\n";
}

void TourDriver::fail(const QString &why)
{
    files_ << QStringLiteral("FAILED: ") + why;
    finishLog();
    std::fprintf(stderr, "tour: %s\n", why.toUtf8().constData());
    std::fflush(stderr);
    ::_exit(3);
}

bool TourDriver::isHandled(QWidget *w) const
{
    for (const QPointer<QWidget> &p : handled_)
        if (p == w) return true;
    return false;
}

void TourDriver::tick()
{
    if (sinceProgress_.elapsed() > 60000) fail(QStringLiteral("60 s without progress"));
    if (busy_ || screensRunning_) return;
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && !isHandled(modal)) {
        if (handleSignIn(modal) || handleConsole(modal) || handleOtherModal(modal)) return;
        fail(QStringLiteral("unknown window: ") + modal->metaObject()->className());
        return;
    }
    if (!modal && form_ && form_->isVisible() && form_->startupBatchDone()) runMainWindowTour();
}

bool TourDriver::handleSignIn(QWidget *modal)
{
    auto *signIn = qobject_cast<Tgirisform *>(modal);
    if (!signIn) return false;
    markHandled(signIn);
    QPointer<Tgirisform> g(signIn);
    after(500, [this, g] {
        if (!g) return;
        save(g, QStringLiteral("giris"));
        // Typed in small letters: the window shows them as capitals.
        g->adi->setFocus();
        PressKey(g->adi, Qt::Key_A, Qt::ControlModifier);
        PressKey(g->adi, Qt::Key_Backspace);
        TypeText(g->adi, user_.toLower());
        PressKey(g->adi, Qt::Key_Return);  // on to the password field
        after(300, [this, g] {
            if (!g) return;
            PressKey(g->sifre, Qt::Key_A, Qt::ControlModifier);
            PressKey(g->sifre, Qt::Key_Backspace);
            TypeText(g->sifre, password_);
            after(300, [this, g] {
                if (!g) return;
                save(g, QStringLiteral("giris-dolu"));
                signInTyped_ = true;
                Click(g->Button1);
            });
        });
    });
    return true;
}

bool TourDriver::handleConsole(QWidget *modal)
{
    auto *console = qobject_cast<Tseccari *>(modal);
    if (!console) return false;
    markHandled(console);
    ++consoleVisits_;
    const QString prefix = consoleVisits_ == 1 ? QStringLiteral("cari-secimi") : QStringLiteral("baska-cari-sec");
    QPointer<Tseccari> c(console);
    after(600, [this, c, prefix] {
        if (!c) return;
        save(c, prefix);
        Click(c->sBitBtn2);  // "Tüm Carileri Listeler"
        after(800, [this, c, prefix] {
            if (!c) return;
            save(c, prefix + QStringLiteral("-liste"));
            if (c->cariler().rowCount() == 0) {
                fail(QStringLiteral("the customer console listed no account"));
                return;
            }
            // The second account, so that a switch shows a change.
            c->cxGrid1->setFocusedSourceRow(c->cariler().rowCount() > 1 && consoleVisits_ > 1 ? 1 : 0);
            after(300, [this, c, prefix] {
                if (!c) return;
                save(c, prefix + QStringLiteral("-kart"));
                Click(c->Button1);  // "Seç"
            });
        });
    });
    return true;
}

bool TourDriver::handleOtherModal(QWidget *modal)
{
    if (auto *page = qobject_cast<TIstekFormu *>(modal)) {
        markHandled(page);
        busy_ = true;
        // The page is drawn only some time after it has loaded.
        auto wait = std::make_shared<std::function<void()>>();
        *wait = [this, page, wait] {
            if (!page->WebBrowser1->loadDone()) {
                QTimer::singleShot(200, this, *wait);
                return;
            }
            after(1500, [this, page] {
                save(page, QStringLiteral("istek-formu"));
                Click(page->Kapat);  // the program ends
            });
        };
        (*wait)();
        return true;
    }
    if (auto *update = qobject_cast<Tdosyaindir *>(modal)) {
        markHandled(update);  // taken when it was shown
        return true;
    }
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        markHandled(box);
        const QString text = box->text();
        files_ << QStringLiteral("message: ") + text;
        if (text == kExitQuestion) {
            const bool first = !files_.join(QLatin1Char('\n')).contains(QStringLiteral("cikis-sorusu"));
            after(400, [this, box, first] {
                save(box, QStringLiteral("cikis-sorusu"));
                save(form_, QStringLiteral("cikis-sorusu-pencere"));
                Click(buttonWithText(box, first ? QStringLiteral("Hayır") : QStringLiteral("Evet")));
            });
            return true;
        }
        after(400, [this, box, text] {
            save(box, QStringLiteral("mesaj"));
            if (auto *owner = qobject_cast<Tdosyaindir *>(box->parentWidget()))
                save(owner, QStringLiteral("guncelleme-hata"));
            QAbstractButton *b = box->defaultButton() ? static_cast<QAbstractButton *>(box->defaultButton())
                                                      : box->escapeButton();
            if (!b && !box->buttons().isEmpty()) b = box->buttons().first();
            Click(b);
            if (text.startsWith(QStringLiteral("Kullanıcı Adı ve Şifre Hatalı")))
                after(500, [this] { fail(QStringLiteral("sign-in refused")); });
        });
        return true;
    }
    return false;
}

void TourDriver::runMainWindowTour()
{
    if (mainTourStarted_) return;
    mainTourStarted_ = true;
    TForm1 *f = form_;
    // A chain of steps, each started half a second after the previous one
    // has called its `done`.
    using Done = std::function<void()>;
    using Step = std::function<void(Done)>;
    auto steps = std::make_shared<std::vector<Step>>();
    auto next = std::make_shared<std::function<void()>>();
    *next = [this, steps, next] {
        if (steps->empty()) return;
        Step step = steps->front();
        steps->erase(steps->begin());
        after(500, [step, next] { step([next] { (*next)(); }); });
    };
    auto simple = [](std::function<void()> action) {
        return Step([action](Done done) {
            action();
            done();
        });
    };
    // A step that starts once no window is modal and no step of the driver
    // runs; it calls `done` itself.
    auto onceIdle = [this](Step step) {
        return Step([this, step](Done done) {
            auto wait = std::make_shared<std::function<void()>>();
            *wait = [this, step, done, wait] {
                if (QApplication::activeModalWidget() || busy_) {
                    QTimer::singleShot(200, this, *wait);
                    return;
                }
                step(done);
            };
            (*wait)();
        });
    };
    auto whenIdle = [onceIdle](std::function<void()> action) {
        return onceIdle([action](Done done) {
            action();
            done();
        });
    };
    // An added module's screens; the next step follows when they have ended.
    auto runScreens = [this, onceIdle](Screens screens) {
        return onceIdle([this, screens](Done done) {
            screensRunning_ = true;
            screens([this](QWidget *w, const QString &name) { save(w, name); },
                    [this, done](bool ok, const QString &why) {
                        screensRunning_ = false;
                        sinceProgress_.restart();
                        if (!ok) fail(why);
                        else done();
                    });
        });
    };

    steps->push_back(simple([this, f] { save(f, QStringLiteral("ana-pencere")); }));
    QTabBar *bar = f->sPageControl1->tabBar();
    for (int i = 0; i < bar->count(); ++i) {
        if (!bar->isTabVisible(i)) continue;
        steps->push_back(simple([bar, i] { Click(bar, bar->tabRect(i).center()); }));
        steps->push_back(simple([this, f, i] {
            save(f, QStringLiteral("sekme-") + f->sPageControl1->widget(i)->objectName());
        }));
    }
    steps->push_back(simple([bar] { Click(bar, bar->tabRect(0).center()); }));
    // The main menu of the header's split button.
    steps->push_back(simple([f] { Click(f->Button3, QPoint(f->Button3->width() / 3, f->Button3->height() / 2)); }));
    steps->push_back(simple([this] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            save(popup, QStringLiteral("ana-menu"));
            PressKey(popup, Qt::Key_Escape);
        } else {
            fail(QStringLiteral("the main menu did not open"));
        }
    }));
    for (const Screens &screens : screens_)
        steps->push_back(runScreens(screens));
    if (f->musteritus->isVisible()) {
        steps->push_back(simple([f] { Click(f->musteritus); }));  // the console is taken by tick()
        steps->push_back(whenIdle([this, f] { save(f, QStringLiteral("cari-degisti")); }));
    }
    // The exit question: "Hayır" first (nothing changes), then "Evet".
    steps->push_back(simple([f] { QMetaObject::invokeMethod(f, "close", Qt::QueuedConnection); }));
    steps->push_back(whenIdle([this, f] {
        save(f, QStringLiteral("hayir-sonrasi"));
        QMetaObject::invokeMethod(f, "close", Qt::QueuedConnection);
    }));
    (*next)();
}

}  // namespace tarsel
