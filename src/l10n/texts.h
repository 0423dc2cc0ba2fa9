#pragma once
// The Language.ini key catalogue and the texts read from one section.

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "l10n/profile_reader.h"

namespace trv81k {

// The main window's keys, in the order the main window reads them.
inline constexpr std::array<std::string_view, 45> kMainWindowKeys = {
    "ClickHerePanel",
    "SetupPanel",
    "UserguidePanel",
    "ExitPanel",
    "NextPanel",
    "YesPanel",
    "NoPanel",
    "BackPanel",
    "RegPanel",
    "EnterManuallyLabel",
    "StaticIP",
    "Automatic_DHCP",
    "WhereBPSPanel",
    "Mixed_Mode",
    "G_only",
    "B_only",
    "Disable",
    "WEP_64Bit",
    "WEP_128Bit",
    "WPA_Personal",
    "WPA2_Personal",
    "WPA2_Mixedmode",
    "WPA_ENTERPRISE_TKIP",
    "WPA_ENTERPRISE_AES",
    "UserGuideMsg1",
    "UserGuideMsg2",
    "label_One_Or_More_Wireless_Channel",
    "WSASTARTUP_FAIL",
    "SOCKET_FAIL",
    "BIND_FAIL",
    "CONFIGURE_FAIL",
    "PASSWORD_ERROR",
    "SSID_ERROR",
    "KEY64_ERROR",
    "KEY64_HEX_ERROR",
    "KEY128_ERROR",
    "KEY128_HEX_ERROR",
    "INVALID_IP",
    "INVALID_NETMASK",
    "INVALID_Gateway",
    "INVALID_NIC",
    "INVALID_PASSPHRASE",
    "INVALID_PSK_LENGTH",
    "INVALID_PSK_KEY",
    "INVALID_PASSWORD",
};

// The main window's keys of its confirmation page, its questions and its waits, read after
// kMainWindowKeys. %1, %2 and %3 in the questions stand for the addresses and the device named.
// The two refusals are of values the device would store but no user means: a control
// character, an empty device name.
inline constexpr std::array<std::string_view, 10> kMainWindowFeedbackKeys = {
    "ShowPasswordCheckBox", "NoteKeyLabel",          "ADDRESS_TAKEN_QUESTION",  "GATEWAY_QUESTION",
    "LOGIN_BUSY",           "PAIRING_BUSY",          "CONTROL_CHARACTER_ERROR", "DEVICE_NAME_ERROR",
    "MASK_QUESTION",        "ADDRESS_KIND_QUESTION",
};

// The keys of the main window's controls that take their caption from the key of the same name
// (the first ten of kMainWindowKeys and WhereBPSPanel).
inline constexpr std::array<std::string_view, 11> kMainWindowCaptionKeys = {
    "ClickHerePanel", "SetupPanel",         "UserguidePanel", "ExitPanel",
    "NextPanel",      "YesPanel",           "NoPanel",        "BackPanel",
    "RegPanel",       "EnterManuallyLabel", "WhereBPSPanel",
};

// Dialog keys. The configure dialog's lines Label1 and Label2 read the keys Label3 and Label4;
// Label1 and Label2 are the search dialog's keys.
inline constexpr std::array<std::string_view, 2> kConfigureFormKeys = {"Label3", "Label4"};
inline constexpr std::array<std::string_view, 2> kSearchFormKeys = {"Label1", "Label2"};
inline constexpr std::array<std::string_view, 1> kLoginFormKeys = {"EnterPanel"};
inline constexpr std::array<std::string_view, 1> kSearchFailFormKeys = {"ContinuePanel"};
inline constexpr std::array<std::string_view, 1> kWPARadiusNoteFormKeys = {"OKPanel"};

// What a screen reader gets where the words are drawn into the pictures (the artwork's own
// texts): the windows' title, the heading and the instruction of each page ("Page7_Heading",
// "Page7_Text") and dialog ("LoginForm_Heading" ...), and the names of the controls whose
// captions are drawn beside them ("IPEdit_Name"; a radio button's second line "..._Text").
inline constexpr std::string_view kWindowTitleKey = "WindowTitle";  // the product's name
inline constexpr std::array<std::string_view, 104> kAccessibleKeys = {
    "WindowTitle",
    "Page1_Heading",
    "Page1_Text",
    "Page2_Heading",
    "Page2_Text",
    "Page3_Heading",
    "Page3_Text",
    "Page4_Heading",
    "Page4_Text",
    "Page5_Heading",
    "Page5_Text",
    "Page6_Heading",
    "Page6_Text",
    "Page7_Heading",
    "Page7_Text",
    "Page8_Heading",
    "Page8_Text",
    "Page9_Heading",
    "Page9_Text",
    "Page10_Heading",
    "Page10_Text",
    "Page11_Heading",
    "Page11_Text",
    "Page12_Heading",
    "Page12_Text",
    "Page18_Heading",
    "Page18_Text",
    "Page19_Heading",
    "Page19_Text",
    "PageStep",
    "LoginForm_Heading",
    "LoginForm_Text",
    "SearchFailForm_Heading",
    "SearchFailForm_Text",
    "SearchFailForm_NoCarrier",
    "SearchFailForm_NoMulticast",
    "SearchFailForm_Firewall",
    "SearchFailForm_PortInUse",
    "SearchFailForm_Foreign",
    "SearchFailForm_NoAnswer",
    "SearchFailForm_Ok",
    "SearchFailForm_More",
    "WPARadiusNoteForm_Heading",
    "WPARadiusNoteForm_Text",
    "BPSImage1_Heading",
    "BPSImage1_Text",
    "BPSImage2_Heading",
    "BPSImage2_Text",
    "BPSImage3_Heading",
    "BPSImage3_Text",
    "APListView_Name",
    "Label_One_Or_More_Wireless_Domain_Name",
    "Label_One_Or_More_Wireless_Firmware_Name",
    "Label_One_Or_More_Wireless_MAC_Name",
    "Label_One_Or_More_Wireless_IP_Name",
    "Label_One_Or_More_Wireless_SSID_Name",
    "Label_One_Or_More_Wireless_Channel_Name",
    "Label_One_Or_More_Wireless_WEP_Name",
    "Label_One_Or_More_Wireless_Adapter_Name",
    "DeviceNameEdit_Name",
    "DeviceNameEdit_Text",
    "PasswordEdit_Name",
    "PasswordEdit_Text",
    "DHCPModeComboBox_Name",
    "IPEdit_Name",
    "NetmaskEdit_Name",
    "GatewayEdit_Name",
    "SSIDEdit_Name",
    "SSIDEdit_Text",
    "ChannelComboBox_Name",
    "NetModeComboBox_Name",
    "RadioBtnDisble_Name",
    "RadioBtnDisble_Text",
    "RadioBtnWEP_Name",
    "RadioBtnWEP_Text",
    "RadioBtnPSK_Name",
    "RadioBtnPSK_Text",
    "RadioBtnWPARadius_Name",
    "RadioBtnWPARadius_Text",
    "SecurityComboBox_Name",
    "PassphraseEdit_Name",
    "PassphraseEdit_Text",
    "Key1Edit_Name",
    "EncryptionComboBox_Name",
    "PSKEdit_Name",
    "PSKEdit_Text",
    "LABEL_PSK_KEY_MAX_Name",
    "NewNameLabel_Name",
    "NewPasswordLabel_Name",
    "NewIPModeLabel_Name",
    "NewIPLabel_Name",
    "NewNetmaskLabel_Name",
    "NewGatewayLabel_Name",
    "NewSSIDLabel_Name",
    "NewChannelLabel_Name",
    "NewNetModeLabel_Name",
    "NewWepLabel_Name",
    "NewKeyLabel_Name",
    "NoteKeyLabel_Name",
    "LoginPasswordEdit_Name",
    "LoginPasswordEdit_Text",
    "WlanManualPanel_Name",
    "CloseButtonImage_Name",
    "NextButtonImage_Name",
};

// Texts of one Language.ini section, by key. Read once; a key that was not read, or whose
// entry is missing from the file, gives the empty text.
class Texts {
public:
    Texts() = default;

    // Reads `keys` from `section`, in the given order, each with an empty default.
    static Texts Load(const ProfileReader& reader, std::string_view section,
                      std::span<const std::string_view> keys);

    // The text of `key`, spelled as in the catalogue; "" for any other key.
    const std::string& get(std::string_view key) const;
    bool contains(std::string_view key) const;
    std::size_t size() const noexcept { return texts_.size(); }

    // Sets one text (for windows that build texts by hand, and for tests).
    void set(std::string_view key, std::string text);

private:
    std::map<std::string, std::string, std::less<>> texts_;
};

// The 45 main-window texts of `section`, read in catalogue order, then the feedback texts.
Texts LoadMainWindowTexts(const ProfileReader& reader, std::string_view section);

// The screen reader's texts of `section` (kAccessibleKeys).
Texts LoadAccessibleTexts(const ProfileReader& reader, std::string_view section);

// Why the window texts are missing, in English (there are no others then): the file could
// not be read, or its `section` gives none of the buttons' captions. Empty when the texts are
// there.
std::string LanguageFileProblem(const ProfileReader& reader, std::string_view section,
                                const std::filesystem::path& file);

// The keys of a page's heading and instruction: "Page7_Heading", "Page7_Text".
std::string PageHeadingKey(int page);
std::string PageTextKey(int page);

// Security display text of the access-point status box for a device's security code:
// 0 the Disable text, 1 "WEP (64-Bit)", 2 "WEP (128-Bit)", 3 "WPA-Personal(TKIP)",
// 4 "WPA-Personal(AES)", 5 and 6 the WPA_ENTERPRISE_TKIP / _AES texts, 7 "RADIUS",
// 8 "WPA2-Personal(TKIP)", 9 "WPA2-Personal(AES)", 10 the WPA2_Mixedmode text; "" otherwise.
std::string StatusSecurityText(int code, const Texts& texts);

// Security line of the confirmation page for the security mode about to be written. As the
// status box, except 5 "WPA-Enterprise(TKIP)", 6 "WPA-Enterprise(AES)", 7 "Radius", and
// 11 "Button Pair Setup"; nullopt for any other code (the line keeps its text).
std::optional<std::string> ConfirmSecurityText(int code, const Texts& texts);

}  // namespace trv81k
