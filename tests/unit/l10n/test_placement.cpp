#include "l10n/placement.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/page_table.h"

namespace trv81k {
namespace {

constexpr std::string_view kSections[] = {"English", "German", "French"};

// The placed controls each page shows: the page table's, and the confirmation's values.
const std::map<int, std::vector<std::string_view>>& ShownControls() {
    static const std::map<int, std::vector<std::string_view>> shown = [] {
        std::map<int, std::vector<std::string_view>> pages;
        for (const PageLayout& layout : kPageTable) {
            std::vector<std::string_view>& controls = pages[layout.page];
            controls.assign(layout.controlNames().begin(), layout.controlNames().end());
            if (layout.page == PAGE_CONFIRM) {
                controls.insert(controls.end(), kConfirmValueControls.begin(),
                                kConfirmValueControls.end());
            }
        }
        return pages;
    }();
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
    for (const auto other : {"Spanish", "german", "", "French "}) {
        const auto moves = PagePlacement(1, other);
        const auto english = PagePlacement(1, "English");
        EXPECT_EQ(moves.data(), english.data()) << other;
    }
}

// A move changes only what it names; a control inside a holder resolves to window coordinates.
TEST(ResolvePanel, MovesChangeOnlyWhatTheyName) {
    const ControlGeometry* exit = FindDefaultPlacement("ExitPanel");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(OnNormalRoad("ExitPanel", 19, "German").height, exit->height);
    const ControlGeometry* label = FindDefaultPlacement("EnterManuallyLabel");
    const ControlGeometry* holder = FindDefaultPlacement("WlanManualPanel");
    ASSERT_NE(label, nullptr);
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(OnNormalRoad("EnterManuallyLabel", 8, "French"),
              (PanelRect{holder->left + label->left, holder->top + label->top, label->width,
                         label->height}));
    EXPECT_EQ(ResolvePanel("NoSuchPanel", NormalRoad(8), "English"), (PanelRect{0, 0, 0, 0}));
}

// Every page places the buttons it shows: where they lie never depends on the pages before.
TEST(ResolvePanel, ButtonsLieWhereTheirPagePutsThemWhateverCameBefore) {
    const int backFrom7[] = {1, 2, 3, 4, 5, 6, 7, 6, 5};
    const int from11[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (const auto section : kSections) {
        for (const auto& [page, controls] : ShownControls()) {
            const int alone[] = {page};
            for (const auto control : controls) {
                if (!control.ends_with("Panel") || control == "WlanManualPanel" ||
                    control == "WhereBPSPanel") {
                    continue;
                }
                EXPECT_EQ(OnNormalRoad(control, page, section),
                          ResolvePanel(control, alone, section))
                    << section << " page " << page << " " << control;
            }
        }
        EXPECT_EQ(ResolvePanel("NextPanel", backFrom7, section),
                  OnNormalRoad("NextPanel", 5, section));
        EXPECT_EQ(ResolvePanel("NextPanel", from11, section),
                  OnNormalRoad("NextPanel", 12, section));
    }
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
