#pragma once
// The drawings of the pictures: the access point seen from the front and the back, the switch,
// cables, the power adapter, the wireless device, and the small icons. Every drawing is made
// in a 200 x 140 design space and fitted into its rectangle without distortion.

#include <QPainter>
#include <QRectF>
#include <QString>

#include "description.h"

namespace trv81k::artwork {

// True for the drawing types DrawArt knows.
bool IsKnownArt(const QString& type);

// Draws drawing `type` into `rect`. Labels in the drawing come from `language`'s words and are
// left out when `withTexts` is false.
void DrawArt(QPainter& painter, const QString& type, const QRectF& rect, const Language& language,
             bool withTexts);

// The access-point glyph (body, two antennas, waves) in `colour`, filling the square `rect`.
void DrawApGlyph(QPainter& painter, const QRectF& rect, const QColor& colour);

// A small icon of an option card ("unlocked", "locked", "shield", "server") inside `rect`.
void DrawSmallIcon(QPainter& painter, const QString& icon, const QRectF& rect);

// A dialog icon ("warning", "lock", "info") in white inside `rect`.
void DrawBandIcon(QPainter& painter, const QString& icon, const QRectF& rect);

}  // namespace trv81k::artwork
