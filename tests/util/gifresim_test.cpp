// Animated picture control and the busy indicator.

#include "util/gifresim.h"

#include <QBuffer>
#include <QImage>
#include <QMovie>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

using namespace tarsel;

namespace {

// A 1x1 two-frame looping GIF89a: frame 1 black, frame 2 white.
QByteArray TwoFrameGif()
{
    static const unsigned char bytes[] = {
        'G', 'I', 'F', '8', '9', 'a',
        0x01, 0x00, 0x01, 0x00,  // 1 x 1
        0x80, 0x00, 0x00,        // global colour table of 2 entries
        0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
        // NETSCAPE2.0 application extension: loop forever
        0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01, 0x00, 0x00, 0x00,
        // frame 1: graphic control (delay 10/100 s), image descriptor, LZW data (index 0)
        0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00,
        0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00,
        0x02, 0x02, 0x44, 0x01, 0x00,
        // frame 2: same, pixel index 1
        0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00,
        0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00,
        0x02, 0x02, 0x4C, 0x01, 0x00,
        0x3B,
    };
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

QByteArray PngBytes()
{
    QImage img(4, 3, QImage::Format_ARGB32);
    img.fill(Qt::red);
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return out;
}

TEST(TGifResim, HandWrittenGifHasTwoFrames)
{
    QByteArray data = TwoFrameGif();
    QBuffer buf(&data);
    QMovie movie(&buf);
    ASSERT_TRUE(movie.isValid());
    EXPECT_EQ(movie.frameCount(), 2);
}

TEST(TGifResim, LoadingFollowsTheBannerProtocol)
{
    TGifResim w;
    QSignalSpy spy(&w, &TGifResim::animateChanged);
    EXPECT_FALSE(w.animate());
    ASSERT_TRUE(w.loadGif(TwoFrameGif()));
    ASSERT_TRUE(w.currentMovie());
    EXPECT_EQ(w.currentMovie()->frameCount(), 2);
    EXPECT_TRUE(w.animate());
    EXPECT_TRUE(w.isAnimating());
    // Stays false (already false), then true: exactly one change.
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toBool(), true);

    // Loading again while animating: false, then true.
    spy.clear();
    ASSERT_TRUE(w.loadGif(TwoFrameGif()));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toBool(), false);
    EXPECT_EQ(spy.at(1).at(0).toBool(), true);
    EXPECT_TRUE(w.isAnimating());
}

TEST(TGifResim, AnimateStateMachine)
{
    TGifResim w;
    ASSERT_TRUE(w.loadGif(TwoFrameGif()));
    QMovie *movie = w.currentMovie();
    QSignalSpy spy(&w, &TGifResim::animateChanged);

    w.setAnimate(true);  // same value: nothing happens
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(movie->state(), QMovie::Running);

    w.setAnimate(false);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(movie->state(), QMovie::Paused);
    EXPECT_FALSE(w.isAnimating());

    // A movie paused from outside is not touched by setting the same value.
    w.setAnimate(false);
    EXPECT_EQ(spy.count(), 1);

    EXPECT_TRUE(w.setProperty("Animate", true));
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(movie->state(), QMovie::Running);
    EXPECT_TRUE(w.property("Animate").toBool());
}

TEST(TGifResim, GosterAnimAndGizleDurdur)
{
    QWidget parent;
    auto *w = new TGifResim(&parent);
    parent.show();
    ASSERT_TRUE(w->loadGif(TwoFrameGif()));

    w->GizleDurdur();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->animate());
    EXPECT_FALSE(w->isAnimating());

    w->GosterAnim();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->animate());
    EXPECT_TRUE(w->isAnimating());
}

TEST(TGifResim, AnimateWithoutPictureOnlyStoresTheValue)
{
    TGifResim w;
    w.setAnimate(true);
    EXPECT_TRUE(w.animate());
    EXPECT_FALSE(w.isAnimating());
    w.setPicture(QImage(2, 2, QImage::Format_RGB32));
    w.setAnimate(false);
    w.setAnimate(true);
    EXPECT_FALSE(w.isAnimating());
    EXPECT_EQ(w.currentMovie(), nullptr);
}

TEST(TGifResim, StillPicturesAndBadData)
{
    TGifResim w;
    ASSERT_TRUE(w.loadGif(TwoFrameGif()));
    QMovie *movie = w.currentMovie();

    EXPECT_FALSE(w.loadGif(QByteArray("this is no picture")));
    EXPECT_EQ(w.currentMovie(), movie);  // the current picture stays
    EXPECT_TRUE(w.isAnimating());

    ASSERT_TRUE(w.loadGif(PngBytes()));  // a still picture
    EXPECT_EQ(w.currentMovie(), nullptr);
    EXPECT_EQ(w.pixmap().size(), QSize(4, 3));
    EXPECT_TRUE(w.animate());
    EXPECT_FALSE(w.isAnimating());

    w.setPicture(QImage(5, 5, QImage::Format_RGB32));
    EXPECT_EQ(w.pixmap().size(), QSize(5, 5));
    EXPECT_FALSE(w.loadGifFile(QStringLiteral("/nonexistent/banner.gif")));
}

// Number of pixels with any opacity.
int PaintedPixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0) ++n;
    return n;
}

TEST(BusyIndicator, AnimatesOnlyWhenShownAndAnimated)
{
    QWidget parent;
    parent.show();
    TGifResim *spinner = TGifResim::busyIndicator(&parent);
    ASSERT_EQ(spinner->parent(), &parent);
    EXPECT_TRUE(spinner->isBusyIndicator());
    EXPECT_EQ(spinner->size(), QSize(32, 32));
    EXPECT_FALSE(spinner->loadGif(TwoFrameGif()));

    spinner->GizleDurdur();
    EXPECT_FALSE(spinner->isVisible());
    EXPECT_FALSE(spinner->isAnimating());

    spinner->GosterAnim();
    EXPECT_TRUE(spinner->isVisible());
    EXPECT_TRUE(spinner->animate());
    EXPECT_TRUE(spinner->isAnimating());

    spinner->setAnimate(false);
    EXPECT_FALSE(spinner->isAnimating());
    spinner->setAnimate(true);
    spinner->hide();  // hidden: no timer, the value stays
    EXPECT_TRUE(spinner->animate());
    EXPECT_FALSE(spinner->isAnimating());
    spinner->show();
    EXPECT_TRUE(spinner->isAnimating());
}

TEST(BusyIndicator, PaintsAtTheScreenResolution)
{
    TGifResim *spinner = TGifResim::busyIndicator(nullptr);
    std::unique_ptr<TGifResim> owner(spinner);

    QImage normal(32, 32, QImage::Format_ARGB32_Premultiplied);
    normal.fill(Qt::transparent);
    spinner->render(&normal, QPoint(), QRegion(), QWidget::DrawChildren);

    QImage hiDpi(64, 64, QImage::Format_ARGB32_Premultiplied);
    hiDpi.setDevicePixelRatio(2.0);
    hiDpi.fill(Qt::transparent);
    spinner->render(&hiDpi, QPoint(), QRegion(), QWidget::DrawChildren);

    const int n1 = PaintedPixels(normal);
    const int n2 = PaintedPixels(hiDpi);
    EXPECT_GT(n1, 50);
    // Drawn with vectors: about four times the pixels at twice the scale,
    // not a 32x32 bitmap blown up.
    EXPECT_GT(n2, 3 * n1);
    EXPECT_LT(n2, 5 * n1);
    EXPECT_LT(n1, 32 * 32);  // a ring, not a filled square
}

}  // namespace
