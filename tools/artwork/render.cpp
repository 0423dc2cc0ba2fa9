#include "render.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>

#include "art.h"
#include "palette.h"

namespace trv81k::artwork {

namespace {

void DrawBand(QPainter& p, int width, int height) {
    QLinearGradient band(0, 0, width, 0);
    band.setColorAt(0, colour::kBandDark);
    band.setColorAt(1, colour::kBandLight);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRect(0, 0, width, height);
    // Two faint rings on the right give the band some depth.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 14), 10));
    p.drawEllipse(QPointF(width - 150, height + 10), 70, 70);
    p.drawEllipse(QPointF(width - 60, -20), 50, 50);
}

void DrawStepper(QPainter& p, int stage, int stages) {
    const QRect first = StepCircle(1, stages);
    const QRect last = StepCircle(stages, stages);
    p.setPen(QPen(QColor(255, 255, 255, 70), 2));
    p.drawLine(QPointF(first.center().x() + 0.5, first.center().y() + 0.5),
               QPointF(last.center().x() + 0.5, last.center().y() + 0.5));
    for (int i = 1; i <= stages; ++i) {
        const QRectF circle = QRectF(StepCircle(i, stages)).adjusted(0.5, 0.5, -0.5, -0.5);
        if (i < stage) {
            p.setPen(Qt::NoPen);
            p.setBrush(colour::kGreen);
            p.drawEllipse(circle);
            p.setPen(QPen(colour::kBandDark, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const QPointF c = circle.center();
            p.drawPolyline(QPolygonF({c + QPointF(-4, 0), c + QPointF(-1, 3), c + QPointF(4, -3)}));
        } else if (i == stage) {
            p.setPen(QPen(colour::kGreen, 2));
            p.setBrush(Qt::white);
            p.drawEllipse(circle);
        } else {
            p.setPen(QPen(QColor(255, 255, 255, 150), 1.5));
            p.setBrush(colour::kBandDark);
            p.drawEllipse(circle);
        }
    }
}

void DrawFrame(QPainter& p, const PictureSpec& picture, const Language& language) {
    const int width = picture.size.width();
    const int height = picture.size.height();
    if (picture.kind == Kind::Dialog) {
        DrawBand(p, width, kDialogBand);
        p.setPen(Qt::NoPen);
        p.setBrush(colour::kGreen);
        p.drawRect(0, kDialogBand, width, 2);
        DrawBandIcon(p, picture.icon, QRectF(10, 9, 22, 22));
        // A dialog with a button has it in a footer band, as the pages do.
        const bool button = std::any_of(
            picture.fixed.begin(), picture.fixed.end(),
            [](const FixedControl& control) { return control.style == ControlStyle::Button; });
        if (button) {
            const int top = height - kDialogFooterHeight;
            p.setBrush(colour::kFooter);
            p.drawRect(0, top, width, kDialogFooterHeight);
            p.setBrush(colour::kLine);
            p.drawRect(0, top, width, 1);
        }
        return;
    }
    DrawBand(p, width, kBandHeight);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kGreen);
    p.drawRect(0, kBandHeight, width, kStripe);
    p.drawRoundedRect(QRectF(16, 13, 30, 30), 7, 7);
    DrawApGlyph(p, QRectF(19, 16, 24, 24), colour::kBandDark);
    if (picture.kind == Kind::Page) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour::kFooter);
        p.drawRect(0, kPageFooterTop, width, height - kPageFooterTop);
        p.setBrush(colour::kLine);
        p.drawRect(0, kPageFooterTop, width, 1);
        if (picture.stage > 0) {
            // On the last stage ("done") every step's circle is ticked.
            const int steps = StepCount(language);
            DrawStepper(p, std::min(picture.stage, steps + 1), steps);
        }
        return;
    }
    // Introduction pictures: a rule above the buttons and the step dots in the band.
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kLine);
    p.drawRect(24, kIntroFooterTop, width - 48, 1);
    for (int i = 1; i <= picture.dots; ++i) {
        const QPointF centre(width - 24 - (picture.dots - i) * 16, 28);
        p.setBrush(i == picture.dot ? colour::kGreen : QColor(255, 255, 255, 110));
        p.drawEllipse(centre, 4.5, 4.5);
    }
}

void DrawCard(QPainter& p, const Card& card) {
    const QRectF r = QRectF(card.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 14));
    p.drawRoundedRect(r.translated(0, 2), 8, 8);
    p.setBrush(Qt::white);
    p.setPen(QPen(colour::kCardBorder, 1));
    p.drawRoundedRect(r, 8, 8);
}

// The option cards' icons sit above their radio button.
void DrawCardIcon(QPainter& p, const Card& card, const std::vector<PlacedControl>& controls) {
    if (card.icon.isEmpty()) {
        return;
    }
    for (const PlacedControl& control : controls) {
        if (control.style == ControlStyle::Radio && card.rect.contains(control.rect)) {
            const double centre = control.rect.center().x() + 0.5;
            DrawSmallIcon(p, card.icon, QRectF(centre - 14, card.rect.top() + 7, 28, 28));
        }
    }
}

// The numbered circles of a step overview, joined by a line.
void DrawMarkers(QPainter& p, const std::vector<QRect>& markers) {
    p.setPen(QPen(colour::kLine, 2));
    for (std::size_t i = 1; i < markers.size(); ++i) {
        const QRectF a = QRectF(markers[i - 1]);
        const QRectF b = QRectF(markers[i]);
        p.drawLine(QPointF(a.right() + 4, a.center().y()), QPointF(b.left() - 4, b.center().y()));
    }
    for (const QRect& marker : markers) {
        p.setPen(QPen(colour::kGreen, 2));
        p.setBrush(colour::kTint);
        p.drawEllipse(QRectF(marker).adjusted(1, 1, -1, -1));
    }
}

void DrawDecoration(QPainter& p, const Decoration& decoration) {
    const QRectF r = QRectF(decoration.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    switch (decoration.style) {
        case ControlStyle::Field:
            p.setPen(QPen(colour::kFieldBorder, 1));
            p.setBrush(Qt::white);
            p.drawRoundedRect(r, 4, 4);
            break;
        case ControlStyle::StatusGreen:
            p.setPen(Qt::NoPen);
            p.setBrush(colour::kGreen);
            p.drawRoundedRect(QRectF(decoration.rect), 6, 6);
            break;
        case ControlStyle::StatusWhite:
        case ControlStyle::Value:
            p.setPen(QPen(colour::kFieldBorder, 1));
            p.setBrush(Qt::white);
            p.drawRoundedRect(r, 6, 6);
            p.setPen(QPen(colour::kLine, 1));
            for (const int y : decoration.rules) {
                p.drawLine(QPointF(decoration.rect.left() + 5, y + 0.5),
                           QPointF(decoration.rect.right() - 4, y + 0.5));
            }
            break;
        case ControlStyle::Link:
        case ControlStyle::Plain:
        case ControlStyle::Radio:
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(decoration.rect);
            break;
        case ControlStyle::Button:
        case ControlStyle::Manual:
        case ControlStyle::Label:
            break;
    }
}

void DrawGreenArea(QPainter& p, const GreenArea& area) {
    const double radius = area.radius;
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kGreenShade);
    p.drawRoundedRect(QRectF(area.rect).translated(0, 1), radius, radius);
    p.setBrush(colour::kGreen);
    p.drawRoundedRect(QRectF(area.rect), radius, radius);
}

QPainter& Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    return p;
}

// ---- window pictures ----

QImage SearchBackground(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    Prepare(p);
    QLinearGradient fill(0, 0, 0, 90);
    fill.setColorAt(0, QColor(140, 192, 44));
    fill.setColorAt(1, QColor(112, 166, 32));
    p.fillRect(image.rect(), fill);
    p.setPen(QPen(QColor(255, 255, 255, 26), 12));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(300, 8), 46, 46);
    p.drawEllipse(QPointF(20, 96), 30, 30);
    return image;
}

QImage Hourglass(int frame) {
    // The frame lies at (10, 13) of the search dialog: it carries that part of the background.
    const QImage background = SearchBackground(QSize(369, 129));
    QImage image = background.copy(10, 13, 64, 53);
    QPainter p(&image);
    Prepare(p);
    p.translate(32, 26.5);
    if (frame == 4) {
        p.rotate(90);  // turning over
    }
    const double top = 16.0;   // half height of the glass
    const double half = 10.5;  // half width of a bulb
    QPainterPath glass;
    glass.moveTo(-half, -top);
    glass.lineTo(half, -top);
    glass.cubicTo(half, -top * 0.4, 2.5, -3, 1.6, 0);
    glass.cubicTo(2.5, 3, half, top * 0.4, half, top);
    glass.lineTo(-half, top);
    glass.cubicTo(-half, top * 0.4, -2.5, 3, -1.6, 0);
    glass.cubicTo(-2.5, -3, -half, -top * 0.4, -half, -top);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawPath(glass);
    // Sand: the upper share shrinks from frame 1 to 3 and is gone in 4.
    const double upper[] = {1.0, 0.62, 0.3, 0.0};
    const double share = upper[std::clamp(frame, 1, 4) - 1];
    p.save();
    p.setClipPath(glass);
    p.setBrush(colour::kSand);
    if (share > 0) {
        const double level = -top * share * 0.92;
        p.drawRect(QRectF(-half, level, 2 * half, -level));
    }
    const double pile = top * (1.0 - share) * 0.92 + (share > 0.9 ? 0 : 2);
    if (pile > 0) {
        QPainterPath heap;
        heap.moveTo(-half, top);
        heap.lineTo(-half, top - pile * 0.7);
        heap.quadTo(0, top - pile * 1.25, half, top - pile * 0.7);
        heap.lineTo(half, top);
        heap.closeSubpath();
        p.drawPath(heap);
    }
    if (share > 0 && share < 1) {
        p.drawRect(QRectF(-0.8, 0, 1.6, top - pile * 0.9));
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1.6));
    p.drawPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kBandDark);
    p.drawRoundedRect(QRectF(-half - 3, -top - 4, 2 * half + 6, 4), 2, 2);
    p.drawRoundedRect(QRectF(-half - 3, top, 2 * half + 6, 4), 2, 2);
    return image;
}

QImage ManualButton() {
    QImage image(169, 45, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour::kGreen);
    QPainter p(&image);
    Prepare(p);
    QLinearGradient shine(0, 0, 0, 45);
    shine.setColorAt(0, QColor(255, 255, 255, 40));
    shine.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.setPen(QPen(QColor(122, 168, 34, 170), 1));
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(0.5, 0.5, 168, 44), 6, 6);
    return image;
}

QImage FaceButton(QSize size, int buttonHeight, const QString& word, bool arrow) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    Prepare(p);
    // The panels holding the faces are 103 wide: the button keeps inside that.
    const QRectF button(2, 2, 99, buttonHeight);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kGreenShade);
    p.drawRoundedRect(button.translated(0, 1.5), 6, 6);
    p.setBrush(colour::kGreen);
    p.drawRoundedRect(button, 6, 6);
    QFont font = UiFont(14, QFont::Bold);
    const double arrowRoom = arrow ? 12 : 0;
    for (int px = 14; px >= 9; --px) {
        font = UiFont(px, QFont::Bold);
        if (QFontMetricsF(font).horizontalAdvance(word) <= button.width() - 12 - arrowRoom) {
            break;
        }
    }
    const double textWidth = QFontMetricsF(font).horizontalAdvance(word);
    const double left = button.center().x() - (textWidth + arrowRoom) / 2;
    p.setFont(font);
    p.setPen(colour::kInk);
    p.drawText(QRectF(left, button.top(), textWidth + 1, button.height()),
               Qt::AlignLeft | Qt::AlignVCenter, word);
    if (arrow) {
        const double x = left + textWidth + 5;
        const double y = button.center().y();
        p.setPen(QPen(colour::kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(x, y - 4), QPointF(x + 4, y), QPointF(x, y + 4)}));
    }
    return image;
}

}  // namespace

void PaintIcon(QPainter& p, double s) {
    Prepare(p);
    QLinearGradient fill(0, 0, 0, s);
    fill.setColorAt(0, QColor(170, 216, 70));
    fill.setColorAt(1, colour::kGreenShade);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    const double inset = s >= 32 ? s * 0.04 : 0;
    p.drawRoundedRect(QRectF(inset, inset, s - 2 * inset, s - 2 * inset), s * 0.22, s * 0.22);
    const double glyph = s * (s >= 32 ? 0.74 : 0.86);
    DrawApGlyph(p, QRectF((s - glyph) / 2, (s - glyph) / 2 - s * 0.02, glyph, glyph), Qt::white);
}

QImage RenderIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    PaintIcon(p, size);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage RenderPicture(const PictureSpec& picture, const Language& language,
                     const PictureLayout& layout, bool withTexts) {
    QImage image(picture.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    Prepare(p);
    DrawFrame(p, picture, language);
    for (const Card& card : layout.cards) {
        DrawCard(p, card);
        DrawCardIcon(p, card, layout.controls);
    }
    DrawMarkers(p, layout.markers);
    for (const Decoration& decoration : layout.decorations) {
        DrawDecoration(p, decoration);
    }
    for (const GreenArea& area : layout.greenAreas) {
        DrawGreenArea(p, area);
    }
    for (const PlacedArt& art : layout.art) {
        DrawArt(p, art.type, QRectF(art.rect), language, withTexts);
    }
    if (withTexts) {
        for (const PlacedText& text : layout.texts) {
            p.setFont(text.font);
            p.setPen(text.colour);
            p.drawText(text.box, text.flags, text.text);
        }
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

std::vector<std::pair<QString, QImage>> RenderWindowPictures(const Description& description) {
    std::vector<std::pair<QString, QImage>> pictures;
    pictures.emplace_back("search_background",
                          SearchBackground(QSize(369, 129)).convertToFormat(QImage::Format_RGB32));
    for (int frame = 1; frame <= 4; ++frame) {
        pictures.emplace_back(QString("hourglass%1").arg(frame),
                              Hourglass(frame).convertToFormat(QImage::Format_RGB32));
    }
    pictures.emplace_back("wlan_manual", ManualButton().convertToFormat(QImage::Format_RGB32));
    // Both faces fill the 103 x 33 panels that hold them, their buttons alike.
    for (const Language& language : description.languages) {
        pictures.emplace_back("bps_close_" + language.code,
                              FaceButton(QSize(103, 33), 28, language.Word("close"), false)
                                  .convertToFormat(QImage::Format_RGB32));
        pictures.emplace_back("bps_next_" + language.code,
                              FaceButton(QSize(103, 33), 28, language.Word("next"), true)
                                  .convertToFormat(QImage::Format_RGB32));
    }
    for (const int size : kIconSizes) {
        pictures.emplace_back(QString("icon_%1").arg(size), RenderIcon(size));
    }
    return pictures;
}

}  // namespace trv81k::artwork
