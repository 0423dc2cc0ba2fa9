// trv81k-wizard: the setup wizard. Parses its options, makes sure it is the only copy of the
// wizard running, creates the window set and runs the message loop.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "core/link.h"
#include "l10n/language.h"
#include "platform/single_instance.h"
#include "settings/text_encoding.h"
#include "ui/Mainunit.h"
#include "ui/services.h"
#include "ui/windowset.h"

namespace {

constexpr char kName[] = "trv81k-wizard";
constexpr char kDescription[] =
    "Setup wizard for the TRV81K wireless access point: finds the access points on the network, "
    "logs in to one and writes its new settings. Reads Language.ini from the current folder.";

// The Language.ini section of a --language code.
std::string SectionOf(const std::string& code) {
    if (code == "de") {
        return std::string(trv81k::kSectionGerman);
    }
    if (code == "fr") {
        return std::string(trv81k::kSectionFrench);
    }
    return std::string(trv81k::kSectionEnglish);
}

int RunWizard(int argc, char** argv, const std::optional<std::string>& language) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kName));
    QApplication::setApplicationVersion(QStringLiteral(TRV81K_VERSION));
    // The desktop entry's name: Wayland compositors find the window's icon and name by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TRV81K_APP_ID));
    // The wizard ends through its own buttons (or its main window closing), not when the last
    // window is hidden during a modal step.
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        trv81k::Services services = trv81k::ProductServices();
        if (language) {
            services.languageSection = [section = SectionOf(*language)] { return section; };
        }
        trv81k::WindowSet windows(std::move(services));
        if (!windows.mainForm().started()) {
            return 1;  // the channel could not be set up; the message was shown
        }
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString::fromLatin1(kName), QString::fromUtf8(e.what()));
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App cli{kDescription, kName};
    cli.set_version_flag("--version", std::string(kName) + " " + TRV81K_VERSION);
    std::optional<std::string> interfaceAddress;
    cli.add_option("--interface", interfaceAddress,
                   "the one adapter to use, by name or IPv4 address (default: every adapter that "
                   "is up with an IPv4 address and multicast)");
    std::optional<std::string> language;
    cli.add_option("--language", language,
                   "Language of the wizard: en (English), de (German) or fr (French) "
                   "(default: the system's language)")
        ->check(CLI::IsMember({"en", "de", "fr"}));
    cli.allow_extras();  // the window toolkit's own options (-platform, -display ...)
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = cli.exit(e);
        return code == 0 ? 0 : 2;
    }
    // The toolkit's options start with one dash; an unknown one with two is a mistake.
    for (const std::string& extra : cli.remaining()) {
        if (extra.size() > 2 && extra.compare(0, 2, "--") == 0) {
            std::fprintf(stderr, "%s: unknown option %s (see --help)\n", kName, extra.c_str());
            return 2;
        }
    }
    if (interfaceAddress) {
        if (const auto refusal = trv81k::ChooseInterface(*interfaceAddress)) {
            // The adapters' names are the system's: nothing of them may steer the terminal.
            std::fprintf(stderr, "%s: %s\n", kName,
                         trv81k::TerminalText(refusal->subject + ": " + refusal->detail).c_str());
            return 2;
        }
    }

    const trv81k::SingleInstanceLock lock;
    if (lock.status() == trv81k::SingleInstanceLock::Status::HeldByOther) {
        std::fprintf(stderr, "%s: the wizard is running already\n", kName);
        return 0;
    }
    return RunWizard(argc, argv, language);
}
