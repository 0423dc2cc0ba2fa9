#include "l10n/placement.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace trv81k {
namespace {

constexpr std::string_view kSections[] = {"English", "German", "French"};

// The placed controls each page shows (from the page table of the wizard).
const std::map<int, std::vector<std::string_view>>& ShownControls() {
    static const std::map<int, std::vector<std::string_view>> shown = {
        {1, {"SetupPanel", "UserguidePanel", "ExitPanel", "ClickHerePanel"}},
        {2, {"ExitPanel", "NextPanel"}},
        {3, {"BackPanel", "NextPanel"}},
        {4, {"BackPanel", "NextPanel"}},
        {5, {"ExitPanel", "BackPanel", "NextPanel"}},
        {6, {"NoPanel", "YesPanel", "APListView", "ExitPanel"}},
        {7,
         {"BackPanel", "NextPanel", "IPEdit", "NetmaskEdit", "GatewayEdit", "DeviceNameEdit",
          "DHCPModeComboBox", "PasswordEdit"}},
        {8, {"WhereBPSPanel", "BackPanel", "NextPanel", "ExitPanel", "WlanManualPanel"}},
        {9,
         {"BackPanel", "NextPanel", "ExitPanel", "SSIDEdit", "ChannelComboBox", "NetModeComboBox"}},
        {10,
         {"RadioBtnDisble", "RadioBtnWEP", "RadioBtnPSK", "RadioBtnWPARadius", "BackPanel",
          "NextPanel"}},
        {11, {"BackPanel", "NextPanel", "SecurityComboBox", "PassphraseEdit", "Key1Edit"}},
        {12, {"BackPanel", "NextPanel", "SecurityComboBox", "EncryptionComboBox", "PSKEdit"}},
        {18,
         {"YesPanel", "NoPanel", "NewSSIDLabel", "NewChannelLabel", "NewWepLabel", "NewKeyLabel"}},
        {19, {"RegPanel", "ExitPanel"}},
    };
    return shown;
}

PanelRect OnNormalRoad(std::string_view control, int page, std::string_view section) {
    return ResolvePanel(control, NormalRoad(page), section);
}

TEST(PagePlacement, EveryMovedControlIsAPlacedControl) {
    for (const auto section : kSections) {
        for (int page = 0; page < 20; ++page) {
            for (const Placement& move : PagePlacement(page, section)) {
                EXPECT_NE(FindDefaultPlacement(move.control), nullptr)
                    << section << " page " << page << " " << move.control;
            }
        }
    }
    std::set<std::string_view> names;
    for (const ControlGeometry& geometry : DefaultPlacements()) {
        EXPECT_TRUE(names.insert(geometry.control).second) << geometry.control;
        EXPECT_GT(geometry.width, 0) << geometry.control;
        EXPECT_GT(geometry.height, 0) << geometry.control;
    }
}

TEST(PagePlacement, PagesWithoutMovesAndUnknownSections) {
    for (const auto section : kSections) {
        for (int page : {-1, 0, 13, 14, 15, 16, 17, 20, 1000}) {
            EXPECT_TRUE(PagePlacement(page, section).empty()) << section << " " << page;
        }
    }
    EXPECT_TRUE(PagePlacement(18, "English").empty());
    EXPECT_TRUE(PagePlacement(18, "German").empty());
    for (const auto other : {"Spanish", "german", "", "French "}) {
        const auto moves = PagePlacement(2, other);
        const auto english = PagePlacement(2, "English");
        EXPECT_EQ(moves.data(), english.data()) << other;
    }
}

TEST(PagePlacement, GermanAndFrenchPage8StartWithTheEnglishMoves) {
    const auto english = PagePlacement(8, "English");
    for (const auto section : {"German", "French"}) {
        const auto moves = PagePlacement(8, section);
        ASSERT_GT(moves.size(), english.size());
        for (std::size_t i = 0; i < english.size(); ++i) {
            EXPECT_EQ(moves[i].control, english[i].control);
            EXPECT_EQ(moves[i].left, english[i].left);
            EXPECT_EQ(moves[i].top, english[i].top);
            EXPECT_EQ(moves[i].width, english[i].width);
        }
    }
}

// How a page's move lays over the creation geometry; the plain positions are the table's own.
TEST(ResolvePanel, MovesChangeOnlyWhatTheyName) {
    // Position only: the creation size stays.
    EXPECT_EQ(OnNormalRoad("ExitPanel", 1, "English"), (PanelRect{424, 374, 37, 18}));
    // Position, width and font.
    EXPECT_EQ(OnNormalRoad("ClickHerePanel", 1, "German"), (PanelRect{385, 220, 169, 24, 8}));
    // One coordinate only.
    EXPECT_EQ(OnNormalRoad("NetModeComboBox", 9, "German"), (PanelRect{164, 302, 130, 21}));
    EXPECT_EQ(OnNormalRoad("NetModeComboBox", 9, "English"), (PanelRect{164, 287, 130, 21}));
    EXPECT_EQ(OnNormalRoad("SSIDEdit", 9, "French"), (PanelRect{148, 194, 170, 16}));
    // The label inside its holder, in window coordinates.
    EXPECT_EQ(OnNormalRoad("EnterManuallyLabel", 8, "English"),
              (PanelRect{390 + 26, 307 + 5, 140, 32}));
    EXPECT_EQ(OnNormalRoad("EnterManuallyLabel", 8, "German"),
              (PanelRect{390 + 14, 307 + 5, 145, 32}));
    EXPECT_EQ(ResolvePanel("NoSuchPanel", NormalRoad(8), "English"), (PanelRect{0, 0, 0, 0}));
}

TEST(ResolvePanel, PositionsLeftByEarlierPages) {
    // English page 12 keeps Next where page 10 or page 11 put it.
    const int from10[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12};
    const int from11[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(ResolvePanel("NextPanel", from10, "English"), (PanelRect{522, 373, 33, 18}));
    EXPECT_EQ(ResolvePanel("NextPanel", from11, "English"), (PanelRect{521, 373, 33, 18}));
    EXPECT_EQ(ResolvePanel("BackPanel", from11, "English"), (PanelRect{464, 373, 33, 18}));
    // Page 18 keeps Yes and No from page 6 in English and German, places them in French.
    EXPECT_EQ(OnNormalRoad("YesPanel", 18, "English"), (PanelRect{520, 375, 33, 18}));
    EXPECT_EQ(OnNormalRoad("NoPanel", 18, "English"), (PanelRect{472, 375, 33, 18}));
    EXPECT_EQ(OnNormalRoad("YesPanel", 18, "German"), (PanelRect{534, 375, 33, 18}));
    EXPECT_EQ(OnNormalRoad("NoPanel", 18, "German"), (PanelRect{486, 375, 33, 18}));
    EXPECT_EQ(OnNormalRoad("YesPanel", 18, "French"), (PanelRect{514, 373, 33, 18}));
    EXPECT_EQ(OnNormalRoad("NoPanel", 18, "French"), (PanelRect{470, 373, 33, 18}));
    // Widths stay: French Next is 48 wide after page 2 and 45 after page 7.
    EXPECT_EQ(OnNormalRoad("NextPanel", 5, "French"), (PanelRect{513, 375, 48, 18}));
    const int backFrom7[] = {1, 2, 3, 4, 5, 6, 7, 6, 5};
    EXPECT_EQ(ResolvePanel("NextPanel", backFrom7, "French"), (PanelRect{513, 375, 45, 18}));
    // German Exit keeps the width page 1 gave it.
    EXPECT_EQ(OnNormalRoad("ExitPanel", 19, "German"), (PanelRect{516, 371, 57, 18}));
    // Nothing loaded: the creation position.
    EXPECT_EQ(ResolvePanel("BackPanel", {}, "German"), (PanelRect{466, 375, 33, 18}));
}

// On the normal road to each page, the controls the page shows lie inside the window and the
// buttons do not overlap one another.
TEST(ResolvePanel, ShownControlsFitAndDoNotOverlap) {
    for (const auto section : kSections) {
        for (const auto& [page, controls] : ShownControls()) {
            ASSERT_FALSE(NormalRoad(page).empty());
            EXPECT_EQ(NormalRoad(page).back(), page);
            std::vector<std::pair<std::string_view, PanelRect>> rects;
            for (const auto control : controls) {
                const PanelRect r = OnNormalRoad(control, page, section);
                EXPECT_GE(r.left, 0) << section << " " << page << " " << control;
                EXPECT_GE(r.top, 0) << section << " " << page << " " << control;
                EXPECT_LE(r.left + r.width, 580) << section << " " << page << " " << control;
                EXPECT_LE(r.top + r.height, 436) << section << " " << page << " " << control;
                for (const auto& [other, o] : rects) {
                    const bool apart = r.left + r.width <= o.left || o.left + o.width <= r.left ||
                                       r.top + r.height <= o.top || o.top + o.height <= r.top;
                    EXPECT_TRUE(apart)
                        << section << " page " << page << ": " << control << " overlaps " << other;
                }
                rects.emplace_back(control, r);
            }
        }
    }
}

}  // namespace
}  // namespace trv81k
