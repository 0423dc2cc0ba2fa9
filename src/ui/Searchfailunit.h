#pragma once
// The search-failure dialog: no usable access point answered on the adapters it names;
// Continue leads back to the welcome page.

#include <vector>

#include "platform/adapters.h"
#include "ui/look.h"

namespace trv81k {

class TMainForm;

class TSearchFailForm : public FramelessDialog {
    Q_OBJECT
public:
    explicit TSearchFailForm(TMainForm& main);

    void ContinuePanelClick();
    // Names the adapters the search went out on.
    void ShowAdapters(const std::vector<Adapter>& adapters);

private:
    // The controls, by their design names (also their objectName).
    struct Design {
        Picture* Image1 = nullptr;
        HolderPanel* Panel1 = nullptr;
        FlatPanel* ContinuePanel = nullptr;
        QLabel* AdaptersLabel = nullptr;
    };

    void FormCreate();

    Design ui_;
    TMainForm& main_;
};

}  // namespace trv81k
