#pragma once
// The one operation of the picture library trv81k-resource, resolved by name at run time:
//
//   extern "C" void Res_LoadBitmap(QImage* image, int number);
//
// It fills *image with picture `number` (language base 100, 200 or 300 plus the picture
// index). A number the library does not hold makes *image an empty (null) image, so a caller
// that shows whatever it gets shows nothing rather than an earlier picture; a null pointer is
// ignored.

#include <QImage>

namespace trv81k {

inline constexpr const char* kResLoadBitmapSymbol = "Res_LoadBitmap";
using ResLoadBitmapFunction = void (*)(QImage* image, int number);

}  // namespace trv81k
