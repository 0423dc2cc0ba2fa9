#pragma once
// The pairing introduction: three pictures that show where the Button Pair Setup button is and
// how it is used, with buttons Close and Next whose faces are pictures. Next is the default
// button while there is a next picture, Close on the last; Escape closes.

#include <array>
#include <string>

#include "ui/look.h"
#include "ui/services.h"

namespace trv81k {

class TBPSIntroForm : public FramelessDialog {
    Q_OBJECT
public:
    // Reads its pictures for the main window's language while it is created.
    TBPSIntroForm(const Services& services, const std::string& languageSection, int languageBase);

    // The picture number on show: 15, 16 or 17.
    int introStep = 0;

    void ShowIntroStep(int step);
    void HideIntroControls();
    void PlaceIntroControls();
    void NextButtonImageClick();
    void CloseButtonImageClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The controls, by their design names (also their objectName).
    struct Design {
        std::array<Picture*, 3> BPSImage{};  // BPSImage1 .. BPSImage3
        HolderPanel* ClosePanel = nullptr;
        FlatPanel* CloseButtonImage = nullptr;
        HolderPanel* NextPanel = nullptr;
        FlatPanel* NextButtonImage = nullptr;
    };

    void FormCreate(const Services& services, const std::string& languageSection, int languageBase);
    void FormShow();

    Design ui_;
    QString title_;  // the windows' title
};

}  // namespace trv81k
