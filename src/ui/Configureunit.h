#pragma once
// The configure dialog: the search dialog's design and progress bar, shown modally while the
// configure request is written into the chosen access point.

#include "ui/Searchunit.h"

namespace trv81k {

class TConfigureForm : public TSearchForm {
    Q_OBJECT
public:
    explicit TConfigureForm(TMainForm& main);

protected:
    void Timer1Timer() override;

private:
    void FormCreate();
};

}  // namespace trv81k
