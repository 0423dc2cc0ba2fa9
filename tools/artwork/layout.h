#pragma once
// Layout of one picture in one language: where the live controls lie (from the main window's
// control placement, replayed along the usual road to the page), what is painted under them,
// and where every printed text and drawing goes, kept clear of the controls.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

#include "description.h"

namespace trv81k::artwork {

struct PlacedControl {
    QString name;
    ControlStyle style = ControlStyle::Button;
    QRect rect;  // the live control's rectangle in picture pixels
};

// What the picture paints under one control or a group of controls.
struct Decoration {
    ControlStyle style = ControlStyle::Field;
    QRect rect;
    std::vector<int> rules;  // rows of thin separating lines inside value and status boxes
};

// Button green under a panel; the corner radius shrinks where a neighbour leaves less room.
struct GreenArea {
    QRect rect;
    int radius = 5;
};

struct PlacedText {
    QRect box;     // the rectangle given to drawText
    QRect bounds;  // the pixels the text covers
    QString text;
    QFont font;
    QColor colour;
    int flags = 0;
};

// A white card behind a group of controls; option cards carry an icon above their control.
struct Card {
    QRect rect;
    QString icon;
};

struct PlacedArt {
    QString type;
    QRect rect;
};

struct PictureLayout {
    QSize size;
    QString section;
    std::vector<PlacedControl> controls;
    std::vector<GreenArea> greenAreas;
    std::vector<Decoration> decorations;
    std::vector<Card> cards;
    std::vector<QRect> markers;  // the numbered circles of a step overview
    std::vector<PlacedText> texts;
    std::vector<PlacedArt> art;
    QStringList problems;  // anything that would spoil the picture; the generator refuses it
};

// The live controls of a picture for a language section, in picture pixels.
std::vector<PlacedControl> LiveControls(const Description& description, const PictureSpec& picture,
                                        const QString& section);

// The steps the title band counts and shows a circle for: the stages without the last ("done").
int StepCount(const Language& language);
// The circle of step `step` (1-based) of `count` in the title band of a page.
QRect StepCircle(int step, int count);

// The complete layout. Never throws; faults are listed in `problems`.
PictureLayout LayOutPicture(const Description& description, const PictureSpec& picture,
                            const Language& language);

}  // namespace trv81k::artwork
