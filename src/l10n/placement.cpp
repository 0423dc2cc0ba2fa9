#include "l10n/placement.h"

#include <array>

namespace trv81k {

namespace {

// The footer's row: Exit at the left end, the page's buttons from the right end (the rightmost
// at kLast, the one before it at kSecond), kGap apart. The welcome page keeps its three buttons
// together at the right end, Exit last, in the order they are read.
constexpr int kRowLeft = 20;
constexpr int kRowRight = 560;  // the right end of the rightmost button
constexpr int kGap = 12;
constexpr int kNavWidth = 76;  // Back, Next, Exit, Yes and No in every language
constexpr int kLast = kRowRight - kNavWidth;
constexpr int kSecond = kLast - kGap - kNavWidth;
constexpr int kRow = kButtonRowTop;

// The left end of a button of `width` that ends a gap before `next`.
constexpr int Before(int next, int width) {
    return next - kGap - width;
}

// Creation geometry. Fields of one column start at one left edge; everything a page shows above
// its footer ends at least 10 px above it (y 350).
constexpr auto kDefaults = std::to_array<ControlGeometry>({
    // Status box of the access-point list (Arial bold 11 px), under its title beside the list.
    {"Label_One_Or_More_Wireless_Domain", "", 397, 190, 126, 14},
    {"Label_One_Or_More_Wireless_Firmware", "", 397, 206, 126, 14},
    {"Label_One_Or_More_Wireless_MAC", "", 397, 222, 126, 14},
    {"Label_One_Or_More_Wireless_IP", "", 397, 248, 126, 14},
    {"Label_One_Or_More_Wireless_SSID", "", 397, 264, 126, 14},
    {"Label_One_Or_More_Wireless_Channel", "", 397, 280, 126, 14},
    {"Label_One_Or_More_Wireless_WEP", "", 397, 296, 126, 14},
    // Under the box, caption and value in one line: the adapter the device answered on.
    {"Label_One_Or_More_Wireless_Adapter", "", 310, 320, 218, 14},
    // Basic settings page: one column from x 148.
    {"IPEdit", "", 148, 254, 120, 20},
    {"NetmaskEdit", "", 148, 282, 120, 20},
    {"GatewayEdit", "", 148, 310, 120, 20},
    {"PasswordEdit", "", 148, 190, 120, 20},
    {"SSIDEdit", "", 148, 192, 172, 20},
    {"DHCPModeComboBox", "", 148, 218, 160, 22},
    {"ChannelComboBox", "", 148, 228, 64, 22},
    {"DeviceNameEdit", "", 148, 162, 172, 20},
    {"NetModeComboBox", "", 148, 264, 160, 22},
    // Key pages: one column from x 175.
    {"SecurityComboBox", "", 175, 172, 160, 22},
    {"OrPanel", "", 205, 244, 30, 16},
    {"PassphraseEdit", "", 175, 214, 160, 20},
    {"Key1Edit", "", 175, 270, 210, 20},
    {"EncryptionComboBox", "", 175, 214, 100, 22},
    {"PSKEdit", "", 175, 270, 300, 20},
    {"LABEL_PSK_KEY_MAX", "", 486, 273, 24, 14},
    {"WhereBPSPanel", "", 34, 326, 260, kLinkHeight},
    {"PairingBusySign", "", 34, 326, 330, kLinkHeight},  // in the link's place while it waits
    {"ClickHerePanel", "", 384, 206, 176, kStartButtonHeight},
    // Buttons: every page that shows one places it.
    {"SetupPanel", "", Before(Before(kLast, 84), kNavWidth), kRow, kNavWidth, kButtonHeight},
    {"UserguidePanel", "", Before(kLast, 84), kRow, 84, kButtonHeight},
    {"ExitPanel", "", kRowLeft, kRow, kNavWidth, kButtonHeight},
    {"BackPanel", "", kSecond, kRow, kNavWidth, kButtonHeight},
    {"NextPanel", "", kLast, kRow, kNavWidth, kButtonHeight},
    {"YesPanel", "", kLast, kRow, kNavWidth, kButtonHeight},
    {"NoPanel", "", kSecond, kRow, kNavWidth, kButtonHeight},
    {"RegPanel", "", Before(kLast, 120), kRow, 120, kButtonHeight},
    {"WlanManualPanel", "", 390, 292, 169, 45},
    // Two lines of Arial bold 13 px, in the middle of the holder.
    {"EnterManuallyLabel", "WlanManualPanel", 6, 4, 157, 37},
    {"APListView", "", 98, 186, 160, 124},
    // Radio buttons as large as they draw, in the middle of four even option cards.
    {"RadioBtnDisble", "", 65, 232, 15, 15},
    {"RadioBtnWEP", "", 210, 232, 15, 15},
    {"RadioBtnPSK", "", 355, 232, 15, 15},
    {"RadioBtnWPARadius", "", 500, 232, 15, 15},
    // Confirmation page (Arial 11 px), two boxes: the device's settings at the left, the
    // wireless ones at the right. Long values take a second or third line.
    {"NewNameLabel", "", 130, 176, 152, 28},
    {"NewPasswordLabel", "", 130, 208, 152, 14},
    {"ShowPasswordCheckBox", "", 130, 224, 152, 20},
    {"NewIPModeLabel", "", 130, 248, 152, 14},
    {"NewIPLabel", "", 130, 264, 152, 14},
    {"NewNetmaskLabel", "", 130, 280, 152, 14},
    {"NewGatewayLabel", "", 130, 296, 152, 14},
    {"NewSSIDLabel", "", 410, 176, 148, 28},
    {"NewChannelLabel", "", 410, 208, 148, 14},
    {"NewNetModeLabel", "", 410, 224, 148, 14},
    {"NewWepLabel", "", 410, 240, 148, 14},
    {"NewKeyLabel", "", 410, 256, 148, 42},
    {"NoteKeyLabel", "", 302, 324, 266, 26},
});

// ---- The pages' buttons ----
// The pages that show the same buttons in the same places share their moves.
constexpr Placement kExitNext[] = {{"ExitPanel", kRowLeft, kRow, kNavWidth},
                                   {"NextPanel", kLast, kRow, kNavWidth}};
constexpr Placement kBackNext[] = {{"BackPanel", kSecond, kRow, kNavWidth},
                                   {"NextPanel", kLast, kRow, kNavWidth}};
constexpr Placement kExitBackNext[] = {{"ExitPanel", kRowLeft, kRow, kNavWidth},
                                       {"BackPanel", kSecond, kRow, kNavWidth},
                                       {"NextPanel", kLast, kRow, kNavWidth}};
constexpr Placement kExitNoYes[] = {{"ExitPanel", kRowLeft, kRow, kNavWidth},
                                    {"NoPanel", kSecond, kRow, kNavWidth},
                                    {"YesPanel", kLast, kRow, kNavWidth}};
constexpr Placement kNoYes[] = {{"NoPanel", kSecond, kRow, kNavWidth},
                                {"YesPanel", kLast, kRow, kNavWidth}};

// Page 1 (Setup, the user guide, Exit) and page 19 (registration, Exit): their own widths per
// language.
constexpr Placement kEnglish1[] = {
    {"SetupPanel", Before(Before(kLast, 84), kNavWidth), kRow, kNavWidth},
    {"UserguidePanel", Before(kLast, 84), kRow, 84},
    {"ExitPanel", kLast, kRow, kNavWidth}};
constexpr Placement kEnglish19[] = {{"RegPanel", Before(kLast, 120), kRow, 120},
                                    {"ExitPanel", kLast, kRow, kNavWidth}};
constexpr Placement kGerman1[] = {
    {"SetupPanel", Before(Before(kLast, 120), kNavWidth), kRow, kNavWidth},
    {"UserguidePanel", Before(kLast, 120), kRow, 120},
    {"ExitPanel", kLast, kRow, kNavWidth}};
constexpr Placement kGerman19[] = {{"RegPanel", Before(kLast, 128), kRow, 128},
                                   {"ExitPanel", kLast, kRow, kNavWidth}};
constexpr Placement kFrench1[] = {
    {"SetupPanel", Before(Before(kLast, 112), kNavWidth), kRow, kNavWidth},
    {"UserguidePanel", Before(kLast, 112), kRow, 112},
    {"ExitPanel", kLast, kRow, kNavWidth}};
constexpr Placement kFrench19[] = {{"RegPanel", Before(kLast, 144), kRow, 144},
                                   {"ExitPanel", kLast, kRow, kNavWidth}};

constexpr int kPageCount = 20;  // page numbers 0 to 19
using PageTable = std::array<std::span<const Placement>, kPageCount>;

constexpr PageTable Pages(std::span<const Placement> page1, std::span<const Placement> page19) {
    return {{
        {},
        page1,
        kExitNext,
        kBackNext,
        kBackNext,
        kExitBackNext,
        kExitNoYes,
        kBackNext,
        kExitBackNext,
        kExitBackNext,
        kBackNext,
        kBackNext,
        kBackNext,
        {},
        {},
        {},
        {},
        {},
        kNoYes,
        page19,
    }};
}

constexpr PageTable kEnglishPages = Pages(kEnglish1, kEnglish19);
constexpr PageTable kGermanPages = Pages(kGerman1, kGerman19);
constexpr PageTable kFrenchPages = Pages(kFrench1, kFrench19);

constexpr int kRoad1[] = {1};
constexpr int kRoad2[] = {1, 2};
constexpr int kRoad3[] = {1, 2, 3};
constexpr int kRoad4[] = {1, 2, 3, 4};
constexpr int kRoad5[] = {1, 2, 3, 4, 5};
constexpr int kRoad6[] = {1, 2, 3, 4, 5, 6};
constexpr int kRoad7[] = {1, 2, 3, 4, 5, 6, 7};
constexpr int kRoad8[] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr int kRoad9[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
constexpr int kRoad10[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr int kRoad11[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr int kRoad12[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12};
constexpr int kRoad18[] = {1, 2, 3, 4, 5, 6, 7, 8, 18};
constexpr int kRoad19[] = {1, 2, 3, 4, 5, 6, 7, 8, 18, 19};

constexpr std::array<std::span<const int>, kPageCount> kRoads = {{
    {},      kRoad1,  kRoad2,  kRoad3, kRoad4, kRoad5, kRoad6, kRoad7, kRoad8,  kRoad9,
    kRoad10, kRoad11, kRoad12, {},     {},     {},     {},     {},     kRoad18, kRoad19,
}};

void Apply(const Placement& move, PanelRect& rect) {
    if (move.left != kUnchanged) {
        rect.left = move.left;
    }
    if (move.top != kUnchanged) {
        rect.top = move.top;
    }
    if (move.width != kUnchanged) {
        rect.width = move.width;
    }
}

// Replays the moves of `control` in its own coordinates (relative to its holder, if any).
PanelRect ResolveOwn(const ControlGeometry& geometry, std::span<const int> pages,
                     std::string_view section) {
    PanelRect rect{geometry.left, geometry.top, geometry.width, geometry.height};
    for (const int page : pages) {
        for (const Placement& move : PagePlacement(page, section)) {
            if (move.control == geometry.control) {
                Apply(move, rect);
            }
        }
    }
    return rect;
}

}  // namespace

std::span<const ControlGeometry> DefaultPlacements() {
    return kDefaults;
}

const ControlGeometry* FindDefaultPlacement(std::string_view control) {
    for (const ControlGeometry& geometry : kDefaults) {
        if (geometry.control == control) {
            return &geometry;
        }
    }
    return nullptr;
}

std::span<const Placement> PagePlacement(int page, std::string_view languageSection) {
    if (page < 0 || page >= kPageCount) {
        return {};
    }
    const auto index = static_cast<std::size_t>(page);
    if (languageSection == "German") {
        return kGermanPages[index];
    }
    if (languageSection == "French") {
        return kFrenchPages[index];
    }
    return kEnglishPages[index];
}

PanelRect ResolvePanel(std::string_view control, std::span<const int> pagesLoadedInOrder,
                       std::string_view section) {
    const ControlGeometry* geometry = FindDefaultPlacement(control);
    if (geometry == nullptr) {
        return {0, 0, 0, 0};
    }
    PanelRect rect = ResolveOwn(*geometry, pagesLoadedInOrder, section);
    // Holders are one level deep and never nested further.
    if (!geometry->parent.empty()) {
        if (const ControlGeometry* holder = FindDefaultPlacement(geometry->parent)) {
            const PanelRect outer = ResolveOwn(*holder, pagesLoadedInOrder, section);
            rect.left += outer.left;
            rect.top += outer.top;
        }
    }
    return rect;
}

std::span<const int> NormalRoad(int page) {
    if (page < 0 || page >= kPageCount) {
        return {};
    }
    return kRoads[static_cast<std::size_t>(page)];
}

}  // namespace trv81k
