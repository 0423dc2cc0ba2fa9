#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli/password.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {

namespace {

std::string dashed(std::string_view name) {
    return "--" + std::string(name);
}

}  // namespace

std::optional<std::string> NumberProblem(std::string_view text, double low, double high,
                                         bool whole) {
    const auto number = [](double value) {
        std::array<char, 32> buffer{};
        std::snprintf(buffer.data(), buffer.size(), "%g", value);
        return std::string(buffer.data());
    };
    const std::string range = number(low) + " to " + number(high);
    const std::string kind = whole ? "a whole number" : "a number";
    if (text.empty()) {
        return "is empty; give " + kind + " from " + range;
    }
    const std::string shown = "\"" + ShownValue(std::string(text).substr(0, 64)) + "\"";
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (whole) {
        long long integer = 0;
        const auto [end, error] = std::from_chars(first + (*first == '+' ? 1 : 0), last, integer);
        if (error == std::errc::result_out_of_range) {
            return shown + " is outside " + range;
        }
        if (error != std::errc() || end != last) {
            return shown + " is not " + kind + " from " + range;
        }
        value = static_cast<double>(integer);
    } else {
        // strtod takes "nan" and "inf"; neither is a number of seconds.
        const std::string copy(text);
        char* end = nullptr;
        errno = 0;
        value = std::strtod(copy.c_str(), &end);
        const bool letters = std::any_of(copy.begin(), copy.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) != 0 && c != 'e' && c != 'E';
        });
        if (end != copy.c_str() + copy.size() || letters || std::isspace(copy.front()) != 0) {
            return shown + " is not " + kind + " from " + range;
        }
        if (!std::isfinite(value) || errno == ERANGE) {
            return shown + " is outside " + range;
        }
    }
    if (value < low || value > high) {
        return shown + " is outside " + range;
    }
    return std::nullopt;
}

std::variant<SecretOrigins, Refusal> ReadSecrets(ConfigureOptions& options,
                                                 const SecretContext& context) {
    SecretOrigins origins;
    // Standard input holds one line for one of them.
    std::string stdinUser;
    for (const std::string_view name :
         {"password-file", "new-password-file", "key-file", "passphrase-file"}) {
        const auto& file = options.*(FindConfigureOption(name)->text);
        if (file && *file == "-") {
            if (!context.stdinAllowed) {
                return Refuse(dashed(name) + " -", "standard input cannot be read here");
            }
            if (!stdinUser.empty()) {
                return Refuse(dashed(name) + " -",
                              "standard input is taken by " + stdinUser + " -");
            }
            stdinUser = dashed(name);
        }
    }
    for (const SecretOption& secret : kSecretOptions) {
        auto& value = options.*(FindConfigureOption(secret.name)->text);
        auto& file = options.*(FindConfigureOption(secret.fileName)->text);
        if (file) {
            const std::string subject = dashed(secret.fileName) + " " + *file;
            auto line = ReadSecretFile(*file, context.stdinFd, context.folder, subject);
            if (auto* refusal = std::get_if<Refusal>(&line)) {
                refusal->field = secret.fileName;
                return std::move(*refusal);
            }
            value = std::get<std::string>(std::move(line));
            file.reset();
            origins.emplace_back(secret.name, subject);
        }
    }
    if (!context.getenv) {
        return origins;
    }
    // A variable stands in for its option only where nothing on the command line decides it.
    const auto decided = [&](std::string_view name) {
        return FindConfigureOption(name)->isSet(options) || ConflictingSet(name, options);
    };
    std::vector<std::pair<const SecretOption*, std::string>> taken;
    for (const SecretOption& secret : kSecretOptions) {
        if (decided(secret.name) || decided(secret.fileName)) {
            continue;
        }
        if (std::optional<std::string> value = context.getenv(secret.variable);
            value && !value->empty()) {
            for (const auto& [earlier, unused] : taken) {
                for (const OptionConflict& conflict : ConfigureConflicts()) {
                    if ((conflict.first == earlier->name && conflict.second == secret.name) ||
                        (conflict.first == secret.name && conflict.second == earlier->name)) {
                        return Refuse(secret.variable,
                                      "cannot go with " + std::string(earlier->variable),
                                      "unset one of them");
                    }
                }
            }
            taken.emplace_back(&secret, std::move(*value));
        }
    }
    for (auto& [secret, value] : taken) {
        options.*(FindConfigureOption(secret->name)->text) = std::move(value);
        origins.emplace_back(secret->name, secret->variable);
    }
    return origins;
}

std::variant<ConfigurePlan, Refusal> CheckOptions(ConfigureOptions& options,
                                                  const SecretContext& context, bool sayOrigin) {
    if (auto refusal = CheckConflicts(options)) {
        return *refusal;
    }
    auto origins = ReadSecrets(options, context);
    if (auto* refusal = std::get_if<Refusal>(&origins)) {
        return std::move(*refusal);
    }
    auto checked = CheckConfigureOptions(options);
    if (auto* refusal = std::get_if<Refusal>(&checked); refusal != nullptr && sayOrigin) {
        for (const auto& [name, origin] : std::get<SecretOrigins>(origins)) {
            if (refusal->field == name && refusal->hint.empty()) {
                refusal->hint = "the value came from " + origin;
            }
        }
    }
    return checked;
}

}  // namespace trv81k::cli
