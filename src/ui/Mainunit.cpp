#include "ui/Mainunit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <stdexcept>
#include <string>

#include "l10n/language.h"
#include "l10n/placement.h"
#include "ui/Loginunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Searchunit.h"
#include "ui/accessibility.h"
#include "ui/input_filters.h"
#include "ui/pause.h"

namespace trv81k {

namespace {

constexpr int kWindowWidth = 580;
constexpr int kWindowHeight = 436;
constexpr int kDesignWidth = 862;
constexpr int kDesignHeight = 584;
// The page pictures are wider than the window, which cuts them off at its right edge.
constexpr int kPictureWidth = 802;

// DefaultPlacements() lists first the status box and the controls placed before the texts are
// loaded (eight labels, three address edits and the password edit).
constexpr std::size_t kPlacedBeforeTexts = 12;

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QFont& font) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFrame(false);
    edit->setFont(font);
    SetBackground(edit, look::kWhite);
    return edit;
}

// Drop-down lists open under their box and show as many lines as they ask for
// (maxVisibleItems); the platform's style would lay every entry over the box and the fields
// above it.
class DropDownStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ComboBox_Popup) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* DropDownListStyle() {
    // One style for every list, owned by the application (it outlives the windows).
    static QPointer<QProxyStyle> style;
    if (style.isNull()) {
        style = new DropDownStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QFont& font,
                     const QStringList& designItems) {
    auto* combo = new QComboBox(parent);
    combo->setStyle(DropDownListStyle());
    combo->setObjectName(QString::fromLatin1(name));
    combo->setFont(font);
    combo->addItems(designItems);
    return combo;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QFont& font, const QColor& text,
                  const QColor& background) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    SetBackground(label, background);
    return label;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name) {
    auto* radio = new QRadioButton(parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setBackgroundRole(QPalette::Window);  // not the grey of a button face
    SetBackground(radio, look::kWhite);
    return radio;
}

void SetFieldEnabled(QWidget* field, bool enabled) {
    field->setEnabled(enabled);
    SetBackground(field, enabled ? look::kWhite : look::kSilver);
}

}  // namespace

TMainForm::TMainForm(Services services)
    : QWidget(nullptr),
      services_(std::move(services)),
      exchanges_(*services_.network, services_.timing, WizardWait(), services_.trace) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFont(BaseWindowFont());
    resize(kDesignWidth, kDesignHeight);
    SetBackground(this, look::kWhite);

    // Before the creation handler: a clean exchange state (flags clear, table empty).
    exchange().reset();
    // A screen reader meets the wizard as a window (the toolkit's default for a plain widget is
    // an unnamed panel).
    ExposeAsWindow(staticMetaObject.className());
    InstallScreenReaderSupport();

    BuildDesign();
    FormCreate();
}

TMainForm::~TMainForm() {
    // Destruction: the same channel close as Exit, without ending the application.
    CloseNetwork();
}

// ---- Design -------------------------------------------------------------------------------

void TMainForm::BuildDesign() {
    // Page pictures first, so that everything else lies above them.
    for (const PageLayout& layout : kPageTable) {
        auto* picture = new Picture(this, layout.picture);
        picture->setGeometry(0, 0, kPictureWidth, kWindowHeight);
        ui_.pagePictures[static_cast<std::size_t>(layout.page)] = picture;
    }

    const QFont buttonFont = PixelFont("Arial", 11);
    ui_.SetupPanel = new FlatPanel(this, "SetupPanel", QStringLiteral("Setup"));
    ui_.ClickHerePanel =
        new FlatPanel(this, "ClickHerePanel", QStringLiteral("Click Here to Start"));
    ui_.UserguidePanel = new FlatPanel(this, "UserguidePanel", QStringLiteral("User Guide"));
    ui_.ExitPanel = new FlatPanel(this, "ExitPanel", QStringLiteral("Exit"));
    ui_.NextPanel = new FlatPanel(this, "NextPanel", QStringLiteral("Next"));
    ui_.BackPanel = new FlatPanel(this, "BackPanel", QStringLiteral("Back"));
    ui_.YesPanel = new FlatPanel(this, "YesPanel", QStringLiteral("Yes"));
    ui_.NoPanel = new FlatPanel(this, "NoPanel", QStringLiteral("No"));
    ui_.RegPanel = new FlatPanel(this, "RegPanel", QStringLiteral("Online Registration"));
    for (FlatPanel* panel : {ui_.SetupPanel, ui_.UserguidePanel, ui_.ExitPanel, ui_.NextPanel,
                             ui_.BackPanel, ui_.YesPanel, ui_.NoPanel, ui_.RegPanel}) {
        panel->setFont(buttonFont);
    }
    // One font in every language; a longer caption takes two lines.
    ui_.ClickHerePanel->setFont(PixelFont("Arial", 15, true));
    ui_.ClickHerePanel->setWordWrap(true);

    ui_.WhereBPSPanel =
        new FlatPanel(this, "WhereBPSPanel", QStringLiteral("Where is my ButtonPairSetup button?"));
    QFont linkFont = buttonFont;
    linkFont.setUnderline(true);
    ui_.WhereBPSPanel->setFont(linkFont);
    ui_.WhereBPSPanel->setPanelColour(look::kWhite);
    ui_.WhereBPSPanel->setCaptionColour(look::kLinkBlue);
    ui_.WhereBPSPanel->setHoverHighlight(false);

    ui_.PairingBusySign = new trv81k::BusySign(this, "PairingBusySign");

    ui_.WlanManualPanel = new HolderPanel(this, "WlanManualPanel", look::kButtonGreen);
    ui_.WlanManualImage = new Picture(ui_.WlanManualPanel, "WlanManualImage");
    ui_.WlanManualImage->setGeometry(0, 0, 169, 45);
    ui_.EnterManuallyLabel = new FlatPanel(ui_.WlanManualPanel, "EnterManuallyLabel",
                                           QStringLiteral("Enter Wireless Setting Manually"));
    ui_.EnterManuallyLabel->setFont(PixelFont("Arial", 13, true));
    ui_.EnterManuallyLabel->setPanelColour(QColor());  // lies on the picture
    ui_.EnterManuallyLabel->setWordWrap(true);

    hoverPanels_ = {ui_.ExitPanel,      ui_.SetupPanel,        ui_.UserguidePanel, ui_.BackPanel,
                    ui_.NextPanel,      ui_.YesPanel,          ui_.NoPanel,        ui_.RegPanel,
                    ui_.ClickHerePanel, ui_.EnterManuallyLabel};

    // Access-point list and status box.
    ui_.APListView = new QListWidget(this);
    ui_.APListView->setObjectName(QStringLiteral("APListView"));
    ui_.APListView->setViewMode(QListView::ListMode);
    ui_.APListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ui_.APListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui_.APListView->setFont(PixelFont("Arial", 12));
    SetBackground(ui_.APListView, look::kWhite);
    ui_.APListView->installEventFilter(this);
    ui_.APListView->viewport()->installEventFilter(this);

    const QFont statusFont = PixelFont("Arial", 11, true);
    ui_.Label_One_Or_More_Wireless_Domain = MakeLabel(this, "Label_One_Or_More_Wireless_Domain",
                                                      statusFont, look::kBlack, look::kButtonGreen);
    ui_.Label_One_Or_More_Wireless_Firmware = MakeLabel(
        this, "Label_One_Or_More_Wireless_Firmware", statusFont, look::kBlack, look::kButtonGreen);
    ui_.Label_One_Or_More_Wireless_MAC = MakeLabel(this, "Label_One_Or_More_Wireless_MAC",
                                                   statusFont, look::kBlack, look::kButtonGreen);
    ui_.Label_One_Or_More_Wireless_IP = MakeLabel(this, "Label_One_Or_More_Wireless_IP", statusFont,
                                                  look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_SSID = MakeLabel(this, "Label_One_Or_More_Wireless_SSID",
                                                    statusFont, look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_Channel = MakeLabel(this, "Label_One_Or_More_Wireless_Channel",
                                                       statusFont, look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_WEP = MakeLabel(this, "Label_One_Or_More_Wireless_WEP",
                                                   statusFont, look::kMutedText, look::kWhite);
    ui_.Label_One_Or_More_Wireless_Adapter = MakeLabel(this, "Label_One_Or_More_Wireless_Adapter",
                                                       statusFont, look::kMutedText, look::kWhite);

    // Basic settings page.
    const QFont fieldFont = PixelFont("Arial", 11);
    ui_.IPEdit = MakeEdit(this, "IPEdit", fieldFont);
    ui_.NetmaskEdit = MakeEdit(this, "NetmaskEdit", fieldFont);
    ui_.GatewayEdit = MakeEdit(this, "GatewayEdit", fieldFont);
    ui_.DeviceNameEdit = MakeEdit(this, "DeviceNameEdit", fieldFont);
    ui_.PasswordEdit = MakeEdit(this, "PasswordEdit", fieldFont);
    ui_.DHCPModeComboBox =
        MakeCombo(this, "DHCPModeComboBox", fieldFont,
                  {QStringLiteral("Automatic-DHCP"), QStringLiteral("Static IP")});

    // Wireless settings page.
    ui_.SSIDEdit = MakeEdit(this, "SSIDEdit", fieldFont);
    ui_.ChannelComboBox = MakeCombo(this, "ChannelComboBox", fieldFont, {});
    ui_.ChannelComboBox->setMaxVisibleItems(11);
    ui_.NetModeComboBox = MakeCombo(this, "NetModeComboBox", fieldFont,
                                    {QStringLiteral("Mixed Mode"), QStringLiteral("G-only"),
                                     QStringLiteral("B-only"), QStringLiteral("Disable")});

    // Security level page.
    ui_.RadioBtnDisble = MakeRadio(this, "RadioBtnDisble");
    ui_.RadioBtnWEP = MakeRadio(this, "RadioBtnWEP");
    ui_.RadioBtnPSK = MakeRadio(this, "RadioBtnPSK");
    ui_.RadioBtnWPARadius = MakeRadio(this, "RadioBtnWPARadius");

    // Key pages.
    const QFont keyFont = PixelFont("Arial", 12);
    ui_.SecurityComboBox =
        MakeCombo(this, "SecurityComboBox", keyFont,
                  {QStringLiteral("WEP (64-Bit)"), QStringLiteral("WEP (128-Bit)"),
                   QStringLiteral("WPA Personal"), QStringLiteral("WPA2 Personal"),
                   QStringLiteral("WPA2 Mixed"), QStringLiteral("Disabled")});
    ui_.SecurityComboBox->setCursor(Qt::PointingHandCursor);
    ui_.PassphraseEdit = MakeEdit(this, "PassphraseEdit", keyFont);
    ui_.PassphraseEdit->setMaxLength(16);
    ui_.Key1Edit = MakeEdit(this, "Key1Edit", keyFont);
    ui_.OrPanel = MakeLabel(this, "OrPanel", fieldFont, look::kMutedText, look::kWhite);
    ui_.EncryptionComboBox = MakeCombo(this, "EncryptionComboBox", keyFont,
                                       {QStringLiteral("TKIP"), QStringLiteral("AES")});
    ui_.EncryptionComboBox->setCursor(Qt::PointingHandCursor);
    ui_.PSKEdit = MakeEdit(this, "PSKEdit", keyFont);
    ui_.PSKEdit->setMaxLength(64);
    ui_.LABEL_PSK_KEY_MAX =
        MakeLabel(this, "LABEL_PSK_KEY_MAX", PixelFont("Arial", 11, true), look::kBlack, QColor());
    ui_.LABEL_PSK_KEY_MAX->setText(QStringLiteral("64"));
    for (QComboBox* list : {ui_.DHCPModeComboBox, ui_.ChannelComboBox, ui_.NetModeComboBox,
                            ui_.SecurityComboBox, ui_.EncryptionComboBox}) {
        KeepClosedListQuiet(list);
    }

    // Confirmation page: values in the boxes of the picture, the key's note under them.
    const QFont confirmFont = PixelFont("Arial", 11);
    for (auto [label, name] : {std::pair{&ui_.NewNameLabel, "NewNameLabel"},
                               {&ui_.NewPasswordLabel, "NewPasswordLabel"},
                               {&ui_.NewIPModeLabel, "NewIPModeLabel"},
                               {&ui_.NewIPLabel, "NewIPLabel"},
                               {&ui_.NewNetmaskLabel, "NewNetmaskLabel"},
                               {&ui_.NewGatewayLabel, "NewGatewayLabel"},
                               {&ui_.NewSSIDLabel, "NewSSIDLabel"},
                               {&ui_.NewChannelLabel, "NewChannelLabel"},
                               {&ui_.NewNetModeLabel, "NewNetModeLabel"},
                               {&ui_.NewWepLabel, "NewWepLabel"},
                               {&ui_.NewKeyLabel, "NewKeyLabel"}}) {
        *label = MakeLabel(this, name, confirmFont, look::kBlack, look::kWhite);
        (*label)->setIndent(3);
    }
    ui_.ShowPasswordCheckBox = new QCheckBox(this);
    ui_.ShowPasswordCheckBox->setObjectName(QStringLiteral("ShowPasswordCheckBox"));
    ui_.ShowPasswordCheckBox->setFont(confirmFont);
    ui_.ShowPasswordCheckBox->setBackgroundRole(QPalette::Window);
    SetBackground(ui_.ShowPasswordCheckBox, look::kWhite);
    ui_.NoteKeyLabel = MakeLabel(this, "NoteKeyLabel", confirmFont, look::kMutedText, QColor());
    ui_.NoteKeyLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui_.NoteKeyLabel->setWordWrap(true);

    // Which controls each page shows.
    for (const PageLayout& layout : kPageTable) {
        std::vector<QWidget*>& controls = pageControls_[static_cast<std::size_t>(layout.page)];
        for (const char* name : layout.controlNames()) {
            QWidget* control = Control(name);
            if (control == nullptr) {
                throw std::logic_error(std::string("the page table names no control ") + name);
            }
            controls.push_back(control);
        }
    }

    // Handlers.
    connect(ui_.SetupPanel, &FlatPanel::clicked, this, &TMainForm::SetupPanelClick);
    connect(ui_.ClickHerePanel, &FlatPanel::clicked, this, &TMainForm::SetupPanelClick);
    connect(ui_.NextPanel, &FlatPanel::clicked, this, &TMainForm::NextPanelClick);
    connect(ui_.BackPanel, &FlatPanel::clicked, this, &TMainForm::BackPanelClick);
    connect(ui_.YesPanel, &FlatPanel::clicked, this, &TMainForm::YesPanelClick);
    connect(ui_.NoPanel, &FlatPanel::clicked, this, &TMainForm::NoPanelClick);
    connect(ui_.ExitPanel, &FlatPanel::clicked, this, &TMainForm::ExitPanelClick);
    connect(ui_.EnterManuallyLabel, &FlatPanel::clicked, this, &TMainForm::EnterManuallyLabelClick);
    connect(ui_.UserguidePanel, &FlatPanel::clicked, this, &TMainForm::UserguidePanelClick);
    connect(ui_.RegPanel, &FlatPanel::clicked, this, &TMainForm::RegPanelClick);
    connect(ui_.WhereBPSPanel, &FlatPanel::clicked, this, &TMainForm::WhereBPSPanelClick);
    connect(ui_.RadioBtnDisble, &QRadioButton::clicked, this, &TMainForm::RadioBtnDisbleClick);
    connect(ui_.RadioBtnWEP, &QRadioButton::clicked, this, &TMainForm::RadioBtnWEPClick);
    connect(ui_.RadioBtnPSK, &QRadioButton::clicked, this, &TMainForm::RadioBtnPSKClick);
    connect(ui_.RadioBtnWPARadius, &QRadioButton::clicked, this,
            &TMainForm::RadioBtnWPARadiusClick);
    connect(ui_.ShowPasswordCheckBox, &QCheckBox::toggled, this, &TMainForm::ShowPasswordAsChosen);
    ConnectSettingsControls();
}

// ---- Creation -----------------------------------------------------------------------------

void TMainForm::FormCreate() {
    PlaceControls(0, kPlacedBeforeTexts);
    LoadLanguageTexts();
    PlaceControls(kPlacedBeforeTexts, DefaultPlacements().size());
    ui_.ChannelComboBox->clear();
    for (int channel = 1; channel <= 11; ++channel) {
        ui_.ChannelComboBox->addItem(QString::number(channel));
    }
    ShapeMainWindow();
    PlaceCommonControls();
    HideAllPageControls();
    LoadPage(PAGE_WELCOME);
    OpenNetwork();
}

void TMainForm::LoadLanguageTexts() {
    languageSection = services_.languageSection();
    languageBase = LanguageBaseFor(languageSection);
    services_.trace(languageSection);

    {
        const ProfileReader reader = OpenLanguageFile();
        texts = LoadMainWindowTexts(reader, languageSection);
        accessibleTexts = LoadAccessibleTexts(reader, languageSection);
        // Without its texts the wizard still starts, and says once why its buttons are blank.
        if (const std::string problem =
                LanguageFileProblem(reader, languageSection, services_.languageFile);
            !problem.empty()) {
            services_.trace(problem);
            QTimer::singleShot(0, this, [this, text = QString::fromStdString(problem)] {
                services_.messages->warning(this, text);
            });
        }
    }
    for (const std::string_view key : kMainWindowCaptionKeys) {
        if (auto* panel = qobject_cast<FlatPanel*>(Control(key))) {
            panel->setCaption(Text(key));
        }
    }
    ui_.ShowPasswordCheckBox->setText(Text("ShowPasswordCheckBox"));
    ui_.NoteKeyLabel->setText(Text("NoteKeyLabel"));
    LoadPictures();
    NameControls();
}

void TMainForm::LoadPictures() {
    for (int page = 0; page < kPageSlots; ++page) {
        if (Picture* picture = PagePicture(page)) {
            picture->setImage(services_.libraryPicture(languageBase + page));
        }
    }
    ui_.WlanManualImage->setStretchedImage(services_.windowPicture("wlan_manual"));
    confirmPicture_ = PagePicture(PAGE_CONFIRM)->image();
    pairingConfirmPicture_ = services_.libraryPicture(languageBase + kPairingConfirmPicture);
}

void TMainForm::PlaceControls(std::size_t first, std::size_t last) {
    const auto placements = DefaultPlacements();
    for (std::size_t i = first; i < last && i < placements.size(); ++i) {
        const ControlGeometry& geometry = placements[i];
        if (QWidget* control = Control(geometry.control)) {
            control->setGeometry(geometry.left, geometry.top, geometry.width, geometry.height);
        }
    }
}

void TMainForm::PlaceCommonControls() {
    // The buttons, the manual-entry holder, the list, the radio buttons and the confirmation
    // labels at their creation positions.
    static constexpr std::string_view kCommon[] = {
        "SetupPanel",        "UserguidePanel",  "BackPanel",        "NextPanel",
        "YesPanel",          "NoPanel",         "RegPanel",         "ClickHerePanel",
        "WhereBPSPanel",     "PairingBusySign", "WlanManualPanel",  "EnterManuallyLabel",
        "APListView",        "RadioBtnDisble",  "RadioBtnWEP",      "RadioBtnPSK",
        "RadioBtnWPARadius", "NewNameLabel",    "NewPasswordLabel", "ShowPasswordCheckBox",
        "NewIPModeLabel",    "NewIPLabel",      "NewNetmaskLabel",  "NewGatewayLabel",
        "NewSSIDLabel",      "NewChannelLabel", "NewNetModeLabel",  "NewWepLabel",
        "NewKeyLabel",       "NoteKeyLabel",
    };
    for (const std::string_view name : kCommon) {
        const ControlGeometry* geometry = FindDefaultPlacement(name);
        QWidget* control = Control(name);
        if (geometry != nullptr && control != nullptr) {
            control->setGeometry(geometry->left, geometry->top, geometry->width, geometry->height);
        }
    }
    SetBackground(ui_.APListView, look::kWhite);
}

void TMainForm::ShapeMainWindow() {
    setFixedSize(kWindowWidth, kWindowHeight);
    ApplyRoundRectShape(this, kWindowWidth, kWindowHeight, 20, 20);
    // Dragging by the background; the pointer on the background turns every caption grey.
    EnableSurfaceDrag(this, [this] { ResetPanelFontColors(); });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    wizard = WizardState{};  // every text empty, numbers 0, static address mode
    ui_.APListView->clear();
    for (int page = 0; page < kPageSlots; ++page) {
        if (Picture* picture = PagePicture(page)) {
            picture->move(0, 0);
        }
    }
}

void TMainForm::OpenNetwork() {
    switch (network().open()) {
        case NetworkPort::OpenResult::Open:
            ui_.ChannelComboBox->addItem(QStringLiteral("12"));
            ui_.ChannelComboBox->addItem(QStringLiteral("13"));
            return;
        case NetworkPort::OpenResult::SocketFailed:
            ShowWarning("SOCKET_FAIL");
            break;
        case NetworkPort::OpenResult::BindFailed:
            ShowWarning("BIND_FAIL");
            break;
    }
    started_ = false;
    CloseNetwork();
    services_.quit();
}

// The first activation puts the texts into the lists (the design's lists stand until then).
void TMainForm::FormActivate() {
    if (listTextsApplied_) {
        return;
    }
    ui_.DHCPModeComboBox->clear();
    ui_.DHCPModeComboBox->addItems({Text("Automatic_DHCP"), Text("StaticIP")});
    ui_.NetModeComboBox->clear();
    ui_.NetModeComboBox->addItems({Text("Mixed_Mode"), Text("G_only"), Text("B_only")});
    ui_.SecurityComboBox->clear();
    ui_.SecurityComboBox->addItems({Text("WEP_64Bit"), Text("WEP_128Bit"), Text("WPA_Personal"),
                                    Text("WPA2_Personal"), Text("WPA2_Mixedmode"),
                                    Text("Disable")});
    listTextsApplied_ = true;
}

// ---- Helpers ------------------------------------------------------------------------------

QString TMainForm::Text(std::string_view key) const {
    const std::string& text = texts.get(key);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString TMainForm::AccessibleText(std::string_view key) const {
    const std::string& text = accessibleTexts.get(key);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void TMainForm::NameDialog(QWidget* dialog, QWidget* picture, std::string_view form) const {
    const QString heading = AccessibleText(std::string(form) + "_Heading");
    const QString instruction = AccessibleText(std::string(form) + "_Text");
    NameWindow(dialog, AccessibleText(kWindowTitleKey), heading, instruction);
    picture->setAccessibleName(heading);
    picture->setAccessibleDescription(instruction);
}

ProfileReader TMainForm::OpenLanguageFile() const {
    return ProfileReader(services_.languageFile);
}

void TMainForm::ShowWarning(std::string_view key) {
    ShowWarning(this, key);
}

void TMainForm::ShowWarning(QWidget* parent, std::string_view key) {
    services_.messages->warning(parent, Text(key));
}

QWidget* TMainForm::Control(std::string_view name) const {
    return findChild<QWidget*>(
        QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

Picture* TMainForm::PagePicture(int page) const {
    if (page < 0 || page >= kPageSlots) {
        return nullptr;
    }
    return ui_.pagePictures[static_cast<std::size_t>(page)];
}

const std::vector<QWidget*>& TMainForm::PageControls(int page) const {
    static const std::vector<QWidget*> kNone;
    if (page < 0 || page >= kPageSlots) {
        return kNone;
    }
    return pageControls_[static_cast<std::size_t>(page)];
}

std::array<QLabel*, 8> TMainForm::StatusLabels() const {
    return {ui_.Label_One_Or_More_Wireless_Domain, ui_.Label_One_Or_More_Wireless_Firmware,
            ui_.Label_One_Or_More_Wireless_MAC,    ui_.Label_One_Or_More_Wireless_IP,
            ui_.Label_One_Or_More_Wireless_SSID,   ui_.Label_One_Or_More_Wireless_Channel,
            ui_.Label_One_Or_More_Wireless_WEP,    ui_.Label_One_Or_More_Wireless_Adapter};
}

void TMainForm::ResetPanelFontColors() {
    for (FlatPanel* panel : hoverPanels_) {
        panel->setCaptionColour(look::kCaption);
    }
}

// ---- Pages --------------------------------------------------------------------------------

void TMainForm::HideAllPageControls() {
    for (int page = 0; page < kPageSlots; ++page) {
        if (Picture* picture = PagePicture(page)) {
            picture->hide();
        }
        for (QWidget* control : PageControls(page)) {
            control->hide();
        }
    }
    // Shown by the page fills rather than by the page table, or never.
    for (QLabel* label : StatusLabels()) {
        label->hide();
    }
    for (QLabel* label : DeviceValueLabels()) {
        label->hide();
    }
    for (QLabel* label : WirelessValueLabels()) {
        label->hide();
    }
    ui_.ShowPasswordCheckBox->hide();
    ui_.NoteKeyLabel->hide();
    ui_.PairingBusySign->stop();
    ui_.OrPanel->hide();
}

void TMainForm::ApplyPagePlacement(int page) {
    for (const Placement& move : PagePlacement(page, languageSection)) {
        QWidget* control = Control(move.control);
        if (control == nullptr) {
            continue;
        }
        QRect geometry = control->geometry();
        if (move.left != kUnchanged) {
            geometry.moveLeft(move.left);
        }
        if (move.top != kUnchanged) {
            geometry.moveTop(move.top);
        }
        if (move.width != kUnchanged) {
            geometry.setWidth(move.width);
        }
        control->setGeometry(geometry);
    }
}

void TMainForm::LoadPage(int page) {
    const bool anotherPage = page != nCurrentPage;
    nCurrentPage = page;
    HideAllPageControls();
    if (Picture* picture = PagePicture(page)) {
        picture->show();
        picture->lower();
        for (QWidget* control : PageControls(page)) {
            control->show();
        }
        ApplyPagePlacement(page);
        switch (page) {
            case PAGE_STEP_5_SELECT_AP:
                FillAccessPointList();
                break;
            case PAGE_STEP_6_BASIC_SETTINGS:
                FillBasicSettingsPage();
                break;
            case PAGE_SECURE_2_WIRELESS_SETTINGS:
                FillWirelessSettingsPage();
                break;
            case PAGE_SECURE_4_WEP:
                FillWepPage();
                break;
            case PAGE_SECURE_4_PSK:
                FillPskPage();
                break;
            case PAGE_CONFIRM:
                FillConfirmPage();
                break;
            default:
                break;
        }
    }
    ApplyPageKeys(page);
    DescribePage(page);
    show();
    raise();
    activateWindow();
    if (anotherPage) {
        AnnounceWindow(this);  // a new page in a window that stays active
    }
    emit pageLoaded(page);
}

void TMainForm::FillBasicSettingsPage() {
    ui_.PasswordEdit->setText(FromLatin1(wizard.newPassword));
    ui_.DeviceNameEdit->setText(FromLatin1(wizard.newDeviceName));
    const std::array<QLineEdit*, 3> addressEdits = {ui_.IPEdit, ui_.NetmaskEdit, ui_.GatewayEdit};
    if (wizard.bStaticIP) {
        ui_.DHCPModeComboBox->setCurrentIndex(1);
        ui_.IPEdit->setText(FromLatin1(wizard.newIPText));
        ui_.NetmaskEdit->setText(FromLatin1(wizard.newNetmaskText));
        ui_.GatewayEdit->setText(FromLatin1(wizard.newGatewayText));
        for (QLineEdit* edit : addressEdits) {
            SetFieldEnabled(edit, true);
        }
    } else {
        ui_.DHCPModeComboBox->setCurrentIndex(0);
        for (QLineEdit* edit : addressEdits) {
            edit->clear();
            SetFieldEnabled(edit, false);
        }
    }
}

void TMainForm::FillWirelessSettingsPage() {
    ui_.SSIDEdit->setMaxLength(static_cast<int>(kMaxTextLength));
    ui_.SSIDEdit->setText(FromLatin1(wizard.newSSID));
    // A value the lists do not hold (a device reporting channel 14, or an unknown mode) opens
    // them on channel 6 and mixed mode, as an unset channel does, rather than on no entry: Next
    // would write channel 0 or mode 255 into the device.
    const int mode = wizard.newNetMode;
    ui_.NetModeComboBox->setCurrentIndex(mode < ui_.NetModeComboBox->count() ? mode : 0);
    const int channel = wizard.newChannel;
    const bool listed = channel >= 1 && channel <= ui_.ChannelComboBox->count();
    ui_.ChannelComboBox->setCurrentIndex(listed ? channel - 1 : 5);
}

// ---- Keyboard and screen reader ---------------------------------------------------------

void TMainForm::NameControls() {
    setWindowTitle(AccessibleText(kWindowTitleKey));
    for (const PageLayout& layout : kPageTable) {
        Picture* picture = PagePicture(layout.page);
        picture->setAccessibleName(AccessibleText(PageHeadingKey(layout.page)));
        picture->setAccessibleDescription(AccessibleText(PageTextKey(layout.page)));
    }
    // The fields, lists and radio buttons whose captions are drawn beside them.
    for (const std::string_view key : kAccessibleKeys) {
        constexpr std::string_view kName = "_Name";
        if (!key.ends_with(kName)) {
            continue;
        }
        const std::string_view name = key.substr(0, key.size() - kName.size());
        QWidget* control = Control(name);
        if (control == nullptr || qobject_cast<QLabel*>(control) != nullptr) {
            continue;  // another window's control, or a value named with it when it is shown
        }
        NameField(control, AccessibleText(key));
        control->setAccessibleDescription(AccessibleText(std::string(name) + "_Text"));
    }
    ui_.LABEL_PSK_KEY_MAX->setAccessibleName(AccessibleText("LABEL_PSK_KEY_MAX_Name") +
                                             QLatin1Char(' ') + ui_.LABEL_PSK_KEY_MAX->text());
}

void TMainForm::ApplyPageKeys(int page) {
    if (defaultButton_ != nullptr) {
        defaultButton_->setDefault(false);
    }
    defaultButton_ = nullptr;
    const PageKeys* keys = FindPageKeys(page);
    if (keys == nullptr) {
        return;
    }
    defaultButton_ = qobject_cast<FlatPanel*>(Control(keys->defaultButton));
    if (defaultButton_ != nullptr) {
        defaultButton_->setDefault(true);
    }
    QWidget* previous = nullptr;
    QWidget* firstField = nullptr;
    for (const char* name : keys->order()) {
        QWidget* control = Control(name);
        if (control == nullptr) {
            continue;
        }
        if (previous != nullptr) {
            setTabOrder(previous, control);
        }
        previous = control;
        const bool field = qobject_cast<FlatPanel*>(control) == nullptr;
        if (firstField == nullptr && field && control->isVisibleTo(this) && control->isEnabled()) {
            firstField = control;
        }
    }
    // In a group of radio buttons the chosen one takes the focus.
    if (auto* radio = qobject_cast<QRadioButton*>(firstField)) {
        for (QRadioButton* other :
             {ui_.RadioBtnDisble, ui_.RadioBtnWEP, ui_.RadioBtnPSK, ui_.RadioBtnWPARadius}) {
            if (other->isChecked()) {
                radio = other;
            }
        }
        firstField = radio;
    }
    QWidget* focus = firstField != nullptr ? firstField : defaultButton_;
    if (focus != nullptr) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

void TMainForm::DescribePage(int page) {
    const QString title = AccessibleText(kWindowTitleKey);
    QString description = AccessibleText(PageTextKey(page));
    if (const PageStep step = StepOfPage(page); step.count > 0) {
        description = AccessibleText("PageStep").arg(step.number).arg(step.count) +
                      QStringLiteral(". ") + description;
    }
    if (page == PAGE_CONFIRM) {
        const auto device = DeviceValueLabels();
        const auto wireless = WirelessValueLabels();
        std::vector<QLabel*> values(device.begin(), device.end());
        values.insert(values.end(), wireless.begin(), wireless.end());
        values.push_back(ui_.NoteKeyLabel);
        for (QLabel* label : values) {
            // The value whole, as it is written (its lines joined again).
            const QVariant whole = label->property(kWholeValue);
            label->setAccessibleName(
                CaptionedValue(AccessibleText(label->objectName().toStdString() + "_Name"),
                               whole.isValid() ? whole.toString() : label->text()));
            // The summary in reading order after the instruction: Tab reaches only the
            // buttons, and the two columns read by position would mix.
            if (label->isVisibleTo(this)) {
                description += QLatin1Char(' ') + label->accessibleName();
                if (!description.endsWith(QLatin1Char('.'))) {
                    description += QLatin1Char('.');
                }
            }
        }
    }
    NameWindow(this, title, AccessibleText(PageHeadingKey(page)), description);
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    // The keys the focused control did not take.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (defaultButton_ != nullptr && defaultButton_->isVisible() &&
            defaultButton_->isEnabled()) {
            event->accept();
            defaultButton_->click();
            return;
        }
    } else if (key == Qt::Key_Escape && ui_.BackPanel->isVisible()) {
        event->accept();
        ui_.BackPanel->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- Access-point list --------------------------------------------------------------------

void TMainForm::FillAccessPointList() {
    ExchangeState& state = exchange();
    const int count = state.table.count();
    if (!state.searchAnswered() || count <= 0) {
        return;
    }
    ui_.APListView->clear();
    for (int i = 0; i < count; ++i) {
        ui_.APListView->addItem(FromLatin1(state.table.at(i).deviceNameText()));
    }
    ui_.APListView->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    listHintOn_ = true;
    ApplyListHint();
    ChooseEntry(0);
    ui_.APListView->viewport()->update();
}

void TMainForm::ChooseEntry(int index) {
    if (exchange().choose(index) != nullptr) {
        ShowStatus(index);
    }
}

void TMainForm::ApplyListHint() {
    ui_.APListView->setToolTip(listHintOn_ ? listHint_ : QString());
}

void TMainForm::ShowStatus(int index) {
    for (QLabel* label : StatusLabels()) {
        label->clear();
    }
    ui_.Label_One_Or_More_Wireless_SSID->setToolTip(QString());
    ui_.Label_One_Or_More_Wireless_Domain->setText(QString::fromLatin1(kDomainText));

    const DeviceTable& table = exchange().table;
    if (index < 0 || index >= table.count()) {
        NameStatusValues();
        return;
    }
    wizard.currentDevice = table.at(index);
    const DeviceInfo& device = wizard.currentDevice;

    ui_.Label_One_Or_More_Wireless_IP->setText(
        QString::fromStdString(FormatIPv4(device.ipAddress)));
    ui_.Label_One_Or_More_Wireless_Firmware->setText(FromLatin1(device.firmwareText()));
    ui_.Label_One_Or_More_Wireless_MAC->setText(
        QString::fromStdString(formatMac(device.macAddress)));
    const QString ssid = FromLatin1(device.ssidText());
    ui_.Label_One_Or_More_Wireless_SSID->setText(ssid);
    ui_.Label_One_Or_More_Wireless_SSID->setToolTip(PlainToolTip(ssid));
    ui_.Label_One_Or_More_Wireless_Channel->setText(Text("label_One_Or_More_Wireless_Channel") +
                                                    QLatin1Char(' ') +
                                                    QString::number(device.channel));
    const std::string security = StatusSecurityText(device.securityMode, texts);
    ui_.Label_One_Or_More_Wireless_WEP->setText(
        QString::fromUtf8(security.data(), static_cast<qsizetype>(security.size())));
    // The adapter is printed nowhere else: its caption goes in front of it.
    if (const Adapter& adapter = table.adapterOf(index); !adapter.name.empty()) {
        ui_.Label_One_Or_More_Wireless_Adapter->setText(
            AccessibleText("Label_One_Or_More_Wireless_Adapter_Name") + QStringLiteral(": ") +
            QString::fromStdString(AdapterText(adapter)));
    }

    NameStatusValues();
    PagePicture(PAGE_STEP_5_SELECT_AP)->lower();
    for (QLabel* label : StatusLabels()) {
        const std::string name = label->objectName().toStdString();
        if (const ControlGeometry* geometry = FindDefaultPlacement(name)) {
            label->resize(geometry->width, label->height());
        }
        label->show();
    }
}

void TMainForm::NameStatusValues() {
    // A screen reader hears each value with the caption the picture shows beside it (the
    // channel's line starts with its own caption).
    const QString channelCaption = Text("label_One_Or_More_Wireless_Channel");
    for (QLabel* label : StatusLabels()) {
        QString value = label->text();
        if (label == ui_.Label_One_Or_More_Wireless_Channel && value.startsWith(channelCaption)) {
            value.remove(0, channelCaption.size());
        }
        if (label == ui_.Label_One_Or_More_Wireless_Adapter) {
            value = value.section(QStringLiteral(": "), 1);
        }
        label->setAccessibleName(CaptionedValue(
            AccessibleText(label->objectName().toStdString() + "_Name"), value.trimmed()));
    }
}

void TMainForm::APListViewClick() {
    int row = -1;
    for (int i = 0; i < ui_.APListView->count(); ++i) {
        if (ui_.APListView->item(i)->isSelected()) {
            row = i;
            break;
        }
    }
    if (row >= 0 && row < ui_.APListView->count()) {
        ChooseEntry(row);
        listHintOn_ = false;
    } else {
        // A click on empty space: the previous choice stays on show and addressed.
        listHint_ = QString::fromLatin1(kSelectApHint);
        exchange().setSelectedIndex(0);
    }
    ApplyListHint();
}

bool TMainForm::APListViewKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        YesPanelClick();
        return true;
    }
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        return false;
    }
    const int rows = ui_.APListView->count();
    if (rows == 0) {
        return true;  // nothing to move over
    }
    int selected = exchange().selectedIndex();
    selected = std::clamp(selected, 0, rows - 1);
    if (key == Qt::Key_Up && selected != 0) {
        --selected;
    } else if (key == Qt::Key_Down && selected != rows - 1) {
        ++selected;
    }
    ui_.APListView->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
    ui_.APListView->viewport()->update();
    ChooseEntry(selected);
    return true;
}

// ---- Navigation ---------------------------------------------------------------------------

void TMainForm::SetupPanelClick() {
    LoadPage(PAGE_STEP_1_CONNECT_NETWORK);
}

void TMainForm::EnterManuallyLabelClick() {
    wizard.bWirelessEditable = true;
    LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
}

void TMainForm::NextPanelClick() {
    switch (nCurrentPage) {
        case PAGE_STEP_1_CONNECT_NETWORK:
        case PAGE_STEP_2_CONNECT_AP:
        case PAGE_STEP_3_POWER_ON:
            LoadPage(nCurrentPage + 1);
            break;
        case PAGE_STEP_4_CHECK_STATUS:
            SearchForAccessPoints();
            break;
        case PAGE_STEP_6_BASIC_SETTINGS:
            NextOnBasicSettings();
            break;
        case PAGE_SECURE_1_CONFIGURE_WIRELESS:
            NextOnPairingCheck();
            break;
        case PAGE_SECURE_2_WIRELESS_SETTINGS:
            NextOnWirelessSettings();
            break;
        case PAGE_SECURE_3_SECURITY_SETTINGS:
            NextOnSecurityLevel();
            break;
        case PAGE_SECURE_4_WEP:
            NextOnWepKey();
            break;
        case PAGE_SECURE_4_PSK:
            NextOnPreSharedKey();
            break;
        default:
            break;  // page 6 moves on through Yes
    }
}

void TMainForm::SearchForAccessPoints() {
    if (!network().checkAdapter()) {
        ShowWarning("INVALID_NIC");
        return;
    }
    hide();
    dialogs_->search.RunExchange(
        [this](const Exchanges::Progress& progress) { exchanges_.search(progress); });
    if (exchange().searchFoundDevices()) {
        LoadPage(PAGE_STEP_5_SELECT_AP);
    } else {
        // Why, adapter by adapter: the probe waits as the search did, the windows painting.
        dialogs_->searchFail.ShowDiagnosis(Diagnose(exchanges_));
        dialogs_->searchFail.centreOn(this);
        dialogs_->searchFail.exec();
    }
}

void TMainForm::BackPanelClick() {
    switch (nCurrentPage) {
        case PAGE_STEP_1_CONNECT_NETWORK:
        case PAGE_STEP_2_CONNECT_AP:
        case PAGE_STEP_3_POWER_ON:
        case PAGE_STEP_4_CHECK_STATUS:
        case PAGE_STEP_5_SELECT_AP:
        case PAGE_STEP_6_BASIC_SETTINGS:
        case PAGE_SECURE_1_CONFIGURE_WIRELESS:
        case PAGE_SECURE_2_WIRELESS_SETTINGS:
        case PAGE_SECURE_3_SECURITY_SETTINGS:
        case PAGE_SECURE_4_WEP:
            LoadPage(nCurrentPage - 1);
            break;
        case PAGE_SECURE_4_PSK:
            LoadPage(PAGE_SECURE_3_SECURITY_SETTINGS);
            break;
        default:
            break;
    }
}

void TMainForm::YesPanelClick() {
    if (!network().checkAdapter()) {
        ShowWarning("INVALID_NIC");
        return;
    }
    exchange().clearConfigureAcknowledged();
    if (nCurrentPage == PAGE_STEP_5_SELECT_AP) {
        hide();
        dialogs_->login.centreOn(this);
        dialogs_->login.exec();
        show();
    } else if (nCurrentPage == PAGE_CONFIRM) {
        YesOnConfirm();
    }
}

void TMainForm::NoPanelClick() {
    ExitPanelClick();
}

void TMainForm::ExitPanelClick() {
    CloseNetwork();
    services_.quit();
}

void TMainForm::CloseNetwork() noexcept {
    if (networkClosed_) {
        return;
    }
    networkClosed_ = true;
    // Shut the channel down, pause, stop the receiver and wait for it: no thread outlives the
    // program. The port swallows the errors of these steps itself.
    network().close();
}

// ---- Events -------------------------------------------------------------------------------

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QWidget::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.APListView && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            return false;
        }
        // Up, Down and Return have their handler; other keys do nothing (the list does not
        // move its selection on its own, so it always shows the chosen entry).
        APListViewKeyDown(key->key());
        return true;
    }
    if (watched == ui_.APListView->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (ui_.APListView->itemAt(mouse->position().toPoint()) == nullptr) {
                ui_.APListView->clearSelection();  // a click on empty space unselects
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            APListViewClick();
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The window system closes the wizard: the same as Exit.
    CloseNetwork();
    services_.quit();
    event->accept();
}

}  // namespace trv81k
