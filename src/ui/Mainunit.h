#pragma once
// The main window: the wizard's pages, the navigation between them, the access-point list and
// the wizard state. One borderless 580 x 436 window whose page pictures carry the page texts;
// the live controls lie on top of them.
//
// The settings pages (7 to 12), the confirmation page (18) and the links add their work
// through the hooks in the "Settings pages" block below; their bodies live in
// Mainunit_settings.cpp.

#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/exchanges.h"
#include "l10n/profile_reader.h"
#include "l10n/texts.h"
#include "protocol/wire.h"
#include "settings/validators.h"
#include "ui/busy.h"
#include "ui/look.h"
#include "ui/page_table.h"
#include "ui/services.h"
#include "ui/wizard_state.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace trv81k {

class TBPSIntroForm;
class TConfigureForm;
class TLoginForm;
class TSearchFailForm;
class TSearchForm;
class TWPARadiusNoteForm;

// Tooltip of the access-point list after a click on its empty space.
inline constexpr char kSelectApHint[] = "Please select an AP to configure";
// The regulatory domain shown for every device.
inline constexpr char kDomainText[] = "ETSI   ";
// The user guide, below the current folder, and the reader installer offered when no viewer
// opens it.
inline constexpr char kUserGuidePath[] = "Manual/trv81k_eu_v3-qig_ug.pdf";
inline constexpr char kReaderInstallerPath[] = "/Acrobat Reader 7.0/setup.exe";
inline constexpr char kReaderPromptTitle[] = "Acrobat Reader Installation";
// The maker's online registration page.
inline constexpr char kRegistrationUrl[] = "https://trv81k.example.org/registration";
// The cipher list's third item while WPA2 Mixed is chosen (the list is not localised).
inline constexpr char kMixedCipherItem[] = "TKIP+AES";
// The confirmation page's picture on the pairing road (of the language's pictures).
inline constexpr int kPairingConfirmPicture = 13;
// The property of a value label of the confirmation page that holds its value whole, where the
// label shows it on more than one line.
inline constexpr char kWholeValue[] = "wholeValue";

// The dialogs the main window opens. They are created after it (they read the language it has
// chosen), so the window set hands them over once they exist.
struct Dialogs {
    TConfigureForm& configure;
    TSearchFailForm& searchFail;
    TSearchForm& search;
    TLoginForm& login;
    TWPARadiusNoteForm& radiusNote;
    TBPSIntroForm& bpsIntro;
};

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(Services services);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // ---- State read by every window ----
    std::string languageSection;  // "English", "German" or "French"
    int languageBase = 0;         // 100, 200 or 300
    int nCurrentPage = PAGE_NONE;
    WizardState wizard;     // the settings to write, the login password and currentDevice
    Texts texts;            // the 45 main-window texts
    Texts accessibleTexts;  // what a screen reader gets (kAccessibleKeys)

    // False when the channel could not be set up: the message was shown and the program ends.
    bool started() const { return started_; }
    // The dialogs, given once after they have been created.
    void setDialogs(const Dialogs& dialogs) { dialogs_.emplace(dialogs); }

    const Services& services() const { return services_; }
    NetworkPort& network() { return *services_.network; }
    ExchangeState& exchange() { return services_.network->state(); }
    // The exchanges with the devices, waiting as the wizard waits.
    Exchanges& exchanges() { return exchanges_; }
    const Timing& timing() const { return services_.timing; }
    // A main-window text (Language.ini, UTF-8) as shown.
    QString Text(std::string_view key) const;
    // A text for the screen reader (kAccessibleKeys).
    QString AccessibleText(std::string_view key) const;
    // A dialog's name for the screen reader: the product name and its heading
    // ("<form>_Heading"), its instruction ("<form>_Text") as description, both also on the
    // picture that shows them.
    void NameDialog(QWidget* dialog, QWidget* picture, std::string_view form) const;
    // Language.ini, opened for one window's set-up.
    ProfileReader OpenLanguageFile() const;
    // The warning box with the text of a Language.ini key.
    void ShowWarning(std::string_view key);
    void ShowWarning(QWidget* parent, std::string_view key);

    // ---- Pages ----
    void LoadPage(int page);
    void HideAllPageControls();
    void ResetPanelFontColors();

    // ---- Access-point list ----
    void ShowStatus(int index);

    // ---- Handlers ----
    void SetupPanelClick();
    void NextPanelClick();
    void BackPanelClick();
    void YesPanelClick();
    void NoPanelClick();
    void ExitPanelClick();
    void EnterManuallyLabelClick();
    void APListViewClick();
    // Up, Down and Return; true when the key was one of them.
    bool APListViewKeyDown(int key);

    // ---- Settings pages (Mainunit_settings.cpp) ----
    void ConnectSettingsControls();  // once, at creation: signals of the settings controls
    void NextOnBasicSettings();      // page 7
    void NextOnPairingCheck();       // page 8
    void NextOnWirelessSettings();   // page 9
    void NextOnSecurityLevel();      // page 10
    void NextOnWepKey();             // page 11
    void NextOnPreSharedKey();       // page 12
    void YesOnConfirm();             // page 18: the configure step
    void FillWepPage();              // LoadPage fills of pages 11, 12 and 18
    void FillPskPage();
    void FillConfirmPage();
    void UserguidePanelClick();
    void RegPanelClick();
    void WhereBPSPanelClick();
    void RadioBtnDisbleClick();
    void RadioBtnWEPClick();
    void RadioBtnPSKClick();
    void RadioBtnWPARadiusClick();
    void DHCPModeComboBoxChange(int index);
    void SecurityComboBoxChange(int index);
    void PassphraseEdit1Change();

signals:
    // A page was loaded (after its controls were filled).
    void pageLoaded(int page);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Return presses the page's default button, Escape the Back button where the page has one.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The controls, by their design names (also their objectName).
    struct Design {
        std::array<Picture*, kPageSlots> pagePictures{};  // by page number; named in the table

        // Buttons and links.
        FlatPanel* SetupPanel = nullptr;
        FlatPanel* ClickHerePanel = nullptr;
        FlatPanel* UserguidePanel = nullptr;
        FlatPanel* ExitPanel = nullptr;
        FlatPanel* NextPanel = nullptr;
        FlatPanel* BackPanel = nullptr;
        FlatPanel* YesPanel = nullptr;
        FlatPanel* NoPanel = nullptr;
        FlatPanel* RegPanel = nullptr;
        FlatPanel* WhereBPSPanel = nullptr;
        trv81k::BusySign* PairingBusySign = nullptr;  // in the link's place during the check
        HolderPanel* WlanManualPanel = nullptr;
        Picture* WlanManualImage = nullptr;
        FlatPanel* EnterManuallyLabel = nullptr;

        // Access-point list and status box.
        QListWidget* APListView = nullptr;
        QLabel* Label_One_Or_More_Wireless_Domain = nullptr;
        QLabel* Label_One_Or_More_Wireless_Firmware = nullptr;
        QLabel* Label_One_Or_More_Wireless_MAC = nullptr;
        QLabel* Label_One_Or_More_Wireless_IP = nullptr;
        QLabel* Label_One_Or_More_Wireless_SSID = nullptr;
        QLabel* Label_One_Or_More_Wireless_Channel = nullptr;
        QLabel* Label_One_Or_More_Wireless_WEP = nullptr;
        QLabel* Label_One_Or_More_Wireless_Adapter = nullptr;

        // Basic and wireless settings, security level.
        QLineEdit* IPEdit = nullptr;
        QLineEdit* NetmaskEdit = nullptr;
        QLineEdit* GatewayEdit = nullptr;
        QLineEdit* DeviceNameEdit = nullptr;
        QLineEdit* PasswordEdit = nullptr;
        QComboBox* DHCPModeComboBox = nullptr;
        QLineEdit* SSIDEdit = nullptr;
        QComboBox* ChannelComboBox = nullptr;
        QComboBox* NetModeComboBox = nullptr;
        QRadioButton* RadioBtnDisble = nullptr;
        QRadioButton* RadioBtnWEP = nullptr;
        QRadioButton* RadioBtnPSK = nullptr;
        QRadioButton* RadioBtnWPARadius = nullptr;

        // Key pages.
        QComboBox* SecurityComboBox = nullptr;
        QLineEdit* PassphraseEdit = nullptr;
        QLineEdit* Key1Edit = nullptr;
        QLabel* OrPanel = nullptr;
        QComboBox* EncryptionComboBox = nullptr;
        QLineEdit* PSKEdit = nullptr;
        QLabel* LABEL_PSK_KEY_MAX = nullptr;

        // Confirmation page: what will be written, the device's settings and the wireless ones.
        QLabel* NewNameLabel = nullptr;
        QLabel* NewPasswordLabel = nullptr;
        QCheckBox* ShowPasswordCheckBox = nullptr;
        QLabel* NewIPModeLabel = nullptr;
        QLabel* NewIPLabel = nullptr;
        QLabel* NewNetmaskLabel = nullptr;
        QLabel* NewGatewayLabel = nullptr;
        QLabel* NewSSIDLabel = nullptr;
        QLabel* NewChannelLabel = nullptr;
        QLabel* NewNetModeLabel = nullptr;
        QLabel* NewWepLabel = nullptr;
        QLabel* NewKeyLabel = nullptr;
        QLabel* NoteKeyLabel = nullptr;
    };

    void BuildDesign();
    void FormCreate();
    void LoadLanguageTexts();
    void LoadPictures();
    void PlaceControls(std::size_t first, std::size_t last);
    void PlaceCommonControls();
    void ShapeMainWindow();
    void OpenNetwork();
    void FormActivate();
    void ApplyPagePlacement(int page);
    // The names and descriptions of the controls whose captions the pictures carry.
    void NameControls();
    // The page's reading order, default button and first focus.
    void ApplyPageKeys(int page);
    // The window's name and description for the page, and the names of its values.
    void DescribePage(int page);
    // The page's picture (nullptr for pages without one).
    Picture* PagePicture(int page) const;
    const std::vector<QWidget*>& PageControls(int page) const;
    // A control by its design name (nullptr for names the window lacks).
    QWidget* Control(std::string_view name) const;
    // The status labels in the order of the status box.
    std::array<QLabel*, 8> StatusLabels() const;
    void SearchForAccessPoints();
    void FillAccessPointList();
    // The status box's values named with their captions.
    void NameStatusValues();
    void FillBasicSettingsPage();
    void FillWirelessSettingsPage();
    void ChooseEntry(int index);
    // Settings pages (Mainunit_settings.cpp).
    // The settings as the basic settings page shows them now.
    EnteredSettings BasicSettingsOnThePage() const;
    // The keys and the security code as the key pages show them now.
    EnteredSettings KeysOnThePage() const;
    // The field of the page that shows an entered value (nullptr where the focus stays).
    QLineEdit* FieldOf(SettingField field) const;
    // The refusal message, then the refused field: its text put back when `resetText` is
    // given, the focus, all of its text selected.
    void Refuse(const SettingRefusal& refusal, const QString* resetText = nullptr);
    // Asks about each concern with the static address settings of `page` (an address another
    // listed device has, a gateway outside the subnet); false, with the focus in the field
    // concerned and its text selected, when the user does not want to go on.
    bool ConfirmAddressConcerns(const EnteredSettings& page);
    // The confirmation page's value labels: the device's settings, then the wireless ones.
    std::array<QLabel*, 6> DeviceValueLabels() const;
    std::array<QLabel*, 5> WirelessValueLabels() const;
    void ShowPasswordAsChosen();
    void SetKeyFieldsEnabled(bool enabled);
    void SetCipherList(bool enabled, bool mixedItem, int index);
    void ApplyKey1Limit();
    void ApplyListHint();
    void CloseNetwork() noexcept;

    Design ui_;
    Services services_;
    Exchanges exchanges_;
    std::optional<Dialogs> dialogs_;
    bool started_ = true;
    bool networkClosed_ = false;
    bool listTextsApplied_ = false;
    // Tooltip of the access-point list: on/off and its text.
    bool listHintOn_ = false;
    QString listHint_;
    std::array<std::vector<QWidget*>, kPageSlots> pageControls_{};  // from the page table
    std::vector<FlatPanel*> hoverPanels_;  // the buttons ResetPanelFontColors covers
    FlatPanel* defaultButton_ = nullptr;   // of the page shown
    // The confirmation page's pictures: the wireless settings written, or left to the pairing.
    QImage confirmPicture_;
    QImage pairingConfirmPicture_;
};

}  // namespace trv81k
