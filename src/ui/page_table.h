#pragma once
// The main window's pages: their numbers and, for every page that has a picture, the picture
// and the live controls the page shows, by their design names (objectName). LoadPage shows a
// page's picture and exactly these controls; the page fills may show a few more of their own
// (the status box of the list, the confirmation labels).

#include <array>
#include <cstddef>
#include <span>

namespace trv81k {

// The main window's page numbers (nCurrentPage).
enum WizardPage : int {
    PAGE_NONE = 0,
    PAGE_WELCOME = 1,
    PAGE_STEP_1_CONNECT_NETWORK = 2,
    PAGE_STEP_2_CONNECT_AP = 3,
    PAGE_STEP_3_POWER_ON = 4,
    PAGE_STEP_4_CHECK_STATUS = 5,
    PAGE_STEP_5_SELECT_AP = 6,
    PAGE_STEP_6_BASIC_SETTINGS = 7,
    PAGE_SECURE_1_CONFIGURE_WIRELESS = 8,
    PAGE_SECURE_2_WIRELESS_SETTINGS = 9,
    PAGE_SECURE_3_SECURITY_SETTINGS = 10,
    PAGE_SECURE_4_WEP = 11,
    PAGE_SECURE_4_PSK = 12,
    PAGE_CONFIRM = 18,
    PAGE_CONGRATULATION = 19,
};
inline constexpr int kPageSlots = 20;  // page numbers 0 to 19

// The most controls one page shows.
inline constexpr std::size_t kMaxPageControls = 8;

struct PageLayout {
    int page = PAGE_NONE;
    const char* picture = nullptr;
    // The controls in the order the page lists them; the slots after the last are empty.
    std::array<const char*, kMaxPageControls> controls{};

    constexpr std::span<const char* const> controlNames() const {
        std::size_t count = 0;
        while (count < controls.size() && controls[count] != nullptr) {
            ++count;
        }
        return {controls.data(), count};
    }
};

// In the order of the page numbers, which is also the order the pictures are created in (the
// first lies lowest).
inline constexpr PageLayout kPageTable[] = {
    {PAGE_WELCOME, "Image0", {"SetupPanel", "UserguidePanel", "ExitPanel", "ClickHerePanel"}},
    {PAGE_STEP_1_CONNECT_NETWORK, "Image1", {"ExitPanel", "NextPanel"}},
    {PAGE_STEP_2_CONNECT_AP, "Image2", {"BackPanel", "NextPanel"}},
    {PAGE_STEP_3_POWER_ON, "Image3", {"BackPanel", "NextPanel"}},
    {PAGE_STEP_4_CHECK_STATUS, "Image4", {"ExitPanel", "BackPanel", "NextPanel"}},
    {PAGE_STEP_5_SELECT_AP, "Image5", {"NoPanel", "YesPanel", "APListView", "ExitPanel"}},
    {PAGE_STEP_6_BASIC_SETTINGS,
     "Image6",
     {"BackPanel", "NextPanel", "IPEdit", "NetmaskEdit", "GatewayEdit", "DeviceNameEdit",
      "DHCPModeComboBox", "PasswordEdit"}},
    {PAGE_SECURE_1_CONFIGURE_WIRELESS,
     "ImageSecure1",
     {"WhereBPSPanel", "BackPanel", "NextPanel", "ExitPanel", "WlanManualPanel"}},
    {PAGE_SECURE_2_WIRELESS_SETTINGS,
     "ImageSecure2",
     {"BackPanel", "NextPanel", "ExitPanel", "SSIDEdit", "ChannelComboBox", "NetModeComboBox"}},
    {PAGE_SECURE_3_SECURITY_SETTINGS,
     "ImageSecure3",
     {"RadioBtnDisble", "RadioBtnWEP", "RadioBtnPSK", "RadioBtnWPARadius", "BackPanel",
      "NextPanel"}},
    {PAGE_SECURE_4_WEP,
     "ImageSecure4WEP",
     {"BackPanel", "NextPanel", "SecurityComboBox", "PassphraseEdit", "Key1Edit"}},
    {PAGE_SECURE_4_PSK,
     "ImageSecure4PSK",
     {"BackPanel", "NextPanel", "SecurityComboBox", "LABEL_PSK_KEY_MAX", "EncryptionComboBox",
      "PSKEdit"}},
    {PAGE_CONFIRM, "ImageConfirm", {"YesPanel", "NoPanel"}},
    {PAGE_CONGRATULATION, "ImageCongratulation", {"RegPanel", "ExitPanel"}},
};

// The layout of a page; nullptr for a page number without a picture.
constexpr const PageLayout* FindPageLayout(int page) {
    for (const PageLayout& layout : kPageTable) {
        if (layout.page == page) {
            return &layout;
        }
    }
    return nullptr;
}

static_assert(
    [] {
        int previous = PAGE_NONE;
        for (const PageLayout& layout : kPageTable) {
            if (layout.page <= previous || layout.page >= kPageSlots || layout.picture == nullptr) {
                return false;
            }
            previous = layout.page;
        }
        return true;
    }(),
    "the page table lists pages 1 to 19 in order, each with its picture");

}  // namespace trv81k
