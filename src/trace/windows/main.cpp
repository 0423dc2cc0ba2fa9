// trv81k-trace.exe: the debug viewer that shows the trace lines of the TRV81K programs in a
// window of its own.

#include <windows.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

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
    CLI::App app{kDescription, "trv81k-trace"};
    app.set_version_flag("--version", std::string("trv81k-trace ") + TRV81K_VERSION);
    bool showLength = false;
    app.add_flag("--raw", showLength, "Also show the length of each received block, in brackets");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    return Run(showLength);
}
