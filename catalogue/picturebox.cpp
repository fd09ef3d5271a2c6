#include "catalogue/picturebox.h"

#include <QPainter>

namespace tarsel {

TPictureBox::TPictureBox(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TPictureBox::setPicture(const QImage &image)
{
    picture_ = image;
    update();
}

void TPictureBox::clearPicture()
{
    picture_ = QImage();
    update();
}

void TPictureBox::paintEvent(QPaintEvent *)
{
    if (picture_.isNull()) return;
    QSize size = picture_.size();
    size.scale(rect().size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(rect().center());
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, picture_);
}

}  // namespace tarsel
