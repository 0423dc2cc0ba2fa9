#include "ui/Wparadiusnote.h"

#include "l10n/profile_reader.h"
#include "l10n/texts.h"

namespace trv81k {

TWPARadiusNoteForm::TWPARadiusNoteForm(const Services& services, const std::string& languageSection,
                                       int languageBase)
    : FramelessDialog("WPARadiusNoteForm", 496, 365) {
    SetBackground(this, look::kWhite);
    Image9 = new Picture(this, "Image9");
    Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    Panel1->setGeometry(408, 322, 88, 42);
    OKPanel = new FlatPanel(Panel1, "OKPanel", QStringLiteral("OK"));
    OKPanel->setGeometry(27, 6, 37, 27);
    OKPanel->setFont(PixelFont("Impact", 21));
    OKPanel->setCursor(Qt::ArrowCursor);

    connect(OKPanel, &FlatPanel::clicked, this, &TWPARadiusNoteForm::OKPanelClick);
    connect(Panel1, &HolderPanel::mouseMoved, this,
            [this] { OKPanel->setCaptionColour(look::kGrey); });
    FormCreate(services, languageSection, languageBase);
}

void TWPARadiusNoteForm::FormCreate(const Services& services, const std::string& languageSection,
                                    int languageBase) {
    Image9->setGeometry(0, 0, width(), height());
    EnableSurfaceDrag(this);
    ApplyRoundRectShape(this, width(), height(), 10, 10);
    Image9->setStretchedImage(services.libraryPicture(languageBase + 22));
    const ProfileReader reader(services.languageFile);
    OKPanel->setCaption(
        QString::fromStdString(reader.ReadString(languageSection, kWPARadiusNoteFormKeys[0], "")));
}

void TWPARadiusNoteForm::OKPanelClick() {
    done(QDialog::Accepted);
}

}  // namespace trv81k
