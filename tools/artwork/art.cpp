#include "art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "palette.h"

namespace trv81k::artwork {

namespace {

constexpr double kDesignWidth = 200.0;
constexpr double kDesignHeight = 140.0;

// The parts of an access point whose body lies at `body`.
struct AccessPoint {
    QRectF body;
    QRectF strip;
    std::array<QPointF, 3> leds;
    double ledRadius = 0;
    QPointF button;
    double buttonRadius = 0;
    QPointF lanPort;
    QPointF dcJack;

    explicit AccessPoint(const QRectF& bodyRect) : body(bodyRect) {
        const double w = body.width();
        const double h = body.height();
        strip = QRectF(body.left() + w * 0.07, body.bottom() - h * 0.44, w * 0.86, h * 0.28);
        const double sh = strip.height();
        for (std::size_t k = 0; k < leds.size(); ++k) {
            leds[k] = QPointF(strip.left() + sh * 0.9 + static_cast<double>(k) * sh * 1.2,
                              strip.center().y());
        }
        ledRadius = sh * 0.2;
        button = QPointF(strip.right() - sh * 0.9, strip.center().y());
        buttonRadius = sh * 0.32;
        lanPort = QPointF(strip.left() + w * 0.22, strip.center().y());
        dcJack = QPointF(strip.right() - w * 0.2, strip.center().y());
    }
};

void DrawLabel(QPainter& p, const QRectF& box, const QString& text, int size, const QColor& colour,
               int flags = Qt::AlignCenter, QFont::Weight weight = QFont::Bold) {
    p.setFont(UiFont(size, weight));
    p.setPen(colour);
    p.drawText(box, flags, text);
}

void DrawTint(QPainter& p, const QPointF& centre, double radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kTint);
    p.drawEllipse(centre, radius, radius);
}

void DrawAccessPointBody(QPainter& p, const AccessPoint& ap, bool withTexts) {
    const QRectF& b = ap.body;
    const double aw = b.width() * 0.045;
    const double ah = b.height() * 0.95;
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kDeviceDark);
    p.drawRoundedRect(QRectF(b.left() + b.width() * 0.12, b.top() - ah + 4, aw, ah), aw / 2,
                      aw / 2);
    p.drawRoundedRect(QRectF(b.right() - b.width() * 0.12 - aw, b.top() - ah + 4, aw, ah), aw / 2,
                      aw / 2);
    const double radius = b.height() * 0.22;
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawRoundedRect(b.translated(0, 3), radius, radius);
    QLinearGradient body(b.topLeft(), b.bottomLeft());
    body.setColorAt(0, Qt::white);
    body.setColorAt(1, QColor(224, 229, 218));
    p.setBrush(body);
    p.setPen(QPen(colour::kDeviceEdge, 1.2));
    p.drawRoundedRect(b, radius, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kDeviceDark);
    p.drawRoundedRect(ap.strip, ap.strip.height() / 2, ap.strip.height() / 2);
    if (withTexts) {
        const QRectF brand(b.left() + b.width() * 0.09, b.top() + b.height() * 0.08,
                           b.width() * 0.5, b.height() * 0.4);
        DrawLabel(p, brand, "TRV81K", std::max(6, static_cast<int>(b.height() * 0.2)),
                  QColor(128, 138, 124), Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void DrawLed(QPainter& p, const QPointF& centre, double radius, bool lit) {
    if (lit) {
        QRadialGradient glow(centre, radius * 3.2);
        glow.setColorAt(0, QColor(120, 230, 100, 150));
        glow.setColorAt(1, QColor(120, 230, 100, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(centre, radius * 3.2, radius * 3.2);
    }
    p.setBrush(lit ? colour::kLed : QColor(93, 101, 108));
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre, radius, radius);
}

void DrawButton(QPainter& p, const AccessPoint& ap) {
    p.setPen(QPen(QColor(220, 240, 180), ap.buttonRadius * 0.3));
    p.setBrush(colour::kGreen);
    p.drawEllipse(ap.button, ap.buttonRadius, ap.buttonRadius);
}

void DrawFront(QPainter& p, const AccessPoint& ap, bool lit, bool withTexts) {
    DrawAccessPointBody(p, ap, withTexts);
    for (const QPointF& led : ap.leds) {
        DrawLed(p, led, ap.ledRadius, lit);
    }
    DrawButton(p, ap);
}

void DrawRear(QPainter& p, const AccessPoint& ap, const Language& language, bool withTexts) {
    DrawAccessPointBody(p, ap, false);
    const double sh = ap.strip.height();
    // LAN port: a light socket with its latch notch.
    const QRectF port(ap.lanPort.x() - sh * 0.6, ap.lanPort.y() - sh * 0.36, sh * 1.2, sh * 0.72);
    p.setBrush(QColor(205, 211, 216));
    p.drawRect(port);
    p.setBrush(colour::kDeviceDark);
    p.drawRect(QRectF(port.center().x() - sh * 0.18, port.top(), sh * 0.36, sh * 0.16));
    // Power socket.
    p.setBrush(QColor(205, 211, 216));
    p.drawEllipse(ap.dcJack, sh * 0.3, sh * 0.3);
    p.setBrush(colour::kDeviceDark);
    p.drawEllipse(ap.dcJack, sh * 0.1, sh * 0.1);
    if (withTexts) {
        const double top = ap.body.top() + 3;
        DrawLabel(p, QRectF(ap.lanPort.x() - 30, top, 60, 11), language.Word("lan"), 8,
                  colour::kLabel);
        DrawLabel(p, QRectF(ap.dcJack.x() - 30, top, 60, 11), language.Word("dc"), 8,
                  colour::kLabel);
    }
}

void DrawCable(QPainter& p, const QPainterPath& path, const QColor& colour) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(colour.lighter(140), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(-1.2, -0.8));
}

// A network plug seen from the side, pointing up into a socket at `tip`.
void DrawPlugUp(QPainter& p, const QPointF& tip) {
    p.setPen(QPen(QColor(130, 146, 160), 1));
    p.setBrush(QColor(232, 238, 244));
    p.drawRoundedRect(QRectF(tip.x() - 6, tip.y() - 2, 12, 12), 2, 2);
    p.setBrush(colour::kCable);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(tip.x() - 4, tip.y() + 10, 8, 5));
}

void DrawArrow(QPainter& p, const QPointF& from, const QPointF& to) {
    const QLineF line(from, to);
    p.setPen(QPen(colour::kGreenShade, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QLineF(from, line.pointAt(0.8)));
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const double head = 8;
    QPolygonF tip;
    tip << to
        << QPointF(to.x() - head * std::cos(angle - 0.5), to.y() - head * std::sin(angle - 0.5))
        << QPointF(to.x() - head * std::cos(angle + 0.5), to.y() - head * std::sin(angle + 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kGreenShade);
    p.drawPolygon(tip);
}

void DrawRing(QPainter& p, const QPointF& centre, double radius) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(153, 204, 51, 110), 4));
    p.drawEllipse(centre, radius + 4, radius + 4);
    p.setPen(QPen(colour::kGreenShade, 2));
    p.drawEllipse(centre, radius, radius);
}

// Wave arcs around `centre`, opening towards `direction` degrees (0 right, 90 up).
void DrawWaves(QPainter& p, const QPointF& centre, double first, double step, int count,
               double direction, const QColor& colour, double width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i) {
        const double r = first + i * step;
        const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(box, static_cast<int>((direction - 45) * 16), 90 * 16);
    }
}

void DrawLeader(QPainter& p, const QPointF& from, const QPointF& to) {
    p.setPen(QPen(QColor(150, 160, 150), 1));
    p.drawLine(from, to);
    p.setBrush(QColor(150, 160, 150));
    p.setPen(Qt::NoPen);
    p.drawEllipse(from, 1.6, 1.6);
}

// ---- drawings ----

void Welcome(QPainter& p, const Language&, bool withTexts) {
    DrawTint(p, {100, 76}, 64);
    const AccessPoint ap(QRectF(42, 76, 116, 40));
    DrawFront(p, ap, true, withTexts);
    DrawWaves(p, {100, 60}, 14, 11, 3, 90, colour::kGreenShade, 4);
}

void Router(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {100, 74}, 62);
    if (withTexts) {
        DrawLabel(p, QRectF(10, 12, 180, 16), language.Word("router"), 10, colour::kLabel);
    }
    const QRectF body(20, 34, 160, 34);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawRoundedRect(body.translated(0, 3), 6, 6);
    p.setBrush(QColor(74, 80, 88));
    p.drawRoundedRect(body, 6, 6);
    for (int i = 0; i < 5; ++i) {
        const QRectF port(34 + i * 28, 48, 18, 13);
        p.setBrush(QColor(214, 220, 226));
        p.drawRect(port);
        p.setBrush(QColor(60, 66, 72));
        p.drawRect(QRectF(port.center().x() - 3, port.top(), 6, 3));
        DrawLed(p, QPointF(port.center().x(), 42), 1.6, i < 2 || i == 3);
    }
    const QPointF socket(34 + 3 * 28 + 9, 61);
    QPainterPath cable(socket + QPointF(0, 14));
    cable.cubicTo(socket + QPointF(0, 50), QPointF(160, 118), QPointF(198, 122));
    DrawCable(p, cable, colour::kCable);
    DrawPlugUp(p, socket);
    DrawRing(p, QPointF(socket.x(), 55), 13);
    DrawArrow(p, QPointF(62, 120), QPointF(108, 84));
}

void RearCable(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {100, 78}, 62);
    const AccessPoint ap(QRectF(34, 58, 132, 46));
    DrawRear(p, ap, language, withTexts);
    const QPointF socket(ap.lanPort.x(), ap.lanPort.y() + 2);
    QPainterPath cable(socket + QPointF(0, 14));
    cable.cubicTo(socket + QPointF(0, 40), QPointF(30, 116), QPointF(2, 132));
    DrawCable(p, cable, colour::kCable);
    DrawPlugUp(p, socket);
    DrawRing(p, ap.lanPort, 12);
    DrawArrow(p, QPointF(ap.lanPort.x() + 46, 132), QPointF(ap.lanPort.x() + 12, 100));
}

void Power(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {100, 78}, 62);
    const AccessPoint ap(QRectF(34, 52, 132, 46));
    DrawRear(p, ap, language, withTexts);
    const QPointF socket(ap.lanPort.x(), ap.lanPort.y() + 2);
    QPainterPath cable(socket + QPointF(0, 14));
    cable.cubicTo(socket + QPointF(0, 40), QPointF(30, 110), QPointF(2, 124));
    DrawCable(p, cable, colour::kCable);
    DrawPlugUp(p, socket);
    // Power cord down to the adapter.
    QPainterPath cord(ap.dcJack + QPointF(0, 4));
    cord.cubicTo(ap.dcJack + QPointF(0, 30), QPointF(150, 100), QPointF(152, 112));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(45, 50, 55), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cord);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(45, 50, 55));
    p.drawRoundedRect(QRectF(ap.dcJack.x() - 3, ap.dcJack.y() - 3, 6, 10), 2, 2);
    const QRectF brick(132, 110, 44, 26);
    p.drawRoundedRect(brick, 5, 5);
    p.setBrush(QColor(190, 196, 200));
    p.drawRect(QRectF(brick.right(), brick.top() + 6, 10, 3));
    p.drawRect(QRectF(brick.right(), brick.top() + 16, 10, 3));
    QPolygonF bolt;
    bolt << QPointF(156, 113) << QPointF(147, 124) << QPointF(153, 124) << QPointF(149, 133)
         << QPointF(160, 120) << QPointF(154, 120);
    p.setBrush(colour::kGreen);
    p.drawPolygon(bolt);
    DrawRing(p, ap.dcJack, 8);
}

void Leds(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {100, 70}, 62);
    const AccessPoint ap(QRectF(30, 48, 140, 50));
    DrawFront(p, ap, true, withTexts);
    const std::array<QString, 3> names = {language.Word("power"), language.Word("lan"),
                                          language.Word("wlan")};
    for (std::size_t k = 0; k < names.size(); ++k) {
        const double labelX = 50 + static_cast<double>(k) * 50;
        DrawLeader(p, ap.leds[k] + QPointF(0, ap.ledRadius + 2), QPointF(labelX, 116));
        if (withTexts) {
            DrawLabel(p, QRectF(labelX - 24, 118, 48, 14), names[k], 10, colour::kLabel);
        }
    }
}

void PairingButton(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {96, 76}, 60);
    const AccessPoint ap(QRectF(24, 56, 150, 48));
    DrawFront(p, ap, true, withTexts);
    DrawRing(p, ap.button, ap.buttonRadius + 5);
    DrawLeader(p, ap.button + QPointF(0, ap.buttonRadius + 9), QPointF(ap.button.x(), 118));
    if (withTexts) {
        DrawLabel(p, QRectF(ap.button.x() - 30, 119, 60, 16), language.Word("bps"), 12,
                  colour::kInk);
    }
}

void PressButton(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {96, 76}, 60);
    const AccessPoint ap(QRectF(24, 62, 150, 48));
    DrawAccessPointBody(p, ap, withTexts);
    DrawLed(p, ap.leds[0], ap.ledRadius, true);
    DrawLed(p, ap.leds[1], ap.ledRadius, true);
    DrawLed(p, ap.leds[2], ap.ledRadius, true);
    // The WLAN light blinks: short rays around it.
    p.setPen(QPen(colour::kLed, 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const double a = i * 3.14159265 / 4;
        const QPointF c = ap.leds[2];
        p.drawLine(c + QPointF(std::cos(a) * 6, std::sin(a) * 6),
                   c + QPointF(std::cos(a) * 9, std::sin(a) * 9));
    }
    DrawButton(p, ap);
    DrawRing(p, ap.button, ap.buttonRadius + 5);
    DrawArrow(p, ap.button + QPointF(0, -42), ap.button + QPointF(0, -ap.buttonRadius - 10));
    // A small clock with the holding time.
    const QPointF clock(ap.button.x() - 40, 30);
    p.setPen(QPen(colour::kInk, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(clock, 10, 10);
    p.drawLine(clock, clock + QPointF(0, -6));
    p.drawLine(clock, clock + QPointF(5, 0));
    if (withTexts) {
        DrawLabel(p, QRectF(clock.x() - 44, clock.y() - 8, 30, 16), language.Word("seconds"), 11,
                  colour::kInk, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void PairClient(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {100, 72}, 62);
    const AccessPoint ap(QRectF(8, 70, 84, 30));
    DrawFront(p, ap, true, false);
    // The wireless device: a laptop.
    const QRectF screen(124, 44, 64, 42);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kDeviceDark);
    p.drawRoundedRect(screen, 4, 4);
    p.setBrush(QColor(214, 236, 170));
    p.drawRect(screen.adjusted(4, 4, -4, -4));
    p.setBrush(QColor(120, 128, 136));
    p.drawRoundedRect(QRectF(114, 86, 84, 7), 3, 3);
    DrawWaves(p, QPointF(78, 66), 7, 7, 3, 15, colour::kGreenShade, 3);
    DrawWaves(p, QPointF(124, 66), 7, 7, 3, 165, colour::kGreenShade, 3);
    // The pairing badge between them, above the waves.
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kGreen);
    p.drawEllipse(QPointF(101, 30), 11, 11);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(95.5, 30), QPointF(99.5, 34), QPointF(107, 25.5)}));
    if (withTexts) {
        DrawLabel(p, QRectF(104, 98, 96, 14), language.Word("client"), 9, colour::kLabel);
    }
}

void Success(QPainter& p, const Language&, bool) {
    const std::array<std::pair<QPointF, QColor>, 8> confetti = {{
        {{40, 30}, colour::kGreen},
        {{160, 26}, colour::kCable},
        {{30, 100}, colour::kSand},
        {{172, 104}, colour::kGreen},
        {{58, 128}, colour::kCable},
        {{146, 130}, colour::kSand},
        {{20, 62}, colour::kGreenShade},
        {{184, 66}, colour::kGreenShade},
    }};
    p.setPen(Qt::NoPen);
    for (const auto& [point, colourOf] : confetti) {
        p.setBrush(colourOf);
        p.drawRoundedRect(QRectF(point.x() - 4, point.y() - 2.5, 8, 5), 2, 2);
    }
    p.setBrush(colour::kTint);
    p.drawEllipse(QPointF(100, 70), 60, 60);
    p.setBrush(colour::kGreen);
    p.drawEllipse(QPointF(100, 70), 46, 46);
    p.setPen(QPen(Qt::white, 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(78, 71), QPointF(94, 87), QPointF(123, 54)}));
}

QPainterPath ShieldPath(const QPointF& top, double width, double height) {
    QPainterPath path(top);
    path.cubicTo(top + QPointF(width * 0.3, height * 0.1), top + QPointF(width * 0.5, height * 0.1),
                 top + QPointF(width * 0.5, height * 0.12));
    path.cubicTo(top + QPointF(width * 0.5, height * 0.6),
                 top + QPointF(width * 0.3, height * 0.85), top + QPointF(0, height));
    path.cubicTo(top + QPointF(-width * 0.3, height * 0.85),
                 top + QPointF(-width * 0.5, height * 0.6),
                 top + QPointF(-width * 0.5, height * 0.12));
    path.cubicTo(top + QPointF(-width * 0.5, height * 0.1),
                 top + QPointF(-width * 0.3, height * 0.1), top);
    return path;
}

void DrawLockShape(QPainter& p, const QPointF& centre, double size, const QColor& colour) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, size * 0.16, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(centre.x() - size * 0.3, centre.y() - size * 0.62, size * 0.6, size * 0.7), 0,
              180 * 16);
    p.drawLine(QPointF(centre.x() - size * 0.3, centre.y() - size * 0.27),
               QPointF(centre.x() - size * 0.3, centre.y() - size * 0.05));
    p.drawLine(QPointF(centre.x() + size * 0.3, centre.y() - size * 0.27),
               QPointF(centre.x() + size * 0.3, centre.y() - size * 0.05));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(
        QRectF(centre.x() - size * 0.45, centre.y() - size * 0.08, size * 0.9, size * 0.62),
        size * 0.1, size * 0.1);
}

void Shield(QPainter& p, const Language&, bool) {
    DrawTint(p, {100, 70}, 62);
    const QPainterPath shield = ShieldPath(QPointF(100, 16), 92, 112);
    QLinearGradient fill(QPointF(100, 16), QPointF(100, 128));
    fill.setColorAt(0, colour::kGreen);
    fill.setColorAt(1, colour::kGreenShade);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(shield);
    DrawLockShape(p, QPointF(100, 72), 40, Qt::white);
    p.setBrush(colour::kGreenShade);
    p.drawEllipse(QPointF(100, 78), 4, 4);
}

void Key(QPainter& p, const Language&, bool) {
    const QColor ink = colour::kGreenShade;
    p.setPen(QPen(ink, 14));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(58, 70), 26, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(80, 63, 104, 14), 4, 4);
    p.drawRect(QRectF(150, 70, 12, 26));
    p.drawRect(QRectF(170, 70, 12, 20));
}

void Radius(QPainter& p, const Language& language, bool withTexts) {
    DrawTint(p, {100, 66}, 60);
    const QRectF tower(46, 14, 56, 96);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawRoundedRect(tower.translated(0, 3), 6, 6);
    p.setBrush(colour::kDeviceDark);
    p.drawRoundedRect(tower, 6, 6);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(90, 98, 106));
        p.drawRoundedRect(QRectF(54, 24 + i * 16, 40, 9), 2, 2);
        DrawLed(p, QPointF(88, 28.5 + i * 16), 1.6, i != 2);
    }
    const QPainterPath shield = ShieldPath(QPointF(118, 54), 48, 58);
    p.setBrush(colour::kGreen);
    p.setPen(QPen(Qt::white, 3));
    p.drawPath(shield);
    DrawLockShape(p, QPointF(118, 88), 20, Qt::white);
    if (withTexts) {
        DrawLabel(p, QRectF(0, 114, 200, 22), language.Word("server"), 15, colour::kLabel);
    }
}

using Drawing = std::function<void(QPainter&, const Language&, bool)>;

const std::map<QString, Drawing>& Drawings() {
    static const std::map<QString, Drawing> drawings = {
        {"welcome", Welcome},
        {"router", Router},
        {"ap-rear-cable", RearCable},
        {"ap-power", Power},
        {"ap-leds", Leds},
        {"ap-bps", PairingButton},
        {"bps-press", PressButton},
        {"bps-client", PairClient},
        {"success", Success},
        {"shield", Shield},
        {"key", Key},
        {"radius", Radius},
    };
    return drawings;
}

}  // namespace

bool IsKnownArt(const QString& type) {
    return Drawings().count(type) != 0;
}

void DrawArt(QPainter& painter, const QString& type, const QRectF& rect, const Language& language,
             bool withTexts) {
    const auto it = Drawings().find(type);
    if (it == Drawings().end()) {
        return;
    }
    const double scale = std::min(rect.width() / kDesignWidth, rect.height() / kDesignHeight);
    painter.save();
    painter.setClipRect(rect);
    painter.translate(rect.center().x() - kDesignWidth * scale / 2,
                      rect.center().y() - kDesignHeight * scale / 2);
    painter.scale(scale, scale);
    it->second(painter, language, withTexts);
    painter.restore();
}

void DrawApGlyph(QPainter& painter, const QRectF& rect, const QColor& colour) {
    const double s = std::min(rect.width(), rect.height());
    const QPointF o(rect.center().x() - s / 2, rect.center().y() - s / 2);
    auto at = [&](double x, double y) { return o + QPointF(x * s, y * s); };
    painter.save();
    // The access point's body with its row of lights cut out.
    QPainterPath body;
    body.addRoundedRect(QRectF(at(0.1, 0.64), at(0.9, 0.9)), s * 0.07, s * 0.07);
    if (s >= 24) {
        for (const double x : {0.24, 0.38, 0.52}) {
            body.addEllipse(at(x, 0.77), s * 0.045, s * 0.045);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(body);
    // Radio waves above it.
    const double stroke = std::max(1.5, s * 0.085);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = at(0.5, 0.56);
    const std::vector<double> radii =
        s >= 20 ? std::vector<double>{0.15, 0.29, 0.43} : std::vector<double>{0.2, 0.4};
    for (const double r : radii) {
        const QRectF box(centre.x() - r * s, centre.y() - r * s, 2 * r * s, 2 * r * s);
        painter.drawArc(box, 50 * 16, 80 * 16);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(centre, stroke * 0.7, stroke * 0.7);
    painter.restore();
}

void DrawSmallIcon(QPainter& painter, const QString& icon, const QRectF& rect) {
    painter.save();
    const QPointF c = rect.center();
    const double s = std::min(rect.width(), rect.height());
    if (icon == "unlocked") {
        const QColor grey(160, 168, 160);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(grey, s * 0.12, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(c.x() - s * 0.02, c.y() - s * 0.5, s * 0.5, s * 0.55), 0, 180 * 16);
        painter.drawLine(QPointF(c.x() + s * 0.48, c.y() - s * 0.22),
                         QPointF(c.x() + s * 0.48, c.y() - s * 0.1));
        painter.setPen(Qt::NoPen);
        painter.setBrush(grey);
        painter.drawRoundedRect(QRectF(c.x() - s * 0.38, c.y() - s * 0.1, s * 0.66, s * 0.52),
                                s * 0.08, s * 0.08);
    } else if (icon == "locked") {
        DrawLockShape(painter, QPointF(c.x(), c.y() + s * 0.08), s * 0.9, colour::kGreenShade);
    } else if (icon == "shield") {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour::kGreen);
        painter.drawPath(ShieldPath(QPointF(c.x(), c.y() - s * 0.48), s * 0.8, s * 0.96));
        painter.setPen(QPen(Qt::white, s * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({c + QPointF(-s * 0.17, 0), c + QPointF(-s * 0.04, s * 0.13),
                                        c + QPointF(s * 0.19, -s * 0.14)}));
    } else if (icon == "server") {
        painter.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
            const QRectF unit(c.x() - s * 0.36, c.y() - s * 0.45 + i * s * 0.31, s * 0.72,
                              s * 0.25);
            painter.setBrush(colour::kDeviceDark);
            painter.drawRoundedRect(unit, s * 0.05, s * 0.05);
            painter.setBrush(colour::kLed);
            painter.drawEllipse(QPointF(unit.right() - s * 0.1, unit.center().y()), s * 0.04,
                                s * 0.04);
        }
    }
    painter.restore();
}

void DrawBandIcon(QPainter& painter, const QString& icon, const QRectF& rect) {
    painter.save();
    const QPointF c = rect.center();
    const double s = std::min(rect.width(), rect.height());
    const QColor band = colour::kBandDark;
    if (icon == "warning") {
        QPolygonF triangle;
        triangle << QPointF(c.x(), c.y() - s * 0.45) << QPointF(c.x() + s * 0.5, c.y() + s * 0.42)
                 << QPointF(c.x() - s * 0.5, c.y() + s * 0.42);
        painter.setPen(QPen(Qt::white, s * 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::white);
        painter.drawPolygon(triangle);
        painter.setPen(Qt::NoPen);
        painter.setBrush(band);
        painter.drawRoundedRect(QRectF(c.x() - s * 0.05, c.y() - s * 0.18, s * 0.1, s * 0.36),
                                s * 0.05, s * 0.05);
        painter.drawEllipse(QPointF(c.x(), c.y() + s * 0.28), s * 0.06, s * 0.06);
    } else if (icon == "lock") {
        DrawLockShape(painter, QPointF(c.x(), c.y() + s * 0.08), s * 0.9, Qt::white);
        painter.setPen(Qt::NoPen);
        painter.setBrush(band);
        painter.drawEllipse(QPointF(c.x(), c.y() + s * 0.3), s * 0.07, s * 0.07);
    } else if (icon == "info") {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(c, s * 0.46, s * 0.46);
        painter.setBrush(band);
        painter.drawEllipse(QPointF(c.x(), c.y() - s * 0.22), s * 0.065, s * 0.065);
        painter.drawRoundedRect(QRectF(c.x() - s * 0.055, c.y() - s * 0.08, s * 0.11, s * 0.36),
                                s * 0.05, s * 0.05);
    }
    painter.restore();
}

}  // namespace trv81k::artwork
