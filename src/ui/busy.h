#pragma once
// A sign that the wizard is waiting for the device: a turning arc and a line of text, with the
// busy pointer over the windows. The arc turns by a timer of its own, so it moves during the
// waits that drop the user's input (they keep the windows painting).

#include <QLabel>
#include <QTimer>

namespace trv81k {

class BusySign : public QLabel {
    Q_OBJECT
public:
    BusySign(QWidget* parent, const char* name);
    ~BusySign() override;
    BusySign(const BusySign&) = delete;
    BusySign& operator=(const BusySign&) = delete;

    // Shows the sign with `text` and the busy pointer, until stop().
    void start(const QString& text);
    void stop();
    bool running() const { return turn_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer turn_;
    int angle_ = 0;
};

}  // namespace trv81k
