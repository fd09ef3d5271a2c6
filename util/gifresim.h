#pragma once
// Picture control that shows a still picture or an animated GIF, with an
// `Animate` property that starts and stops the animation.
//
// It also provides the busy indicator: busyIndicator() makes a 32x32 control
// that paints a rotating arc itself (no picture needed, sharp at any screen
// scale) and obeys Animate / GosterAnim / GizleDurdur the same way.

#include <QImage>
#include <QLabel>

class QBuffer;
class QMovie;
class QTimer;

namespace tarsel {

class TGifResim : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool Animate READ animate WRITE setAnimate NOTIFY animateChanged)

public:
    explicit TGifResim(QWidget *parent = nullptr);
    ~TGifResim() override;

    // A busy indicator (spinner) owned by `parent`.
    static TGifResim *busyIndicator(QWidget *parent = nullptr);

    bool animate() const { return animate_; }
    // A new value is stored and, when the control holds a non-empty GIF
    // movie (or is a busy indicator), switches the animation on or off; the
    // value it already has changes nothing.
    void setAnimate(bool on);

    // Animate = true, then show.
    void GosterAnim();
    // Hide, then Animate = false.
    void GizleDurdur();

    // Loads a picture from bytes, as a banner does: Animate is set false, the
    // picture replaces the current one, then Animate is set true. Animated
    // formats (GIF) play; any other image format QImage reads is shown still.
    // Returns false (and keeps the current picture) when the bytes are no
    // picture.
    bool loadGif(const QByteArray &data);
    bool loadGifFile(const QString &fileName);

    // Shows a still picture (stops and drops any movie).
    void setPicture(const QImage &image);

    // Removes the picture or movie.
    void clearPicture();

    // The movie while an animated picture is loaded, else nullptr.
    QMovie *currentMovie() const { return movie_; }
    bool isBusyIndicator() const { return spinner_ != nullptr; }
    // True while the movie plays or the busy indicator turns.
    bool isAnimating() const;
    // Rotation of the busy indicator's arc, in degrees (0..359).
    int spinnerAngle() const { return angle_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void animateChanged(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void applyAnimation();
    void dropMovie();

    bool animate_ = false;
    QMovie *movie_ = nullptr;
    QBuffer *movieData_ = nullptr;
    QTimer *spinner_ = nullptr;
    int angle_ = 0;
};

}  // namespace tarsel
