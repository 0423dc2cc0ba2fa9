#pragma once
// The pictures of the wizard's windows.
//
// Library pictures (the page pictures, the dialog backgrounds, the pairing introduction) come
// by number from the shared library trv81k-resource, loaded with QLibrary on first use from the
// program's folder. When the library or a picture is missing the picture is empty and the
// wizard works on without it.
//
// Window pictures are the ones the windows carry themselves, embedded here:
//   search_background                 369 x 129, the search and configure dialogs' background
//   hourglass1 ... hourglass4         64 x 53, the hourglass animation (frames of one cycle)
//   wlan_manual                       169 x 45, the manual-entry button's face
//   bps_close_en, _de, _fr            105 x 33, the pairing introduction's Close button
//   bps_next_en, _de, _fr             105 x 41, its Next button (the button lies in the top
//                                     31 rows and the left 103 columns; the rest is white)
//   icon_16, _24, _32, _48, _64, _128, _256   the application icon

#include <QImage>
#include <QString>

#include <string_view>

namespace trv81k {

// Picture `number` (language base + index) of the picture library, or an empty image when the
// library cannot be loaded or does not hold that number. The library is looked for once.
QImage LoadLibraryPicture(int number);

// Tests: look for the library in `folder` instead of the program's folder (an empty text goes
// back to the program's folder). The next LoadLibraryPicture looks for it again.
void SetPictureLibraryFolder(const QString& folder);

// A window picture by name (list above); an empty image for any other name.
QImage WindowPicture(std::string_view name);

// The language part of the pairing introduction's button names: "de" for "German", "fr" for
// "French", "en" for any other section.
std::string_view WindowPictureLanguage(std::string_view languageSection);

}  // namespace trv81k
