#pragma once
// The seven windows of the wizard, created once in a fixed order and kept until the end: the
// main window first (it chooses the language that the others read while they are created),
// then the configure, search-failure, search, login, RADIUS-note and pairing-introduction
// dialogs. The dialogs that act on the main window are given it; the main window is given the
// dialogs once they all exist.

#include <QString>
#include <memory>
#include <vector>

#include "ui/services.h"

namespace trv81k {

class TMainForm;
class TConfigureForm;
class TSearchFailForm;
class TSearchForm;
class TLoginForm;
class TWPARadiusNoteForm;
class TBPSIntroForm;

class WindowSet {
public:
    explicit WindowSet(Services services);
    // Destroys the dialogs, then the main window (which closes the channel and stops the
    // receiver).
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    TMainForm& mainForm() { return *main_; }
    TConfigureForm& configureForm() { return *configure_; }
    TSearchFailForm& searchFailForm() { return *searchFail_; }
    TSearchForm& searchForm() { return *search_; }
    TLoginForm& loginForm() { return *login_; }
    TWPARadiusNoteForm& radiusNoteForm() { return *radiusNote_; }
    TBPSIntroForm& bpsIntroForm() { return *bpsIntro_; }

    // The windows' object names in the order they were created.
    const std::vector<QString>& creationOrder() const { return creationOrder_; }

private:
    // In the order of creation, so that they are destroyed in reverse: the main window last.
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<TConfigureForm> configure_;
    std::unique_ptr<TSearchFailForm> searchFail_;
    std::unique_ptr<TSearchForm> search_;
    std::unique_ptr<TLoginForm> login_;
    std::unique_ptr<TWPARadiusNoteForm> radiusNote_;
    std::unique_ptr<TBPSIntroForm> bpsIntro_;
    std::vector<QString> creationOrder_;
};

}  // namespace trv81k
