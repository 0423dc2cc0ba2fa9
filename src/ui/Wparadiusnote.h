#pragma once
// The note shown when WPA with a RADIUS server is chosen, which the wizard cannot set up.

#include <string>

#include "ui/look.h"
#include "ui/services.h"

namespace trv81k {

class TWPARadiusNoteForm : public FramelessDialog {
    Q_OBJECT
public:
    // Reads its picture and caption for the main window's language while it is created.
    TWPARadiusNoteForm(const Services& services, const std::string& languageSection,
                       int languageBase);

    void OKPanelClick();

private:
    // The controls, by their design names (also their objectName).
    struct Design {
        Picture* Image9 = nullptr;
        HolderPanel* Panel1 = nullptr;
        FlatPanel* OKPanel = nullptr;
    };

    void FormCreate(const Services& services, const std::string& languageSection, int languageBase);

    Design ui_;
};

}  // namespace trv81k
