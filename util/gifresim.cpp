#include "util/gifresim.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMovie>
#include <QPainter>
#include <QPen>
#include <QTimer>

namespace tarsel {

namespace {
constexpr int kSpinnerSide = 32;
constexpr int kSpinnerIntervalMs = 33;  // about 30 frames a second
constexpr int kSpinnerStepDegrees = 12; // one turn a second
constexpr int kSpinnerArcDegrees = 100;
}  // namespace

TGifResim::TGifResim(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(false);
}

TGifResim::~TGifResim()
{
    dropMovie();
}

TGifResim *TGifResim::busyIndicator(QWidget *parent)
{
    auto *w = new TGifResim(parent);
    w->setObjectName(QStringLiteral("busyIndicator"));
    w->spinner_ = new QTimer(w);
    w->spinner_->setInterval(kSpinnerIntervalMs);
    w->spinner_->setTimerType(Qt::CoarseTimer);
    connect(w->spinner_, &QTimer::timeout, w, [w] {
        w->angle_ = (w->angle_ + kSpinnerStepDegrees) % 360;
        w->update();
    });
    w->setFixedSize(kSpinnerSide, kSpinnerSide);
    return w;
}

void TGifResim::setAnimate(bool on)
{
    if (on == animate_) return;
    animate_ = on;
    applyAnimation();
    Q_EMIT animateChanged(on);
}

bool TGifResim::isAnimating() const
{
    if (spinner_) return spinner_->isActive();
    return movie_ && movie_->state() == QMovie::Running;
}

void TGifResim::applyAnimation()
{
    if (spinner_) {
        // The arc only turns while it can be seen.
        if (animate_ && isVisible())
            spinner_->start();
        else
            spinner_->stop();
        return;
    }
    if (!movie_ || !movie_->isValid() || movie_->frameCount() == 0) return;
    setAutoFillBackground(false);  // transparent around the picture
    if (animate_) {
        if (movie_->state() == QMovie::Paused)
            movie_->setPaused(false);
        else if (movie_->state() == QMovie::NotRunning)
            movie_->start();
    } else if (movie_->state() == QMovie::Running) {
        movie_->setPaused(true);
    }
}

void TGifResim::GosterAnim()
{
    setAnimate(true);
    show();
}

void TGifResim::GizleDurdur()
{
    hide();
    setAnimate(false);
}

bool TGifResim::loadGif(const QByteArray &data)
{
    if (spinner_) return false;  // the busy indicator draws itself

    auto *buffer = new QBuffer(this);
    buffer->setData(data);
    buffer->open(QIODevice::ReadOnly);
    bool readable = false, animated = false;
    {
        QImageReader probe(buffer);
        readable = probe.canRead();
        animated = readable && probe.supportsAnimation();
    }
    buffer->seek(0);
    if (!readable) {
        delete buffer;
        return false;
    }

    QMovie *movie = nullptr;
    QImage still;
    if (animated) {
        movie = new QMovie(buffer, QByteArray(), this);
        movie->setCacheMode(QMovie::CacheAll);
        if (!movie->isValid()) {
            delete movie;
            movie = nullptr;
        }
    }
    if (!movie) {
        {
            buffer->seek(0);
            QImageReader reader(buffer);
            reader.setAutoTransform(true);
            still = reader.read();
        }
        delete buffer;
        buffer = nullptr;
        if (still.isNull()) return false;
    }

    setAnimate(false);
    if (movie) {
        dropMovie();
        movie_ = movie;
        movieData_ = buffer;
        setMovie(movie_);
        movie_->jumpToFrame(0);
    } else {
        setPicture(still);
    }
    setAnimate(true);
    return true;
}

bool TGifResim::loadGifFile(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return loadGif(f.readAll());
}

void TGifResim::setPicture(const QImage &image)
{
    dropMovie();
    setPixmap(QPixmap::fromImage(image));
}

void TGifResim::clearPicture()
{
    dropMovie();
    QLabel::clear();
}

void TGifResim::dropMovie()
{
    if (!movie_) return;
    QMovie *m = movie_;
    QBuffer *b = movieData_;
    movie_ = nullptr;
    movieData_ = nullptr;
    m->stop();
    if (movie() == m) QLabel::setMovie(nullptr);
    delete m;
    delete b;
}

QSize TGifResim::sizeHint() const
{
    if (spinner_) return {kSpinnerSide, kSpinnerSide};
    return QLabel::sizeHint();
}

QSize TGifResim::minimumSizeHint() const
{
    if (spinner_) return {kSpinnerSide, kSpinnerSide};
    return QLabel::minimumSizeHint();
}

void TGifResim::paintEvent(QPaintEvent *event)
{
    if (!spinner_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height());
    const qreal penWidth = qMax<qreal>(2.0, side / 9.0);
    const QRectF ring((width() - side) / 2.0 + penWidth / 2.0, (height() - side) / 2.0 + penWidth / 2.0,
                      side - penWidth, side - penWidth);

    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(0.15f);
    p.setPen(QPen(track, penWidth));
    p.drawEllipse(ring);

    QPen arc(palette().color(QPalette::Highlight), penWidth, Qt::SolidLine, Qt::RoundCap);
    p.setPen(arc);
    // Angles in 1/16 degree, counter-clockwise from 3 o'clock; the arc turns clockwise.
    p.drawArc(ring, (90 - angle_) * 16, -kSpinnerArcDegrees * 16);
}

void TGifResim::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    if (spinner_) applyAnimation();
}

void TGifResim::hideEvent(QHideEvent *event)
{
    QLabel::hideEvent(event);
    if (spinner_) applyAnimation();
}

}  // namespace tarsel
