#pragma once
// The configure dialog: the search dialog's design and progress bar, shown modally while the
// configure exchange writes the settings into the chosen access point.

#include "ui/Searchunit.h"

namespace trv81k {

class TConfigureForm : public TSearchForm {
    Q_OBJECT
public:
    explicit TConfigureForm(WizardContext& context);

private:
    void FormCreate();
};

}  // namespace trv81k
