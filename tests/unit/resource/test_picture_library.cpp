// The picture library trv81k-resource and the loader the windows use.

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "description.h"
#include "gui_app.h"
#include "l10n/placement.h"
#include "layout.h"
#include "render.h"
#include "resource/res_load_bitmap.h"
#include "resource/window_pictures.h"

namespace trv81k {
namespace {

const QString kBinFolder = QStringLiteral(TRV81K_BINARY_DIR "/bin");
constexpr QRgb kGreen = qRgb(153, 204, 51);
constexpr int kBases[] = {100, 200, 300};

struct Section {
    int base;
    const char* name;
};
constexpr Section kSections[] = {{100, "English"}, {200, "German"}, {300, "French"}};

// Picture sizes by index, from the window designs.
const std::map<int, QSize>& Sizes() {
    static const std::map<int, QSize> sizes = [] {
        std::map<int, QSize> s;
        for (int i = 1; i <= 13; ++i) {  // 13: the confirmation of the pairing road
            s[i] = QSize(580, 436);
        }
        for (int i = 15; i <= 17; ++i) {
            s[i] = QSize(580, 417);
        }
        s[18] = s[19] = QSize(580, 436);
        s[20] = QSize(207, 362);
        s[21] = QSize(209, 209);
        s[22] = QSize(496, 365);
        return s;
    }();
    return sizes;
}

class PictureLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testing::GuiApp();
        SetPictureLibraryFolder(kBinFolder);
    }
};

// The library decodes its pictures itself; every pixel is what the toolkit's reader makes of
// the same embedded file, in the format the windows draw without converting.
TEST_F(PictureLibrary, HoldsEveryPictureOfEveryLanguageInItsSize) {
    for (const int base : kBases) {
        for (const auto& [index, size] : Sizes()) {
            const int number = base + index;
            const QImage image = LoadLibraryPicture(number);
            EXPECT_EQ(image.size(), size) << number;
            EXPECT_EQ(image.format(), QImage::Format_RGB32) << number;
            // Registered with the library's loading.
            const QImage read(QStringLiteral(":/trv81k-resource/%1.png").arg(number));
            ASSERT_FALSE(read.isNull()) << number;
            EXPECT_TRUE(image == read.convertToFormat(QImage::Format_RGB32)) << number;
        }
    }
}

TEST_F(PictureLibrary, NumbersOutsideTheLibraryGiveEmptyPictures) {
    std::vector<int> numbers = {0, -1, 1, 12, 99, 100, 200, 300, 400, 401, 1000, INT_MIN, INT_MAX};
    for (const int base : kBases) {
        for (const int index : {14, 23, 0, 99}) {
            numbers.push_back(base + index);
        }
    }
    for (const int number : numbers) {
        EXPECT_TRUE(LoadLibraryPicture(number).isNull()) << number;
    }
}

TEST_F(PictureLibrary, ResLoadBitmapEmptiesForUnknownNumbersAndIgnoresNull) {
    QLibrary library(QDir(kBinFolder).filePath("trv81k-resource"));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    const auto load = reinterpret_cast<ResLoadBitmapFunction>(library.resolve("Res_LoadBitmap"));
    ASSERT_NE(load, nullptr);
    load(nullptr, 101);  // harmless
    load(nullptr, 13);
    QImage image(10, 10, QImage::Format_RGB32);
    load(&image, 114);
    EXPECT_TRUE(image.isNull()) << "an unknown number leaves no earlier picture behind";
    load(&image, 321);
    EXPECT_EQ(image.size(), QSize(209, 209));
    // The embedded resources' own functions stay inside the library.
    EXPECT_EQ(library.resolve("qInitResources_trv81k_library"), nullptr);
}

TEST_F(PictureLibrary, LoaderWorksOnWithEmptyPicturesWithoutTheLibrary) {
    QTemporaryDir empty;
    SetPictureLibraryFolder(empty.path());
    EXPECT_TRUE(LoadLibraryPicture(101).isNull());
    EXPECT_TRUE(LoadLibraryPicture(207).isNull());

    // A file of that name that is no library.
    QTemporaryDir broken;
    QFile fake(QDir(broken.path()).filePath("libtrv81k-resource.so"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a library");
    fake.close();
    SetPictureLibraryFolder(broken.path());
    EXPECT_TRUE(LoadLibraryPicture(101).isNull());

    // Pointed at the right folder again, it looks again.
    SetPictureLibraryFolder(kBinFolder);
    EXPECT_EQ(LoadLibraryPicture(101).size(), QSize(580, 436));
}

// Each number holds the picture of its language and index: the one the generator draws from
// the description for that language.
TEST_F(PictureLibrary, NumbersMapToLanguageAndIndex) {
    QString error;
    const auto description =
        artwork::LoadDescription(TRV81K_SOURCE_DIR "/resources/artwork", error);
    ASSERT_TRUE(description) << error.toStdString();
    for (const Section& section : kSections) {
        const artwork::Language* language = description->FindLanguage(section.name);
        ASSERT_NE(language, nullptr);
        EXPECT_EQ(language->base, section.base);
        for (const artwork::PictureSpec& picture : description->pictures) {
            const artwork::PictureLayout layout =
                artwork::LayOutPicture(*description, picture, *language);
            const QImage drawn = artwork::RenderPicture(picture, *language, layout);
            EXPECT_EQ(LoadLibraryPicture(section.base + picture.index), drawn)
                << section.name << " " << picture.name.toStdString();
        }
    }
}

// The green button areas of every page lie under the panels where the main window puts them
// for the language, and the dialogs' holders and buttons where those dialogs put them.
TEST_F(PictureLibrary, ButtonGreenLiesUnderEveryPanel) {
    // The panels each page shows (page table of the wizard).
    const std::map<int, std::vector<std::string_view>> panels = {
        {1, {"SetupPanel", "UserguidePanel", "ExitPanel", "ClickHerePanel"}},
        {2, {"ExitPanel", "NextPanel"}},
        {3, {"BackPanel", "NextPanel"}},
        {4, {"BackPanel", "NextPanel"}},
        {5, {"ExitPanel", "BackPanel", "NextPanel"}},
        {6, {"NoPanel", "YesPanel", "ExitPanel"}},
        {7, {"BackPanel", "NextPanel"}},
        {8, {"BackPanel", "NextPanel", "ExitPanel", "WlanManualPanel"}},
        {9, {"BackPanel", "NextPanel", "ExitPanel"}},
        {10, {"BackPanel", "NextPanel"}},
        {11, {"BackPanel", "NextPanel"}},
        {12, {"BackPanel", "NextPanel"}},
        {18, {"YesPanel", "NoPanel"}},
        {19, {"RegPanel", "ExitPanel"}},
    };
    // The confirmation of the pairing road shows the buttons of the confirmation.
    const std::pair<int, int> alsoAt[] = {{13, 18}};
    auto expectGreen = [](const QImage& image, const QRect& panel, const std::string& what) {
        const QRect inside = panel.intersected(image.rect());
        ASSERT_FALSE(inside.isEmpty()) << what;
        for (const QPoint point : {inside.center(), inside.topLeft(), inside.topRight(),
                                   inside.bottomLeft(), inside.bottomRight()}) {
            EXPECT_EQ(image.pixel(point), kGreen)
                << what << " at " << point.x() << "," << point.y();
        }
    };
    for (const Section& section : kSections) {
        for (const auto& [page, names] : panels) {
            const QImage image = LoadLibraryPicture(section.base + page);
            ASSERT_FALSE(image.isNull());
            for (const std::string_view name : names) {
                const PanelRect r = ResolvePanel(name, NormalRoad(page), section.name);
                expectGreen(image, QRect(r.left, r.top, r.width, r.height),
                            std::string(section.name) + " page " + std::to_string(page) + " " +
                                std::string(name));
            }
        }
        for (const auto& [index, page] : alsoAt) {
            for (const std::string_view name : panels.at(page)) {
                const PanelRect r = ResolvePanel(name, NormalRoad(page), section.name);
                expectGreen(LoadLibraryPicture(section.base + index),
                            QRect(r.left, r.top, r.width, r.height),
                            std::string(section.name) + " picture " + std::to_string(index) + " " +
                                std::string(name));
            }
        }
        expectGreen(LoadLibraryPicture(section.base + 20), QRect(101, 330, 90, 24),
                    "search failure holder");
        expectGreen(LoadLibraryPicture(section.base + 21), QRect(117, 177, 76, 24), "login Enter");
        expectGreen(LoadLibraryPicture(section.base + 22), QRect(392, 333, 88, 24),
                    "RADIUS note holder");
    }
}

TEST(WindowPictures, AllPresentInTheirSizes) {
    testing::GuiApp();
    std::map<std::string, QSize> sizes = {{"search_background", {369, 129}},
                                          {"wlan_manual", {169, 45}}};
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        sizes["icon_" + std::to_string(side)] = {side, side};
    }
    for (const char* frame : {"1", "2", "3", "4"}) {
        sizes[std::string("hourglass") + frame] = {64, 53};
    }
    for (const std::string language : {"en", "de", "fr"}) {
        sizes["bps_close_" + language] = {103, 33};
        sizes["bps_next_" + language] = {103, 33};
    }
    for (const auto& [name, size] : sizes) {
        EXPECT_EQ(WindowPicture(name).size(), size) << name;
    }
    for (const char* name : {"", "hourglass5", "icon_17", "../library/101", "HOURGLASS1",
                             "hourglass1.png", "bps_close_it"}) {
        EXPECT_TRUE(WindowPicture(name).isNull()) << name;
    }
}

TEST(WindowPictures, HourglassFramesAndButtonFacesDiffer) {
    testing::GuiApp();
    std::vector<QImage> frames;
    for (const char* name : {"hourglass1", "hourglass2", "hourglass3", "hourglass4"}) {
        frames.push_back(WindowPicture(name));
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (std::size_t j = i + 1; j < frames.size(); ++j) {
            EXPECT_NE(frames[i], frames[j]) << "frames " << i + 1 << " and " << j + 1;
        }
    }
    EXPECT_NE(WindowPicture("bps_close_en"), WindowPicture("bps_close_de"));
    EXPECT_NE(WindowPicture("bps_next_de"), WindowPicture("bps_next_fr"));
    EXPECT_EQ(WindowPictureLanguage("German"), "de");
    EXPECT_EQ(WindowPictureLanguage("French"), "fr");
    EXPECT_EQ(WindowPictureLanguage("English"), "en");
    EXPECT_EQ(WindowPictureLanguage("Italian"), "en");
    // The icon is a rounded tile: its corner stays transparent.
    EXPECT_EQ(qAlpha(WindowPicture("icon_64").pixel(0, 0)), 0);
}

}  // namespace
}  // namespace trv81k
