#include "resource/window_pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <algorithm>
#include <memory>
#include <mutex>

#include "resource/res_load_bitmap.h"

// The window pictures are compiled into this static library; Q_INIT_RESOURCE pulls them into
// the program that links it. It declares the registration function where it is used, so it is
// called at global scope.
static void RegisterWindowPictures() {
    Q_INIT_RESOURCE(trv81k_window);
}

namespace trv81k {

namespace {

// The library's file name as the build names it ("libtrv81k-resource.so").
constexpr char kPictureLibraryFile[] = TRV81K_PICTURE_LIBRARY_FILE;

struct PictureLibrary {
    std::mutex mutex;
    QString folder;  // empty: the program's folder
    bool searched = false;
    std::unique_ptr<QLibrary> library;  // kept loaded for the life of the program
    ResLoadBitmapFunction load = nullptr;
};

PictureLibrary& Library() {
    static PictureLibrary library;
    return library;
}

void Search(PictureLibrary& state) {
    state.searched = true;
    QString folder = state.folder;
    if (folder.isEmpty()) {
        if (QCoreApplication::instance() == nullptr) {
            return;  // no program folder to look in
        }
        folder = QCoreApplication::applicationDirPath();
    }
    // Named by its file: the loader then opens it at once instead of trying the name's other
    // spellings and folders first.
    auto library = std::make_unique<QLibrary>(QDir(folder).filePath(kPictureLibraryFile));
    if (!library->load()) {
        return;
    }
    state.load = reinterpret_cast<ResLoadBitmapFunction>(library->resolve(kResLoadBitmapSymbol));
    if (state.load != nullptr) {
        state.library = std::move(library);
    }
}

}  // namespace

QImage LoadLibraryPicture(int number) {
    PictureLibrary& state = Library();
    const std::lock_guard lock(state.mutex);
    if (!state.searched) {
        Search(state);
    }
    QImage image;
    if (state.load != nullptr) {
        state.load(&image, number);
    }
    return image;
}

void SetPictureLibraryFolder(const QString& folder) {
    PictureLibrary& state = Library();
    const std::lock_guard lock(state.mutex);
    state.folder = folder;
    state.searched = false;
    state.load = nullptr;
    // Destroying a QLibrary does not unload it: a library loaded before stays mapped.
    state.library.reset();
}

QImage WindowPicture(std::string_view name) {
    static std::once_flag registered;
    std::call_once(registered, RegisterWindowPictures);
    const bool plain =
        !name.empty() && name.size() <= 40 && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        });
    if (!plain) {
        return {};
    }
    return QImage(QStringLiteral(":/trv81k-window/%1.png")
                      .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
}

std::string_view WindowPictureLanguage(std::string_view languageSection) {
    if (languageSection == "German") {
        return "de";
    }
    if (languageSection == "French") {
        return "fr";
    }
    return "en";
}

}  // namespace trv81k
