// Demo pictures: adverts, banners, poster and logo, drawn with QPainter.

#include "server/demofiles.h"

#include "server/gifencoder.h"
#include "server/pdfwriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <stdexcept>

namespace tarsel::server::demo {

namespace {

QFont PixelFont(int px, bool bold = false)
{
    QFont f(CanDrawText() ? DocumentFontFamily() : QStringLiteral("Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void Text(QPainter &p, const QRectF &r, int flags, const QString &text, const QFont &font, const QColor &color)
{
    if (!CanDrawText()) return;
    p.save();
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, flags, text);
    p.restore();
}

QByteArray Encode(const QImage &img, const char *format, int quality = -1)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    if (!img.save(&buf, format, quality))
        throw std::runtime_error(std::string("demo picture: cannot write ") + format);
    return out;
}

// A brake disc seen from the front.
void DrawDisc(QPainter &p, QPointF c, double r, const QColor &metal)
{
    QRadialGradient g(c, r);
    g.setColorAt(0, metal.lighter(140));
    g.setColorAt(1, metal.darker(130));
    p.setPen(QPen(metal.darker(180), r * 0.03));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setBrush(metal.darker(115));
    p.drawEllipse(c, r * 0.45, r * 0.45);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(c, r * 0.16, r * 0.16);
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5;
        p.drawEllipse(QPointF(c.x() + std::cos(a) * r * 0.3, c.y() + std::sin(a) * r * 0.3), r * 0.05, r * 0.05);
    }
    p.setPen(QPen(metal.darker(150), r * 0.02));
    for (int i = 0; i < 24; ++i) {
        const double a = i * 2 * M_PI / 24;
        p.drawLine(QPointF(c.x() + std::cos(a) * r * 0.55, c.y() + std::sin(a) * r * 0.55),
                   QPointF(c.x() + std::cos(a) * r * 0.9, c.y() + std::sin(a) * r * 0.9));
    }
}

// An oil filter: a cylinder with ribs.
void DrawFilter(QPainter &p, QRectF r, const QColor &body)
{
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, body.darker(140));
    g.setColorAt(0.4, body.lighter(130));
    g.setColorAt(1, body.darker(160));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, r.width() * 0.08, r.width() * 0.08);
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(r.left() - r.width() * 0.03, r.top() - r.height() * 0.08, r.width() * 1.06, r.height() * 0.1));
    p.setPen(QPen(body.darker(170), r.width() * 0.02));
    for (int i = 1; i < 7; ++i) {
        const double y = r.top() + r.height() * (0.15 + i * 0.1);
        p.drawLine(QPointF(r.left() + r.width() * 0.05, y), QPointF(r.right() - r.width() * 0.05, y));
    }
}

// A gear wheel.
void DrawGear(QPainter &p, QPointF c, double r, const QColor &color, double turn = 0)
{
    QPainterPath path;
    const int teeth = 10;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = turn + i * M_PI / teeth;
        const double a1 = turn + (i + 1) * M_PI / teeth;
        const double rr = i % 2 == 0 ? r : r * 0.8;
        const QPointF p0(c.x() + std::cos(a0) * rr, c.y() + std::sin(a0) * rr);
        const QPointF p1(c.x() + std::cos(a1) * rr, c.y() + std::sin(a1) * rr);
        if (i == 0) path.moveTo(p0);
        else path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(c, r * 0.35, r * 0.35);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path);
}

// A five-pointed star badge.
void DrawStar(QPainter &p, QPointF c, double r, const QColor &color)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double rr = i % 2 == 0 ? r : r * 0.45;
        const QPointF pt(c.x() + std::cos(a) * rr, c.y() + std::sin(a) * rr);
        if (i == 0) path.moveTo(pt);
        else path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path);
}

// A small car in profile, facing right.
void DrawCar(QPainter &p, QPointF at, double w, const QColor &body)
{
    const double h = w * 0.38;
    QPainterPath path;
    path.moveTo(at.x(), at.y() + h * 0.55);
    path.lineTo(at.x() + w * 0.05, at.y() + h * 0.35);
    path.lineTo(at.x() + w * 0.3, at.y() + h * 0.3);
    path.lineTo(at.x() + w * 0.42, at.y());
    path.lineTo(at.x() + w * 0.75, at.y());
    path.lineTo(at.x() + w * 0.88, at.y() + h * 0.3);
    path.lineTo(at.x() + w, at.y() + h * 0.4);
    path.lineTo(at.x() + w, at.y() + h * 0.75);
    path.lineTo(at.x(), at.y() + h * 0.75);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(path);
    p.setBrush(QColor(204, 255, 255));
    p.drawRect(QRectF(at.x() + w * 0.46, at.y() + h * 0.08, w * 0.12, h * 0.22));
    p.drawRect(QRectF(at.x() + w * 0.61, at.y() + h * 0.08, w * 0.12, h * 0.22));
    p.setBrush(QColor(51, 51, 51));
    p.drawEllipse(QPointF(at.x() + w * 0.22, at.y() + h * 0.78), h * 0.2, h * 0.2);
    p.drawEllipse(QPointF(at.x() + w * 0.8, at.y() + h * 0.78), h * 0.2, h * 0.2);
}

}  // namespace

bool CanDrawText() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

QByteArray AdvertJpeg(int variant, const QString &headline, const QString &line, const QString &action)
{
    static const QColor kTop[] = {QColor(150, 16, 24), QColor(18, 62, 122), QColor(18, 105, 62), QColor(40, 48, 72)};
    static const QColor kBottom[] = {QColor(60, 8, 12), QColor(6, 24, 60), QColor(6, 45, 28), QColor(12, 16, 30)};
    const int v = ((variant % 4) + 4) % 4;
    QImage img(600, 400, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 600, 400);
    bg.setColorAt(0, kTop[v]);
    bg.setColorAt(1, kBottom[v]);
    p.fillRect(img.rect(), bg);
    // Diagonal light band and the brand strip.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 18));
    p.drawPolygon(QPolygonF({QPointF(330, 0), QPointF(480, 0), QPointF(300, 400), QPointF(150, 400)}));
    p.fillRect(QRectF(0, 0, 600, 44), QColor(0, 0, 0, 90));
    Text(p, QRectF(20, 0, 400, 44), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("TARSEL OTOMOTİV"),
         PixelFont(20, true), QColor(255, 204, 0));
    Text(p, QRectF(300, 0, 280, 44), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("B2B Sipariş Sistemi"),
         PixelFont(15), QColor(230, 230, 230));

    switch (v) {
    case 0: DrawDisc(p, QPointF(470, 215), 105, QColor(170, 170, 178)); break;
    case 1:
        DrawStar(p, QPointF(470, 215), 110, QColor(255, 204, 0));
        Text(p, QRectF(390, 170, 160, 90), Qt::AlignCenter, QStringLiteral("YENİ"), PixelFont(38, true),
             QColor(18, 62, 122));
        break;
    case 2:
        DrawFilter(p, QRectF(420, 110, 110, 180), QColor(30, 120, 200));
        DrawFilter(p, QRectF(370, 170, 80, 130), QColor(230, 150, 20));
        break;
    default:
        DrawGear(p, QPointF(455, 200), 95, QColor(200, 205, 215));
        DrawGear(p, QPointF(540, 300), 55, QColor(255, 204, 0), 0.3);
        break;
    }

    Text(p, QRectF(28, 70, 360, 150), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, headline, PixelFont(36, true),
         Qt::white);
    Text(p, QRectF(28, 225, 325, 90), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, line, PixelFont(18),
         QColor(235, 235, 235));
    if (!action.isEmpty()) {
        const QRectF button(28, 322, 210, 48);
        p.setBrush(QColor(255, 204, 0));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(button, 10, 10);
        Text(p, button, Qt::AlignCenter, action, PixelFont(18, true), kBottom[v]);
    }
    p.end();
    return Encode(img, "JPG", 88);
}

QByteArray TopBannerPng()
{
    QImage img(409, 100, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 409, 0);
    bg.setColorAt(0, QColor(18, 62, 122));
    bg.setColorAt(1, QColor(8, 30, 66));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(0, 0, 409, 100), 12, 12);
    p.fillRect(QRectF(0, 88, 409, 6), QColor(200, 16, 30));
    DrawGear(p, QPointF(50, 46), 32, QColor(255, 204, 0));
    Text(p, QRectF(95, 10, 300, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TARSEL OTOMOTİV"),
         PixelFont(28, true), Qt::white);
    Text(p, QRectF(97, 50, 300, 30), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("Yedek parçada güvenilir çözüm ortağınız"), PixelFont(14), QColor(220, 228, 240));
    p.end();
    return Encode(img, "PNG");
}

QByteArray SearchBannerGif()
{
    const int w = 400, h = 50, frames = 12;
    std::vector<QImage> list;
    for (int i = 0; i < frames; ++i) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(QColor(255, 204, 0));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(QRectF(0, h - 6, w, 6), QColor(153, 0, 0));
        // The car drives across, the badge pulses.
        DrawCar(p, QPointF(-46 + i * (w + 46) / double(frames), 28), 44, QColor(153, 0, 0));
        const double pulse = 14 + 4 * std::sin(i * 2 * M_PI / frames);
        DrawStar(p, QPointF(w - 28, 22), pulse, QColor(204, 0, 0));
        Text(p, QRectF(6, 2, w - 56, 26), Qt::AlignCenter, QStringLiteral("KAMPANYALI ÜRÜNLERDE %15 İNDİRİM"),
             PixelFont(15, true), QColor(51, 0, 0));
        p.end();
        list.push_back(img);
    }
    return EncodeAnimatedGif(list, 12);
}

QByteArray BottomBannerBmp()
{
    const int w = 1400, h = 60;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(236, 241, 248));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, w, 4), QColor(18, 62, 122));
    p.fillRect(QRectF(0, h - 4, w, 4), QColor(200, 16, 30));
    const QStringList groups = {QStringLiteral("FREN SİSTEMLERİ"), QStringLiteral("FİLTRELER"),
                                QStringLiteral("DEBRİYAJ"),        QStringLiteral("SÜSPANSİYON"),
                                QStringLiteral("MOTOR PARÇALARI"), QStringLiteral("ELEKTRİK"),
                                QStringLiteral("AYDINLATMA")};
    const double slot = double(w) / groups.size();
    for (int i = 0; i < groups.size(); ++i) {
        const double x = i * slot;
        DrawGear(p, QPointF(x + 22, h / 2.0), 13, i % 2 ? QColor(200, 16, 30) : QColor(18, 62, 122), i * 0.2);
        Text(p, QRectF(x + 40, 4, slot - 44, h - 8), Qt::AlignLeft | Qt::AlignVCenter, groups[i], PixelFont(14, true),
             QColor(18, 40, 80));
    }
    p.end();
    return Encode(img, "BMP");
}

QByteArray PosterJpeg()
{
    QImage img(600, 850, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 850);
    bg.setColorAt(0, QColor(150, 16, 24));
    bg.setColorAt(1, QColor(40, 4, 8));
    p.fillRect(img.rect(), bg);
    Text(p, QRectF(0, 40, 600, 60), Qt::AlignCenter, QStringLiteral("TARSEL OTOMOTİV"), PixelFont(40, true),
         QColor(255, 204, 0));
    Text(p, QRectF(40, 110, 520, 120), Qt::AlignCenter | Qt::TextWordWrap,
         QStringLiteral("Fren Sistemlerinde Bahar Kampanyası"), PixelFont(38, true), Qt::white);
    DrawDisc(p, QPointF(300, 430), 170, QColor(175, 175, 182));
    DrawStar(p, QPointF(470, 300), 75, QColor(255, 204, 0));
    Text(p, QRectF(410, 260, 120, 80), Qt::AlignCenter, QStringLiteral("%15"), PixelFont(34, true),
         QColor(150, 16, 24));
    Text(p, QRectF(40, 640, 520, 120), Qt::AlignCenter | Qt::TextWordWrap,
         QStringLiteral("Balata, disk ve kampana çeşitlerinde stoklarla sınırlı indirim. Siparişlerinizi B2B "
                        "programından verebilirsiniz."),
         PixelFont(20), QColor(240, 240, 240));
    Text(p, QRectF(0, 780, 600, 40), Qt::AlignCenter, QStringLiteral("www.tarselotomotiv.com.tr  ·  0212 444 18 27"),
         PixelFont(18, true), QColor(255, 204, 0));
    p.end();
    return Encode(img, "JPG", 85);
}

QByteArray LogoPng()
{
    QImage img(256, 256, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(18, 62, 122));
    p.drawEllipse(QPointF(128, 128), 124, 124);
    DrawGear(p, QPointF(128, 100), 70, QColor(255, 204, 0));
    Text(p, QRectF(0, 170, 256, 60), Qt::AlignCenter, QStringLiteral("TARSEL"), PixelFont(40, true), Qt::white);
    p.end();
    return Encode(img, "PNG");
}

}  // namespace tarsel::server::demo
