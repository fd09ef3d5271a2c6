#pragma once
// The ordering screens in the screenshot tour: a search on a wide and on a
// narrow window (and the compact filter panel of a low window), the stock
// dialog with its pictures, the basket with its totals and carrier choice,
// the order confirmation, and the new and campaign item tabs.
//
// It drives the real window with posted key and mouse events and handles
// the modal windows it opens itself; while it runs, a caller that watches
// for modal windows leaves them to it (running()). Nothing is saved on the
// server: the confirmation is answered "Hayır".

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace tarsel {

class OrderingPath;
class TForm1;

class OrderingTour : public QObject {
    Q_OBJECT
public:
    using Save = std::function<void(QWidget *window, const QString &name)>;
    using Done = std::function<void(bool ok, const QString &why)>;

    OrderingTour(TForm1 &form, OrderingPath &path, Save save, QObject *parent = nullptr);

    // Starts once the start-up batch has ended; `done` runs at the end.
    void start(Done done);
    bool running() const { return running_; }

    // The search text of the tour.
    QString searchText = QStringLiteral("fren balatası");

private:
    struct Step {
        QString what;                    // for the failure report
        std::function<bool()> ready;     // wait until true (empty: at once)
        std::function<void()> action;
    };
    void add(const QString &what, std::function<bool()> ready, std::function<void()> action);
    void next();
    void finish(bool ok, const QString &why);

    QPointer<TForm1> form_;
    OrderingPath &path_;
    Save save_;
    Done done_;
    std::vector<Step> steps_;
    std::size_t at_ = 0;
    bool running_ = false;
    QSize originalSize_;
    int row_ = -1;
};

}  // namespace tarsel
