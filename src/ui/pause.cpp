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

int gActiveWaits = 0;
std::unique_ptr<InputDrain> gDrain;

}  // namespace

bool pauseDrainingActive() {
    return gActiveWaits > 0;
}

void pauseDraining(std::chrono::milliseconds duration) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || duration.count() <= 0) {
        return;
    }
    if (gActiveWaits++ == 0) {
        gDrain = std::make_unique<InputDrain>();
        app->installEventFilter(gDrain.get());
    }
    {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(duration.count()));
        loop.exec();
    }
    if (--gActiveWaits == 0) {
        app->removeEventFilter(gDrain.get());
        gDrain.reset();
    }
}

}  // namespace trv81k
