#pragma once
// Records what the search or configure dialog shows at the end of each tick.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "ui/Searchunit.h"

namespace trv81k::testing {

// What the dialog showed at the end of each tick.
struct TickRecord {
    int counter = 0;
    int interval = 0;
    QString percentage;
    int filledCells = 0;
    int visibleGlass = -1;  // index of the one visible hourglass, -1 none, -2 several
    qint64 atMs = 0;
};

class TickRecorder : public QObject {
public:
    explicit TickRecorder(TSearchForm& form) : form_(form) {
        clock_.start();
        connect(&form, &TSearchForm::ticked, this, [this](int counter) { record(counter); });
    }
    std::vector<TickRecord> ticks;
    std::function<void(int)> onTick;

private:
    void record(int counter) {
        TickRecord r;
        r.counter = counter;
        r.interval = form_.Timer1->interval();
        r.percentage = form_.Percentage_Label->text();
        for (std::size_t i = 0; i < 10; ++i) {
            r.filledCells += form_.cellFilled(i) ? 1 : 0;
        }
        for (std::size_t i = 0; i < form_.HourGlassImage.size(); ++i) {
            if (form_.HourGlassImage[i]->isVisible()) {
                r.visibleGlass = r.visibleGlass == -1 ? static_cast<int>(i) : -2;
            }
        }
        r.atMs = clock_.elapsed();
        ticks.push_back(r);
        if (onTick) {
            onTick(counter);
        }
    }
    TSearchForm& form_;
    QElapsedTimer clock_;
};

}  // namespace trv81k::testing
