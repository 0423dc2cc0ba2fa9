#include "ui/Configureunit.h"

#include "l10n/texts.h"
#include "ui/page_table.h"
#include "ui/wizard_context.h"

namespace trv81k {

namespace {

// As wide as the search dialog: the percentage needs its room.
constexpr int kShapeRight = 320;
constexpr int kHourGlassLeft = 8;
constexpr int kHourGlassTop = 13;

}  // namespace

TConfigureForm::TConfigureForm(WizardContext& context) : TSearchForm(context, Variant::Configure) {
    FormCreate();
}

void TConfigureForm::FormCreate() {
    // Narrower than the search dialog, and not draggable.
    CutToShape(kShapeRight);
    StackHourGlasses(kHourGlassLeft, kHourGlassTop);
    LoadLabelTexts(kConfigureFormKeys[0], kConfigureFormKeys[1]);
}

}  // namespace trv81k
