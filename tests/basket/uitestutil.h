#pragma once
// Helpers for tests that drive windows: waiting while events run, answering
// message boxes as a user would, acting on a modal dialog once it is open.

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>

namespace tarsel::test {

// Processes events until `done` holds or `ms` pass; returns `done()`.
inline bool WaitFor(const std::function<bool()> &done, int ms = 15000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

// Types `text` into `w` key by key, any letters included (QTest::keyClicks
// only knows ASCII).
inline void TypeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text) {
        const Qt::Key key = ch.isLetter() && ch.unicode() < 128 ? Qt::Key(ch.toUpper().unicode())
                            : ch == QLatin1Char(' ')             ? Qt::Key_Space
                                                                 : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, w, key, QString(ch), Qt::NoModifier);
    }
}

inline QAbstractButton *ButtonWithText(QWidget *parent, const QString &text)
{
    for (auto *b : parent->findChildren<QAbstractButton *>())
        if (b->text() == text) return b;
    return nullptr;
}

// Answers every message box that opens: records its title and text, then
// clicks the next answer of `answers` ("Evet", "Hayır", ...) or, when none
// is left, "Tamam" (else the escape button).
class MessageWatcher : public QObject {
public:
    explicit MessageWatcher(QStringList answers = {}) : answers_(std::move(answers))
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box == last_) return;
            last_ = box;
            texts << box->text();
            titles << box->windowTitle();
            const QString answer = answers_.isEmpty() ? QStringLiteral("Tamam") : answers_.takeFirst();
            QAbstractButton *b = ButtonWithText(box, answer);
            if (!b) b = box->escapeButton();
            if (b) b->click();
            else box->reject();
        });
        timer_.start(15);
    }
    void answerNext(const QStringList &answers) { answers_ << answers; }
    QStringList texts;
    QStringList titles;

private:
    QStringList answers_;
    QTimer timer_;
    QPointer<QMessageBox> last_;
};

// Runs `action` on the first modal dialog of type T that opens (checked every
// 15 ms, for at most `ms`).
template <class T> void WhenModal(std::function<void(T *)> action, int ms = 20000)
{
    auto *timer = new QTimer;
    auto started = std::make_shared<QDeadlineTimer>(ms);
    QObject::connect(timer, &QTimer::timeout, [timer, action, started] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(w);
            return;
        }
        if (started->hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(15);
}

}  // namespace tarsel::test
