// The picture library trv81k-resource: the generated pictures are embedded as Qt resources
// under :/trv81k-resource/<number>.png.

#include "resource/res_load_bitmap.h"

#include <QString>

#include <mutex>

// The resources of a shared library register themselves when it is loaded; asking once more
// costs nothing (Qt ignores a second registration) and keeps them from depending on that.
// Q_INIT_RESOURCE declares the registration function where it is used: global scope only.
static void RegisterPictures() {
    Q_INIT_RESOURCE(trv81k_library);
}

namespace {

// Picture numbers are a language base (100 to 900) plus an index below 100.
constexpr int kLowestNumber = 101;
constexpr int kHighestNumber = 999;

}  // namespace

extern "C" Q_DECL_EXPORT void Res_LoadBitmap(QImage* image, int number) {
    if (image == nullptr) {
        return;
    }
    static std::once_flag registered;
    std::call_once(registered, RegisterPictures);
    if (number < kLowestNumber || number > kHighestNumber) {
        *image = QImage();
        return;
    }
    // A missing resource loads as a null image.
    *image = QImage(QStringLiteral(":/trv81k-resource/%1.png").arg(number));
}
