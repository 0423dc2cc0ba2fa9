// The main window's page machine: LoadPage and the handlers of the frame's buttons, which hand
// each page's work to its class; the channel to the devices, opened with the window and closed
// with Exit.

#include "ui/Mainunit.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

#include "core/link.h"
#include "ui/Loginunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Searchunit.h"
#include "ui/accessibility.h"
#include "ui/page_basic.h"
#include "ui/page_confirm.h"
#include "ui/page_keys.h"
#include "ui/page_list.h"
#include "ui/page_pairing.h"
#include "ui/page_wireless.h"

namespace trv81k {

namespace {

constexpr int kDesignWidth = 862;
constexpr int kDesignHeight = 584;

}  // namespace

TMainForm::TMainForm(Services services) : QWidget(nullptr), WizardContext(std::move(services)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFont(BaseWindowFont());
    resize(kDesignWidth, kDesignHeight);
    SetBackground(this, look::kWhite);

    // Before the creation handler: a clean exchange state (flags clear, table empty).
    exchangeState().reset();
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

const Dialogs& TMainForm::dialogs() {
    if (!dialogSource_) {
        throw std::logic_error("the main window has no dialogs");
    }
    return dialogSource_();
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
    if (pages_ != nullptr) {
        pages_->list->HideStatus();
        pages_->confirm->HideValues();
        pages_->pairing->StopBusySign();
        pages_->keys->HideOrPanel();
    }
}

void TMainForm::LoadPage(int page) {
    if (page != PAGE_WELCOME) {
        BuildPages();
    }
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
        FillPage(page);
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

void TMainForm::FillPage(int page) {
    switch (page) {
        case PAGE_STEP_5_SELECT_AP:
            pages_->list->Fill();
            break;
        case PAGE_STEP_6_BASIC_SETTINGS:
            pages_->basic->Fill();
            break;
        case PAGE_SECURE_2_WIRELESS_SETTINGS:
            pages_->wireless->FillWirelessSettings();
            break;
        case PAGE_SECURE_4_WEP:
            pages_->keys->FillWepPage();
            break;
        case PAGE_SECURE_4_PSK:
            pages_->keys->FillPskPage();
            break;
        case PAGE_CONFIRM:
            pages_->confirm->Fill();
            break;
        default:
            break;
    }
}

void TMainForm::ShowStatus(int index) {
    BuildPages();
    pages_->list->ShowStatus(index);
}

// ---- Navigation ---------------------------------------------------------------------------

void TMainForm::SetupPanelClick() {
    LoadPage(PAGE_STEP_1_CONNECT_NETWORK);
}

void TMainForm::EnterManuallyLabelClick() {
    BuildPages();
    pages_->pairing->EnterManuallyLabelClick();
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
            pages_->basic->NextClicked();
            break;
        case PAGE_SECURE_1_CONFIGURE_WIRELESS:
            pages_->pairing->NextClicked();
            break;
        case PAGE_SECURE_2_WIRELESS_SETTINGS:
            pages_->wireless->NextOnWirelessSettings();
            break;
        case PAGE_SECURE_3_SECURITY_SETTINGS:
            pages_->wireless->NextOnSecurityLevel();
            break;
        case PAGE_SECURE_4_WEP:
            pages_->keys->NextOnWepKey();
            break;
        case PAGE_SECURE_4_PSK:
            pages_->keys->NextOnPreSharedKey();
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
    const Dialogs& windows = dialogs();
    hide();
    windows.search.RunExchange(
        [this](const Exchanges::Progress& progress) { exchanges().search(progress); });
    if (exchangeState().searchFoundDevices()) {
        LoadPage(PAGE_STEP_5_SELECT_AP);
    } else {
        // Why, adapter by adapter: the probe waits as the search did, the windows painting.
        windows.searchFail.ShowDiagnosis(Diagnose(exchanges()));
        windows.searchFail.centreOn(this);
        windows.searchFail.exec();
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
    exchangeState().clearConfigureAcknowledged();
    if (nCurrentPage == PAGE_STEP_5_SELECT_AP) {
        TLoginForm& login = dialogs().login;
        hide();
        login.centreOn(this);
        login.exec();
        show();
    } else if (nCurrentPage == PAGE_CONFIRM) {
        if (!exchangeState().loggedIn()) {
            return;
        }
        if (pages_->confirm->Write()) {
            LoadPage(PAGE_CONGRATULATION);
        } else {
            ShowWarning("CONFIGURE_FAIL");
            show();
        }
    }
}

void TMainForm::NoPanelClick() {
    ExitPanelClick();
}

void TMainForm::ExitPanelClick() {
    CloseNetwork();
    services().quit();
}

// ---- Links --------------------------------------------------------------------------------

void TMainForm::UserguidePanelClick() {
    const QString guide = QDir::current().absoluteFilePath(QString::fromLatin1(kUserGuidePath));
    // A launcher that starts a viewer on a missing file does not count as opening it.
    if (QFileInfo::exists(guide) && services().shell->openUrl(QUrl::fromLocalFile(guide))) {
        return;
    }
    const QString installer = QDir::currentPath() + QString::fromLatin1(kReaderInstallerPath);
    const QString prompt = Text("UserGuideMsg1") + QLatin1Char('\n') + Text("UserGuideMsg2");
    if (AskYesNo(QString::fromLatin1(kReaderPromptTitle), prompt)) {
        services().shell->openUrl(QUrl::fromLocalFile(installer));
    }
}

void TMainForm::RegPanelClick() {
    services().shell->openUrl(QUrl(QString::fromLatin1(kRegistrationUrl)));
    ExitPanelClick();
}

// ---- The channel --------------------------------------------------------------------------

void TMainForm::OpenNetwork() {
    const std::string_view failure = OpenFailureKey(network().open());
    if (failure.empty()) {
        networkOpen_ = true;
        return;
    }
    ShowWarning(failure);
    started_ = false;
    CloseNetwork();
    services().quit();
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
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Paint && !firstPainted_) {
        // The first page is on the screen: the rest of the wizard is built behind it.
        firstPainted_ = true;
        QTimer::singleShot(0, this, [this] {
            BuildPages();
            if (dialogSource_) {
                dialogSource_();
            }
            // The window may have lost the activation while the rest was built behind it: the
            // keys must reach the first page.
            if (isVisible() && !isActiveWindow()) {
                raise();
                activateWindow();
            }
            emit firstPageUp();
        });
    }
    return handled;
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

void TMainForm::closeEvent(QCloseEvent* event) {
    // The window system closes the wizard: the same as Exit.
    CloseNetwork();
    services().quit();
    event->accept();
}

}  // namespace trv81k
