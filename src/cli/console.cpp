#include "cli/console.h"

#include "settings/text_encoding.h"

namespace trv81k::cli {

void Say(std::ostream& stream, const std::string& text) {
    // A line may carry a device's or a file's text: none of it may steer the terminal.
    stream << kProgramName << ": " << TerminalText(text) << '\n' << std::flush;
}

int Report(Console& console, const Messages& messages, const Refusal& refusal) {
    console.err << RefusalLine(refusal, messages) << '\n' << std::flush;
    return ExitCode(refusal.outcome);
}

NoteFn VerboseNotes(Console& console) {
    if (!console.verbose) {
        return {};
    }
    return [&console](const std::string& line) { Say(console.err, line); };
}

}  // namespace trv81k::cli
