#include "ui/services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPixmap>
#include <string>

#include "core/link.h"
#include "l10n/language.h"
#include "l10n/profile_reader.h"
#include "platform/adapters.h"
#include "platform/trace.h"
#include "resource/window_pictures.h"
#include "ui/pause.h"

namespace trv81k {

namespace {

// No channel at all: nothing is sent, no adapter is found.
class NoNetwork final : public NetworkPort {
public:
    NoNetwork() { state_.reset(); }
    OpenResult open() override { return OpenResult::Open; }
    bool sendPacket(PacketKind /*kind*/, const RequestContent& /*content*/) override {
        return false;
    }
    void close() noexcept override {}
    bool checkAdapter() override { return false; }
    bool receiverRunning() const override { return false; }
    std::vector<Adapter> adapters() const override { return {}; }
    ExchangeState& state() override { return state_; }

private:
    ExchangeState state_;
};

class BoxMessages final : public MessagePort {
public:
    void warning(QWidget* parent, const QString& text) override {
        // The box belongs to a window of the wizard, whose title is the product's name.
        const QWidget* window = parent != nullptr ? parent->window() : nullptr;
        QMessageBox box(QMessageBox::Warning, window != nullptr ? window->windowTitle() : QString(),
                        text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        if (window != nullptr) {
            box.setWindowIcon(window->windowIcon());
        }
        box.exec();
    }
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.setTextFormat(Qt::PlainText);
        return box.exec() == QMessageBox::Yes;
    }
};

class SilentMessages final : public MessagePort {
public:
    void warning(QWidget* /*parent*/, const QString& /*text*/) override {}
    bool askYesNo(QWidget* /*parent*/, const QString& /*title*/, const QString& /*text*/) override {
        return false;
    }
};

class DesktopShell final : public ShellPort {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

class NoShell final : public ShellPort {
public:
    bool openUrl(const QUrl& /*url*/) override { return false; }
};

}  // namespace

QIcon ProductIcon(const Services& services) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage picture = services.windowPicture("icon_" + std::to_string(size));
        if (!picture.isNull()) {
            icon.addPixmap(QPixmap::fromImage(picture));
        }
    }
    return icon;
}

std::unique_ptr<NetworkPort> MakeSessionNetwork(const Timing& timing) {
    // The session waits with pauseDraining: the windows keep painting and input is dropped.
    NetworkConfig network;
    network.timing = timing;
    return MakeNetworkSession(network,
                              [](std::chrono::milliseconds duration) { pauseDraining(duration); });
}

Services ProductServices() {
    Services services;
    services.timing = Timing{};
    services.network = MakeSessionNetwork(services.timing);
    services.messages = std::make_shared<BoxMessages>();
    services.shell = std::make_shared<DesktopShell>();
    services.languageSection = [] { return std::string(GetLanguageSection()); };
    services.languageFile = std::filesystem::path(kDefaultProfilePath);
    services.libraryPicture = [](int number) { return LoadLibraryPicture(number); };
    services.windowPicture = [](std::string_view name) { return WindowPicture(name); };
    services.trace = [](const std::string& line) { Trace(line); };
    services.quit = [] { QCoreApplication::quit(); };
    return services;
}

Services CompleteServices(Services services) {
    if (!services.network) {
        services.network = std::make_unique<NoNetwork>();
    }
    if (!services.messages) {
        services.messages = std::make_shared<SilentMessages>();
    }
    if (!services.shell) {
        services.shell = std::make_shared<NoShell>();
    }
    if (!services.languageSection) {
        services.languageSection = [] { return std::string(kSectionEnglish); };
    }
    if (services.languageFile.empty()) {
        services.languageFile = std::filesystem::path(kDefaultProfilePath);
    }
    if (!services.libraryPicture) {
        services.libraryPicture = [](int /*number*/) { return QImage(); };
    }
    if (!services.windowPicture) {
        services.windowPicture = [](std::string_view /*name*/) { return QImage(); };
    }
    if (!services.trace) {
        services.trace = [](const std::string& /*line*/) {};
    }
    if (!services.quit) {
        services.quit = [] {};
    }
    return services;
}

}  // namespace trv81k
