#pragma once
// What the wizard's windows reach outside themselves, behind small interfaces: the network,
// message boxes, the shell's launcher, the language, the pictures, the trace channel, the
// clock and the end of the program. The product fills them with the real thing
// (ProductServices); tests and the screenshot tool put fakes in, so the whole wizard runs
// in-process without sockets.

#include <QIcon>
#include <QImage>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/network_port.h"
#include "protocol/timing.h"

class QWidget;

namespace trv81k {

// Message boxes.
class MessagePort {
public:
    virtual ~MessagePort() = default;
    // A refusal or failure: the text, warning icon, one OK button; the title (the product's
    // name) and the icon of the window it belongs to.
    virtual void warning(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
};

// The shell's document launcher.
class ShellPort {
public:
    virtual ~ShellPort() = default;
    // Opens a file or web address with its default program; false when none could.
    virtual bool openUrl(const QUrl& url) = 0;
};

struct Services {
    std::unique_ptr<NetworkPort> network;
    std::shared_ptr<MessagePort> messages;
    std::shared_ptr<ShellPort> shell;
    // The Language.ini section to use ("English", "German", "French").
    std::function<std::string()> languageSection;
    // Language.ini: in the current folder for the product.
    std::filesystem::path languageFile;
    // Picture library pictures by number, and the pictures the windows carry themselves; an
    // empty image when missing.
    std::function<QImage(int)> libraryPicture;
    std::function<QImage(std::string_view)> windowPicture;
    // One line to the trace channel.
    std::function<void(const std::string&)> trace;
    Timing timing;
    // Ends the program (the message loop).
    std::function<void()> quit;
};

// The product's icon, in every size the window pictures hold (a task bar shows it).
QIcon ProductIcon(const Services& services);

// The product's network: a NetworkSession that waits with pauseDraining.
std::unique_ptr<NetworkPort> MakeSessionNetwork(const Timing& timing);

// Everything real: the session network, QMessageBox, QDesktopServices, the system's language,
// ./Language.ini, the picture library, the trace channel, the real timing, QCoreApplication's
// quit.
Services ProductServices();

// Services whose unset members are filled with harmless stand-ins (no network, silent
// messages, no pictures, English, no trace, no quit). Tests and tools start from here.
Services CompleteServices(Services services);

}  // namespace trv81k
