#include "trace/viewer_main.h"

#include <CLI/CLI.hpp>
#include <string>

namespace trv81k {

int ViewerMain(int argc, char** argv, const char* description, int (*run)(bool showLength)) {
    CLI::App app{description, "trv81k-trace"};
    app.set_version_flag("--version", std::string("trv81k-trace ") + TRV81K_VERSION);
    bool showLength = false;
    app.add_flag("--raw", showLength, "Also show the length of each received block, in brackets");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    return run(showLength);
}

}  // namespace trv81k
