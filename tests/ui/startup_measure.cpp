// The wizard's start-up against a bare window: from the program's entry to its first window
// exposed on the display, in one process per launch (scripts/measure-startup launches both
// several times on one display and compares them).
//   startup_measure bare     a QWidget of the main window's size, shown
//   startup_measure text     the same with one line of text on it: the first text drawn reads
//                            the system's font configuration, which any window with a caption
//                            waits for
//   startup_measure wizard   the window set over emulated devices in memory (no sockets), with
//                            the real pictures and Language.ini
//   startup_measure eager    the same with the whole set built before the first page shows, as
//                            it was before the pages and dialogs waited for the first page
// Prints "<mode> <milliseconds>".

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <memory>

#include "resource/window_pictures.h"
#include "support/harness.h"
#include "ui/Mainunit.h"

using namespace trv81k;
using namespace trv81k::testing;

int main(int argc, char** argv) {
    QElapsedTimer sinceEntry;
    sinceEntry.start();
    const char* mode = argc > 1 ? argv[1] : "bare";
    const bool eager = std::strcmp(mode, "eager") == 0;
    const bool wizard = eager || std::strcmp(mode, "wizard") == 0;
    const bool text = std::strcmp(mode, "text") == 0;
    QApplication app(argc, argv);
    QWidget* shown = nullptr;
    std::unique_ptr<QWidget> bare;
    std::unique_ptr<Harness> harness;
    if (wizard) {
        SetPictureLibraryFolder(QStringLiteral(TRV81K_BINARY_DIR "/bin"));
        HarnessOptions options;
        options.realPictures = true;
        options.timeScale = 1.0;
        options.completeAtOnce = eager;
        options.devices = {MakeDevice(1, "TRV81K-Office")};
        harness = std::make_unique<Harness>(options);
        shown = &harness->windows().mainForm();
    } else {
        bare = std::make_unique<QWidget>();
        bare->resize(580, 436);
        if (text) {
            (new QLabel(QStringLiteral("Click Here to Start"), bare.get()))->move(20, 20);
        }
        bare->show();
        shown = bare.get();
    }
    const bool exposed = QTest::qWaitForWindowExposed(shown);
    const qint64 elapsed = sinceEntry.elapsed();
    std::printf("%s %lld%s\n", wizard || text ? mode : "bare", static_cast<long long>(elapsed),
                exposed ? "" : " (not exposed)");
    // The rest of the set is built once the first page is up; let it finish before the end.
    QTest::qWait(200);
    return exposed ? 0 : 1;
}
