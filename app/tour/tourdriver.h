#pragma once
// The screenshot tour: a driver inside the real client that signs in
// through the real sign-in window (typing into the fields and pressing
// "Giriş" with key and mouse events, as a person would), then saves a PNG of
// every window and tab it reaches, and finally leaves the program through
// the exit question ("Evet", exit code 0).
//
//   TarselB2B --tour OUT_DIR --tour-user SATIS [--tour-password 1234]
//
// The files are numbered in the order they were taken; OUT_DIR/tour.txt
// lists them. When the tour cannot go on (a window it does not know stays
// open, or nothing happens for 60 s) it writes the reason into tour.txt and
// ends the program with exit code 3.

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

class QWidget;

namespace tarsel {

class TForm1;

class TourDriver : public QObject {
    Q_OBJECT
public:
    TourDriver(QString outDir, QString user, QString password, QObject *parent = nullptr);

    void setMainWindow(TForm1 *form) { form_ = form; }
    void start();

    // Screens another module adds to the tour, visited after the main
    // window's tabs and menu. It gets the tour's `save` and calls `done` when
    // it has ended (ok false ends the tour with `why`). While it runs, the
    // modal windows it opens are its own.
    using Save = std::function<void(QWidget *window, const QString &name)>;
    using Done = std::function<void(bool ok, const QString &why)>;
    using Screens = std::function<void(Save save, Done done)>;
    void addScreens(Screens screens) { screens_.push_back(std::move(screens)); }

    // Key and mouse events delivered as the window system would (posted).
    static void Click(QWidget *w, QPoint pos = QPoint(-1, -1));
    static void TypeText(QWidget *w, const QString &text);
    static void PressKey(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tick();
    void save(QWidget *w, const QString &name);
    void fail(const QString &why);
    void finishLog();
    void after(int ms, std::function<void()> action);  // the next step, after a pause
    bool handleSignIn(QWidget *modal);
    bool handleConsole(QWidget *modal);
    bool handleOtherModal(QWidget *modal);
    void runMainWindowTour();

    QString outDir_;
    QString user_;
    QString password_;
    QPointer<TForm1> form_;
    QTimer timer_;
    QElapsedTimer sinceProgress_;
    QStringList files_;
    int counter_ = 0;
    bool busy_ = false;  // a timed step sequence is running
    bool signInTyped_ = false;
    bool mainTourStarted_ = false;
    bool screensRunning_ = false;  // an added module's screens are being visited
    std::vector<Screens> screens_;
    int consoleVisits_ = 0;
    QList<QPointer<QWidget>> handled_;  // modal windows already taken care of
    bool isHandled(QWidget *w) const;
    void markHandled(QWidget *w) { handled_.push_back(w); }
};

}  // namespace tarsel
