#pragma once
// The search dialog: a small progress window shown modally while the access points answer a
// search request. The exchange's ticks fill the ten progress cells; once a device with the
// pairing marker has been stored, the remaining ticks follow quickly. Between the ticks the bar
// moves on with the time toward the next tick's step (the next cell fills gradually, the
// percentage counts up, the hourglass turns) without reaching it: the dialog never looks hung,
// also through the configure dialog's seven seconds to its first tick. That is the dialog's own
// show; the exchange's timing stays as it is.

#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <chrono>
#include <functional>

#include "core/exchanges.h"
#include "ui/look.h"

namespace trv81k {

class WizardContext;

class TSearchForm : public FramelessDialog {
    Q_OBJECT
public:
    explicit TSearchForm(WizardContext& context);

    static constexpr int kCellCount = 10;      // progress cells
    static constexpr int kHourGlassCount = 4;  // hourglass pictures, shown in turn

    // The tick counter, 0 to 12.
    int tickCount = 0;

    // Shows the dialog modally while `exchange` runs with the dialog's progress: each tick
    // moves the bar, and the dialog closes after the last one (or when the exchange ends early).
    void RunExchange(const std::function<void(const Exchanges::Progress&)>& exchange);

    // Whether progress cell i (0 to 9) is filled (wholly).
    bool cellFilled(std::size_t index) const;
    // The interval to the next tick, as the last tick left it.
    std::chrono::milliseconds tickInterval() const { return interval_; }

signals:
    // After each tick's work, before the dialog closes on the last one; `counter` is the
    // counter's value at the start of the tick (0 to 11).
    void ticked(int counter);

protected:
    // The controls, by their design names (also their objectName).
    struct Design {
        Picture* Image1 = nullptr;
        QLabel* Label1 = nullptr;
        QLabel* Label2 = nullptr;
        std::array<QLabel*, kCellCount> ProgressPanel{};  // ProgressPanel1 .. ProgressPanel10
        QLabel* Percentage_Label = nullptr;
        std::array<Picture*, kHourGlassCount> HourGlassImage{};  // HourGlassImage1 .. 4
    };

    enum class Variant { Search, Configure };
    TSearchForm(WizardContext& context, Variant variant);

    void showEvent(QShowEvent* event) override;
    void FormShow();
    // One tick of the exchange: the hourglass, the progress step of ticks 1 to 10.
    void ShowTick(const Exchanges::Tick& tick);

    // One step of the progress bar for n = 1 to 10: cell n filled, the percentage n times ten,
    // one hourglass picture in the cycle 1, 2, 3, 4.
    void ShowProgressStep(int n);
    // Cuts the dialog to its rounded shape, `right` pixels wide.
    void CutToShape(int right);
    // Hides the four hourglass pictures and stacks them at (left, top).
    void StackHourGlasses(int left, int top);
    void LoadLabelTexts(std::string_view key1, std::string_view key2);

    Design ui_;  // the configure dialog shares the design
    WizardContext& context_;
    std::chrono::milliseconds interval_{0};

private:
    void BuildDesign(Variant variant);
    void FormCreate();
    // Starts the show between the ticks, from no step done, the first tick `firstTick` away.
    void StartMoving(std::chrono::milliseconds firstTick);
    // One frame of it: the share of the next cell that the time since the last step asks for.
    void MoveOn();
    void StopMoving();

    std::chrono::milliseconds slowTick_{0};  // the dialog's tick until its answer is in
    QTimer moving_;
    QElapsedTimer sinceStep_;                  // since the last step (or the start)
    std::chrono::milliseconds toNextStep_{0};  // from the last step to the next one's tick
    int stepsDone_ = 0;                        // cells the ticks have filled
    int framesShown_ = 0;                      // of the show, for the hourglass's turns
    double shownShare_ = 0;                    // of the next cell, as shown
};

}  // namespace trv81k
