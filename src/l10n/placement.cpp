#include "l10n/placement.h"

#include <array>

namespace trv81k {

namespace {

constexpr int U = kUnchanged;

// Creation geometry. Widths of the buttons are the design widths; edit and list sizes are the
// design sizes of this implementation (each large enough for its longest allowed text).
constexpr auto kDefaults = std::to_array<ControlGeometry>({
    // Status box of the access-point list (Arial bold 11 px).
    {"Label_One_Or_More_Wireless_Domain", "", 397, 170, 110, 14},
    {"Label_One_Or_More_Wireless_Firmware", "", 397, 188, 110, 14},
    {"Label_One_Or_More_Wireless_MAC", "", 397, 204, 100, 14},
    {"Label_One_Or_More_Wireless_IP", "", 397, 235, 100, 14},
    {"Label_One_Or_More_Wireless_SSID", "", 397, 252, 110, 14},
    {"Label_One_Or_More_Wireless_Channel", "", 397, 270, 100, 14},
    {"Label_One_Or_More_Wireless_WEP", "", 397, 288, 110, 14},
    // Basic settings page.
    {"IPEdit", "", 148, 286, 110, 16},
    {"NetmaskEdit", "", 148, 312, 110, 16},
    {"GatewayEdit", "", 148, 337, 110, 16},
    {"PasswordEdit", "", 150, 210, 110, 16},
    {"SSIDEdit", "", 148, 193, 170, 16},
    {"DHCPModeComboBox", "", 146, 244, 130, 21},
    {"ChannelComboBox", "", 147, 250, 50, 21},
    {"DeviceNameEdit", "", 150, 175, 170, 16},
    {"NetModeComboBox", "", 164, 287, 130, 21},
    {"SecurityComboBox", "", 175, 188, 150, 22},
    {"OrPanel", "", 205, 280, 30, 16},
    {"PassphraseEdit", "", 175, 248, 150, 20},
    {"Key1Edit", "", 175, 308, 210, 20},
    {"EncryptionComboBox", "", 175, 248, 100, 22},
    {"PSKEdit", "", 184, 308, 300, 20},
    {"LABEL_PSK_KEY_MAX", "", 490, 311, 20, 14},
    {"WhereBPSPanel", "", 48, 330, 185, kLinkHeight},
    {"ClickHerePanel", "", 392, 221, 153, kStartButtonHeight},
    // Buttons and the other common controls.
    {"SetupPanel", "", 272, 374, 40, kButtonHeight},
    {"UserguidePanel", "", 338, 374, 66, kButtonHeight},
    {"ExitPanel", "", 424, 374, 37, kButtonHeight},  // every page that shows it places it
    {"BackPanel", "", 466, 375, 33, kButtonHeight},
    {"NextPanel", "", 521, 375, 33, kButtonHeight},
    {"YesPanel", "", 520, 375, 33, kButtonHeight},
    {"NoPanel", "", 472, 375, 33, kButtonHeight},
    {"RegPanel", "", 399, 373, 110, kButtonHeight},
    {"WlanManualPanel", "", 390, 307, 169, 45},
    // Two lines of Arial bold 13 px, wrapped inside the holder.
    {"EnterManuallyLabel", "WlanManualPanel", 26, 5, 140, 32},
    {"APListView", "", 98, 180, 160, 142},
    {"RadioBtnDisble", "", 56, 234, 25, 15},
    {"RadioBtnWEP", "", 202, 234, 25, 15},
    {"RadioBtnPSK", "", 330, 234, 25, 15},
    {"RadioBtnWPARadius", "", 472, 234, 25, 15},
    // Confirmation page (Arial bold 11 px).
    {"NewSSIDLabel", "", 285, 240, 113, 14},
    {"NewChannelLabel", "", 285, 257, 113, 14},
    {"NewWepLabel", "", 285, 272, 113, 14},
    {"NewKeyLabel", "", 285, 288, 113, 14},
});

// ---- English ----
constexpr Placement kEnglish1[] = {{"ExitPanel", 424, 374}};
constexpr Placement kEnglish2[] = {{"ExitPanel", 475, 375}, {"NextPanel", 529, 375}};
constexpr Placement kEnglish3[] = {{"BackPanel", 475, 375}, {"NextPanel", 529, 375}};
constexpr Placement kEnglish5[] = {
    {"BackPanel", 475, 375}, {"NextPanel", 529, 375}, {"ExitPanel", 416, 375}};
constexpr Placement kEnglish6[] = {{"ExitPanel", 416, 375}};
constexpr Placement kEnglish7[] = {
    {"BackPanel", 474, 375},   {"NextPanel", 527, 375},   {"IPEdit", 148, 287},
    {"NetmaskEdit", 148, 313}, {"GatewayEdit", 148, 338},
};
constexpr Placement kEnglish8[] = {
    {"BackPanel", 462, 373},
    {"NextPanel", 521, 373},
    {"ExitPanel", 392, 373},
    {"WhereBPSPanel", 34, 332, 231},
};
constexpr Placement kEnglish9[] = {{"BackPanel", 462, 373},
                                   {"NextPanel", 521, 373},
                                   {"ExitPanel", 392, 373},
                                   {"SSIDEdit", U, 194}};
constexpr Placement kEnglish10[] = {
    {"BackPanel", 468, 373},   {"NextPanel", 522, 373},   {"RadioBtnDisble", 60, 230},
    {"RadioBtnWEP", 186, 230}, {"RadioBtnPSK", 348, 230}, {"RadioBtnWPARadius", 484, 230},
};
constexpr Placement kEnglish11[] = {{"BackPanel", 466, 373}, {"NextPanel", 521, 373}};
constexpr Placement kEnglish12[] = {{"BackPanel", 464, 373}};  // Next stays where it was
constexpr Placement kEnglish19[] = {{"ExitPanel", 520, 373}};

// ---- German ----
constexpr Placement kGerman1[] = {
    {"ClickHerePanel", 385, 220, 169, 8},
    {"SetupPanel", 205, 373, 75},
    {"UserguidePanel", 296, 373, 110},
    {"ExitPanel", 426, 373, 57},
};
constexpr Placement kGerman2[] = {{"ExitPanel", 460, 375}, {"NextPanel", 531, 375, 35}};
constexpr Placement kGerman3[] = {{"BackPanel", 471, 375, 43}, {"NextPanel", 530, 375, 37}};
constexpr Placement kGerman5[] = {
    {"BackPanel", 471, 375, 43}, {"NextPanel", 530, 375, 37}, {"ExitPanel", 403, 375}};
constexpr Placement kGerman6[] = {
    {"ExitPanel", 412, 375}, {"NoPanel", 486, 375}, {"YesPanel", 534, 375}};
constexpr Placement kGerman7[] = {
    {"BackPanel", 463, 378, 43}, {"NextPanel", 522, 378, 37}, {"IPEdit", 148, 287},
    {"NetmaskEdit", 148, 313},   {"GatewayEdit", 148, 338},
};
constexpr Placement kGerman8[] = {
    // the English moves first
    {"BackPanel", 462, 373},
    {"NextPanel", 521, 373},
    {"ExitPanel", 392, 373},
    {"WhereBPSPanel", 34, 332, 231},
    // then the German ones
    {"EnterManuallyLabel", 14, U, 145},
    {"BackPanel", 463, 375, 43},
    {"NextPanel", 522, 375, 37},
    {"ExitPanel", 395, 375},
};
constexpr Placement kGerman9[] = {
    {"NetModeComboBox", U, 302}, {"BackPanel", 459, 375, 43}, {"NextPanel", 518, 375, 37},
    {"ExitPanel", 391, 375},     {"SSIDEdit", U, 194},
};
constexpr Placement kGerman10[] = {
    {"RadioBtnDisble", 60, 230},     {"RadioBtnWEP", 186, 230},   {"RadioBtnPSK", 348, 230},
    {"RadioBtnWPARadius", 484, 230}, {"BackPanel", 459, 375, 43}, {"NextPanel", 522, 375, 37},
};
constexpr Placement kGerman11[] = {{"BackPanel", 455, 375, 43}, {"NextPanel", 514, 375, 37}};
constexpr Placement kGerman19[] = {{"RegPanel", 392, 371}, {"ExitPanel", 516, 371}};

// ---- French ----
constexpr Placement kFrench1[] = {
    {"ClickHerePanel", 389, 220, 162, 10},
    {"SetupPanel", 148, 373, 124},
    {"UserguidePanel", 288, 373, 120},
    {"ExitPanel", 425, 373, 47},
};
constexpr Placement kFrench2[] = {{"ExitPanel", 454, 375}, {"NextPanel", 513, 375, 48}};
constexpr Placement kFrench3[] = {{"BackPanel", 435, 375, 65}, {"NextPanel", 513, 375}};
constexpr Placement kFrench5[] = {
    {"BackPanel", 435, 375, 65}, {"NextPanel", 513, 375}, {"ExitPanel", 373, 375}};
constexpr Placement kFrench6[] = {
    {"ExitPanel", 412, 375}, {"NoPanel", 466, 375}, {"YesPanel", 510, 375}};
constexpr Placement kFrench7[] = {
    {"BackPanel", 437, 373, 60}, {"NextPanel", 506, 373, 45}, {"IPEdit", 148, 287},
    {"NetmaskEdit", 148, 313},   {"GatewayEdit", 148, 338},
};
constexpr Placement kFrench8[] = {
    // the English moves first
    {"BackPanel", 462, 373},
    {"NextPanel", 521, 373},
    {"ExitPanel", 392, 373},
    {"WhereBPSPanel", 34, 332, 231},
    // then the French ones
    {"EnterManuallyLabel", 14, U, 145},
    {"BackPanel", 449, 375, 65},
    {"NextPanel", 521, 375},
    {"ExitPanel", 397, 375},
};
constexpr Placement kFrench9[] = {{"BackPanel", 444, 375, 65},
                                  {"NextPanel", 517, 375},
                                  {"ExitPanel", 393, 375},
                                  {"SSIDEdit", U, 194}};
constexpr Placement kFrench10[] = {
    {"RadioBtnDisble", 60, 230},     {"RadioBtnWEP", 186, 230},   {"RadioBtnPSK", 348, 230},
    {"RadioBtnWPARadius", 484, 230}, {"BackPanel", 448, 375, 65}, {"NextPanel", 517, 375},
};
constexpr Placement kFrench11[] = {{"BackPanel", 440, 375, 65}, {"NextPanel", 511, 375}};
constexpr Placement kFrench18[] = {{"NoPanel", 470, 373}, {"YesPanel", 514, 373}};
constexpr Placement kFrench19[] = {{"RegPanel", 380, 371, 130}, {"ExitPanel", 516, 371}};

constexpr int kPageCount = 20;  // page numbers 0 to 19
using PageTable = std::array<std::span<const Placement>, kPageCount>;

constexpr PageTable kEnglishPages = {{
    {},        kEnglish1, kEnglish2, kEnglish3,  kEnglish3,  kEnglish5,  kEnglish6,
    kEnglish7, kEnglish8, kEnglish9, kEnglish10, kEnglish11, kEnglish12, {},
    {},        {},        {},        {},         {},         kEnglish19,
}};
constexpr PageTable kGermanPages = {{
    {},       kGerman1, kGerman2, kGerman3,  kGerman3,  kGerman5,  kGerman6,
    kGerman7, kGerman8, kGerman9, kGerman10, kGerman11, kGerman11, {},
    {},       {},       {},       {},        {},        kGerman19,
}};
constexpr PageTable kFrenchPages = {{
    {},       kFrench1, kFrench2, kFrench3,  kFrench3,  kFrench5,  kFrench6,
    kFrench7, kFrench8, kFrench9, kFrench10, kFrench11, kFrench11, {},
    {},       {},       {},       {},        kFrench18, kFrench19,
}};

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
    if (move.fontPt != kUnchanged) {
        rect.fontPt = move.fontPt;
    }
}

// Replays the moves of `control` in its own coordinates (relative to its holder, if any).
PanelRect ResolveOwn(const ControlGeometry& geometry, std::span<const int> pages,
                     std::string_view section) {
    PanelRect rect{geometry.left, geometry.top, geometry.width, geometry.height, kUnchanged};
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
        return {0, 0, 0, 0, kUnchanged};
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
