#pragma once
// The note shown when WPA with a RADIUS server is chosen, which the wizard cannot set up.

#include "ui/look.h"

namespace trv81k {

class TWPARadiusNoteForm : public FramelessDialog {
    Q_OBJECT
public:
    TWPARadiusNoteForm();

    Picture* Image9 = nullptr;
    HolderPanel* Panel1 = nullptr;
    FlatPanel* OKPanel = nullptr;

    void OKPanelClick();

private:
    void FormCreate();
};

extern TWPARadiusNoteForm* WPARadiusNoteForm;

}  // namespace trv81k
