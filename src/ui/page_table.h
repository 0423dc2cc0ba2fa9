#pragma once
// The main window's pages: their numbers and, for every page that has a picture, the picture
// and the live controls the page shows, by their design names (objectName). LoadPage shows a
// page's picture and exactly these controls; the page fills may show a few more of their own
// (the status box of the list, the confirmation labels).

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

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

// What the confirmation page's fill shows besides the controls of its kPageTable entry: the
// values to be written and the password's switch.
inline constexpr std::array<const char*, 13> kConfirmValueControls = {
    "NewNameLabel",    "NewPasswordLabel", "ShowPasswordCheckBox", "NewIPModeLabel",
    "NewIPLabel",      "NewNetmaskLabel",  "NewGatewayLabel",      "NewSSIDLabel",
    "NewChannelLabel", "NewNetModeLabel",  "NewWepLabel",          "NewKeyLabel",
    "NoteKeyLabel"};

// The keyboard on a page: the controls that take the focus, in reading order (Tab walks them
// in this order, Shift+Tab back), and the default button, which Return anywhere on the page
// presses (Next where the page has it). A page is shown with the focus in its first field, or
// on its default button where it has no field.
struct PageKeys {
    int page = PAGE_NONE;
    const char* defaultButton = nullptr;
    std::array<const char*, kMaxPageControls> readingOrder{};

    constexpr std::span<const char* const> order() const {
        std::size_t count = 0;
        while (count < readingOrder.size() && readingOrder[count] != nullptr) {
            ++count;
        }
        return {readingOrder.data(), count};
    }
};

// Every page of kPageTable, in the same order. The buttons of the bottom row read from left to
// right; on the pairing page the help link under the instruction comes before the manual entry
// beside it.
inline constexpr PageKeys kPageKeys[] = {
    {PAGE_WELCOME,
     "ClickHerePanel",
     {"ClickHerePanel", "SetupPanel", "UserguidePanel", "ExitPanel"}},
    {PAGE_STEP_1_CONNECT_NETWORK, "NextPanel", {"ExitPanel", "NextPanel"}},
    {PAGE_STEP_2_CONNECT_AP, "NextPanel", {"BackPanel", "NextPanel"}},
    {PAGE_STEP_3_POWER_ON, "NextPanel", {"BackPanel", "NextPanel"}},
    {PAGE_STEP_4_CHECK_STATUS, "NextPanel", {"ExitPanel", "BackPanel", "NextPanel"}},
    {PAGE_STEP_5_SELECT_AP, "YesPanel", {"APListView", "ExitPanel", "NoPanel", "YesPanel"}},
    {PAGE_STEP_6_BASIC_SETTINGS,
     "NextPanel",
     {"DeviceNameEdit", "PasswordEdit", "DHCPModeComboBox", "IPEdit", "NetmaskEdit", "GatewayEdit",
      "BackPanel", "NextPanel"}},
    {PAGE_SECURE_1_CONFIGURE_WIRELESS,
     "NextPanel",
     {"WhereBPSPanel", "EnterManuallyLabel", "ExitPanel", "BackPanel", "NextPanel"}},
    {PAGE_SECURE_2_WIRELESS_SETTINGS,
     "NextPanel",
     {"SSIDEdit", "ChannelComboBox", "NetModeComboBox", "ExitPanel", "BackPanel", "NextPanel"}},
    {PAGE_SECURE_3_SECURITY_SETTINGS,
     "NextPanel",
     {"RadioBtnDisble", "RadioBtnWEP", "RadioBtnPSK", "RadioBtnWPARadius", "BackPanel",
      "NextPanel"}},
    {PAGE_SECURE_4_WEP,
     "NextPanel",
     {"SecurityComboBox", "PassphraseEdit", "Key1Edit", "BackPanel", "NextPanel"}},
    {PAGE_SECURE_4_PSK,
     "NextPanel",
     {"SecurityComboBox", "EncryptionComboBox", "PSKEdit", "BackPanel", "NextPanel"}},
    {PAGE_CONFIRM, "YesPanel", {"ShowPasswordCheckBox", "NoPanel", "YesPanel"}},
    {PAGE_CONGRATULATION, "ExitPanel", {"RegPanel", "ExitPanel"}},
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

// The keyboard of a page; nullptr for a page number without a picture.
constexpr const PageKeys* FindPageKeys(int page) {
    for (const PageKeys& keys : kPageKeys) {
        if (keys.page == page) {
            return &keys;
        }
    }
    return nullptr;
}

static_assert(
    [] {
        if (std::size(kPageKeys) != std::size(kPageTable)) {
            return false;
        }
        for (std::size_t i = 0; i < std::size(kPageTable); ++i) {
            const PageKeys& keys = kPageKeys[i];
            if (keys.page != kPageTable[i].page || keys.defaultButton == nullptr) {
                return false;
            }
            bool defaultRead = false;
            for (const char* name : keys.order()) {
                defaultRead = defaultRead || std::string_view(name) == keys.defaultButton;
            }
            if (!defaultRead) {
                return false;
            }
        }
        return true;
    }(),
    "every page of the page table has its keyboard, with a default button it reads");

// Where a page stands on the road, for a screen reader ("Step 3 of 6"): the setup's six steps
// from the cable to the basic settings, then the wireless part's four (its two kinds of key are
// both the fourth). The welcome, the confirmation and the congratulation are no step.
struct PageStep {
    int number = 0;
    int count = 0;  // 0: the page is no step
};

constexpr PageStep StepOfPage(int page) {
    if (page >= PAGE_STEP_1_CONNECT_NETWORK && page <= PAGE_STEP_6_BASIC_SETTINGS) {
        return {page - PAGE_STEP_1_CONNECT_NETWORK + 1, 6};
    }
    if (page >= PAGE_SECURE_1_CONFIGURE_WIRELESS && page <= PAGE_SECURE_4_PSK) {
        return {page == PAGE_SECURE_4_PSK ? 4 : page - PAGE_SECURE_1_CONFIGURE_WIRELESS + 1, 4};
    }
    return {};
}

}  // namespace trv81k
