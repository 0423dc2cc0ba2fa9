// The picture library trv81k-resource: the generated pictures are embedded as Qt resources
// under :/trv81k-resource/<number>.png.

#include "resource/res_load_bitmap.h"

#include <QResource>
#include <QString>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
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

// Larger than any window picture; a file that claims more is refused before anything is
// allocated.
constexpr png_uint_32 kMaxSide = 4096;

struct PngSource {
    const unsigned char* data;
    std::size_t size;
    std::size_t at;
};

void ReadPngBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->size - source->at < length) {
        png_error(png, "the picture ends early");
    }
    std::memcpy(out, source->data + source->at, length);
    source->at += length;
}

// Decodes an embedded PNG file straight into a 32-bit image, the format the window draws
// without converting. The picture library needs nothing else of the toolkit's image readers,
// and skipping them keeps the welcome page's picture from waiting for their plug-ins to be
// listed (about a third of its time before the first window).
bool DecodePng(const unsigned char* data, std::size_t size, QImage& image) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    // libpng's error exit jumps back here. The image lives on the heap and is made before the
    // jump target, so its owner is never changed after it and frees it on either way out.
    const auto decoded = std::make_unique<QImage>();
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    PngSource source{data, size, 0};
    png_set_read_fn(png, &source, ReadPngBytes);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const bool alpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    const int passes = png_set_interlace_handling(png);
    // 0xAARRGGBB in memory order on a little-endian machine: B, G, R, A.
    png_set_bgr(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    *decoded = QImage(static_cast<int>(width), static_cast<int>(height),
                      alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (decoded->isNull() ||
        png_get_rowbytes(png, info) != static_cast<png_size_t>(decoded->bytesPerLine())) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    for (int pass = 0; pass < passes; ++pass) {
        for (int row = 0; row < decoded->height(); ++row) {
            png_read_row(png, decoded->scanLine(row), nullptr);
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    image = std::move(*decoded);
    return true;
}

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
    *image = QImage();
    const QResource resource(QStringLiteral(":/trv81k-resource/%1.png").arg(number));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression) {
        return;
    }
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        DecodePng(resource.data(), static_cast<std::size_t>(resource.size()), *image);
    } else {
        *image = QImage(resource.absoluteFilePath());
    }
}
