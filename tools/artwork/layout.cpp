#include "layout.h"

#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "l10n/placement.h"
#include "palette.h"

namespace trv81k::artwork {

namespace {

constexpr int kFieldMargin = 3;   // white frame around edit boxes, combo boxes and the list
constexpr int kButtonMargin = 3;  // green beyond a button panel on every side
constexpr int kClearance = 6;     // between anything painted under a control and any text
constexpr int kEdge = 6;          // texts keep this far from the picture's border
constexpr int kBullet = 16;       // indent of a bullet paragraph

// Text is measured on the same kind of device it is painted on.
QFontMetrics Metrics(const QFont& font) {
    static const QImage device(1, 1, QImage::Format_ARGB32_Premultiplied);
    return QFontMetrics(font, &device);
}

struct StyleFont {
    int size;
    int minSize;
    QFont::Weight weight;
    QColor colour;
    int spacing;     // between paragraphs
    double leading;  // line height as a multiple of the font size
};

StyleFont FontFor(TextStyle style) {
    switch (style) {
        case TextStyle::Title:
            return {21, 15, QFont::Bold, colour::kInk, 4, 1.22};
        case TextStyle::Hint:
            return {12, 9, QFont::Normal, colour::kMuted, 5, 1.3};
        case TextStyle::Label:
            return {12, 9, QFont::Bold, colour::kLabel, 3, 1.2};
        case TextStyle::Body:
            break;
    }
    return {13, 10, QFont::Normal, colour::kText, 7, 1.36};
}

int LineHeight(const StyleFont& spec, int px) {
    return std::max(Metrics(UiFont(px, spec.weight)).height(),
                    static_cast<int>(px * spec.leading + 0.5));
}

int AlignFlag(HAlign align) {
    switch (align) {
        case HAlign::Center:
            return Qt::AlignHCenter;
        case HAlign::Right:
            return Qt::AlignRight;
        case HAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

PlacedText MakeText(const QRect& box, const QString& text, const QFont& font, const QColor& colour,
                    int flags) {
    return {box, Metrics(font).boundingRect(box, flags, text), text, font, colour, flags};
}

// Breaks `text` into lines of at most `width` pixels, at blanks only (never inside a word such
// as "pre-shared"). Empty when one word alone is wider.
QStringList WrapWords(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        if (metrics.horizontalAdvance(word) > width) {
            return {};
        }
        const QString candidate = line.isEmpty() ? word : line + ' ' + word;
        if (metrics.horizontalAdvance(candidate) <= width) {
            line = candidate;
        } else {
            lines.append(line);
            line = word;
        }
    }
    if (!line.isEmpty()) {
        lines.append(line);
    }
    return lines;
}

// A text fitted into a width: the font and the lines.
struct Fitted {
    QFont font;
    QStringList lines;
    int lineHeight = 0;

    int Height() const { return lineHeight * static_cast<int>(lines.size()); }
};

// The largest font of the style, at most `maxPx`, that sets `text` in `width` pixels: on one
// line when shrinking by two pixels at most does it, otherwise on up to `maxLines` lines.
std::optional<Fitted> FitLines(const QString& text, int width, TextStyle style, int maxLines,
                               int maxPx = 100) {
    const StyleFont spec = FontFor(style);
    const int top = std::min(spec.size, maxPx);
    auto attempt = [&](int px, int lines) -> std::optional<Fitted> {
        const QFont font = UiFont(px, spec.weight);
        const QStringList wrapped = WrapWords(text, Metrics(font), width);
        if (wrapped.isEmpty() || wrapped.size() > lines) {
            return std::nullopt;
        }
        return Fitted{font, wrapped, LineHeight(spec, px)};
    };
    for (int px = top; px >= std::max(spec.minSize, top - 2); --px) {
        if (auto fitted = attempt(px, 1)) {
            return fitted;
        }
    }
    for (int px = top; px >= spec.minSize; --px) {
        if (auto fitted = attempt(px, maxLines)) {
            return fitted;
        }
    }
    return std::nullopt;
}

// `text` set at exactly `px` in `width` pixels on up to `maxLines` lines.
std::optional<Fitted> FitAt(const QString& text, int width, TextStyle style, int maxLines, int px) {
    const StyleFont spec = FontFor(style);
    const QFont font = UiFont(px, spec.weight);
    const QStringList wrapped = WrapWords(text, Metrics(font), width);
    if (wrapped.isEmpty() || wrapped.size() > maxLines) {
        return std::nullopt;
    }
    return Fitted{font, wrapped, LineHeight(spec, px)};
}

// Flows paragraphs into `area`, shrinking the font until they fit. A paragraph starting with
// "- " is a bullet point. Nothing when the texts cannot fit even at the smallest size.
std::optional<std::vector<PlacedText>> Flow(const QStringList& paragraphs, const QRect& area,
                                            TextStyle style, HAlign align, VAlign valign) {
    const StyleFont spec = FontFor(style);
    if (area.width() <= kBullet || area.height() <= 0) {
        return std::nullopt;
    }
    for (int px = spec.size; px >= spec.minSize; --px) {
        const QFont font = UiFont(px, spec.weight);
        const QFontMetrics metrics = Metrics(font);
        const int lineHeight = LineHeight(spec, px);
        std::vector<PlacedText> texts;
        int y = 0;
        bool fits = true;
        for (qsizetype i = 0; fits && i < paragraphs.size(); ++i) {
            const bool bullet = paragraphs[i].startsWith("- ");
            const QString body = bullet ? paragraphs[i].mid(2) : paragraphs[i];
            const int indent = bullet ? kBullet : 0;
            const int width = area.width() - indent;
            const QStringList lines = WrapWords(body, metrics, width);
            if (lines.isEmpty()) {
                fits = body.trimmed().isEmpty();
                continue;
            }
            if (bullet) {
                texts.push_back({QRect(area.left() + 3, area.top() + y, kBullet - 3, lineHeight),
                                 {},
                                 QStringLiteral("•"),
                                 font,
                                 colour::kGreenShade,
                                 Qt::AlignLeft | Qt::AlignVCenter});
            }
            for (const QString& line : lines) {
                texts.push_back({QRect(area.left() + indent, area.top() + y, width, lineHeight),
                                 {},
                                 line,
                                 font,
                                 spec.colour,
                                 AlignFlag(align) | Qt::AlignVCenter});
                y += lineHeight;
            }
            if (i + 1 < paragraphs.size()) {
                const bool nextBullet = paragraphs[i + 1].startsWith("- ");
                y += (bullet && nextBullet) ? 1 : spec.spacing;
            }
        }
        if (!fits || y > area.height()) {
            continue;
        }
        const int free = area.height() - y;
        const int shift = valign == VAlign::Top ? 0 : valign == VAlign::Center ? free / 2 : free;
        for (PlacedText& text : texts) {
            text.box.translate(0, shift);
            text.bounds = Metrics(text.font).boundingRect(text.box, text.flags, text.text);
        }
        return texts;
    }
    return std::nullopt;
}

// The largest part of `region` left when every obstacle is cut away: above, below, left or
// right of it, whichever keeps the most room.
QRect FitAround(QRect region, const std::vector<QRect>& obstacles) {
    for (int round = 0; round < 32 && !region.isEmpty(); ++round) {
        const auto hit = std::find_if(obstacles.begin(), obstacles.end(),
                                      [&](const QRect& o) { return o.intersects(region); });
        if (hit == obstacles.end()) {
            break;
        }
        const QRect& o = *hit;
        const QRect candidates[] = {
            QRect(QPoint(region.left(), region.top()), QPoint(region.right(), o.top() - 1)),
            QRect(QPoint(region.left(), o.bottom() + 1), QPoint(region.right(), region.bottom())),
            QRect(QPoint(region.left(), region.top()), QPoint(o.left() - 1, region.bottom())),
            QRect(QPoint(o.right() + 1, region.top()), QPoint(region.right(), region.bottom())),
        };
        QRect best;
        for (const QRect& candidate : candidates) {
            const qint64 area =
                candidate.isValid() ? qint64(candidate.width()) * candidate.height() : 0;
            const qint64 bestArea = best.isValid() ? qint64(best.width()) * best.height() : 0;
            if (area > bestArea) {
                best = candidate;
            }
        }
        region = best;
    }
    return region;
}

// Horizontal or vertical distance between two rectangles that face each other; a large number
// for rectangles that do not.
int Gap(const QRect& a, const QRect& b) {
    const bool rowsMeet = a.top() <= b.bottom() && b.top() <= a.bottom();
    const bool columnsMeet = a.left() <= b.right() && b.left() <= a.right();
    if (rowsMeet) {
        return std::max(a.left() - b.right(), b.left() - a.right()) - 1;
    }
    if (columnsMeet) {
        return std::max(a.top() - b.bottom(), b.top() - a.bottom()) - 1;
    }
    return 1000;
}

// Rows of separating rules between stacked rectangles: one line strictly between each pair.
std::vector<int> RulesBetween(std::vector<QRect> rows) {
    std::sort(rows.begin(), rows.end(),
              [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    std::vector<int> rules;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const int above = rows[i - 1].bottom();
        const int below = rows[i].top();
        if (below - above >= 2) {
            rules.push_back((above + below) / 2 == above ? above + 1 : (above + below) / 2);
        }
    }
    return rules;
}

QRect ToRect(const PanelRect& panel) {
    return QRect(panel.left, panel.top, panel.width, panel.height);
}

// Where a named control lies on the page, whether the page shows it or not.
std::optional<QRect> ResolveAnyControl(const PictureSpec& picture, const QString& name,
                                       const QString& section) {
    for (const FixedControl& fixed : picture.fixed) {
        if (fixed.name == name) {
            return fixed.RectFor(section);
        }
    }
    const std::string control = name.toStdString();
    if (picture.page > 0 && FindDefaultPlacement(control) != nullptr) {
        const std::string sectionName = section.toStdString();
        return ToRect(ResolvePanel(control, NormalRoad(picture.page), sectionName));
    }
    return std::nullopt;
}

class Builder {
public:
    Builder(const Description& description, const PictureSpec& picture, const Language& language)
        : description_(description),
          picture_(picture),
          language_(language),
          texts_(language.Texts(picture.name)) {
        layout_.size = picture.size;
        layout_.section = language.section;
    }

    PictureLayout Build() {
        layout_.controls = LiveControls(description_, picture_, language_.section);
        PaintUnderControls();
        for (const QRect& card : picture_.cards) {
            layout_.cards.push_back({card, {}});
        }
        PlaceChrome();
        SizeBelowCaptions();
        for (const CaptionSpec& caption : picture_.captions) {
            PlaceCaption(caption);
        }
        EvenOptionCards();
        for (const ArtSpec& art : picture_.art) {
            PlaceArt(art);
        }
        for (const BlockSpec& block : picture_.blocks) {
            if (block.text == "stages") {
                PlaceStages(block);
            } else {
                PlaceBlock(block);
            }
        }
        Check();
        return layout_;
    }

private:
    void Problem(const QString& what) {
        layout_.problems.append(QString("%1 (%2, %3): %4")
                                    .arg(picture_.name)
                                    .arg(language_.base + picture_.index)
                                    .arg(language_.section, what));
    }

    void PaintUnderControls() {
        // Stacked labels of one style and one column.
        std::map<std::pair<ControlStyle, int>, std::vector<QRect>> grouped;
        for (const PlacedControl& control : layout_.controls) {
            switch (control.style) {
                case ControlStyle::Button:
                case ControlStyle::Manual:
                    layout_.greenAreas.push_back(MakeGreenArea(control));
                    painted_[control.name] = layout_.greenAreas.back().rect;
                    break;
                case ControlStyle::Field:
                    AddDecoration(control, ControlStyle::Field, kFieldMargin);
                    break;
                case ControlStyle::Link:
                case ControlStyle::Plain:
                case ControlStyle::Radio:
                    AddDecoration(control, control.style, 2);
                    break;
                case ControlStyle::StatusGreen:
                case ControlStyle::StatusWhite:
                case ControlStyle::Value:
                    grouped[{control.style, control.rect.left()}].push_back(control.rect);
                    break;
                case ControlStyle::Label:
                    painted_[control.name] = control.rect;
                    break;
            }
        }
        // Stacked labels share one box, with rules between the rows of a white box.
        for (const auto& [group, rows] : grouped) {
            const auto& [style, column] = group;
            QRect box;
            for (const QRect& row : rows) {
                box = box.united(row);
            }
            box.adjust(-6, -4, 6, 4);
            layout_.decorations.push_back(
                {style, box,
                 style == ControlStyle::StatusGreen ? std::vector<int>{} : RulesBetween(rows)});
            for (const PlacedControl& control : layout_.controls) {
                if (control.style == style && control.rect.left() == column) {
                    painted_[control.name] = box;
                }
            }
        }
    }

    void AddDecoration(const PlacedControl& control, ControlStyle style, int margin) {
        const QRect area = control.rect.adjusted(-margin, -margin, margin, margin);
        layout_.decorations.push_back({style, area, {}});
        painted_[control.name] = area;
    }

    // A green area a few pixels larger than the panel on every side, less on a side that
    // faces a close neighbour (a seam of at least two pixels stays between them); it runs out
    // over the picture's border where the panel reaches it.
    GreenArea MakeGreenArea(const PlacedControl& control) {
        int left = kButtonMargin;
        int top = kButtonMargin;
        int right = kButtonMargin;
        int bottom = kButtonMargin;
        for (const PlacedControl& other : layout_.controls) {
            if (&other == &control) {
                continue;
            }
            const int gap = Gap(control.rect, other.rect);
            if (gap >= 2 * kButtonMargin + 2) {
                continue;
            }
            if (gap < 4) {
                Problem(control.name + " and " + other.name + " lie too close together");
            }
            const int margin = std::clamp((gap - 2) / 2, 1, kButtonMargin);
            const bool rowsMeet = control.rect.top() <= other.rect.bottom() &&
                                  other.rect.top() <= control.rect.bottom();
            if (rowsMeet && other.rect.left() > control.rect.right()) {
                right = std::min(right, margin);
            } else if (rowsMeet) {
                left = std::min(left, margin);
            } else if (other.rect.top() > control.rect.bottom()) {
                bottom = std::min(bottom, margin);
            } else {
                top = std::min(top, margin);
            }
        }
        QRect area = control.rect.adjusted(-left, -top, right, bottom);
        // The rounding shrinks with the narrowest margin so the panel's corners stay on green.
        const int radius = std::min({left, top, right, bottom}) + 2;
        // A holder cut by the picture's border runs out over it, so only its inner corners
        // are rounded.
        const QSize size = picture_.size;
        if (area.left() < 0) {
            area.setLeft(-2 * radius);
        }
        if (area.top() < 0) {
            area.setTop(-2 * radius);
        }
        if (area.right() > size.width() - 1) {
            area.setRight(size.width() + 2 * radius);
        }
        if (area.bottom() > size.height() - 1) {
            area.setBottom(size.height() + 2 * radius);
        }
        return {area, radius};
    }

    QRect Painted(const QString& name) const {
        const auto it = painted_.find(name);
        return it == painted_.end() ? QRect() : it->second;
    }

    void AddText(const PlacedText& text) { layout_.texts.push_back(text); }

    // Lines of a fitted text stacked from `top`, each `width` wide from `left`.
    int AddLines(const Fitted& fitted, int left, int top, int width, const QColor& colour,
                 int flags) {
        for (const QString& line : fitted.lines) {
            AddText(MakeText(QRect(left, top, width, fitted.lineHeight), line, fitted.font, colour,
                             flags | Qt::AlignVCenter));
            top += fitted.lineHeight;
        }
        return top;
    }

    // The band of pages and dialogs: product name, subtitle, step indicator or dialog heading.
    void PlaceChrome() {
        const int width = picture_.size.width();
        if (picture_.kind == Kind::Dialog) {
            PlaceDialogHeading();
            return;
        }
        AddText(MakeText(QRect(54, 9, 200, 24), language_.product, UiFont(20, QFont::Bold),
                         Qt::white, Qt::AlignLeft | Qt::AlignVCenter));
        const int subtitleRight = picture_.stage > 0 ? 300 : width - 70;
        PlaceBandLine(language_.subtitle, QRect(54, 33, subtitleRight - 54, 16), Qt::AlignLeft);
        if (picture_.stage <= 0) {
            return;
        }
        const int stages = static_cast<int>(language_.stages.size());
        const int stage = std::min(picture_.stage, stages);
        // The last stage ("done") is no step of its own, as in the welcome page's overview:
        // its page names it alone, and the band has a circle for each step only.
        const int steps = StepCount(language_);
        const QString label = stage == stages && stages > 1
                                  ? language_.stages[stage - 1]
                                  : QString(language_.stepFormat)
                                        .replace("%1", QString::number(stage))
                                        .replace("%2", QString::number(steps))
                                        .replace("%3", language_.stages[stage - 1]);
        PlaceBandLine(label, QRect(310, 33, width - 12 - 310, 16), Qt::AlignRight);
        // Numbers in the circles of the current and the coming steps; done steps get a tick.
        for (int i = stage; i <= steps; ++i) {
            AddText(MakeText(StepCircle(i, steps), QString::number(i), UiFont(10, QFont::Bold),
                             i == stage ? colour::kInk : QColor(255, 255, 255, 170),
                             Qt::AlignCenter));
        }
    }

    void PlaceBandLine(const QString& text, const QRect& box, int align) {
        for (int px = 11; px >= 9; --px) {
            const QFont font = UiFont(px);
            if (Metrics(font).horizontalAdvance(text) <= box.width()) {
                AddText(MakeText(box, text, font, colour::kBandText, align | Qt::AlignVCenter));
                return;
            }
        }
        Problem("'" + text + "' does not fit the title band");
    }

    // The heading of a small dialog in its title band: one bold line, or two smaller ones.
    void PlaceDialogHeading() {
        const QRect box(40, 0, picture_.size.width() - 50, kDialogBand);
        for (int lines = 1; lines <= 2; ++lines) {
            for (int px = lines == 1 ? 15 : 13; px >= 10; --px) {
                const QFont font = UiFont(px, QFont::Bold);
                const QStringList wrapped = WrapWords(texts_.heading, Metrics(font), box.width());
                const int lineHeight = Metrics(font).height();
                if (!wrapped.isEmpty() && wrapped.size() <= lines) {
                    const Fitted fitted{font, wrapped, lineHeight};
                    AddLines(fitted, box.left(), (box.height() - fitted.Height()) / 2, box.width(),
                             Qt::white, Qt::AlignLeft);
                    return;
                }
            }
        }
        Problem("the heading does not fit the title band");
    }

    QRect ControlRect(const QString& name) const {
        for (const PlacedControl& control : layout_.controls) {
            if (control.name == name) {
                return control.rect;
            }
        }
        return {};
    }

    void PlaceCaption(const CaptionSpec& caption) {
        const QStringList lines = texts_.captions.at(caption.control);
        QRect control = ControlRect(caption.control);
        QRect painted = Painted(caption.control);
        if (control.isNull()) {
            // A control the page does not show, used only as a position (the "or" text).
            const auto resolved = ResolveAnyControl(picture_, caption.control, language_.section);
            if (!resolved) {
                Problem("no position for the caption of " + caption.control);
                return;
            }
            control = *resolved;
            painted = control;
        }
        switch (caption.side) {
            case Side::Left:
                PlaceLeftCaption(caption, lines.join(' '), control, painted);
                break;
            case Side::Above:
                PlaceAboveCaption(caption, lines.join(' '), painted);
                break;
            case Side::Below:
                PlaceBelowCaption(caption, lines, control, painted);
                break;
            case Side::Inside:
                PlaceInsideCaption(lines.join(' '), control);
                break;
        }
    }

    // Right-aligned beside the control, centred on its row; smaller beside the low label rows.
    void PlaceLeftCaption(const CaptionSpec& caption, const QString& text, const QRect& control,
                          const QRect& painted) {
        // Captions of a column of controls end on one line, left of the leftmost of them, and
        // share one size: smaller beside a column with low rows.
        int column = painted.left();
        int lowest = control.height();
        for (const CaptionSpec& other : picture_.captions) {
            const QRect area = Painted(other.control);
            if (other.side == Side::Left && !area.isNull() &&
                std::abs(area.left() - painted.left()) <= 20) {
                column = std::min(column, area.left());
                const QRect rect = ControlRect(other.control);
                lowest = rect.isNull() ? lowest : std::min(lowest, rect.height());
            }
        }
        const int right = column - 9;
        int left = caption.from >= 0 ? caption.from : 16;
        if (caption.from < 0) {
            for (const auto& [name, area] : painted_) {
                const bool sameRow =
                    area.top() <= painted.bottom() && painted.top() <= area.bottom();
                if (name != caption.control && sameRow && area.right() < painted.left()) {
                    left = std::max(left, area.right() + 10);
                }
            }
        }
        const int maxPx = lowest <= 14 ? 11 : 12;
        const auto fitted = FitLines(text, right - left, TextStyle::Label, 2, maxPx);
        if (!fitted) {
            Problem("the caption of " + caption.control + " does not fit left of it");
            return;
        }
        const int top = control.center().y() + 1 - fitted->Height() / 2;
        AddLines(*fitted, left, top, right - left, colour::kLabel, Qt::AlignRight);
    }

    void PlaceAboveCaption(const CaptionSpec& caption, const QString& text, const QRect& painted) {
        const int width = picture_.size.width();
        const int room =
            caption.align == HAlign::Center ? width - 2 * kEdge : width - kEdge - painted.left();
        const auto fitted = FitLines(text, room, TextStyle::Label, 1);
        if (!fitted) {
            Problem("the caption of " + caption.control + " does not fit above it");
            return;
        }
        const int textWidth = Metrics(fitted->font).horizontalAdvance(text) + 2;
        const int left =
            caption.align == HAlign::Center ? painted.center().x() - textWidth / 2 : painted.left();
        QRect box(left, painted.top() - 4 - fitted->lineHeight, textWidth, fitted->lineHeight);
        // Climb over whatever is painted under a neighbouring control.
        for (bool moved = true; moved;) {
            moved = false;
            for (const auto& [name, area] : painted_) {
                if (name != caption.control && box.adjusted(-2, -2, 2, 2).intersects(area)) {
                    box.moveBottom(area.top() - 4);
                    moved = true;
                }
            }
        }
        AddText(
            MakeText(box, text, fitted->font, colour::kLabel, Qt::AlignLeft | Qt::AlignVCenter));
    }

    void PlaceInsideCaption(const QString& text, const QRect& control) {
        const int width = control.width() + 24;
        const auto fitted = FitLines(text, width, TextStyle::Label, 1);
        if (!fitted) {
            Problem("'" + text + "' does not fit its place");
            return;
        }
        AddLines(*fitted, control.center().x() - width / 2,
                 control.center().y() + 1 - fitted->Height() / 2, width, colour::kMuted,
                 Qt::AlignHCenter);
    }

    // Where the texts under an option's radio button may go: centred on the button, up to
    // halfway to the neighbouring options. Empty when there is no room.
    struct BelowRoom {
        int centre = 0;
        int half = 0;
        int leftBound = 0;
        int rightBound = 0;
    };
    std::optional<BelowRoom> RoomBelow(const CaptionSpec& caption, const QRect& control) const {
        BelowRoom room{control.center().x(), 0, 14, picture_.size.width() - 15};
        for (const CaptionSpec& other : picture_.captions) {
            const QRect rect = ControlRect(other.control);
            if (other.side != Side::Below || other.control == caption.control || rect.isNull()) {
                continue;
            }
            const int middle = (rect.center().x() + room.centre) / 2;
            if (rect.center().x() < room.centre) {
                room.leftBound = std::max(room.leftBound, middle + 4);
            } else {
                room.rightBound = std::min(room.rightBound, middle - 4);
            }
        }
        room.half = std::min(room.centre - room.leftBound, room.rightBound - room.centre) - 6;
        if (room.half < 20) {
            return std::nullopt;
        }
        return room;
    }

    // The texts under the radio buttons of a row of options share one size line by line: the
    // largest of the style at which every option's text of that line fits on up to three lines.
    void SizeBelowCaptions() {
        std::vector<std::pair<QStringList, int>> options;  // texts and their width
        for (const CaptionSpec& caption : picture_.captions) {
            if (caption.side != Side::Below) {
                continue;
            }
            if (const auto room = RoomBelow(caption, ControlRect(caption.control))) {
                options.emplace_back(texts_.captions.at(caption.control), 2 * room->half);
            }
        }
        for (int line = 0;; ++line) {
            const TextStyle style = line == 0 ? TextStyle::Label : TextStyle::Hint;
            const StyleFont spec = FontFor(style);
            bool any = false;
            for (int px = spec.size; px >= spec.minSize; --px) {
                bool all = true;
                for (const auto& [lines, width] : options) {
                    if (line < lines.size()) {
                        any = true;
                        all = all && FitAt(lines[line], width, style, 3, px).has_value();
                    }
                }
                if (all) {
                    belowSizes_[line] = px;
                    break;
                }
            }
            if (!any) {
                break;
            }
        }
    }

    // Title and description of an option under its radio button, centred on it, on a card
    // that reaches halfway to the neighbouring options.
    void PlaceBelowCaption(const CaptionSpec& caption, const QStringList& lines,
                           const QRect& control, const QRect& painted) {
        const std::optional<BelowRoom> room = RoomBelow(caption, control);
        if (!room) {
            Problem("no room under " + caption.control);
            return;
        }
        int y = painted.bottom() + 10;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const TextStyle style = i == 0 ? TextStyle::Label : TextStyle::Hint;
            const auto size = belowSizes_.find(int(i));
            const auto fitted = size == belowSizes_.end()
                                    ? FitLines(lines[i], 2 * room->half, style, 3)
                                    : FitAt(lines[i], 2 * room->half, style, 3, size->second);
            if (!fitted) {
                Problem("the caption of " + caption.control + " does not fit under it");
                return;
            }
            y = AddLines(*fitted, room->centre - room->half, y, 2 * room->half,
                         i == 0 ? colour::kLabel : colour::kMuted, Qt::AlignHCenter);
            y += i == 0 ? 4 : 2;
        }
        if (caption.card) {
            const QRect card(QPoint(room->leftBound, control.top() - 42),
                             QPoint(room->rightBound, y + 8));
            layout_.cards.push_back({card, caption.icon});
            optionCards_.push_back(card);
        }
    }

    // Option cards in a row end on one line.
    void EvenOptionCards() {
        int bottom = 0;
        for (const QRect& card : optionCards_) {
            bottom = std::max(bottom, card.bottom());
        }
        for (QRect& card : optionCards_) {
            card.setBottom(bottom);
        }
        for (Card& card : layout_.cards) {
            if (!card.icon.isEmpty() || card.rect.bottom() < bottom) {
                for (const QRect& option : optionCards_) {
                    if (option.left() == card.rect.left() && option.top() == card.rect.top()) {
                        card.rect = option;
                    }
                }
            }
        }
    }

    // Everything a text or a drawing must keep clear of.
    std::vector<QRect> Obstacles() const {
        std::vector<QRect> obstacles;
        for (const PlacedControl& control : layout_.controls) {
            const QRect area =
                Painted(control.name).isNull() ? control.rect : Painted(control.name);
            obstacles.push_back(area.adjusted(-kClearance, -kClearance, kClearance, kClearance));
        }
        // Texts may sit inside a settings card but never across the cards made for options.
        for (const QRect& card : optionCards_) {
            obstacles.push_back(card.adjusted(-4, -4, 4, 4));
        }
        for (const QRect& marker : layout_.markers) {
            obstacles.push_back(marker.adjusted(-4, -4, 4, 4));
        }
        for (const PlacedArt& art : layout_.art) {
            obstacles.push_back(art.rect.adjusted(-4, -4, 4, 4));
        }
        for (const PlacedText& text : layout_.texts) {
            obstacles.push_back(text.bounds.adjusted(-4, -4, 4, 4));
        }
        return obstacles;
    }

    void PlaceArt(const ArtSpec& art) {
        const QRect region = FitAround(art.rect, Obstacles());
        if (region.width() < art.rect.width() / 2 || region.height() < art.rect.height() / 2) {
            Problem("no room left for the drawing " + art.type);
            return;
        }
        layout_.art.push_back({art.type, region});
    }

    void PlaceBlock(const BlockSpec& block) {
        QStringList paragraphs;
        if (block.text == "heading") {
            paragraphs = QStringList{texts_.heading};
        } else {
            const auto it = texts_.blocks.find(block.text);
            if (it == texts_.blocks.end()) {
                return;
            }
            paragraphs = it->second;
        }
        QRect wanted = block.rect;
        if (block.follows && headingBottom_ > 0) {
            wanted.setTop(std::max(wanted.top(), headingBottom_ + 10));
        }
        const QRect region = FitAround(wanted, Obstacles());
        const auto flowed = Flow(paragraphs, region, block.style, block.align, block.valign);
        if (!flowed) {
            Problem(QString("the '%1' texts do not fit in %2,%3 %4x%5")
                        .arg(block.text)
                        .arg(region.left())
                        .arg(region.top())
                        .arg(region.width())
                        .arg(region.height()));
            return;
        }
        for (const PlacedText& text : *flowed) {
            AddText(text);
            if (block.text == "heading") {
                headingBottom_ = std::max(headingBottom_, text.bounds.bottom());
            }
        }
    }

    // The steps of the wizard as numbered circles in a row, each with its name below.
    void PlaceStages(const BlockSpec& block) {
        const int count = static_cast<int>(language_.stages.size()) - 1;  // the last is "done"
        const QRect region = FitAround(block.rect, Obstacles());
        if (count < 1 || region != block.rect) {
            Problem("no room for the step overview");
            return;
        }
        const int column = region.width() / count;
        // One font size for every name: the largest that fits them all.
        int px = 100;
        for (int i = 0; i < count; ++i) {
            const auto fitted = FitLines(language_.stages[i], column - 6, TextStyle::Hint, 2);
            px = fitted ? std::min(px, fitted->font.pixelSize()) : 0;
        }
        for (int i = 0; i < count; ++i) {
            const int centre = region.left() + column * i + column / 2;
            const QRect circle(centre - 11, region.top(), 23, 23);
            layout_.markers.push_back(circle);
            AddText(MakeText(circle, QString::number(i + 1), UiFont(12, QFont::Bold), colour::kInk,
                             Qt::AlignCenter));
            const StyleFont spec = FontFor(TextStyle::Hint);
            const QFont font = UiFont(std::max(px, spec.minSize), spec.weight);
            const QStringList lines = WrapWords(language_.stages[i], Metrics(font), column - 6);
            const std::optional<Fitted> fitted =
                lines.isEmpty() || lines.size() > 2
                    ? std::nullopt
                    : std::optional<Fitted>(
                          Fitted{font, lines, LineHeight(spec, font.pixelSize())});
            if (!fitted || region.top() + 27 + fitted->Height() > region.bottom() + 1) {
                Problem("the step name '" + language_.stages[i] + "' does not fit");
                continue;
            }
            AddLines(*fitted, centre - column / 2 + 3, region.top() + 27, column - 6, colour::kText,
                     Qt::AlignHCenter);
        }
    }

    // No text under a control or its painted area, no text over another, none too near the
    // border; no drawing under a control.
    void Check() {
        const QRect inside(kEdge - 2, kEdge - 2, picture_.size.width() - 2 * (kEdge - 2),
                           picture_.size.height() - 2 * (kEdge - 2));
        std::vector<std::pair<QString, QRect>> covered;
        for (const PlacedControl& control : layout_.controls) {
            covered.emplace_back(control.name, control.rect);
            if (!Painted(control.name).isNull()) {
                covered.emplace_back(control.name, Painted(control.name));
            }
        }
        for (std::size_t i = 0; i < layout_.texts.size(); ++i) {
            const PlacedText& text = layout_.texts[i];
            const QRect bounds = text.bounds.adjusted(-1, -1, 1, 1);
            if (!inside.contains(text.bounds)) {
                Problem("'" + text.text + "' runs over the picture's border");
            }
            for (const auto& [name, area] : covered) {
                if (bounds.intersects(area)) {
                    Problem("'" + text.text + "' lies under " + name);
                }
            }
            for (std::size_t j = i + 1; j < layout_.texts.size(); ++j) {
                if (text.bounds.intersects(layout_.texts[j].bounds)) {
                    Problem("'" + text.text + "' overlaps '" + layout_.texts[j].text + "'");
                }
            }
        }
        for (const PlacedArt& art : layout_.art) {
            for (const auto& [name, area] : covered) {
                if (art.rect.intersects(area)) {
                    Problem("the drawing " + art.type + " lies under " + name);
                }
            }
        }
    }

    const Description& description_;
    const PictureSpec& picture_;
    const Language& language_;
    const PictureTexts& texts_;
    PictureLayout layout_;
    std::map<QString, QRect> painted_;
    std::vector<QRect> optionCards_;
    std::map<int, int> belowSizes_;  // the pixel size of each line under the option buttons
    int headingBottom_ = 0;
};

}  // namespace

int StepCount(const Language& language) {
    return std::max(1, static_cast<int>(language.stages.size()) - 1);
}

QRect StepCircle(int step, int count) {
    const int spacing = 24;
    const int centreX = 556 - (count - step) * spacing;
    return QRect(centreX - 8, 12, 17, 17);
}

std::vector<PlacedControl> LiveControls(const Description& description, const PictureSpec& picture,
                                        const QString& section) {
    std::vector<PlacedControl> controls;
    const std::string sectionName = section.toStdString();
    for (const QString& name : picture.controls) {
        const std::string control = name.toStdString();
        if (FindDefaultPlacement(control) == nullptr) {
            continue;  // reported by LayOutPicture
        }
        const auto style = description.styles.find(name);
        controls.push_back({name,
                            style == description.styles.end() ? ControlStyle::Field : style->second,
                            ToRect(ResolvePanel(control, NormalRoad(picture.page), sectionName))});
    }
    for (const FixedControl& fixed : picture.fixed) {
        controls.push_back({fixed.name, fixed.style, fixed.RectFor(section)});
    }
    return controls;
}

PictureLayout LayOutPicture(const Description& description, const PictureSpec& picture,
                            const Language& language) {
    PictureLayout layout = Builder(description, picture, language).Build();
    for (const QString& name : picture.controls) {
        if (FindDefaultPlacement(name.toStdString()) == nullptr) {
            layout.problems.append(picture.name + ": " + name + " is not a placed control");
        }
    }
    if (picture.page > 0 && NormalRoad(picture.page).empty()) {
        layout.problems.append(picture.name + ": page " + QString::number(picture.page) +
                               " has no layout");
    }
    return layout;
}

}  // namespace trv81k::artwork
