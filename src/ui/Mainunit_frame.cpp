// The main window's frame: the page pictures and the buttons, the language, the places of the
// controls, their names for a screen reader and the keyboard of each page. The pages' own
// controls come from their classes; the frame places, names and hides them as it does its own.

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <stdexcept>
#include <string>

#include "l10n/language.h"
#include "l10n/placement.h"
#include "ui/Mainunit.h"
#include "ui/accessibility.h"
#include "ui/page_basic.h"
#include "ui/page_confirm.h"
#include "ui/page_keys.h"
#include "ui/page_list.h"
#include "ui/page_pairing.h"
#include "ui/page_wireless.h"

namespace trv81k {

namespace {

constexpr int kWindowWidth = 580;
constexpr int kWindowHeight = 436;
// The page pictures are wider than the window, which cuts them off at its right edge.
constexpr int kPictureWidth = 802;
// The channels the list offers until the channel to the devices is open; the last two join
// once it is.
constexpr int kChannelsBeforeOpen = kLastChannel - 2;

}  // namespace

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

    hoverPanels_ = {ui_.ExitPanel, ui_.SetupPanel, ui_.UserguidePanel,
                    ui_.BackPanel, ui_.NextPanel,  ui_.YesPanel,
                    ui_.NoPanel,   ui_.RegPanel,   ui_.ClickHerePanel};
    ResolvePageControls();

    connect(ui_.SetupPanel, &FlatPanel::clicked, this, &TMainForm::SetupPanelClick);
    connect(ui_.ClickHerePanel, &FlatPanel::clicked, this, &TMainForm::SetupPanelClick);
    connect(ui_.NextPanel, &FlatPanel::clicked, this, &TMainForm::NextPanelClick);
    connect(ui_.BackPanel, &FlatPanel::clicked, this, &TMainForm::BackPanelClick);
    connect(ui_.YesPanel, &FlatPanel::clicked, this, &TMainForm::YesPanelClick);
    connect(ui_.NoPanel, &FlatPanel::clicked, this, &TMainForm::NoPanelClick);
    connect(ui_.ExitPanel, &FlatPanel::clicked, this, &TMainForm::ExitPanelClick);
    connect(ui_.UserguidePanel, &FlatPanel::clicked, this, &TMainForm::UserguidePanelClick);
    connect(ui_.RegPanel, &FlatPanel::clicked, this, &TMainForm::RegPanelClick);
}

void TMainForm::BuildPages() {
    if (pages_ != nullptr) {
        return;
    }
    const QList<QWidget*> before = findChildren<QWidget*>();
    // In the order of the design, which is the order the controls lie in and Tab meets them.
    auto pages = std::make_unique<Pages>();
    pages->pairing = std::make_unique<PairingPage>(*this, *this);
    pages->list = std::make_unique<ApListPage>(*this, *this, [this] { YesPanelClick(); });
    pages->basic = std::make_unique<BasicSettingsPage>(*this, *this);
    pages->wireless = std::make_unique<WirelessPages>(
        *this, *this, networkOpen_ ? kLastChannel : kChannelsBeforeOpen,
        [basic = pages->basic.get()] { return basic->DeviceNameText(); });
    pages->keys = std::make_unique<KeyPages>(*this, *this);
    pages->confirm = std::make_unique<ConfirmPage>(*this, *this, *PagePicture(PAGE_CONFIRM));
    pages_ = std::move(pages);
    hoverPanels_.push_back(pages_->pairing->EnterManuallyLabel());

    std::vector<QWidget*> added;
    for (QWidget* control : findChildren<QWidget*>()) {
        if (!before.contains(control)) {
            added.push_back(control);
        }
    }
    ResolvePageControls();
    LoadPictures(PAGE_WELCOME + 1, kPageSlots - 1);
    ApplyCaptions();
    NameControls();
    if (listTextsApplied_) {
        ApplyListTexts();
    }
    PlaceControls(added);
    // Hidden until their page shows them (the welcome page has none of them).
    for (QWidget* control : added) {
        if (control->parentWidget() == this) {
            control->hide();
        }
    }
    pages_->pairing->StopBusySign();
}

void TMainForm::ResolvePageControls() {
    for (const PageLayout& layout : kPageTable) {
        std::vector<QWidget*>& controls = pageControls_[static_cast<std::size_t>(layout.page)];
        controls.clear();
        for (const char* name : layout.controlNames()) {
            QWidget* control = Control(name);
            if (control != nullptr) {
                controls.push_back(control);
            } else if (pages_ != nullptr) {
                throw std::logic_error(std::string("the page table names no control ") + name);
            }
        }
    }
}

// ---- Creation -----------------------------------------------------------------------------

void TMainForm::FormCreate() {
    LoadLanguageTexts();
    std::vector<QWidget*> all;
    for (QWidget* control : findChildren<QWidget*>()) {
        all.push_back(control);
    }
    PlaceControls(all);
    ShapeMainWindow();
    HideAllPageControls();
    LoadPage(PAGE_WELCOME);
    OpenNetwork();
}

void TMainForm::LoadLanguageTexts() {
    languageSection = services().languageSection();
    languageBase = LanguageBaseFor(languageSection);
    services().trace(languageSection);

    {
        const ProfileReader reader = OpenLanguageFile();
        texts = LoadMainWindowTexts(reader, languageSection);
        accessibleTexts = LoadAccessibleTexts(reader, languageSection);
        // Without its texts the wizard still starts, and says once why its buttons are blank.
        if (const std::string problem =
                LanguageFileProblem(reader, languageSection, services().languageFile);
            !problem.empty()) {
            services().trace(problem);
            QTimer::singleShot(0, this, [this, text = QString::fromStdString(problem)] {
                services().messages->warning(this, text);
            });
        }
    }
    ApplyCaptions();
    LoadPictures(PAGE_WELCOME, PAGE_WELCOME);
    NameControls();
}

void TMainForm::ApplyCaptions() {
    for (const std::string_view key : kMainWindowCaptionKeys) {
        if (auto* panel = qobject_cast<FlatPanel*>(Control(key))) {
            panel->setCaption(Text(key));
        }
    }
}

void TMainForm::LoadPictures(int first, int last) {
    for (int page = first; page <= last; ++page) {
        if (Picture* picture = PagePicture(page)) {
            picture->setImage(LanguagePicture(page));
        }
    }
}

void TMainForm::PlaceControls(const std::vector<QWidget*>& controls) {
    for (const ControlGeometry& geometry : DefaultPlacements()) {
        QWidget* control = Control(geometry.control);
        if (control != nullptr &&
            std::find(controls.begin(), controls.end(), control) != controls.end()) {
            control->setGeometry(geometry.left, geometry.top, geometry.width, geometry.height);
        }
    }
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
}

// The first activation puts the texts into the lists (the design's lists stand until then).
void TMainForm::FormActivate() {
    if (listTextsApplied_) {
        return;
    }
    listTextsApplied_ = true;
    if (pages_ != nullptr) {
        ApplyListTexts();
    }
}

void TMainForm::ApplyListTexts() {
    pages_->basic->ApplyListTexts();
    pages_->wireless->ApplyListTexts();
    pages_->keys->ApplyListTexts();
}

// ---- Helpers ------------------------------------------------------------------------------

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

void TMainForm::ResetPanelFontColors() {
    for (FlatPanel* panel : hoverPanels_) {
        panel->setCaptionColour(look::kCaption);
    }
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
    if (pages_ != nullptr) {
        pages_->keys->NameKeyLength();
    }
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
        for (QRadioButton* other : findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
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
    QString description = AccessibleText(PageTextKey(page));
    if (const PageStep step = StepOfPage(page); step.count > 0) {
        description = AccessibleText("PageStep").arg(step.number).arg(step.count) +
                      QStringLiteral(". ") + description;
    }
    if (page == PAGE_CONFIRM) {
        description += pages_->confirm->NameValues();
    }
    NameWindow(this, AccessibleText(kWindowTitleKey), AccessibleText(PageHeadingKey(page)),
               description);
}

}  // namespace trv81k
