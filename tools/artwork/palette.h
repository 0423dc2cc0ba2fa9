#pragma once
// Colours, fonts and the fixed geometry of the picture frame (title band, footer) shared by the
// layout, the painter and the window pictures.

#include <QColor>
#include <QFont>
#include <QRgb>

namespace trv81k::artwork {

// Button green: the colour of the live panels, painted exactly under them.
inline constexpr QRgb kButtonGreen = qRgb(153, 204, 51);

namespace colour {
inline const QColor kGreen{kButtonGreen};
inline const QColor kGreenShade{122, 168, 34};  // shadow edge under green areas
inline const QColor kBandDark{30, 70, 40};      // title band, left
inline const QColor kBandLight{46, 104, 56};    // title band, right
inline const QColor kBandText{205, 232, 160};   // secondary text on the band
inline const QColor kInk{30, 58, 34};           // headings
inline const QColor kText{52, 64, 75};          // body text
inline const QColor kMuted{102, 114, 127};      // hints
inline const QColor kLabel{43, 52, 64};         // captions
inline const QColor kFooter{243, 246, 238};
inline const QColor kLine{222, 230, 210};
inline const QColor kFieldBorder{178, 190, 166};
inline const QColor kCardBorder{214, 224, 202};
inline const QColor kTint{236, 245, 220};  // soft green behind drawings
inline const QColor kCable{46, 125, 209};
inline const QColor kDevice{246, 247, 243};
inline const QColor kDeviceEdge{150, 158, 145};
inline const QColor kDeviceDark{56, 62, 68};
inline const QColor kLed{88, 211, 75};
inline const QColor kSand{240, 200, 90};
}  // namespace colour

// Frame geometry of pages and introduction pictures.
inline constexpr int kBandHeight = 56;  // title band of pages and introduction pictures
inline constexpr int kStripe = 3;       // green stripe under the band
inline constexpr int kDialogBand = 40;  // title band of the small dialogs
// The footer band at the bottom of a small dialog with a button: the button lies in it, the
// content ends above it.
inline constexpr int kDialogFooterHeight = 40;
inline constexpr int kPageFooterTop = 360;
inline constexpr int kIntroFooterTop = 354;

// Arial's metrics are matched by Liberation Sans; DejaVu Sans is the last resort.
inline QFont UiFont(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font;
    font.setFamilies({"Liberation Sans", "Arial", "DejaVu Sans"});
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace trv81k::artwork
