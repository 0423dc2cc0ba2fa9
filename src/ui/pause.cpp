#include "ui/pause.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <memory>

namespace trv81k {

namespace {

bool IsUserInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
            return true;
        case QEvent::Close:
            // The window system's close request; the program's own close() calls pass.
            return event.spontaneous();
        default:
            return false;
    }
}

// Installed on the application while at least one wait runs.
class InputDrain : public QObject {
protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override { return IsUserInput(*event); }
};

// How often a wait looks at its condition.
constexpr int kLookEvery = 5;  // ms

int gActiveWaits = 0;
std::unique_ptr<InputDrain> gDrain;

}  // namespace

bool pauseDrainingActive() {
    return gActiveWaits > 0;
}

void pauseUntil(std::chrono::milliseconds limit, const std::function<bool()>& done, bool drain) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || limit.count() <= 0 || (done && done())) {
        return;
    }
    if (drain && gActiveWaits++ == 0) {
        gDrain = std::make_unique<InputDrain>();
        app->installEventFilter(gDrain.get());
    }
    {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer look;
        if (done) {
            QObject::connect(&look, &QTimer::timeout, &loop, [&loop, &done] {
                if (done()) {
                    loop.quit();
                }
            });
            look.start(kLookEvery);
        }
        timer.start(static_cast<int>(limit.count()));
        loop.exec();
    }
    if (drain && --gActiveWaits == 0) {
        app->removeEventFilter(gDrain.get());
        gDrain.reset();
    }
}

void pauseDraining(std::chrono::milliseconds duration) {
    pauseUntil(duration, {}, true);
}

WaitFn WizardWait() {
    return [](WaitKind kind, std::chrono::milliseconds limit, const std::function<bool()>& done) {
        pauseUntil(limit, done, kind == WaitKind::Pause);
    };
}

}  // namespace trv81k
