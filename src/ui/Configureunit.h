#pragma once
// The configure dialog: the search dialog's design and progress bar, shown modally while the
// configure request is written into the chosen access point.

#include "ui/Searchunit.h"

namespace trv81k {

class TConfigureForm : public TSearchForm {
    Q_OBJECT
public:
    TConfigureForm();

protected:
    void Timer1Timer() override;

private:
    void FormCreate();
};

extern TConfigureForm* ConfigureForm;

}  // namespace trv81k
