// trv81k-trace.exe: the debug viewer that shows the trace lines of the TRV81K programs in a
// window of its own.

#include <windows.h>

#include <cstdio>
#include <string>

#include "trace/viewer_main.h"
#include "trace/windows/trace_window.h"

namespace {

constexpr char kDescription[] =
    "Shows the debug trace lines of the TRV81K programs in a window, one per line with a local\n"
    "time stamp. The programs find the window by its class \"TMainFrame\" and its title\n"
    "\"TRACE Window\" on the same desktop; only one viewer runs per desktop.\n"
    "Bytes that are not printable ASCII are shown as \\xNN and a backslash as \\\\.\n"
    "Stops when its window is closed.";

int Run(bool showLength) {
    trv81k::TraceWindow window(showLength);
    if (!window.ok()) {
        std::fprintf(stderr, "trv81k-trace: %s\n", window.error().c_str());
        return 1;
    }
    ::ShowWindow(window.handle(), SW_SHOWNORMAL);
    ::UpdateWindow(window.handle());
    MSG message;
    BOOL got = 0;
    while ((got = ::GetMessageA(&message, nullptr, 0, 0)) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return got < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    return trv81k::ViewerMain(argc, argv, kDescription, Run);
}
