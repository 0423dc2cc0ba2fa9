#pragma once
// Painting: a library picture from its layout, and the pictures the wizard's windows carry.

#include <QImage>
#include <QPainter>
#include <QString>

#include <utility>
#include <vector>

#include "description.h"
#include "layout.h"

namespace trv81k::artwork {

// Paints the picture laid out in `layout`. With `withTexts` false every printed text is left
// out and everything else is painted the same (the tests compare the two).
QImage RenderPicture(const PictureSpec& picture, const Language& language,
                     const PictureLayout& layout, bool withTexts = true);

// The pictures the windows carry themselves, by name: search_background, hourglass1 to
// hourglass4, wlan_manual, bps_close_<code> and bps_next_<code> for every language, and
// icon_<size> for the application icon sizes.
std::vector<std::pair<QString, QImage>> RenderWindowPictures(const Description& description);

// The application icon sizes (each one a hicolor theme size as well).
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Paints the application icon, a stylised access point with its waves on a button-green
// tile, into the square (0, 0, size, size) of `painter`'s device. Below 32 pixels the tile
// fills the square and the glyph is drawn larger, so it stays legible.
void PaintIcon(QPainter& painter, double size);

// The application icon as a picture of `size` x `size` pixels with a transparent corner.
QImage RenderIcon(int size);

}  // namespace trv81k::artwork
