#include "ui/busy.h"

#include <QApplication>
#include <QPainter>

#include "ui/look.h"

namespace trv81k {

namespace {

constexpr int kArcSize = 12;  // px, at the left end of the sign
constexpr int kTextIndent = kArcSize + 6;
constexpr int kStepMs = 80;
constexpr int kStepDegrees = 30;

}  // namespace

BusySign::BusySign(QWidget* parent, const char* name) : QLabel(parent) {
    setObjectName(QString::fromLatin1(name));
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setIndent(kTextIndent);
    setFont(PixelFont("Arial", 11));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, look::kInk);
    setPalette(palette);
    turn_.setInterval(kStepMs);
    connect(&turn_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + kStepDegrees) % 360;
        update();
    });
    hide();
}

BusySign::~BusySign() {
    stop();
}

void BusySign::start(const QString& text) {
    setText(text);
    if (!running()) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        turn_.start();
    }
    show();
    raise();
}

void BusySign::stop() {
    if (running()) {
        turn_.stop();
        QApplication::restoreOverrideCursor();
    }
    hide();
}

void BusySign::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF arc(1.5, (height() - kArcSize) / 2.0 + 0.5, kArcSize - 3, kArcSize - 3);
    painter.setPen(QPen(look::kSilver, 2));
    painter.drawEllipse(arc);
    painter.setPen(QPen(look::kInk, 2, Qt::SolidLine, Qt::RoundCap));
    // A quarter of the ring, turning clockwise (Qt counts angles counter-clockwise, in 1/16 deg).
    painter.drawArc(arc, -angle_ * 16, 100 * 16);
}

}  // namespace trv81k
