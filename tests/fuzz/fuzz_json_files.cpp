// The files a user or an attacker hands the programs, read by the one JSON reader: an apply
// file of the command-line tool, the emulator's configuration and its state, over any bytes.
//
// Whatever they hold: no crash and no unbounded recursion; a refusal is one line that names
// what is wrong and repeats no long value whole; whatever the reader takes, the library would
// take too (the limits only ever refuse more).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/apply.h"
#include "emulator/config.h"
#include "fileio/json_reader.h"

namespace {

using namespace trv81k;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::array<std::uint8_t, 4> fixedToken() {
    return {1, 2, 3, 4};
}

// A message line: one line, short, without a control character.
void checkMessage(const std::string& text) {
    check(text.size() < 1024);
    for (const char c : text) {
        check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    auto read = ReadJson(text);
    if (auto* problem = std::get_if<JsonProblem>(&read)) {
        checkMessage(problem->text());
    } else {
        // Taken by the reader: the library takes it too, as the same value.
        check(nlohmann::json::parse(text, nullptr, false) == std::get<nlohmann::json>(read));
    }

    const emulator::DevicesResult config = emulator::parseConfig(text, fixedToken);
    if (!config.ok()) {
        checkMessage(config.error);
    }
    std::vector<emulator::EmulatedDevice> devices = emulator::defaultDevices(fixedToken);
    const emulator::StateApplied state = emulator::applyState(text, devices);
    if (!state.ok()) {
        checkMessage(state.error);
    }

    const cli::ApplyFile apply = cli::ReadApplyFile(text, "/nonexistent", "f.json");
    if (const auto* refusals = std::get_if<std::vector<Refusal>>(&apply)) {
        check(!refusals->empty());
        for (const Refusal& refusal : *refusals) {
            checkMessage(cli::RefusalLine(refusal, cli::Messages()));
        }
    }
    return 0;
}
