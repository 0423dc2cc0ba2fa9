#pragma once
// Records what the search or configure dialog shows at the end of each tick.

#include <QByteArray>
#include <QElapsedTimer>
#include <QLabel>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "support/controls.h"
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
        r.interval = static_cast<int>(form_.tickInterval().count());
        r.percentage = Control<QLabel>(form_, "Percentage_Label").text();
        for (std::size_t i = 0; i < std::size_t{TSearchForm::kCellCount}; ++i) {
            r.filledCells += form_.cellFilled(i) ? 1 : 0;
        }
        for (int i = 0; i < TSearchForm::kHourGlassCount; ++i) {
            const QByteArray name = "HourGlassImage" + QByteArray::number(i + 1);
            if (Control<Picture>(form_, name.constData()).isVisible()) {
                r.visibleGlass = r.visibleGlass == -1 ? i : -2;
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
