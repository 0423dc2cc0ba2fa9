// wep-key: the key the WEP page derives from a passphrase (UTF-8, 1 to 16 Latin-1 characters),
// bits 64 (key 1, 10 digits) or 128 (26 digits), upper-case hexadecimal on a line of its own.

#include "cli/command.h"
#include "core/overrides.h"

namespace trv81k::cli {
namespace {

class WepKey final : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        CLI::App* command = app.add_subcommand(
            "wep-key", "print the WEP key that the wizard derives from a passphrase");
        command->add_option("--bits", bits_, "64 (key 1, 10 hexadecimal digits) or 128 (26 digits)")
            ->required()
            ->type_name("64|128")
            ->check(NumberCheck(64, 128, true))
            ->check(CLI::IsMember({64, 128}));
        command->add_option("PASSPHRASE", passphrase_, "1 to 16 characters")->required();
        return command;
    }

    bool usesNetwork() const override { return false; }

    int run(Context& context) override {
        const auto latin1 = DeviceLatin1("PASSPHRASE", passphrase_);
        if (const auto* refusal = std::get_if<Refusal>(&latin1)) {
            return report(context, *refusal);
        }
        auto key = WepKeyFromPassphrase(bits_ == 64 ? kSecurityWep64 : kSecurityWep128,
                                        std::get<std::string>(latin1), "PASSPHRASE");
        if (auto* refusal = std::get_if<Refusal>(&key)) {
            return report(context, *refusal);
        }
        if (std::get<std::string>(key).empty()) {
            // Not reached unless the crypto library lacks MD5.
            return report(context, Refuse("PASSPHRASE",
                                          "the key could not be computed (no MD5 in the crypto "
                                          "library)",
                                          {}, Outcome::Network));
        }
        context.console.out << std::get<std::string>(key) << '\n' << std::flush;
        return kExitOk;
    }

private:
    static int report(Context& context, const Refusal& refusal) {
        return Report(context.console, context.messages, refusal);
    }

    int bits_ = 0;
    std::string passphrase_;
};

}  // namespace

std::unique_ptr<Command> MakeWepKeyCommand() {
    return std::make_unique<WepKey>();
}

}  // namespace trv81k::cli
