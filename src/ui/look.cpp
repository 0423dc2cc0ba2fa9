#include "ui/look.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QPolygon>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace trv81k {

QFont PixelFont(std::string_view family, int pixelSize, bool bold) {
    const QString name = QString::fromLatin1(family.data(), static_cast<qsizetype>(family.size()));
    // The design's fonts are Windows fonts. Where one is missing, a free font of the same
    // shape stands in (fontconfig alone may pick a symbol font for an unknown name).
    QStringList families{name};
    if (name == QLatin1String("HelveticaNeue MediumCond") || name == QLatin1String("Impact")) {
        families << QStringLiteral("Liberation Sans Narrow") << QStringLiteral("Arial Narrow");
    }
    families << QStringLiteral("Arial") << QStringLiteral("Liberation Sans")
             << QStringLiteral("DejaVu Sans");
    QFont font(name);
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    // The narrow stand-in for Impact needs the weight Impact has of its own.
    font.setBold(bold || (name == QLatin1String("Impact") && !QFontDatabase::hasFamily(name)));
    return font;
}

QFont BaseWindowFont() {
    return PixelFont("MS Sans Serif", 11);
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(colour.isValid());
}

QRegion RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight) {
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, width, height), ellipseWidth / 2.0, ellipseHeight / 2.0);
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

void ApplyRoundRectShape(QWidget* window, int right, int bottom, int ellipseWidth,
                         int ellipseHeight) {
    window->setMask(RoundRectRegion(0, 0, right, bottom, ellipseWidth, ellipseHeight));
}

// ---- FlatPanel ----------------------------------------------------------------------------

FlatPanel::FlatPanel(QWidget* parent, const char* name, const QString& designCaption)
    : QPushButton(parent) {
    setObjectName(QString::fromLatin1(name));
    setCaption(designCaption);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    // The keyboard reaches it (Tab); a click leaves the focus where it was, in the field the
    // user was typing in.
    setFocusPolicy(Qt::TabFocus);
    // A window names its default button itself; the focus does not move it.
    setAutoDefault(false);
}

void FlatPanel::setCaptionColour(const QColor& colour) {
    if (colour != captionColour_) {
        captionColour_ = colour;
        update();
    }
}

void FlatPanel::setPanelColour(const QColor& colour) {
    panelColour_ = colour;
    update();
}

void FlatPanel::setCaption(const QString& caption) {
    setText(caption);
    // An '&' is a character of the caption, not the mark of a shortcut key.
    setShortcut(QKeySequence());
}

void FlatPanel::setWordWrap(bool on) {
    wordWrap_ = on;
    update();
}

void FlatPanel::setFace(const QImage& face) {
    face_ = face;
    update();
}

void FlatPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (panelColour_.isValid()) {
        painter.fillRect(rect(), panelColour_);
    }
    if (!face_.isNull()) {
        painter.drawImage(QPoint(0, 0), face_);
    } else {
        painter.setPen(captionColour_);
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter | (wordWrap_ ? Qt::TextWordWrap : 0), text());
    }
    if (hasFocus()) {
        // Two pixels along the inside of the edge: the caption keeps its room.
        constexpr int kRing = 2;
        painter.setPen(QPen(look::kFocusRing, kRing, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRectF(rect()).adjusted(kRing / 2.0, kRing / 2.0, -kRing / 2.0, -kRing / 2.0));
    }
}

void FlatPanel::keyPressEvent(QKeyEvent* event) {
    // Return presses the button that has the focus, whether or not it is the default one.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void FlatPanel::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    if (hoverHighlight_) {
        setCaptionColour(look::kCaptionHover);
    }
    emit mouseMoved();
    // The move stays here: the surface around the button must not see it (it would turn the
    // caption back at once).
    event->accept();
}

// ---- HolderPanel --------------------------------------------------------------------------

HolderPanel::HolderPanel(QWidget* parent, const char* name, const QColor& colour)
    : QWidget(parent) {
    setObjectName(QString::fromLatin1(name));
    setMouseTracking(true);
    SetBackground(this, colour);
}

void HolderPanel::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    event->accept();
}

void HolderPanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void HolderPanel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

// ---- Picture ------------------------------------------------------------------------------

Picture::Picture(QWidget* parent, const char* name, Pointer pointer) : QLabel(parent) {
    setObjectName(QString::fromLatin1(name));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (pointer == Pointer::Passive) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    } else {
        setMouseTracking(true);
    }
}

void Picture::setImage(const QImage& image) {
    image_ = image;
    setScaledContents(false);
    setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void Picture::setStretchedImage(const QImage& image) {
    image_ = image;
    setScaledContents(true);
    setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void Picture::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    event->accept();
}

void Picture::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void Picture::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

// ---- Window surface -----------------------------------------------------------------------

namespace {

// Watches the events that reach the window itself: presses start a drag, moves without a
// button are the pointer passing over the window's surface.
class SurfaceWatcher : public QObject {
public:
    SurfaceWatcher(QWidget* window, bool drag, std::function<void()> onMove)
        : QObject(window), window_(window), drag_(drag), onMove_(std::move(onMove)) {
        window->setMouseTracking(true);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) {
            return false;
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (!drag_ || mouse->button() != Qt::LeftButton) {
                    return false;
                }
                QWindow* handle = window_->windowHandle();
                if (handle != nullptr && handle->startSystemMove()) {
                    return true;
                }
                // No window manager move: follow the pointer ourselves.
                dragging_ = true;
                dragOffset_ = mouse->globalPosition().toPoint() - window_->pos();
                return true;
            }
            case QEvent::MouseMove: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (dragging_ && (mouse->buttons() & Qt::LeftButton)) {
                    window_->move(mouse->globalPosition().toPoint() - dragOffset_);
                    return true;
                }
                if (onMove_) {
                    onMove_();
                }
                return false;
            }
            case QEvent::MouseButtonRelease:
                if (dragging_) {
                    dragging_ = false;
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

private:
    QWidget* window_;
    bool drag_;
    std::function<void()> onMove_;
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace

void EnableSurfaceDrag(QWidget* window, std::function<void()> onSurfaceMove) {
    new SurfaceWatcher(window, true, std::move(onSurfaceMove));  // owned by the window
}

void OnSurfaceMove(QWidget* window, std::function<void()> onSurfaceMove) {
    new SurfaceWatcher(window, false, std::move(onSurfaceMove));  // owned by the window
}

// ---- FramelessDialog ----------------------------------------------------------------------

FramelessDialog::FramelessDialog(const char* name, int width, int height)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QString::fromLatin1(name));
    setFont(BaseWindowFont());
    setFixedSize(width, height);
    setModal(true);
}

namespace {

// Moves `dialog` so that the part its shape shows has its centre at `centre`, kept wholly on
// `screen` where it fits.
void PlaceShownPart(QWidget* dialog, QPoint centre, const QScreen* screen) {
    const QRect shown = dialog->mask().isEmpty() ? dialog->rect() : dialog->mask().boundingRect();
    QRect target = shown;
    target.moveCenter(centre);
    if (screen != nullptr) {
        const QRect room = screen->availableGeometry();
        target.moveLeft(std::clamp(target.left(), room.left(),
                                   std::max(room.left(), room.right() + 1 - target.width())));
        target.moveTop(std::clamp(target.top(), room.top(),
                                  std::max(room.top(), room.bottom() + 1 - target.height())));
    }
    dialog->move(target.topLeft() - shown.topLeft());
}

}  // namespace

void FramelessDialog::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    PlaceShownPart(this, screen->availableGeometry().center(), screen);
}

void FramelessDialog::centreOn(const QWidget* other) {
    if (other == nullptr) {
        centreOnScreen();
        return;
    }
    const QScreen* screen = other->screen();
    PlaceShownPart(this, other->geometry().center(),
                   screen != nullptr ? screen : QGuiApplication::primaryScreen());
}

void FramelessDialog::keyPressEvent(QKeyEvent* event) {
    // QDialog would take Escape as cancel (reject); here each dialog says what it means.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (escapeAction_) {
            escapeAction_();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void FramelessDialog::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace trv81k
