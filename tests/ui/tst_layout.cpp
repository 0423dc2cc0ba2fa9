// The layout check: the real window set, offscreen with the real pictures, walked along the
// wizard's road in English, German and French, with every page and every dialog measured as the
// user sees it:
// - window: every control lies inside its window, inside the window's shape and inside its
//   holder;
// - area: a control lies either in the content (ending well above the footer band at the bottom
//   of the picture) or in the footer band; nothing the picture prints reaches into the footer
//   except under the buttons;
// - overlap: no two controls overlap;
// - text: every text fits its control at its font (font metrics against the control's contents,
//   wrapped where the control wraps), leaves the control's edges some air, and is at least
//   11 px; a control without text is no wider than what it draws;
// - font: a control has the same font in every language;
// - row: the buttons of the footer share one row (top, height, text baseline) on every page and
//   in every language, keep a gap between them and keep away from the window's sides; a button
//   inside a holder sits in its middle;
// - column: the fields of a column start at one left edge;
// - contrast: every text and its background reach 4.5:1, a button's at rest, under the pointer
//   and after the pointer has left;
// - list: a drop-down list shows the lines it asks for and drops down;
// - dialog: a dialog opens centred on the main window, wholly on the screen;
// - picture: what the picture prints keeps clear of the live controls, captions above side by
//   side groups share one row, the texts of a row of option cards share their size, and the
//   step band has as many circles as it counts steps.
// Every fault is printed with its kind, window and control; the count per kind ends the run.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTest>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

#include "description.h"
#include "layout.h"
#include "palette.h"
#include "render.h"
#include "resource/window_pictures.h"
#include "support/harness.h"
#include "ui/Bpsintrounit.h"
#include "ui/Configureunit.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Searchunit.h"
#include "ui/Wparadiusnote.h"
#include "ui/busy.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

// Air between the content and the footer band, and the band's own margin for its buttons.
constexpr int kAboveFooter = 10;
constexpr int kInsideFooter = 4;
// Between two buttons of a row, and between a button and the window's side.
constexpr int kButtonGap = 12;
constexpr int kSideMargin = 16;
// Between a text and the edges of its control: buttons, other controls.
constexpr int kButtonPadding = 6;
constexpr int kTextPadding = 2;
constexpr int kSmallestText = 11;  // px
// Between a printed text and a live control.
constexpr int kPrintedClearance = 4;
constexpr double kContrast = 4.5;

struct Fault {
    QString kind;
    QString text;
};

QString Name(const QWidget* widget) {
    return widget->objectName();
}

QString RectText(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

double Luminance(const QColor& colour) {
    auto channel = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour most pixels of `image` within `rect` have.
QColor DominantColour(const QImage& image, const QRect& rect) {
    std::map<QRgb, int> counts;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++counts[image.pixel(x, y) | 0xFF000000u];
        }
    }
    QRgb best = qRgb(255, 255, 255);
    int most = -1;
    for (const auto& [rgb, count] : counts) {
        if (count > most) {
            best = rgb;
            most = count;
        }
    }
    return QColor::fromRgb(best);
}

int ColourDistance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

bool IsButton(const QWidget* widget) {
    if (const auto* panel = qobject_cast<const FlatPanel*>(widget)) {
        // A panel of its own colour; a caption on a picture is no button by itself.
        return panel->panelColour().isValid();
    }
    if (qobject_cast<const HolderPanel*>(widget) != nullptr) {
        // A holder of a button or of a clickable picture.
        return widget->findChild<FlatPanel*>() != nullptr ||
               !widget->findChild<Picture*>()->testAttribute(Qt::WA_TransparentForMouseEvents);
    }
    return false;
}

class LayoutCheck {
public:
    explicit LayoutCheck(const artwork::Description& description) : description_(description) {}

    void setLanguage(const std::string& section) { section_ = QString::fromStdString(section); }

    // Measures `window` as it is shown now; `where` names it in the faults.
    void measure(QWidget* window, const QString& where) {
        QApplication::processEvents();
        window_ = window;
        where_ = section_ + QLatin1Char(' ') + where;
        visible_ = window->mask().isEmpty() ? window->rect() : window->mask().boundingRect();
        collect();
        checkWindow();
        checkOverlap();
        checkAreas();
        checkTexts();
        checkRow();
        checkColumns();
        checkContrast();
        checkLists();
        checkDialogPlace();
        checkPicture();
    }

    const std::vector<Fault>& faults() const { return faults_; }

private:
    void fault(const QString& kind, const QString& text) {
        faults_.push_back({kind, where_ + QStringLiteral(": ") + text});
    }

    // The controls of the window (and of its holders), without the backgrounds and without the
    // parts that composite controls are made of.
    void collect() {
        controls_.clear();
        backgrounds_.clear();
        for (QWidget* child : window_->findChildren<QWidget*>()) {
            const QWidget* parent = child->parentWidget();
            const bool top = parent == window_;
            const bool inHolder = qobject_cast<const HolderPanel*>(parent) != nullptr &&
                                  parent->parentWidget() == window_;
            if ((!top && !inHolder) || !child->isVisibleTo(window_) || child->isWindow() ||
                Name(child).isEmpty() || Name(child).startsWith(QLatin1String("qt_"))) {
                continue;
            }
            // A picture under the whole window, or under the whole of a holder.
            if ((top && child->geometry().contains(visible_)) ||
                (inHolder && child->geometry().contains(parent->rect()))) {
                backgrounds_.push_back(child);
                continue;
            }
            controls_.push_back(child);
        }
    }

    QRect InWindow(const QWidget* control) const {
        return QRect(control->mapTo(window_, QPoint(0, 0)), control->size());
    }

    bool TopLevel(const QWidget* control) const { return control->parentWidget() == window_; }

    void checkWindow() {
        const QRegion shape =
            window_->mask().isEmpty() ? QRegion(window_->rect()) : window_->mask();
        for (const QWidget* control : controls_) {
            const QRect rect = InWindow(control);
            if (!QRegion(rect).subtracted(shape).isEmpty()) {
                fault("window", Name(control) + RectText(rect) + " is cut off by the window " +
                                    RectText(window_->rect()));
            }
            if (!TopLevel(control) &&
                !control->parentWidget()->rect().contains(control->geometry())) {
                fault("window",
                      Name(control) + " is cut off by its holder " + Name(control->parentWidget()));
            }
        }
    }

    void checkOverlap() {
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            for (std::size_t j = i + 1; j < controls_.size(); ++j) {
                const QWidget* a = controls_[i];
                const QWidget* b = controls_[j];
                if (a->parentWidget() == b->parentWidget() &&
                    a->geometry().intersects(b->geometry())) {
                    fault("overlap", Name(a) + " overlaps " + Name(b));
                }
            }
        }
    }

    // The top of the footer band in window pixels; nullopt for windows without one.
    std::optional<int> FooterTop() const {
        if (qobject_cast<TMainForm*>(window_) != nullptr) {
            return artwork::kPageFooterTop;
        }
        if (qobject_cast<TBPSIntroForm*>(window_) != nullptr) {
            return artwork::kIntroFooterTop;
        }
        const bool buttons = std::any_of(controls_.begin(), controls_.end(), IsButton);
        if (buttons) {
            return visible_.bottom() + 1 - artwork::kDialogFooterHeight;
        }
        return std::nullopt;
    }

    // The controls that reach down to the footer band, from left to right.
    std::vector<const QWidget*> FooterItems() const {
        std::vector<const QWidget*> items;
        const std::optional<int> footer = FooterTop();
        if (!footer) {
            return items;
        }
        for (const QWidget* control : controls_) {
            if (TopLevel(control) && control->y() + control->height() > *footer - kAboveFooter) {
                items.push_back(control);
            }
        }
        std::sort(items.begin(), items.end(),
                  [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        return items;
    }

    // The buttons of the footer band's row, from left to right.
    std::vector<const QWidget*> FooterButtons() const {
        std::vector<const QWidget*> buttons = FooterItems();
        std::erase_if(buttons, [](const QWidget* item) { return !IsButton(item); });
        return buttons;
    }

    void checkAreas() {
        const std::optional<int> footer = FooterTop();
        if (!footer) {
            return;
        }
        for (const QWidget* item : FooterItems()) {
            const QRect rect = item->geometry();
            if (!IsButton(item)) {
                fault("area", Name(item) + RectText(rect) + " is content and reaches down to " +
                                  "the footer band (from y " + QString::number(*footer) + ")");
            } else if (rect.top() < *footer + kInsideFooter ||
                       rect.bottom() > visible_.bottom() - kInsideFooter) {
                fault("area", Name(item) + RectText(rect) +
                                  " crosses the boundary of content and footer (footer from y " +
                                  QString::number(*footer) + ")");
            }
        }
        // Nothing printed reaches into the footer band or the air above it, except the buttons.
        const Picture* picture = BackgroundPicture();
        if (picture == nullptr) {
            return;
        }
        const QImage image = PictureAsShown(*picture);
        std::vector<QRect> spared;
        for (const QWidget* control : controls_) {
            spared.push_back(InWindow(control).adjusted(-6, -6, 6, 6));
        }
        const int bottom = visible_.bottom();
        const QRect bands[] = {
            QRect(visible_.left(), *footer - kAboveFooter, visible_.width(), kAboveFooter),
            QRect(visible_.left(), *footer + 2, visible_.width(), bottom - *footer - 2),
        };
        for (const QRect& band : bands) {
            const QRect ink = Ink(image, band, spared);
            if (!ink.isNull()) {
                fault("area", "the picture prints " + RectText(ink) +
                                  " into the footer band or the air above it (footer from y " +
                                  QString::number(*footer) + ")");
            }
        }
    }

    // The pixels of `band` that differ from the band's own colour, outside `spared` and away
    // from the edge of the window's shape.
    QRect Ink(const QImage& image, const QRect& band, const std::vector<QRect>& spared) const {
        const QRegion shape =
            window_->mask().isEmpty() ? QRegion(window_->rect()) : window_->mask();
        const QRgb ground = DominantColour(image, band).rgb();
        QRect ink;
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = band.left(); x <= band.right(); ++x) {
                const QPoint point(x, y);
                const bool inside = shape.contains(point) && shape.contains(point + QPoint(0, 3)) &&
                                    shape.contains(point - QPoint(3, 0)) &&
                                    shape.contains(point + QPoint(3, 0));
                if (!inside || std::any_of(spared.begin(), spared.end(),
                                           [&](const QRect& r) { return r.contains(point); })) {
                    continue;
                }
                if (ColourDistance(image.pixel(x, y), ground) > 24) {
                    ink = ink.united(QRect(x, y, 1, 1));
                }
            }
        }
        return ink;
    }

    const Picture* BackgroundPicture() const {
        for (const QWidget* background : backgrounds_) {
            if (const auto* picture = qobject_cast<const Picture*>(background)) {
                if (picture->hasImage()) {
                    return picture;
                }
            }
        }
        return nullptr;
    }

    // The picture in window pixels, as the window shows it.
    QImage PictureAsShown(const Picture& picture) const {
        QImage image = picture.image();
        if (picture.hasScaledContents()) {
            image = image.scaled(picture.size());
        }
        QImage shown(window_->size(), QImage::Format_RGB32);
        shown.fill(Qt::white);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QPoint at = QPoint(x, y) - picture.pos();
                if (image.rect().contains(at)) {
                    shown.setPixel(x, y, image.pixel(at));
                }
            }
        }
        return shown;
    }

    void checkFont(const QWidget* control) {
        const QFontInfo info(control->font());
        if (info.pixelSize() < kSmallestText) {
            fault("text", Name(control) + " writes in " + QString::number(info.pixelSize()) +
                              " px, smaller than " + QString::number(kSmallestText));
        }
        const QString key = window_->objectName() + QLatin1Char('/') + Name(control);
        const QString font =
            QStringLiteral("%1 px%2").arg(info.pixelSize()).arg(info.bold() ? " bold" : "");
        const auto [it, first] = fonts_.try_emplace(key, font, section_);
        if (!first && it->second.first != font && it->second.second != section_) {
            fault("font", Name(control) + " writes in " + font + ", in " + it->second.second +
                              " in " + it->second.first);
        }
    }

    void checkLabel(const QLabel* label) {
        const QString text = label->text();
        if (text.isEmpty() || label->textFormat() == Qt::RichText) {
            return;
        }
        checkFont(label);
        const QFontMetrics metrics(label->font());
        const int m = label->margin();
        QRect room = label->contentsRect().adjusted(m, m, -m, -m);
        int indent = label->indent();
        if (indent < 0) {
            indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        }
        const Qt::Alignment align = label->alignment();
        if (align & Qt::AlignLeft) {
            room.setLeft(room.left() + indent);
        } else if (align & Qt::AlignRight) {
            room.setRight(room.right() - indent);
        }
        // Air between the text and an edge the user sees: a button's, or a filled label's.
        const int padding = IsButton(label)               ? kButtonPadding
                            : label->autoFillBackground() ? kTextPadding
                                                          : 0;
        const int flags = int(align) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect used =
            metrics.boundingRect(room.adjusted(padding, 0, -padding, 0), flags, text);
        if (used.width() > room.width() - 2 * padding || used.height() > room.height() ||
            used.left() < room.left() + padding || used.right() > room.right() - padding) {
            fault("text", QStringLiteral("%1: \"%2\" needs %3x%4 px, its control gives %5x%6")
                              .arg(Name(label), Shorten(text))
                              .arg(used.width() + 2 * padding)
                              .arg(used.height())
                              .arg(room.width())
                              .arg(room.height()));
        }
    }

    static QString Shorten(const QString& text) {
        return text.size() > 40 ? text.left(37) + QStringLiteral("...") : text;
    }

    // A button's caption, centred in the whole button (its face, where it has one, carries the
    // caption itself).
    void checkPanel(const FlatPanel* panel) {
        const QString text = panel->text();
        if (text.isEmpty() || !panel->face().isNull()) {
            return;
        }
        checkFont(panel);
        const QFontMetrics metrics(panel->font());
        const QRect room = panel->rect();
        const int padding = IsButton(panel) ? kButtonPadding : 0;
        const int flags = Qt::AlignCenter | (panel->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect used =
            metrics.boundingRect(room.adjusted(padding, 0, -padding, 0), flags, text);
        if (used.width() > room.width() - 2 * padding || used.height() > room.height() ||
            used.left() < room.left() + padding || used.right() > room.right() - padding) {
            fault("text", QStringLiteral("%1: \"%2\" needs %3x%4 px, its control gives %5x%6")
                              .arg(Name(panel), Shorten(text))
                              .arg(used.width() + 2 * padding)
                              .arg(used.height())
                              .arg(room.width())
                              .arg(room.height()));
        }
    }

    void checkTexts() {
        for (const QWidget* control : controls_) {
            if (const auto* panel = qobject_cast<const FlatPanel*>(control)) {
                checkPanel(panel);
            } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
                checkLabel(label);
            } else if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
                checkFont(combo);
                QStyleOptionComboBox option;
                option.initFrom(combo);
                option.editable = combo->isEditable();
                const QRect field = combo->style()->subControlRect(
                    QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
                const QFontMetrics metrics(combo->font());
                for (int i = 0; i < combo->count(); ++i) {
                    const QString item = combo->itemText(i);
                    if (metrics.horizontalAdvance(item) + 2 * kTextPadding > field.width() ||
                        metrics.height() > field.height()) {
                        fault("text", QStringLiteral("%1: \"%2\" does not fit the box's %3 px")
                                          .arg(Name(combo), item)
                                          .arg(field.width()));
                    }
                }
            } else if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
                checkFont(edit);
                const QFontMetrics metrics(edit->font());
                const QMargins margins = edit->textMargins();
                const int room =
                    edit->height() - margins.top() - margins.bottom() - (edit->hasFrame() ? 4 : 0);
                if (metrics.height() > room) {
                    fault("text", QStringLiteral("%1: its %2 px text in %3 px")
                                      .arg(Name(edit))
                                      .arg(metrics.height())
                                      .arg(room));
                }
            } else if (const auto* list = qobject_cast<const QListWidget*>(control)) {
                checkFont(list);
                const QFontMetrics metrics(list->font());
                for (int i = 0; i < list->count(); ++i) {
                    const QString item = list->item(i)->text();
                    if (metrics.horizontalAdvance(item) + 2 * kTextPadding >
                        list->viewport()->width()) {
                        fault("text", Name(list) + ": \"" + item + "\" is wider than the list");
                    }
                }
            } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
                const QSize needed = button->sizeHint();
                if (!button->text().isEmpty()) {
                    checkFont(button);
                }
                if (needed.width() > button->width() || needed.height() > button->height()) {
                    fault("text", QStringLiteral("%1 needs %2x%3 px, has %4x%5")
                                      .arg(Name(button))
                                      .arg(needed.width())
                                      .arg(needed.height())
                                      .arg(button->width())
                                      .arg(button->height()));
                } else if (button->text().isEmpty() && button->width() > needed.width() + 2) {
                    fault("text", QStringLiteral("%1 is %2 px wide and draws only %3 px: an "
                                                 "empty box beside it")
                                      .arg(Name(button))
                                      .arg(button->width())
                                      .arg(needed.width()));
                }
            }
        }
    }

    // The baseline of a text centred in a label, in window pixels.
    int Baseline(const QWidget* control) const {
        if (const auto* panel = qobject_cast<const FlatPanel*>(control)) {
            const QFontMetrics metrics(panel->font());
            const QRect used = metrics.boundingRect(panel->rect(), Qt::AlignCenter, panel->text());
            return InWindow(panel).top() + used.top() + metrics.ascent();
        }
        const auto* label = qobject_cast<const QLabel*>(control);
        if (label == nullptr) {
            return control->geometry().bottom();
        }
        const QFontMetrics metrics(label->font());
        const QRect room = label->contentsRect();
        const QRect used = metrics.boundingRect(room, int(label->alignment()), label->text());
        return InWindow(label).top() + used.top() + metrics.ascent();
    }

    void checkRow() {
        const std::vector<const QWidget*> items = FooterButtons();
        for (std::size_t i = 0; i < items.size(); ++i) {
            const QRect rect = items[i]->geometry();
            if (i + 1 < items.size()) {
                const QRect next = items[i + 1]->geometry();
                const int gap = next.left() - rect.right() - 1;
                if (gap < kButtonGap) {
                    fault("row", QStringLiteral("%1 and %2 are %3 px apart")
                                     .arg(Name(items[i]), Name(items[i + 1]))
                                     .arg(gap));
                }
            }
            if (rect.left() - visible_.left() < kSideMargin ||
                visible_.right() - rect.right() < kSideMargin) {
                fault("row", Name(items[i]) + RectText(rect) + " sits at the window's side");
            }
            const QRect first = items.front()->geometry();
            if (rect.top() != first.top() || rect.height() != first.height() ||
                Baseline(items[i]) != Baseline(items.front())) {
                fault("row", QStringLiteral("%1 and %2 do not share their row and baseline")
                                 .arg(Name(items.front()), Name(items[i])));
            }
        }
        // One row on every page, in every language.
        if (!items.empty() && qobject_cast<TMainForm*>(window_) != nullptr) {
            const QRect rect = items.front()->geometry();
            if (!mainRow_) {
                mainRow_ = std::make_pair(rect, where_);
            } else if (rect.top() != mainRow_->first.top() ||
                       rect.height() != mainRow_->first.height()) {
                fault("row", QStringLiteral("the button row at y %1 (%2 high); %3 has it at y %4 "
                                            "(%5 high)")
                                 .arg(rect.top())
                                 .arg(rect.height())
                                 .arg(mainRow_->second)
                                 .arg(mainRow_->first.top())
                                 .arg(mainRow_->first.height()));
            }
        }
        // What a holder holds sits in its middle.
        for (const QWidget* control : controls_) {
            if (TopLevel(control)) {
                continue;
            }
            const QRect outer = control->parentWidget()->rect();
            const QRect inner = control->geometry();
            const int dx = (inner.left() - outer.left()) - (outer.right() - inner.right());
            const int dy = (inner.top() - outer.top()) - (outer.bottom() - inner.bottom());
            if (std::abs(dx) > 2 || std::abs(dy) > 2) {
                fault("row", QStringLiteral("%1 is off the middle of %2 by %3, %4 px")
                                 .arg(Name(control), Name(control->parentWidget()))
                                 .arg(dx / 2)
                                 .arg(dy / 2));
            }
        }
    }

    void checkColumns() {
        std::vector<const QWidget*> fields;
        for (const QWidget* control : controls_) {
            if (TopLevel(control) && (qobject_cast<const QLineEdit*>(control) != nullptr ||
                                      qobject_cast<const QComboBox*>(control) != nullptr)) {
                fields.push_back(control);
            }
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            for (std::size_t j = i + 1; j < fields.size(); ++j) {
                const QRect a = fields[i]->geometry();
                const QRect b = fields[j]->geometry();
                const int apart = std::abs(a.left() - b.left());
                const bool stacked = a.bottom() < b.top() || b.bottom() < a.top();
                if (stacked && apart > 0 && apart <= 20) {
                    fault("column", QStringLiteral("%1 starts at x %2, %3 of its column at x %4")
                                        .arg(Name(fields[i]))
                                        .arg(a.left())
                                        .arg(Name(fields[j]))
                                        .arg(b.left()));
                }
            }
        }
    }

    // What a control's text lies on: its own fill, or what the window shows there.
    QColor Ground(const QWidget* control, const QImage& shot) const {
        if (const auto* panel = qobject_cast<const FlatPanel*>(control)) {
            if (panel->panelColour().isValid()) {
                return panel->panelColour();
            }
        } else if (control->autoFillBackground()) {
            return control->palette().color(control->backgroundRole());
        }
        return DominantColour(shot, InWindow(control));
    }

    void contrast(const QWidget* control, const QColor& text, const QColor& ground,
                  const char* state) {
        const double ratio = Contrast(text, ground);
        if (ratio < kContrast) {
            fault("contrast",
                  QStringLiteral("%1 %2: text %3 on %4, %5:1")
                      .arg(Name(control), QString::fromLatin1(state), text.name(), ground.name())
                      .arg(ratio, 0, 'f', 2));
        }
    }

    static void MoveOver(QWidget* widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(widget->rect().center()),
                         QPointF(widget->mapToGlobal(widget->rect().center())), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    void checkContrast() {
        const QImage shot = window_->grab().toImage();
        for (const QWidget* control : controls_) {
            auto* panel = qobject_cast<FlatPanel*>(const_cast<QWidget*>(control));
            const auto* label = qobject_cast<const QLabel*>(control);
            if (panel != nullptr ? panel->text().isEmpty() || !panel->face().isNull()
                                 : label == nullptr || label->text().isEmpty()) {
                continue;
            }
            const QColor ground = Ground(control, shot);
            if (panel == nullptr) {
                contrast(control, label->palette().color(label->foregroundRole()), ground,
                         "at rest");
                continue;
            }
            const QColor rest = panel->captionColour();
            contrast(panel, rest, ground, "at rest");
            MoveOver(panel);
            contrast(panel, panel->captionColour(), ground, "under the pointer");
            // The pointer leaves for the surface around the button.
            MoveOver(panel->parentWidget());
            MoveOver(window_);
            for (QWidget* background : backgrounds_) {
                MoveOver(background);
            }
            contrast(panel, panel->captionColour(), ground, "after the pointer left");
            panel->setCaptionColour(rest);
        }
    }

    void checkLists() {
        for (const QWidget* control : controls_) {
            auto* combo = qobject_cast<QComboBox*>(const_cast<QWidget*>(control));
            if (combo == nullptr || !combo->isEnabled() || combo->count() == 0) {
                continue;
            }
            combo->showPopup();
            QAbstractItemView* view = combo->view();
            QWidget* popup = view->window();
            if (!QTest::qWaitForWindowExposed(popup)) {
                fault("list", Name(combo) + " does not open");
                continue;
            }
            int shown = 0;
            for (int row = 0; row < combo->count(); ++row) {
                const QRect item = view->visualRect(view->model()->index(row, 0));
                shown += item.top() >= 0 && item.bottom() < view->viewport()->height();
            }
            const int wanted = std::min(combo->count(), combo->maxVisibleItems());
            if (shown != wanted) {
                fault("list", QStringLiteral("%1 shows %2 lines of %3; it asks for %4")
                                  .arg(Name(combo))
                                  .arg(shown)
                                  .arg(combo->count())
                                  .arg(combo->maxVisibleItems()));
            }
            const int boxBottom = combo->mapToGlobal(QPoint(0, combo->height())).y();
            if (popup->geometry().top() < boxBottom - 1) {
                fault("list", QStringLiteral("%1 opens upwards from y %2 over the page")
                                  .arg(Name(combo))
                                  .arg(popup->geometry().top() - window_->y()));
            }
            combo->hidePopup();
        }
    }

    void checkDialogPlace() {
        if (qobject_cast<TMainForm*>(window_) != nullptr || main_ == nullptr) {
            return;
        }
        const QRect shown = visible_.translated(window_->pos());
        const QPoint offset = shown.center() - main_->geometry().center();
        if (offset.manhattanLength() > 2) {
            fault("dialog", QStringLiteral("opens %1 px right and %2 px below the middle of the "
                                           "main window")
                                .arg(offset.x())
                                .arg(offset.y()));
        }
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr && !screen->availableGeometry().contains(shown)) {
            fault("dialog", "is not wholly on the screen " + RectText(shown));
        }
    }

    // The picture of the description that the window shows, or nullptr. Where a page has more
    // than one, the one whose drawing the window's picture is.
    const artwork::PictureSpec* PictureShown(const artwork::Language& language) const {
        std::vector<const artwork::PictureSpec*> candidates;
        if (auto* main = qobject_cast<TMainForm*>(window_)) {
            for (const artwork::PictureSpec& picture : description_.pictures) {
                if (picture.page == main->nCurrentPage) {
                    candidates.push_back(&picture);
                }
            }
        } else if (auto* intro = qobject_cast<TBPSIntroForm*>(window_)) {
            candidates.push_back(
                description_.FindPicture(QStringLiteral("bps_intro%1").arg(intro->introStep - 14)));
        } else {
            static const std::map<QString, QString> kDialogs = {
                {"SearchFailForm", "search_fail"},
                {"LoginForm", "login"},
                {"WPARadiusNoteForm", "radius_note"}};
            if (const auto it = kDialogs.find(window_->objectName()); it != kDialogs.end()) {
                candidates.push_back(description_.FindPicture(it->second));
            }
        }
        const Picture* shown = BackgroundPicture();
        if (candidates.size() < 2 || shown == nullptr) {
            return candidates.empty() ? nullptr : candidates.front();
        }
        const artwork::PictureSpec* best = nullptr;
        qint64 fewest = std::numeric_limits<qint64>::max();
        for (const artwork::PictureSpec* candidate : candidates) {
            const QImage drawn = artwork::RenderPicture(
                *candidate, language, artwork::LayOutPicture(description_, *candidate, language),
                true);
            const QImage& image = shown->image();
            qint64 differing = 0;
            for (int y = 0; y < std::min(drawn.height(), image.height()); ++y) {
                for (int x = 0; x < std::min(drawn.width(), image.width()); ++x) {
                    differing += ColourDistance(drawn.pixel(x, y), image.pixel(x, y)) > 24;
                }
            }
            if (differing < fewest) {
                fewest = differing;
                best = candidate;
            }
        }
        return best;
    }

    void checkPicture() {
        const artwork::Language* language = description_.FindLanguage(section_);
        const artwork::PictureSpec* spec = language == nullptr ? nullptr : PictureShown(*language);
        if (spec == nullptr) {
            return;
        }
        const artwork::PictureLayout layout =
            artwork::LayOutPicture(description_, *spec, *language);
        const artwork::PictureTexts& texts = language->Texts(spec->name);
        // Printed texts keep clear of the live controls.
        for (const artwork::PlacedText& text : layout.texts) {
            for (const QWidget* control : controls_) {
                const QRect near = InWindow(control).adjusted(
                    -kPrintedClearance, -kPrintedClearance, kPrintedClearance, kPrintedClearance);
                if (text.bounds.intersects(near)) {
                    fault(
                        "picture",
                        QStringLiteral("\"%1\" crowds %2").arg(Shorten(text.text), Name(control)));
                }
            }
        }
        auto find = [&](const QString& wanted) -> const artwork::PlacedText* {
            for (const artwork::PlacedText& text : layout.texts) {
                if (!wanted.isEmpty() && wanted.startsWith(text.text) && !text.text.isEmpty()) {
                    return &text;
                }
            }
            return nullptr;
        };
        // Captions above side-by-side groups share one row.
        std::vector<const artwork::PlacedText*> heads;
        if (const auto title = texts.blocks.find("title"); title != texts.blocks.end()) {
            heads.push_back(find(title->second.join(' ')));
        }
        for (const artwork::CaptionSpec& caption : spec->captions) {
            if (caption.side == artwork::Side::Above) {
                heads.push_back(find(texts.captions.at(caption.control).join(' ')));
            }
        }
        for (std::size_t i = 0; i < heads.size(); ++i) {
            for (std::size_t j = i + 1; j < heads.size(); ++j) {
                const artwork::PlacedText* a = heads[i];
                const artwork::PlacedText* b = heads[j];
                if (a == nullptr || b == nullptr) {
                    continue;
                }
                const bool sideBySide =
                    a->bounds.right() < b->bounds.left() || b->bounds.right() < a->bounds.left();
                const int apart = std::abs(a->box.top() - b->box.top());
                if (sideBySide && apart > 0 && apart <= 30) {
                    fault("picture", QStringLiteral("\"%1\" and \"%2\" do not line up (%3 px)")
                                         .arg(Shorten(a->text), Shorten(b->text))
                                         .arg(apart));
                }
            }
        }
        // The texts of a row of option cards share their size, line by line.
        std::map<int, std::pair<int, QString>> cardLines;
        for (const artwork::CaptionSpec& caption : spec->captions) {
            if (!caption.card) {
                continue;
            }
            const QStringList lines = texts.captions.at(caption.control);
            for (qsizetype line = 0; line < lines.size(); ++line) {
                const artwork::PlacedText* text = find(lines[line]);
                if (text == nullptr) {
                    continue;
                }
                const int px = text->font.pixelSize();
                const auto [it, first] = cardLines.try_emplace(int(line), px, text->text);
                if (!first && it->second.first != px) {
                    fault("picture", QStringLiteral("\"%1\" is %2 px, \"%3\" %4 px")
                                         .arg(Shorten(text->text))
                                         .arg(px)
                                         .arg(Shorten(it->second.second))
                                         .arg(it->second.first));
                }
            }
        }
        // The step band counts as many steps as it shows circles.
        static const QRegularExpression kNumber(QStringLiteral("^\\d+$"));
        int circles = 0;
        std::optional<int> counted;
        QString pattern;
        bool first = true;
        for (const QString& part : language->stepFormat.split(QLatin1Char('%'))) {
            if (first) {
                pattern = QRegularExpression::escape(part);
                first = false;
                continue;
            }
            const QChar which = part.isEmpty() ? QChar() : part.front();
            pattern += which == QLatin1Char('2')   ? QStringLiteral("(\\d+)")
                       : which == QLatin1Char('1') ? QStringLiteral("\\d+")
                                                   : QStringLiteral(".*");
            pattern += QRegularExpression::escape(part.mid(1));
        }
        const QRegularExpression stepText(QLatin1Char('^') + pattern + QLatin1Char('$'));
        for (const artwork::PlacedText& text : layout.texts) {
            if (text.box.bottom() >= artwork::kBandHeight) {
                continue;
            }
            if (kNumber.match(text.text).hasMatch()) {
                circles = std::max(circles, text.text.toInt());
            } else if (const auto match = stepText.match(text.text); match.hasMatch()) {
                counted = match.captured(1).toInt();
            }
        }
        if (counted && circles != *counted) {
            fault("picture", QStringLiteral("the step band shows %1 circles and counts %2 steps")
                                 .arg(circles)
                                 .arg(*counted));
        }
    }

public:
    QWidget* main_ = nullptr;

private:
    const artwork::Description& description_;
    QString section_;
    QWidget* window_ = nullptr;
    QString where_;
    QRect visible_;
    std::vector<const QWidget*> controls_;
    std::vector<QWidget*> backgrounds_;
    std::vector<Fault> faults_;
    std::map<QString, std::pair<QString, QString>> fonts_;  // font and its language by control
    std::optional<std::pair<QRect, QString>> mainRow_;
};

std::vector<emulator::EmulatedDevice> Devices() {
    auto office = MakeDevice(1, "TRV81K-Office", "office1");
    office.settings.ssid = "Office";
    office.settings.security = kSecurityWpa2Aes;
    auto garden = MakeDevice(2, "TRV81K-Garden", "garden3");
    garden.behaviour.pairingManaged = true;
    return {office, garden};
}

// The longest values the pages take: a 32-character network name and a 63-character key.
const QString kLongSsid = QStringLiteral("Mountain View Guest Network 2.4G");
const QString kLongKey =
    QStringLiteral("The quick brown fox jumps over the lazy dog, again and again..!");

// The wizard's road in one language, every page and dialog measured on the way.
void WalkTheRoad(const std::string& section, LayoutCheck& check) {
    HarnessOptions options = WithDevices(Devices());
    options.section = section;
    options.realPictures = true;
    Harness h(options);
    TMainForm& main = h.main();
    check.setLanguage(section);
    check.main_ = &main;
    // Away from the middle of the screen, as a user may have dragged it.
    main.move(40, 30);
    FlatPanel& next = Control<FlatPanel>(main, "NextPanel");
    auto page = [&] { check.measure(&main, QStringLiteral("page %1").arg(main.nCurrentPage)); };

    // A first search that nobody answers: the search-failure dialog.
    h.network().setDelivery(PacketKind::Search, FakeNetwork::Delivery::Held);
    page();
    Harness::click(Control<FlatPanel>(main, "SetupPanel"));
    for (int i = 2; i <= 5; ++i) {
        page();
        if (i < 5) {
            Harness::click(next);
        }
    }
    TSearchFailForm& fail = h.windows().searchFailForm();
    WhenVisible(&fail, [&check, &fail] {
        check.measure(&fail, QStringLiteral("search-failure dialog"));
        // The most the dialog lists: two adapters with their longest findings, and more.
        const std::vector<AdapterFacts> facts{
            AdapterFacts{.adapter = Adapter{"enp0s31f6", {192, 168, 100, 100}, {}},
                         .carrier = false,
                         .probed = true,
                         .own = 0,
                         .foreign = 99999},
            AdapterFacts{
                .adapter = Adapter{"wlp0s20f3", {172, 16, 200, 200}, {}}, .probed = true, .own = 1},
            AdapterFacts{.adapter = Adapter{"lan3", {10, 0, 0, 3}, {}}, .probed = true}};
        fail.ShowDiagnosis(DiagnoseFacts(facts, DeviceTable{}));
        check.measure(&fail, QStringLiteral("search-failure dialog, the longest findings"));
        Harness::click(Control<FlatPanel>(fail, "ContinuePanel"));
    });
    TSearchForm& search = h.windows().searchForm();
    const auto measureSearch =
        QObject::connect(&search, &TSearchForm::ticked, &search, [&](int counter) {
            if (counter == 4) {
                check.measure(&search, "search dialog");
            }
        });
    Harness::click(next);
    QObject::disconnect(measureSearch);
    h.network().releaseHeld();
    h.network().setDelivery(PacketKind::Search, FakeNetwork::Delivery::Immediate);

    // The list, the login and the basic settings.
    h.walkToPage5();
    Harness::click(next);
    page();
    TLoginForm* login = &h.windows().loginForm();
    WhenVisible(login, [&check, &main, login] {
        QLineEdit* password = &Control<QLineEdit>(*login, "PasswordEdit");
        QTest::keyClicks(password, QStringLiteral("office1"));
        check.measure(login, QStringLiteral("login dialog"));
        // As it shows during the wait for the device's answer.
        BusySign& busy = Control<BusySign>(*login, "BusySign");
        busy.start(main.Text("LOGIN_BUSY"));
        check.measure(login, QStringLiteral("login dialog, waiting"));
        busy.stop();
        QTest::keyClick(password, Qt::Key_Return);
    });
    Harness::click(Control<FlatPanel>(main, "YesPanel"));
    page();

    // The pairing page and its help.
    Harness::click(next);
    page();
    TBPSIntroForm& intro = h.windows().bpsIntroForm();
    WhenVisible(&intro, [&check, &intro] {
        for (int step = 1; step <= 3; ++step) {
            check.measure(&intro, QStringLiteral("pairing help %1").arg(step));
            intro.NextButtonImageClick();
        }
        intro.CloseButtonImageClick();
    });
    Harness::click(Control<FlatPanel>(main, "WhereBPSPanel"));
    // As the page shows during the pairing check.
    Control<FlatPanel>(main, "WhereBPSPanel").hide();
    Control<BusySign>(main, "PairingBusySign").start(main.Text("PAIRING_BUSY"));
    check.measure(&main, QStringLiteral("page 8, waiting"));
    Control<BusySign>(main, "PairingBusySign").stop();
    Control<FlatPanel>(main, "WhereBPSPanel").show();

    // The wireless pages with the longest network name, the RADIUS note on the way.
    Harness::click(next);
    QLineEdit& ssid = Control<QLineEdit>(main, "SSIDEdit");
    ssid.setText(kLongSsid);
    page();
    Harness::click(next);
    TWPARadiusNoteForm& note = h.windows().radiusNoteForm();
    WhenVisible(&note, [&check, &note] {
        check.measure(&note, QStringLiteral("RADIUS note"));
        Harness::click(Control<FlatPanel>(note, "OKPanel"));
    });
    Harness::click(Control<QRadioButton>(main, "RadioBtnWPARadius"));
    Harness::click(Control<QRadioButton>(main, "RadioBtnPSK"));
    page();

    // A 63-character pre-shared key, confirmed.
    Harness::click(next);
    Choose(Control<QComboBox>(main, "SecurityComboBox"), 3);
    page();
    QTest::keyClicks(&Control<QLineEdit>(main, "PSKEdit"), kLongKey);
    Harness::click(next);
    page();

    // A WEP 128-bit key, confirmed.
    main.LoadPage(PAGE_SECURE_3_SECURITY_SETTINGS);
    Harness::click(Control<QRadioButton>(main, "RadioBtnWEP"));
    Harness::click(next);
    Choose(Control<QComboBox>(main, "SecurityComboBox"), 1);
    QTest::keyClicks(&Control<QLineEdit>(main, "PassphraseEdit"), QStringLiteral("passphrase"));
    page();
    Harness::click(next);
    page();

    // Written: the configure dialog, then the congratulation page.
    TConfigureForm& configure = h.windows().configureForm();
    const auto measureConfigure =
        QObject::connect(&configure, &TSearchForm::ticked, &configure, [&](int counter) {
            if (counter == 0) {
                check.measure(&configure, QStringLiteral("configure dialog"));
            }
        });
    Harness::click(Control<FlatPanel>(main, "YesPanel"));
    QObject::disconnect(measureConfigure);
    page();

    // The pairing road to the confirmation: a device under pairing control.
    main.LoadPage(PAGE_SECURE_1_CONFIGURE_WIRELESS);
    h.network().setDelivery(PacketKind::CheckBPS, FakeNetwork::Delivery::Held);
    Harness::click(next);
    page();
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void everyWindowInEveryLanguage();
};

void LayoutTest::everyWindowInEveryLanguage() {
    SetPictureLibraryFolder(QStringLiteral(TRV81K_BINARY_DIR "/bin"));
    QString error;
    const std::optional<artwork::Description> description =
        artwork::LoadDescription(QStringLiteral(TRV81K_SOURCE_DIR "/resources/artwork"), error);
    QVERIFY2(description, qPrintable(error));
    LayoutCheck check(*description);
    for (const char* section : {"English", "German", "French"}) {
        WalkTheRoad(section, check);
    }
    std::map<QString, int> perKind;
    for (const Fault& fault : check.faults()) {
        qInfo().noquote() << fault.kind << "|" << fault.text;
        ++perKind[fault.kind];
    }
    QStringList summary;
    for (const auto& [kind, count] : perKind) {
        summary << QStringLiteral("%1 %2").arg(kind).arg(count);
    }
    const QString total = QStringLiteral("%1 layout faults (%2)")
                              .arg(check.faults().size())
                              .arg(summary.join(QStringLiteral(", ")));
    qInfo().noquote() << total;
    QVERIFY2(check.faults().empty(), qPrintable(total));
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
