#include "ui/Configureunit.h"

#include "l10n/texts.h"

namespace trv81k {

TConfigureForm* ConfigureForm = nullptr;

TConfigureForm::TConfigureForm() : TSearchForm(Design::Configure) {
    FormCreate();
}

void TConfigureForm::FormCreate() {
    // Narrower than the search dialog, and not draggable.
    ApplyRoundRectShape(this, 290, 85, 20, 20);
    StackHourGlasses(8, 13);
    LoadLabelTexts(kConfigureFormKeys[0], kConfigureFormKeys[1]);
}

// The configure exchange's tick: the progress step and the end after twelve ticks. The repeated
// request and the quick finish after the acknowledgement come with the configure exchange.
void TConfigureForm::Timer1Timer() {
    HourGlassImage[1]->hide();
    const int n = tickCount;
    if (n >= 1 && n <= 10) {
        ShowProgressStep(n);
    }
    ++tickCount;
    emit ticked(n);
    if (tickCount >= 12) {
        done(QDialog::Accepted);
        Timer1->stop();
        tickCount = 0;
    }
}

}  // namespace trv81k
