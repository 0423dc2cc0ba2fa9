#include "cli/command.h"

#include <algorithm>

namespace trv81k::cli {

CLI::Validator NumberCheck(double low, double high, bool whole) {
    return CLI::Validator(
        [=](std::string& text) { return NumberProblem(text, low, high, whole).value_or(""); }, "");
}

CLI::Option* AddTimeout(CLI::App& command, double& seconds) {
    return command
        .add_option("--timeout", seconds, "the longest the answers are waited for (default 3)")
        ->type_name("SECONDS")
        ->check(NumberCheck(0.001, 3600.0, false));
}

void TableOptions::addTo(CLI::App& command, std::initializer_list<std::string_view> only) {
    for (const ConfigureOption& row : ConfigureOptionTable()) {
        if (only.size() > 0 && std::find(only.begin(), only.end(), row.name) == only.end()) {
            continue;
        }
        Bound& b = bound_.emplace_back();
        b.row = &row;
        const std::string name = "--" + std::string(row.name);
        const std::string help(row.help);
        switch (row.kind) {
            case OptionKind::Flag:
                b.option = command.add_flag(name, std::get<bool>(b.value), help);
                break;
            case OptionKind::Text:
                b.value = std::string();
                b.option = command.add_option(name, std::get<std::string>(b.value), help);
                break;
            case OptionKind::Number:
                b.value = 0;
                b.option = command.add_option(name, std::get<int>(b.value), help)
                               ->check(NumberCheck(row.low, row.high, true));
                break;
        }
        if (!row.typeName.empty()) {
            b.option->type_name(std::string(row.typeName));
        }
    }
}

CLI::Option* TableOptions::find(std::string_view name) const {
    for (const Bound& b : bound_) {
        if (b.row->name == name) {
            return b.option;
        }
    }
    return nullptr;
}

void TableOptions::store(ConfigureOptions& options) const {
    for (const Bound& b : bound_) {
        if (b.option->count() > 0) {
            b.row->assign(options, b.value);
        }
    }
}

// The device password from the option, its file, the environment or a prompt, in that order.
std::variant<Password, Refusal> ResolveDevicePassword(const ConfigureOptions& given,
                                                      const Environment& environment,
                                                      const std::string& promptText) {
    PasswordInputs inputs;
    inputs.option = given.password;
    inputs.file = given.passwordFile;
    if (environment.getenv) {
        inputs.environment = environment.getenv(kPasswordVariable);
    }
    inputs.stdinFd = environment.stdinFd;
    inputs.stdinIsTerminal = environment.stdinIsTerminal;
    inputs.prompt = [&]() -> std::optional<std::string> {
        if (environment.prompt) {
            return environment.prompt(promptText);
        }
        return PromptWithoutEcho(environment.stdinFd, 2, promptText);
    };
    return ResolvePassword(inputs);
}

}  // namespace trv81k::cli
