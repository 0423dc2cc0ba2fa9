// The picture generator's layout: every text stays clear of the live controls, in every
// picture and language; faults in a description are caught before a picture is drawn.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "description.h"
#include "gui_app.h"
#include "l10n/placement.h"
#include "layout.h"
#include "render.h"
#include "userguide.h"

namespace trv81k::artwork {
namespace {

const QString kDescription = QStringLiteral(TRV81K_SOURCE_DIR "/resources/artwork");

class Artwork : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testing::GuiApp();
        QString error;
        Shared() = LoadDescription(kDescription, error);
        ASSERT_TRUE(Shared()) << error.toStdString();
    }
    static const Description& description() { return *Shared(); }

private:
    static std::optional<Description>& Shared() {
        static std::optional<Description> shared;
        return shared;
    }
};

std::string Name(const PictureSpec& picture, const Language& language) {
    return (picture.name + " " + language.section).toStdString();
}

// Painting a picture with and without its texts must give the same pixels under every live
// control: no printed text, not one pixel of it, lies where a control covers the picture.
TEST_F(Artwork, NoTextPixelLiesUnderALiveControl) {
    for (const Language& language : description().languages) {
        for (const PictureSpec& picture : description().pictures) {
            const PictureLayout layout = LayOutPicture(description(), picture, language);
            EXPECT_TRUE(layout.problems.isEmpty())
                << Name(picture, language) << ": " << layout.problems.join("; ").toStdString();
            const QImage with = RenderPicture(picture, language, layout, true);
            const QImage without = RenderPicture(picture, language, layout, false);
            ASSERT_NE(with, without) << Name(picture, language) << " prints no text at all";
            for (const PlacedControl& control : layout.controls) {
                const QRect rect = control.rect.intersected(with.rect());
                int differing = 0;
                for (int y = rect.top(); y <= rect.bottom(); ++y) {
                    for (int x = rect.left(); x <= rect.right(); ++x) {
                        differing += with.pixel(x, y) != without.pixel(x, y);
                    }
                }
                EXPECT_EQ(differing, 0)
                    << Name(picture, language) << ": text under " << control.name.toStdString();
            }
        }
    }
}

// Captions follow their controls: on the basic settings page each caption ends left of its
// edit box, on the box's row, wherever the placement puts the box for the language.
TEST_F(Artwork, CaptionsSitBesideTheControlsPlacementPuts) {
    const PictureSpec* page = description().FindPicture("basic_settings");
    ASSERT_NE(page, nullptr);
    for (const Language& language : description().languages) {
        const PictureLayout layout = LayOutPicture(description(), *page, language);
        const auto& captions = language.Texts(page->name).captions;
        for (const char* control : {"IPEdit", "NetmaskEdit", "GatewayEdit", "DeviceNameEdit"}) {
            const PanelRect r =
                ResolvePanel(control, NormalRoad(7), language.section.toStdString());
            const QRect box(r.left, r.top, r.width, r.height);
            const QString caption = captions.at(control).join(' ');
            bool found = false;
            for (const PlacedText& text : layout.texts) {
                if (caption.startsWith(text.text)) {
                    found = true;
                    EXPECT_LT(text.bounds.right(), box.left()) << control;
                    EXPECT_GE(text.bounds.bottom(), box.top()) << control;
                    EXPECT_LE(text.bounds.top(), box.bottom()) << control;
                }
            }
            EXPECT_TRUE(found) << language.section.toStdString() << " " << control;
        }
    }
}

// A description whose text block covers the whole page: the block is cut around the buttons
// and the text still never lies under them; a caption too long for its room is refused.
TEST_F(Artwork, TextIsKeptClearOfControlsOrRefused) {
    Description made = description();
    Language english = *made.FindLanguage("English");
    // Enough words to fill every line of the block from edge to edge.
    english.pictures["connect_network"].blocks["lines"] = QStringList{
        QString("Plug the cable into the switch and wait a little while. ").repeated(5)};
    PictureSpec page;
    page.index = 2;
    page.name = "connect_network";
    page.size = QSize(580, 436);
    page.page = 2;
    page.controls = {"ExitPanel", "NextPanel"};
    BlockSpec block;
    block.text = "lines";
    block.rect = QRect(10, 300, 560, 120);  // over the footer and its buttons
    block.valign = VAlign::Bottom;
    page.blocks.push_back(block);
    const PictureLayout layout = LayOutPicture(made, page, english);
    EXPECT_TRUE(layout.problems.isEmpty()) << layout.problems.join("; ").toStdString();
    ASSERT_FALSE(layout.texts.empty());
    for (const PlacedText& text : layout.texts) {
        for (const PlacedControl& control : layout.controls) {
            EXPECT_FALSE(text.bounds.intersects(control.rect)) << text.text.toStdString();
        }
    }

    Language wordy = *made.FindLanguage("English");
    wordy.pictures["basic_settings"].captions["IPEdit"] =
        QStringList{"An address caption far too long to be printed in the narrow room left"};
    const PictureLayout refused = LayOutPicture(made, *made.FindPicture("basic_settings"), wordy);
    ASSERT_FALSE(refused.problems.isEmpty());
    EXPECT_TRUE(refused.problems.join(' ').contains("IPEdit"));
}

// Faults in the description files name the file and the entry.
TEST_F(Artwork, DescriptionFaultsAreReported) {
    QTemporaryDir dir;
    for (const char* file : {"pictures.json", "en.json", "de.json", "fr.json"}) {
        ASSERT_TRUE(QFile::copy(kDescription + "/" + file, dir.filePath(file)));
        QFile::setPermissions(dir.filePath(file), QFile::ReadOwner | QFile::WriteOwner);
    }
    auto rewrite = [&](const char* file, const QString& from, const QString& to) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        f.close();
        ASSERT_TRUE(text.contains(from));
        text.replace(from, to);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    };
    QString error;
    ASSERT_TRUE(LoadDescription(dir.path(), error)) << error.toStdString();

    rewrite("de.json", "\"IPEdit\": \"IP-Adresse\",", "");
    EXPECT_FALSE(LoadDescription(dir.path(), error));
    EXPECT_TRUE(error.contains("IPEdit")) << error.toStdString();

    rewrite("pictures.json", "\"ExitPanel\", \"NextPanel\"]", "\"ExitPanel\", \"NoSuchPanel\"]");
    EXPECT_FALSE(LoadDescription(dir.path(), error));
    EXPECT_TRUE(error.contains("NoSuchPanel")) << error.toStdString();

    rewrite("pictures.json", "\"languages\": [", "\"languages\": [[");
    EXPECT_FALSE(LoadDescription(dir.path(), error));
    EXPECT_TRUE(error.contains("pictures.json")) << error.toStdString();
}

TEST_F(Artwork, UserGuideTextBecomesChaptersListsTablesAndAPdf) {
    const QString text =
        "title: Guide\nsubtitle: Sub\nedition: {version}\n\n# Start\n\nA **bold** `code` "
        "line.\n\n- one\n- two\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n![page:7] Beside.\n\n"
        "# Second\n\n```\ntrv81k-cli search\n```\n";
    QString error;
    const QString html = UserGuideHtml(text, "9.9", error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(html.contains("<b>bold</b>"));
    EXPECT_TRUE(html.contains("<code>code</code>"));
    EXPECT_TRUE(html.contains("<li>two</li>"));
    EXPECT_TRUE(html.contains("<td>2</td>"));
    EXPECT_TRUE(html.contains("src=\"page:7\""));
    EXPECT_TRUE(html.contains("9.9"));
    EXPECT_EQ(html.count("page-break-before"), 2);

    EXPECT_TRUE(UserGuideHtml("title: T\n\n```\nopen\n", "1", error).isEmpty());
    EXPECT_TRUE(error.contains("not closed"));
    EXPECT_TRUE(UserGuideHtml("# no head\n", "1", error).isEmpty());

    QTemporaryDir dir;
    const QString pdf = dir.filePath("Manual/guide.pdf");
    ASSERT_TRUE(WriteUserGuide(description(), text, "9.9", pdf, error)) << error.toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 3);  // title + 2
    EXPECT_FALSE(WriteUserGuide(description(), "title: T\n\n![page:14] none\n", "1",
                                dir.filePath("x.pdf"), error));
}

}  // namespace
}  // namespace trv81k::artwork
