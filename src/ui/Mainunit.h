#pragma once
// The main window: the wizard's pages and the navigation between them. One borderless
// 580 x 436 window whose page pictures carry the page texts; the live controls lie on top of
// them.
//
// The window itself is the frame (the page pictures, the buttons, placement, screen-reader
// names, keys; Mainunit_frame.cpp) and the page machine (the handlers below; Mainunit.cpp).
// The pages' own controls, fills and checks belong to one class per page or page group
// (page_*.h), which see the wizard through its WizardContext. The frame and the welcome page
// are built first; the other pages once the first page is up, or when first needed.

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
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
#include "ui/wizard_context.h"
#include "ui/wizard_state.h"

namespace trv81k {

class ApListPage;
class BasicSettingsPage;
class ConfirmPage;
class KeyPages;
class PairingPage;
class WirelessPages;

// The user guide, below the current folder, and the reader installer offered when no viewer
// opens it.
inline constexpr char kUserGuidePath[] = "Manual/trv81k_eu_v3-qig_ug.pdf";
inline constexpr char kReaderInstallerPath[] = "/Acrobat Reader 7.0/setup.exe";
inline constexpr char kReaderPromptTitle[] = "Acrobat Reader Installation";
// The maker's online registration page.
inline constexpr char kRegistrationUrl[] = "https://trv81k.example.org/registration";

class TMainForm : public QWidget, public WizardContext {
    Q_OBJECT
public:
    explicit TMainForm(Services services);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    int nCurrentPage = PAGE_NONE;

    // False when the channel could not be set up: the message was shown and the program ends.
    bool started() const { return started_; }
    // Where the dialogs come from once they are needed (the window set creates them).
    void setDialogSource(std::function<const Dialogs&()> source) {
        dialogSource_ = std::move(source);
    }
    // Builds the pages after the welcome page (once; the frame and the first page are built
    // with the window).
    void BuildPages();
    bool pagesBuilt() const { return pages_ != nullptr; }

    // ---- WizardContext ----
    QWidget& MainWindow() override { return *this; }
    void LoadPage(int page) override;
    const Dialogs& dialogs() override;

    // ---- Pages ----
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
    void UserguidePanelClick();
    void RegPanelClick();

signals:
    // A page was loaded (after its controls were filled).
    void pageLoaded(int page);
    // The rest of the wizard is built, the first page having been painted before it.
    void firstPageUp();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Return presses the page's default button, Escape the Back button where the page has one.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The frame's controls, by their design names (also their objectName).
    struct Design {
        std::array<Picture*, kPageSlots> pagePictures{};  // by page number; named in the table
        FlatPanel* SetupPanel = nullptr;
        FlatPanel* ClickHerePanel = nullptr;
        FlatPanel* UserguidePanel = nullptr;
        FlatPanel* ExitPanel = nullptr;
        FlatPanel* NextPanel = nullptr;
        FlatPanel* BackPanel = nullptr;
        FlatPanel* YesPanel = nullptr;
        FlatPanel* NoPanel = nullptr;
        FlatPanel* RegPanel = nullptr;
    };
    // The pages after the welcome page, in the order their controls are created.
    struct Pages {
        std::unique_ptr<PairingPage> pairing;
        std::unique_ptr<ApListPage> list;
        std::unique_ptr<BasicSettingsPage> basic;
        std::unique_ptr<WirelessPages> wireless;
        std::unique_ptr<KeyPages> keys;
        std::unique_ptr<ConfirmPage> confirm;
    };

    // ---- Frame (Mainunit_frame.cpp) ----
    void BuildDesign();
    void FormCreate();
    void LoadLanguageTexts();
    void ApplyCaptions();
    // The page pictures of the language: `first` to `last`.
    void LoadPictures(int first, int last);
    // The controls among `controls` at their design places.
    void PlaceControls(const std::vector<QWidget*>& controls);
    void ShapeMainWindow();
    void FormActivate();
    void ApplyListTexts();
    void ApplyPagePlacement(int page);
    // Which controls each page shows, from the page table (the built ones; all once the pages
    // are built).
    void ResolvePageControls();
    // The names and descriptions of the controls whose captions the pictures carry.
    void NameControls();
    // The page's reading order, default button and first focus.
    void ApplyPageKeys(int page);
    // The window's name and description for the page, and the names of its values.
    void DescribePage(int page);
    Picture* PagePicture(int page) const;
    const std::vector<QWidget*>& PageControls(int page) const;
    // A control by its design name (nullptr for names the window lacks).
    QWidget* Control(std::string_view name) const;

    // ---- Page machine (Mainunit.cpp) ----
    void FillPage(int page);
    void SearchForAccessPoints();
    void OpenNetwork();
    void CloseNetwork() noexcept;

    Design ui_;
    std::unique_ptr<Pages> pages_;
    std::function<const Dialogs&()> dialogSource_;
    bool started_ = true;
    bool networkOpen_ = false;
    bool networkClosed_ = false;
    bool listTextsApplied_ = false;
    bool firstPainted_ = false;
    std::array<std::vector<QWidget*>, kPageSlots> pageControls_{};  // from the page table
    std::vector<FlatPanel*> hoverPanels_;  // the buttons ResetPanelFontColors covers
    FlatPanel* defaultButton_ = nullptr;   // of the page shown
};

}  // namespace trv81k
