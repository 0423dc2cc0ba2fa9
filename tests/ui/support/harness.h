#pragma once
// The whole wizard in-process for a UI test: the window set over a FakeNetwork, a recording
// message port, injected language, pictures and a scaled timing.

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/controls.h"
#include "support/fake_network.h"
#include "ui/windowset.h"

namespace trv81k::testing {

// Every message box, recorded instead of shown.
class RecordingMessages final : public MessagePort {
public:
    void warning(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;

    std::vector<QString> warnings;
    std::vector<std::pair<QString, QString>> questions;
    bool answer = false;
    // Runs inside each warning (e.g. to look at the window state at that moment).
    std::function<void(const QString&)> onWarning;
};

// A picture per number: a solid image whose size tells it apart from an empty one.
QImage NumberedPicture(int number);
// A window picture whose colour tells its name apart.
QImage NamedPicture(std::string_view name);

// The shell's launcher, recorded; `opens` tells whether a program took the address.
class RecordingShell final : public ShellPort {
public:
    bool openUrl(const QUrl& url) override;

    std::vector<QUrl> opened;
    bool opens = true;
};

struct HarnessOptions {
    std::string section = "English";
    std::vector<emulator::EmulatedDevice> devices;
    // Empty: the repository's Language.ini.
    std::optional<std::filesystem::path> languageFile;
    bool pictures = true;  // false: no picture library
    // The real picture library and window pictures instead of stand-ins (screenshots).
    bool realPictures = false;
    double timeScale = 0.02;
    // Changes to the scaled timing, where a test needs durations far apart.
    std::function<void(Timing&)> adjustTiming;
    std::function<void(FakeNetwork&)> prepareNetwork;
    // The product's network session instead of the FakeNetwork (the lab); network() is then
    // not to be used.
    bool realNetwork = false;
    // The whole window set built before the test starts; false: as the product starts, the
    // first page alone until it is painted.
    bool completeAtOnce = true;
};

// The defaults with these devices, or in this language.
HarnessOptions WithDevices(std::vector<emulator::EmulatedDevice> devices);
HarnessOptions InLanguage(std::string section);

class Harness {
public:
    explicit Harness(HarnessOptions options = {});
    ~Harness();

    WindowSet& windows() { return *windows_; }
    TMainForm& main();
    FakeNetwork& network() { return *network_; }
    RecordingMessages& messages() { return *messages_; }
    RecordingShell& shell() { return *shell_; }
    const Timing& timing() const { return timing_; }

    std::vector<std::string> traces;
    std::vector<int> picturesRequested;
    int quitCount = 0;
    bool receiverRunningAtQuit = true;

    // Clicks a panel (or any widget) with the left button at its centre.
    static void click(QWidget& widget);
    // Walks from the welcome page to page 5 by the buttons.
    void walkToPage5();
    // Welcome page to the access-point list.
    void walkToList();
    // The adapter taken away, welcome page to page 5 and Next (the search is refused).
    void searchWithoutAdapter();
    // From the list: Yes, the password typed into the login dialog and Return. The dialog is
    // left with Escape when the password is refused.
    void logIn(const QString& password);
    // Welcome page to the basic settings page of the first device.
    void walkToBasicSettings(const QString& password);

private:
    FakeNetwork* network_ = nullptr;  // owned by the main window's services
    NetworkPort* port_ = nullptr;     // network_, or the real session
    std::shared_ptr<RecordingMessages> messages_;
    std::shared_ptr<RecordingShell> shell_;
    Timing timing_;
    std::unique_ptr<WindowSet> windows_;
};

// Runs `action` once `widget` is visible (polled from the event loop), e.g. to drive a modal
// dialog that a click is about to open. Gives up after `timeoutMs`.
void WhenVisible(QWidget* widget, std::function<void()> action, int timeoutMs = 10000);

// The entries of a list, in order.
QStringList Items(const QComboBox& combo);
QStringList Items(const QListWidget& list);
// A choice made by the user: the entry, then the list's "activated".
void Choose(QComboBox& combo, int index);
// Replaces a field's text by typing, as a user does (the key filters apply).
void Retype(QLineEdit& edit, const QString& text);

// A device with settings of its own on every page: static 192.168.5.20/255.255.0.0, gateway
// 192.168.5.1, SSID "OfficeNet", channel 9, WPA2 (AES), G-only; password "secret".
emulator::EmulatedDevice OfficeDevice();

// This process's resident memory in kilobytes (-1 when /proc cannot tell).
long ResidentKilobytes();

}  // namespace trv81k::testing
