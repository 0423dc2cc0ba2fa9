#include "ui/windowset.h"

#include "ui/Bpsintrounit.h"
#include "ui/Configureunit.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Searchunit.h"
#include "ui/Wparadiusnote.h"

namespace trv81k {

namespace {

// Creates one window and notes its name.
template <typename Form, typename... Args>
std::unique_ptr<Form> Create(std::vector<QString>& order, Args&&... args) {
    auto form = std::make_unique<Form>(std::forward<Args>(args)...);
    order.push_back(form->objectName());
    return form;
}

}  // namespace

WindowSet::WindowSet(Services services) {
    main_ = Create<TMainForm>(creationOrder_, CompleteServices(std::move(services)));
    main_->setDialogSource([this]() -> const Dialogs& { return CreateDialogs(); });
}

void WindowSet::Complete() {
    main_->BuildPages();
    CreateDialogs();
}

const Dialogs& WindowSet::CreateDialogs() {
    if (dialogs_) {
        return *dialogs_;
    }
    TMainForm& main = *main_;
    configure_ = Create<TConfigureForm>(creationOrder_, main);
    searchFail_ = Create<TSearchFailForm>(creationOrder_, main);
    search_ = Create<TSearchForm>(creationOrder_, main);
    login_ = Create<TLoginForm>(creationOrder_, main);
    radiusNote_ = Create<TWPARadiusNoteForm>(creationOrder_, main.services(), main.languageSection,
                                             main.languageBase);
    bpsIntro_ = Create<TBPSIntroForm>(creationOrder_, main.services(), main.languageSection,
                                      main.languageBase);
    // Every window carries the product's icon, so a task bar shows it; decoded and handed to
    // the display after the first page is up, which it would delay.
    const QIcon icon = ProductIcon(main.services());
    for (QWidget* window : std::initializer_list<QWidget*>{
             main_.get(), configure_.get(), searchFail_.get(), search_.get(), login_.get(),
             radiusNote_.get(), bpsIntro_.get()}) {
        window->setWindowIcon(icon);
    }
    dialogs_.emplace(
        Dialogs{*configure_, *searchFail_, *search_, *login_, *radiusNote_, *bpsIntro_});
    return *dialogs_;
}

// The members go in reverse order of their declaration: the dialogs first, the main window
// last.
WindowSet::~WindowSet() = default;

}  // namespace trv81k
