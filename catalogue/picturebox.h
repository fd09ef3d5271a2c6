#pragma once
// A picture control that draws its picture stretched into its rectangle,
// keeping the aspect ratio, centred, with a transparent background: where it
// has no picture, whatever lies beneath shows.

#include <QImage>
#include <QWidget>

namespace tarsel {

class TPictureBox : public QWidget {
    Q_OBJECT
public:
    explicit TPictureBox(QWidget *parent = nullptr);

    void setPicture(const QImage &image);
    void clearPicture();
    const QImage &picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage picture_;
};

}  // namespace tarsel
