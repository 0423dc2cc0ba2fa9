// Measurements of the wizard, offscreen and in-process (no sockets):
//   1. start-up: from the program's entry to the first page shown;
//   2. resident memory after walking to the access-point list against three devices;
//   3. painting during the login wait: paint events delivered to the login dialog while
//      pauseDraining waits, compared with a blocking sleep of the same length.
// Prints one line per measurement.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <cstdio>
#include <thread>

#include "resource/window_pictures.h"
#include "support/harness.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/pause.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

// Counts the paint events delivered to a window and its controls.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* window) : window_(window) {}
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && (widget == window_ || window_->isAncestorOf(widget))) {
                ++paints;
            }
        }
        return false;
    }

private:
    QWidget* window_;
};

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceEntry;
    sinceEntry.start();
    QApplication app(argc, argv);
    SetPictureLibraryFolder(QStringLiteral(TRV81K_BINARY_DIR "/bin"));

    HarnessOptions options;
    options.realPictures = true;
    options.timeScale = 1.0;
    options.devices = {MakeDevice(1, "TRV81K-Office"), MakeDevice(2, "TRV81K-Hall"),
                       MakeDevice(3, "TRV81K-Garden")};
    Harness h(options);
    const bool exposed = QTest::qWaitForWindowExposed(&h.main());
    std::printf("start-up to first page shown: %lld ms (page %d, exposed %s)\n",
                static_cast<long long>(sinceEntry.elapsed()), h.main().nCurrentPage,
                exposed ? "yes" : "no");

    h.walkToList();
    std::printf("resident memory on the access-point list: %ld kB (page %d, %d devices)\n",
                ResidentKilobytes(), h.main().nCurrentPage,
                Control<QListWidget>(h.main(), "APListView").count());

    // The login dialog up, a repaint of its password box requested every 16 ms (as an expose
    // or the blinking cursor would), during the 500 ms wait. (The dialog itself is covered by
    // its opaque picture: a repaint of it alone paints nothing.)
    TLoginForm& login = h.windows().loginForm();
    login.show();
    if (!QTest::qWaitForWindowExposed(&login)) {
        std::fprintf(stderr, "wizard_measure: the login dialog was not shown\n");
    }
    PaintCounter counter(&login);
    app.installEventFilter(&counter);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, &login,
                     [&login] { Control<QLineEdit>(login, "PasswordEdit").update(); });
    repaint.start(16);
    QElapsedTimer clock;
    clock.start();
    pauseDraining(h.timing().loginPause);
    const qint64 waited = clock.elapsed();
    const int duringPause = counter.paints;

    counter.paints = 0;
    std::this_thread::sleep_for(h.timing().loginPause);  // how a blocking wait would fare
    const int duringSleep = counter.paints;
    repaint.stop();
    login.hide();
    std::printf(
        "paint events of the login dialog during a %lld ms pauseDraining: %d "
        "(during a blocking sleep of the same length: %d)\n",
        static_cast<long long>(waited), duringPause, duringSleep);
    return duringPause > 0 ? 0 : 1;
}
