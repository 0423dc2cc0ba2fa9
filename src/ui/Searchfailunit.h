#pragma once
// The search-failure dialog: no usable access point answered; it names each adapter searched
// on with the diagnosis's finding for it. Continue leads back to the welcome page.

#include <vector>

#include "core/diagnosis.h"
#include "ui/look.h"

namespace trv81k {

class WizardContext;

class TSearchFailForm : public FramelessDialog {
    Q_OBJECT
public:
    explicit TSearchFailForm(WizardContext& context);

    void ContinuePanelClick();
    // Names each adapter with its findings, in the window's language (the first
    // kAdaptersShown of them, and how many more there are).
    void ShowDiagnosis(const Diagnosis& diagnosis);
    static constexpr std::size_t kAdaptersShown = 2;

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
    WizardContext& context_;
};

}  // namespace trv81k
