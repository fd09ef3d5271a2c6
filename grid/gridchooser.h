#pragma once
// "Sütun Seçici": a small tool window listing the columns offered to the
// user, each with a tick that shows or hides it.

#include <QDialog>

#include <functional>

class QListWidget;

namespace tarsel {

class GridColumnChooser : public QDialog {
    Q_OBJECT
public:
    struct Entry {
        int column;
        QString caption;
        bool visible;
    };
    explicit GridColumnChooser(QWidget *parent = nullptr);

    void setEntries(const std::vector<Entry> &entries);
    QListWidget *list() const { return list_; }
    // Captions listed, in order (tests).
    QStringList captions() const;

Q_SIGNALS:
    void visibilityToggled(int column, bool visible);

private:
    QListWidget *list_;
    bool filling_ = false;
};

// Covers the grid while it loads: a light veil and a turning busy indicator.
class GridBusyOverlay : public QWidget {
    Q_OBJECT
public:
    explicit GridBusyOverlay(QWidget *parent = nullptr);
    void start();
    void stop();
    bool isRunning() const { return timer_ >= 0; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    int timer_ = -1;
    int step_ = 0;
};

}  // namespace tarsel
