#include "ui/Configureunit.h"

#include "l10n/texts.h"
#include "ui/Mainunit.h"

namespace trv81k {

namespace {

constexpr int kShapeRight = 290;
constexpr int kHourGlassLeft = 8;
constexpr int kHourGlassTop = 13;

}  // namespace

TConfigureForm::TConfigureForm(TMainForm& main) : TSearchForm(main, Variant::Configure) {
    FormCreate();
}

void TConfigureForm::FormCreate() {
    // Narrower than the search dialog, and not draggable.
    CutToShape(kShapeRight);
    StackHourGlasses(kHourGlassLeft, kHourGlassTop);
    LoadLabelTexts(kConfigureFormKeys[0], kConfigureFormKeys[1]);
}

// One tick of the configure exchange: the request again at ticks 0, 3, 6 and 9, the progress
// step, and the quick finish once the device has acknowledged (the interval is never set back,
// so a second exchange in the same run ticks quickly from its first tick).
void TConfigureForm::Timer1Timer() {
    ui_.HourGlassImage[1]->hide();
    const int n = tickCount;
    TMainForm& main = main_;
    if (n % 3 == 0) {
        main.network().sendPacket(PacketKind::Configure, main.wizard);
    }
    if (n >= 1 && n <= 10) {
        ShowProgressStep(n);
    }
    ++tickCount;
    if (main.exchange().bConfigureAckSeen.load(std::memory_order_acquire)) {
        ui_.Timer1->setInterval(main.timing().fastTick);
    }
    emit ticked(n);
    if (tickCount >= 12) {
        done(QDialog::Accepted);
        ui_.Timer1->stop();
        tickCount = 0;
    }
}

}  // namespace trv81k
