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

// Creates one window, publishes its global instance and notes its name.
template <typename Form, typename... Args>
std::unique_ptr<Form> Create(Form*& global, std::vector<QString>& order, Args&&... args) {
    auto form = std::make_unique<Form>(std::forward<Args>(args)...);
    global = form.get();
    order.push_back(form->objectName());
    return form;
}

}  // namespace

WindowSet::WindowSet(Services services) {
    main_ = Create(MainForm, creationOrder_, CompleteServices(std::move(services)));
    configure_ = Create(ConfigureForm, creationOrder_);
    searchFail_ = Create(SearchFailForm, creationOrder_);
    search_ = Create(SearchForm, creationOrder_);
    login_ = Create(LoginForm, creationOrder_);
    radiusNote_ = Create(WPARadiusNoteForm, creationOrder_);
    bpsIntro_ = Create(BPSIntroForm, creationOrder_);
}

WindowSet::~WindowSet() {
    bpsIntro_.reset();
    BPSIntroForm = nullptr;
    radiusNote_.reset();
    WPARadiusNoteForm = nullptr;
    login_.reset();
    LoginForm = nullptr;
    search_.reset();
    SearchForm = nullptr;
    searchFail_.reset();
    SearchFailForm = nullptr;
    configure_.reset();
    ConfigureForm = nullptr;
    main_.reset();
    MainForm = nullptr;
}

}  // namespace trv81k
