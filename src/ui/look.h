#pragma once
// The common look of the wizard's windows: colours, fonts, the panel used as a button, the
// green holder panels, pictures, rounded window shapes and dragging a window by its surface.

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <string_view>

namespace trv81k {

// Colours of the design (Windows colour values 0x00BBGGRR, written here as RGB). Every text
// reaches a contrast of 4.5:1 on what it lies on, a button's caption in every state.
namespace look {
inline const QColor kButtonGreen{153, 204, 51};  // 0x33CC99
inline const QColor kInk{30, 58, 34};            // dark green: 6.6:1 on button green
inline const QColor kCaption = kInk;             // a button's caption at rest
inline const QColor kCaptionHover{0, 0, 0};      // under the pointer: 11:1 on button green
inline const QColor kCaptionLeft{64, 64, 64};    // search-failure dialog, after the pointer left
inline const QColor kMutedText{84, 84, 84};      // secondary text on white: 7.6:1
inline const QColor kWhite{255, 255, 255};
inline const QColor kSilver{192, 192, 192};     // disabled fields
inline const QColor kProgressFill{0, 102, 51};  // filled progress cell (3368448)
inline const QColor kBlack{0, 0, 0};
inline const QColor kLinkBlue{0, 0, 255};
// The keyboard focus ring of the buttons: the design's dark green, which stands out on the
// button green and on white alike.
inline const QColor& kFocusRing = kProgressFill;
}  // namespace look

// A font by family name with a size in pixels (fontconfig substitutes missing families).
QFont PixelFont(std::string_view family, int pixelSize, bool bold = false);

// The base font of every window: "MS Sans Serif", 11 pixels.
QFont BaseWindowFont();

// Background colour of a widget (filled, no bevel).
void SetBackground(QWidget* widget, const QColor& colour);

// Windows-style round-rect region: the rectangle from (left, top) to (right, bottom), right
// and bottom exclusive, with corner ellipses of `ellipseWidth` x `ellipseHeight`.
QRegion RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight);
// Cuts `window` to that region.
void ApplyRoundRectShape(QWidget* window, int right, int bottom, int ellipseWidth,
                         int ellipseHeight);

// The panel used as a button: a flat panel in button green with a centred caption, dark at
// rest and black while the pointer moves over it; the surface around it turns it back
// (setCaptionColour) from its own mouse-move handler. It is a real push button: the keyboard
// reaches it (Tab; a click leaves the focus where it was), Space and Return press it, it can
// be a dialog's default button, and a screen reader meets a push button named by its caption.
// A ring in the focus colour shows where the keyboard focus is. Emits clicked() when pressed.
class FlatPanel : public QPushButton {
    Q_OBJECT
public:
    explicit FlatPanel(QWidget* parent, const char* name, const QString& designCaption = {});

    // The caption colour (kCaption at rest, kCaptionHover under the pointer).
    void setCaptionColour(const QColor& colour);
    QColor captionColour() const { return captionColour_; }
    // Background colour; an invalid colour makes the panel transparent.
    void setPanelColour(const QColor& colour);
    QColor panelColour() const { return panelColour_; }
    // Whether the pointer changes the caption (the pairing help link does not change).
    void setHoverHighlight(bool on) { hoverHighlight_ = on; }
    // Sets the caption as plain text (no mnemonics, no markup).
    void setCaption(const QString& caption);
    // Breaks a long caption into lines.
    void setWordWrap(bool on);
    bool wordWrap() const { return wordWrap_; }
    // A picture that carries the caption itself (the pairing introduction's buttons): drawn
    // from the top left corner instead of the caption, which then only names the button.
    void setFace(const QImage& face);
    const QImage& face() const { return face_; }

signals:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QColor captionColour_ = look::kCaption;
    QColor panelColour_ = look::kButtonGreen;
    QImage face_;
    bool hoverHighlight_ = true;
    bool wordWrap_ = false;
};

// A coloured panel that holds other controls. It keeps the clicks that land on it (no window
// drag through it) and reports the pointer moving over it.
class HolderPanel : public QWidget {
    Q_OBJECT
public:
    HolderPanel(QWidget* parent, const char* name, const QColor& colour);

signals:
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A picture control. Passive pictures let the pointer through to the window below them (so a
// press on them drags a draggable window and a move over them counts as the window's surface);
// an active picture keeps the pointer and reports moves and clicks.
class Picture : public QLabel {
    Q_OBJECT
public:
    enum class Pointer { Passive, Active };
    Picture(QWidget* parent, const char* name, Pointer pointer = Pointer::Passive);

    // Shows `image` at its own size from the top left corner; an empty image leaves the
    // control empty.
    void setImage(const QImage& image);
    // Shows `image` stretched over the whole control.
    void setStretchedImage(const QImage& image);
    bool hasImage() const { return !image_.isNull(); }
    const QImage& image() const { return image_; }

signals:
    void clicked();
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage image_;
};

// Drags `window` by any press that reaches the window itself (its pictures and labels, not its
// panels and edit boxes). Uses the window system's move where it offers one. `onSurfaceMove`,
// when given, runs for every pointer move over the window's own surface (the main window's
// hover reset). The dragger is a child of the window.
void EnableSurfaceDrag(QWidget* window, std::function<void()> onSurfaceMove = {});

// Reports pointer moves over the window's own surface without making it draggable.
void OnSurfaceMove(QWidget* window, std::function<void()> onSurfaceMove);

// Borderless dialog of the window set: no caption bar, the base font, created hidden. No key
// closes it on its own: Escape runs the dialog's escape action (its way back or out, where it
// has one), and the window system's close request is refused: each dialog is closed by its
// own controls.
class FramelessDialog : public QDialog {
    Q_OBJECT
public:
    FramelessDialog(const char* name, int width, int height);

    // Centre what the dialog shows (the part its shape leaves) on the screen, or on another
    // window; either way wholly on that window's screen.
    void centreOnScreen();
    void centreOn(const QWidget* other);
    // What Escape does (nothing until set).
    void setEscapeAction(std::function<void()> action) { escapeAction_ = std::move(action); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> escapeAction_;
};

}  // namespace trv81k
