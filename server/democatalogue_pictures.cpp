// Product pictures of the demo catalogue: each kind of part drawn with a few
// shapes and gradients on a white background, like a catalogue photograph.
// Only raster painting is used (no fonts), so no display is needed.

#include "server/democatalogue.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace tarsel::server {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

QBrush Metal(const QRectF &r, bool vertical = false)
{
    QLinearGradient g(r.topLeft(), vertical ? r.bottomLeft() : r.topRight());
    g.setColorAt(0.0, QColor(120, 124, 130));
    g.setColorAt(0.35, QColor(226, 229, 233));
    g.setColorAt(0.55, QColor(176, 180, 186));
    g.setColorAt(1.0, QColor(96, 100, 106));
    return g;
}

QBrush Paint(const QRectF &r, const QColor &c, bool vertical = false)
{
    QLinearGradient g(r.topLeft(), vertical ? r.bottomLeft() : r.topRight());
    g.setColorAt(0.0, c.darker(150));
    g.setColorAt(0.4, c.lighter(135));
    g.setColorAt(0.6, c);
    g.setColorAt(1.0, c.darker(170));
    return g;
}

QBrush Rubber(const QRectF &r)
{
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0.0, QColor(20, 20, 22));
    g.setColorAt(0.45, QColor(70, 72, 76));
    g.setColorAt(1.0, QColor(16, 16, 18));
    return g;
}

QBrush Disc(const QPointF &c, double radius, const QColor &base)
{
    QRadialGradient g(c - QPointF(radius * 0.3, radius * 0.3), radius * 1.4);
    g.setColorAt(0.0, base.lighter(160));
    g.setColorAt(0.6, base);
    g.setColorAt(1.0, base.darker(180));
    return g;
}

const QPen kEdge(QColor(40, 40, 44, 160), 1.2);

void Ring(QPainter &p, const QPointF &c, double outer, double inner, const QBrush &brush)
{
    QPainterPath path;
    path.addEllipse(c, outer, outer);
    path.addEllipse(c, inner, inner);
    path.setFillRule(Qt::OddEvenFill);
    p.setBrush(brush);
    p.drawPath(path);
}

void Holes(QPainter &p, const QPointF &c, double radius, int count, double size, double phase = 0)
{
    p.setBrush(QColor(250, 250, 250));
    for (int i = 0; i < count; ++i) {
        const double a = phase + 2 * M_PI * i / count;
        p.drawEllipse(c + QPointF(std::cos(a) * radius, std::sin(a) * radius), size, size);
    }
}

void DrawBrakePad(QPainter &p, const QColor &accent)
{
    for (int i = 0; i < 2; ++i) {
        p.save();
        p.translate(110 + i * 100, 120 + i * 8);
        QPainterPath plate;
        plate.moveTo(-70, -30);
        plate.cubicTo(-40, -52, 40, -52, 70, -30);
        plate.lineTo(66, 34);
        plate.cubicTo(30, 20, -30, 20, -66, 34);
        plate.closeSubpath();
        p.setBrush(Metal(QRectF(-70, -52, 140, 86), true));
        p.drawPath(plate);
        QPainterPath lining;
        lining.moveTo(-58, -24);
        lining.cubicTo(-32, -40, 32, -40, 58, -24);
        lining.lineTo(55, 22);
        lining.cubicTo(26, 12, -26, 12, -55, 22);
        lining.closeSubpath();
        p.setBrush(QColor(58, 52, 50));
        p.drawPath(lining);
        p.setPen(QPen(QColor(30, 28, 28), 3));
        p.drawLine(QPointF(0, -34), QPointF(0, 16));
        p.setPen(kEdge);
        p.setBrush(accent);
        p.drawRect(QRectF(40, 26, 22, 6));
        p.restore();
    }
}

void DrawBrakeDisc(QPainter &p, const QColor &accent, bool drum)
{
    const QPointF c(160, 120);
    p.setBrush(Disc(c, 100, QColor(170, 172, 176)));
    p.drawEllipse(c, 100, 100);
    if (!drum) {
        p.setPen(QPen(QColor(120, 122, 126), 1));
        for (int i = 0; i < 36; ++i) {
            const double a = 2 * M_PI * i / 36;
            p.drawLine(c + QPointF(std::cos(a) * 62, std::sin(a) * 62), c + QPointF(std::cos(a) * 96, std::sin(a) * 96));
        }
        p.setPen(kEdge);
        Holes(p, c, 80, 12, 3.2, 0.2);
    } else {
        Ring(p, c, 100, 86, Metal(QRectF(60, 20, 200, 200), true));
    }
    p.setBrush(Disc(c, 55, accent.darker(110)));
    p.drawEllipse(c, 55, 55);
    p.setBrush(Disc(c, 24, QColor(90, 92, 96)));
    p.drawEllipse(c, 24, 24);
    Holes(p, c, 38, 5, 5.5);
}

void DrawMasterCylinder(QPainter &p, const QColor &accent)
{
    const QRectF body(50, 120, 220, 46);
    p.setBrush(Metal(body, true));
    p.drawRoundedRect(body, 20, 20);
    p.drawRect(QRectF(30, 112, 26, 62));
    const QRectF tank(110, 52, 110, 70);
    p.setBrush(QColor(236, 236, 228, 230));
    p.drawRoundedRect(tank, 10, 10);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(140, 36, 50, 20), 6, 6);
    p.setPen(QPen(QColor(190, 170, 60), 2));
    p.drawLine(QPointF(116, 94), QPointF(214, 94));
}

void DrawSpinFilter(QPainter &p, const QColor &accent)
{
    const QRectF body(95, 60, 130, 150);
    p.setBrush(Paint(body, accent));
    p.drawRect(body);
    p.drawEllipse(QRectF(95, 192, 130, 36));
    p.setBrush(Metal(QRectF(95, 40, 130, 40)));
    p.drawEllipse(QRectF(95, 40, 130, 40));
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRectF(137, 50, 46, 18));
    p.setPen(QPen(accent.darker(160), 2));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(100, 90 + i * 24), QPointF(220, 90 + i * 24));
}

void DrawPanelFilter(QPainter &p, const QColor &accent)
{
    p.save();
    p.translate(160, 120);
    p.shear(-0.25, 0);
    const QRectF frame(-115, -70, 230, 140);
    p.setBrush(Paint(frame, accent, true));
    p.drawRoundedRect(frame, 8, 8);
    p.setBrush(QColor(246, 238, 206));
    p.drawRect(QRectF(-100, -56, 200, 112));
    p.setPen(QPen(QColor(214, 200, 150), 2));
    for (int x = -96; x < 100; x += 8) p.drawLine(QPointF(x, -56), QPointF(x, 56));
    p.restore();
}

void DrawShock(QPainter &p, const QColor &accent)
{
    p.save();
    p.translate(160, 120);
    p.rotate(-60);
    p.setBrush(Metal(QRectF(-110, -6, 80, 12), true));
    p.drawRect(QRectF(-118, -5, 80, 10));
    p.setBrush(Paint(QRectF(-40, -20, 150, 40), accent, true));
    p.drawRoundedRect(QRectF(-44, -20, 150, 40), 6, 6);
    p.setBrush(Metal(QRectF(-140, -14, 28, 28)));
    Ring(p, QPointF(-128, 0), 14, 7, Metal(QRectF(-142, -14, 28, 28)));
    Ring(p, QPointF(118, 0), 14, 7, Metal(QRectF(104, -14, 28, 28)));
    p.restore();
}

void DrawMount(QPainter &p, const QColor &accent)
{
    const QRectF rubber(90, 90, 140, 80);
    p.setBrush(Rubber(rubber));
    p.drawRoundedRect(rubber, 30, 30);
    p.setBrush(Metal(QRectF(70, 70, 180, 26), true));
    p.drawRoundedRect(QRectF(70, 70, 180, 26), 6, 6);
    p.setBrush(Metal(QRectF(130, 164, 60, 40)));
    p.drawRect(QRectF(150, 164, 20, 44));
    p.setBrush(accent);
    p.drawEllipse(QRectF(84, 76, 14, 14));
    p.drawEllipse(QRectF(222, 76, 14, 14));
}

void DrawControlArm(QPainter &p, const QColor &accent)
{
    QPainterPath arm;
    arm.moveTo(50, 170);
    arm.lineTo(250, 70);
    arm.lineTo(270, 95);
    arm.lineTo(120, 185);
    arm.lineTo(270, 190);
    arm.lineTo(262, 210);
    arm.lineTo(50, 195);
    arm.closeSubpath();
    p.setBrush(Paint(arm.boundingRect(), QColor(60, 64, 70), true));
    p.drawPath(arm);
    Ring(p, QPointF(58, 182), 22, 10, Rubber(QRectF(36, 160, 44, 44)));
    Ring(p, QPointF(262, 200), 18, 8, Rubber(QRectF(244, 182, 36, 36)));
    p.setBrush(Disc(QPointF(258, 80), 20, accent));
    p.drawEllipse(QPointF(258, 80), 20, 20);
}

void DrawBallJoint(QPainter &p, const QColor &accent)
{
    p.setBrush(Metal(QRectF(60, 140, 200, 30), true));
    p.drawRoundedRect(QRectF(60, 140, 200, 30), 8, 8);
    Holes(p, QPointF(160, 155), 80, 2, 7, 0);
    p.setBrush(Rubber(QRectF(120, 96, 80, 50)));
    p.drawEllipse(QRectF(120, 96, 80, 54));
    p.setBrush(Metal(QRectF(148, 40, 24, 64)));
    QPolygonF stud;
    stud << QPointF(150, 100) << QPointF(170, 100) << QPointF(166, 40) << QPointF(154, 40);
    p.drawPolygon(stud);
    p.setBrush(accent);
    p.drawRect(QRectF(146, 30, 28, 12));
}

void DrawBelt(QPainter &p, bool kit, const QColor &accent)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(28, 28, 30), 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (kit) {
        QPainterPath path;
        path.moveTo(90, 60);
        path.lineTo(230, 50);
        path.arcTo(QRectF(200, 50, 70, 70), 90, -180);
        path.lineTo(100, 200);
        path.arcTo(QRectF(50, 60, 100, 140), 270, -180);
        p.drawPath(path);
        p.setPen(QPen(QColor(90, 90, 96), 2));
        p.drawPath(path);
        p.setPen(kEdge);
        p.setBrush(Disc(QPointF(235, 85), 32, QColor(170, 172, 176)));
        p.drawEllipse(QPointF(235, 85), 32, 32);
        p.setBrush(Disc(QPointF(100, 130), 46, QColor(150, 152, 156)));
        p.drawEllipse(QPointF(100, 130), 46, 46);
        p.setBrush(Disc(QPointF(190, 170), 22, accent));
        p.drawEllipse(QPointF(190, 170), 22, 22);
    } else {
        p.drawEllipse(QRectF(50, 50, 220, 140));
        p.setPen(QPen(QColor(80, 80, 86), 2, Qt::DashLine));
        p.drawEllipse(QRectF(50, 50, 220, 140));
        p.setPen(QPen(accent, 3));
        p.drawArc(QRectF(58, 58, 204, 124), 30 * 16, 50 * 16);
    }
    p.setPen(kEdge);
}

void DrawWaterPump(QPainter &p, const QColor &accent)
{
    QPainterPath body;
    body.addRoundedRect(QRectF(120, 70, 140, 110), 30, 30);
    p.setBrush(Metal(body.boundingRect(), true));
    p.drawPath(body);
    p.setBrush(Disc(QPointF(110, 125), 60, QColor(150, 152, 156)));
    p.drawEllipse(QPointF(110, 125), 60, 60);
    Ring(p, QPointF(110, 125), 60, 50, QColor(110, 112, 116));
    p.setBrush(accent);
    p.drawEllipse(QPointF(110, 125), 16, 16);
    Holes(p, QPointF(110, 125), 32, 4, 5);
}

void DrawSparkPlug(QPainter &p, const QColor &accent)
{
    p.save();
    p.translate(160, 120);
    p.rotate(-35);
    p.setBrush(Metal(QRectF(-120, -8, 30, 16), true));
    p.drawRect(QRectF(-128, -7, 30, 14));
    QLinearGradient ceramic(0, -18, 0, 18);
    ceramic.setColorAt(0, QColor(255, 255, 255));
    ceramic.setColorAt(0.5, QColor(236, 236, 232));
    ceramic.setColorAt(1, QColor(196, 196, 190));
    p.setBrush(ceramic);
    p.drawRoundedRect(QRectF(-100, -16, 110, 32), 10, 10);
    p.setBrush(accent);
    p.drawRect(QRectF(-40, -17, 12, 34));
    p.setBrush(Metal(QRectF(10, -22, 36, 44), true));
    p.drawRect(QRectF(10, -22, 36, 44));
    p.setBrush(Metal(QRectF(46, -12, 60, 24), true));
    p.drawRect(QRectF(46, -12, 60, 24));
    p.setPen(QPen(QColor(110, 110, 114), 2));
    for (int x = 50; x < 104; x += 6) p.drawLine(QPointF(x, -12), QPointF(x + 3, 12));
    p.restore();
}

void DrawCoil(QPainter &p, const QColor &accent)
{
    p.setBrush(Paint(QRectF(70, 60, 180, 70), QColor(40, 42, 46), true));
    p.drawRoundedRect(QRectF(70, 60, 180, 70), 10, 10);
    p.setBrush(Rubber(QRectF(140, 128, 40, 90)));
    p.drawRoundedRect(QRectF(140, 128, 40, 90), 12, 12);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(200, 40, 40, 26), 4, 4);
    Holes(p, QPointF(160, 95), 70, 2, 6, 0);
}

void DrawThermostat(QPainter &p, const QColor &accent)
{
    p.setBrush(Metal(QRectF(60, 60, 200, 120), true));
    p.drawEllipse(QRectF(60, 100, 200, 60));
    p.setBrush(QColor(200, 160, 80));
    p.drawRoundedRect(QRectF(130, 50, 60, 64), 10, 10);
    p.setPen(QPen(QColor(70, 70, 74), 4));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(128, 146 + i * 8), QPointF(192, 142 + i * 8));
    p.setPen(kEdge);
    p.setBrush(accent);
    p.drawEllipse(QRectF(66, 118, 24, 24));
}

void DrawClutch(QPainter &p, const QColor &accent)
{
    const QPointF plate(190, 115), disc(120, 135);
    p.setBrush(Disc(plate, 92, QColor(160, 162, 168)));
    p.drawEllipse(plate, 92, 92);
    p.setBrush(QColor(70, 72, 76));
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.translate(plate);
        p.rotate(i * 30);
        p.drawRect(QRectF(20, -4, 40, 8));
        p.restore();
    }
    p.setBrush(Disc(disc, 84, QColor(92, 84, 78)));
    p.drawEllipse(disc, 84, 84);
    Ring(p, disc, 84, 62, QColor(120, 108, 96));
    p.setBrush(Disc(disc, 36, accent));
    p.drawEllipse(disc, 36, 36);
    Holes(p, disc, 26, 6, 4);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(disc, 10, 10);
}

void DrawBearing(QPainter &p, const QColor &accent)
{
    const QPointF c(160, 120);
    Ring(p, c, 100, 76, Metal(QRectF(60, 20, 200, 200), true));
    Ring(p, c, 56, 36, Metal(QRectF(104, 64, 112, 112), true));
    p.setBrush(accent.darker(120));
    Ring(p, c, 76, 56, accent.darker(130));
    for (int i = 0; i < 14; ++i) {
        const double a = 2 * M_PI * i / 14;
        const QPointF b = c + QPointF(std::cos(a) * 66, std::sin(a) * 66);
        p.setBrush(Disc(b, 9, QColor(200, 202, 206)));
        p.drawEllipse(b, 9, 9);
    }
}

void DrawBulb(QPainter &p, const QColor &accent)
{
    QRadialGradient glass(QPointF(150, 80), 80);
    glass.setColorAt(0, QColor(255, 255, 255, 240));
    glass.setColorAt(0.7, QColor(220, 230, 240, 200));
    glass.setColorAt(1, QColor(170, 185, 200, 220));
    p.setBrush(glass);
    p.drawEllipse(QRectF(110, 30, 100, 120));
    p.setPen(QPen(QColor(120, 110, 90), 2));
    p.drawLine(QPointF(150, 140), QPointF(148, 80));
    p.drawLine(QPointF(170, 140), QPointF(172, 80));
    p.drawLine(QPointF(148, 80), QPointF(172, 80));
    p.setPen(kEdge);
    p.setBrush(Metal(QRectF(126, 140, 68, 50)));
    p.drawRect(QRectF(126, 140, 68, 50));
    p.setBrush(accent);
    p.drawRect(QRectF(112, 186, 96, 14));
}

void DrawLamp(QPainter &p, const QColor &accent)
{
    QPainterPath lens;
    lens.moveTo(40, 70);
    lens.lineTo(270, 60);
    lens.cubicTo(290, 110, 280, 170, 250, 190);
    lens.lineTo(60, 180);
    lens.closeSubpath();
    p.setBrush(Paint(lens.boundingRect(), QColor(200, 30, 36), true));
    p.drawPath(lens);
    p.setBrush(QColor(250, 160, 40, 220));
    p.drawRect(QRectF(160, 80, 80, 40));
    p.setBrush(QColor(245, 245, 245, 220));
    p.drawRect(QRectF(160, 124, 80, 40));
    p.setBrush(accent.darker(140));
    p.drawRect(QRectF(60, 84, 80, 80));
}

void DrawRadiator(QPainter &p, const QColor &accent)
{
    p.setBrush(Paint(QRectF(40, 50, 20, 150), QColor(40, 40, 44)));
    p.drawRect(QRectF(40, 50, 24, 150));
    p.drawRect(QRectF(256, 50, 24, 150));
    p.setBrush(QColor(150, 154, 160));
    p.drawRect(QRectF(64, 56, 192, 138));
    p.setPen(QPen(QColor(110, 114, 120), 1));
    for (int x = 66; x < 256; x += 4) p.drawLine(QPointF(x, 58), QPointF(x, 192));
    p.setPen(kEdge);
    p.setBrush(accent);
    p.drawEllipse(QRectF(262, 34, 16, 20));
}

void DrawFan(QPainter &p, const QColor &accent)
{
    const QPointF c(160, 120);
    Ring(p, c, 104, 96, QColor(40, 40, 44));
    p.setBrush(QColor(46, 46, 50));
    for (int i = 0; i < 7; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 360.0 / 7);
        QPainterPath blade;
        blade.moveTo(18, -8);
        blade.cubicTo(50, -40, 90, -30, 92, -6);
        blade.cubicTo(80, 10, 40, 12, 18, 8);
        blade.closeSubpath();
        p.drawPath(blade);
        p.restore();
    }
    p.setBrush(Disc(c, 24, accent));
    p.drawEllipse(c, 24, 24);
}

void DrawHose(QPainter &p, const QColor &accent)
{
    QPainterPath path;
    path.moveTo(50, 190);
    path.cubicTo(60, 60, 200, 200, 270, 60);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(26, 26, 28), 30, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(path);
    p.setPen(QPen(QColor(80, 80, 86), 6, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(path.translated(-4, -6));
    p.setPen(QPen(accent, 8, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(36, 176), QPointF(66, 180));
    p.drawLine(QPointF(256, 50), QPointF(284, 66));
    p.setPen(kEdge);
}

void DrawBattery(QPainter &p, const QColor &accent)
{
    const QRectF box(60, 70, 200, 130);
    p.setBrush(Paint(box, QColor(36, 38, 42), true));
    p.drawRoundedRect(box, 6, 6);
    p.setBrush(QColor(60, 62, 66));
    p.drawRect(QRectF(60, 58, 200, 16));
    p.setBrush(Paint(QRectF(74, 100, 172, 60), accent, true));
    p.drawRect(QRectF(74, 100, 172, 60));
    p.setBrush(QColor(200, 30, 30));
    p.drawRect(QRectF(84, 44, 24, 16));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(212, 44, 24, 16));
}

void DrawMotor(QPainter &p, const QColor &accent)
{
    const QRectF body(60, 70, 170, 100);
    p.setBrush(Metal(body, true));
    p.drawRoundedRect(body, 40, 40);
    p.setPen(QPen(QColor(110, 112, 116), 3));
    for (int x = 90; x < 210; x += 14) p.drawLine(QPointF(x, 74), QPointF(x, 166));
    p.setPen(kEdge);
    p.setBrush(Disc(QPointF(250, 120), 30, QColor(70, 72, 76)));
    p.drawEllipse(QPointF(250, 120), 30, 30);
    p.setBrush(accent);
    p.drawEllipse(QPointF(250, 120), 10, 10);
    Ring(p, QPointF(70, 176), 14, 7, Metal(QRectF(56, 162, 28, 28)));
}

void DrawSensor(QPainter &p, const QColor &accent)
{
    QPainterPath cable;
    cable.moveTo(110, 120);
    cable.cubicTo(180, 40, 260, 220, 290, 110);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(24, 24, 26), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);
    p.setPen(kEdge);
    p.setBrush(Metal(QRectF(30, 100, 60, 40), true));
    p.drawRect(QRectF(30, 108, 60, 24));
    p.setBrush(Paint(QRectF(86, 96, 34, 48), QColor(40, 40, 44)));
    p.drawRoundedRect(QRectF(86, 96, 34, 48), 6, 6);
    p.setBrush(accent);
    p.drawRect(QRectF(276, 96, 24, 28));
}

void DrawWiper(QPainter &p, const QColor &accent)
{
    QPainterPath blade;
    blade.moveTo(20, 150);
    blade.quadTo(160, 90, 300, 150);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 30, 32), 12, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(blade);
    p.setPen(QPen(QColor(90, 92, 96), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(blade.translated(0, -8));
    p.setPen(kEdge);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(146, 100, 30, 16), 4, 4);
}

}  // namespace

QByteArray PartPicture(PartShape shape, const QColor &accentIn, int variant)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Soft backdrop and shadow, as on a photo table.
    QRadialGradient back(QPointF(kWidth / 2.0, kHeight / 2.0), kWidth * 0.75);
    back.setColorAt(0, QColor(255, 255, 255));
    back.setColorAt(1, QColor(228, 231, 236));
    p.fillRect(img.rect(), back);
    QRadialGradient shadow(QPointF(kWidth / 2.0, kHeight - 26), 130);
    shadow.setColorAt(0, QColor(0, 0, 0, 60));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(kWidth / 2.0, kHeight - 26), 140, 20);

    const int v = variant % 5;
    QColor accent = accentIn;
    if (v % 2) accent = accent.lighter(112);
    p.translate(kWidth / 2.0, kHeight / 2.0);
    p.rotate((v - 2) * 3.0);
    p.scale(0.9, 0.9);
    p.translate(-kWidth / 2.0, -kHeight / 2.0);
    p.setPen(kEdge);

    switch (shape) {
    case PartShape::BrakePad: DrawBrakePad(p, accent); break;
    case PartShape::BrakeDisc: DrawBrakeDisc(p, accent, false); break;
    case PartShape::BrakeDrum: DrawBrakeDisc(p, accent, true); break;
    case PartShape::MasterCylinder: DrawMasterCylinder(p, accent); break;
    case PartShape::SpinFilter: DrawSpinFilter(p, accent); break;
    case PartShape::PanelFilter: DrawPanelFilter(p, accent); break;
    case PartShape::ShockAbsorber: DrawShock(p, accent); break;
    case PartShape::Mount: DrawMount(p, accent); break;
    case PartShape::ControlArm: DrawControlArm(p, accent); break;
    case PartShape::BallJoint: DrawBallJoint(p, accent); break;
    case PartShape::BeltKit: DrawBelt(p, true, accent); break;
    case PartShape::Belt: DrawBelt(p, false, accent); break;
    case PartShape::WaterPump: DrawWaterPump(p, accent); break;
    case PartShape::SparkPlug: DrawSparkPlug(p, accent); break;
    case PartShape::IgnitionCoil: DrawCoil(p, accent); break;
    case PartShape::Thermostat: DrawThermostat(p, accent); break;
    case PartShape::ClutchKit: DrawClutch(p, accent); break;
    case PartShape::Bearing: DrawBearing(p, accent); break;
    case PartShape::Bulb: DrawBulb(p, accent); break;
    case PartShape::Lamp: DrawLamp(p, accent); break;
    case PartShape::Radiator: DrawRadiator(p, accent); break;
    case PartShape::Fan: DrawFan(p, accent); break;
    case PartShape::Hose: DrawHose(p, accent); break;
    case PartShape::Battery: DrawBattery(p, accent); break;
    case PartShape::Motor: DrawMotor(p, accent); break;
    case PartShape::Sensor: DrawSensor(p, accent); break;
    case PartShape::WiperBlade: DrawWiper(p, accent); break;
    }
    p.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!img.save(&buffer, "JPEG", 86)) {
        // Without the JPEG plug-in the picture is kept as PNG.
        bytes.clear();
        buffer.seek(0);
        img.save(&buffer, "PNG");
    }
    return bytes;
}

}  // namespace tarsel::server
