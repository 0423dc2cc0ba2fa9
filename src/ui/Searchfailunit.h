#pragma once
// The search-failure dialog: no usable access point answered; Continue leads back to the
// welcome page.

#include "ui/look.h"

namespace trv81k {

class TSearchFailForm : public FramelessDialog {
    Q_OBJECT
public:
    TSearchFailForm();

    Picture* Image1 = nullptr;
    HolderPanel* Panel1 = nullptr;
    FlatPanel* ContinuePanel = nullptr;

    void ContinuePanelClick();

private:
    void FormCreate();
};

extern TSearchFailForm* SearchFailForm;

}  // namespace trv81k
