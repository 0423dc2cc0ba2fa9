#pragma once
// The seven windows of the wizard, created once in a fixed order and kept until the end: the
// main window first (it chooses the language that the others read while they are created),
// then the configure, search-failure, search, login, RADIUS-note and pairing-introduction
// dialogs. The main window comes up with its first page alone; the dialogs follow once that
// page is painted, or as soon as anything asks for one of them. The dialogs see the wizard
// through the main window's WizardContext.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "ui/services.h"
#include "ui/wizard_context.h"

namespace trv81k {

class TMainForm;

class WindowSet {
public:
    explicit WindowSet(Services services);
    // Destroys the dialogs, then the main window (which closes the channel and stops the
    // receiver).
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    TMainForm& mainForm() { return *main_; }
    // A dialog; the first request creates them all, in their order.
    TConfigureForm& configureForm() { return CreateDialogs().configure; }
    TSearchFailForm& searchFailForm() { return CreateDialogs().searchFail; }
    TSearchForm& searchForm() { return CreateDialogs().search; }
    TLoginForm& loginForm() { return CreateDialogs().login; }
    TWPARadiusNoteForm& radiusNoteForm() { return CreateDialogs().radiusNote; }
    TBPSIntroForm& bpsIntroForm() { return CreateDialogs().bpsIntro; }
    // Everything the first page could do without: the main window's pages and the dialogs.
    void Complete();

    // The windows' object names in the order they were created.
    const std::vector<QString>& creationOrder() const { return creationOrder_; }

private:
    const Dialogs& CreateDialogs();

    // In the order of creation, so that they are destroyed in reverse: the main window last.
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<TConfigureForm> configure_;
    std::unique_ptr<TSearchFailForm> searchFail_;
    std::unique_ptr<TSearchForm> search_;
    std::unique_ptr<TLoginForm> login_;
    std::unique_ptr<TWPARadiusNoteForm> radiusNote_;
    std::unique_ptr<TBPSIntroForm> bpsIntro_;
    std::optional<Dialogs> dialogs_;
    std::vector<QString> creationOrder_;
};

}  // namespace trv81k
