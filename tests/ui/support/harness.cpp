#include "support/harness.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTest>

#include "resource/window_pictures.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"

namespace trv81k::testing {

void RecordingMessages::warning(QWidget* /*parent*/, const QString& text) {
    warnings.push_back(text);
    if (onWarning) {
        onWarning(text);
    }
}

bool RecordingMessages::askYesNo(QWidget* /*parent*/, const QString& title, const QString& text) {
    questions.emplace_back(title, text);
    return answer;
}

bool RecordingShell::openUrl(const QUrl& url) {
    opened.push_back(url);
    return opens;
}

QImage NumberedPicture(int number) {
    QImage image(580, 436, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((number * 37) % 360, 60, 230));
    QPainter painter(&image);
    painter.drawText(20, 30, QString::number(number));
    return image;
}

QImage NamedPicture(std::string_view name) {
    QImage image(64, 53, QImage::Format_RGB32);
    const auto hash = qHash(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    image.fill(QColor::fromRgb(static_cast<QRgb>(hash) | 0xFF000000u));
    return image;
}

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) {
        items << combo.itemText(i);
    }
    return items;
}

QStringList Items(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items << list.item(i)->text();
    }
    return items;
}

void Choose(QComboBox& combo, int index) {
    combo.setCurrentIndex(index);
    emit combo.activated(index);
}

void Retype(QLineEdit& edit, const QString& text) {
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, text);
}

HarnessOptions WithDevices(std::vector<emulator::EmulatedDevice> devices) {
    HarnessOptions options;
    options.devices = std::move(devices);
    return options;
}

HarnessOptions InLanguage(std::string section) {
    HarnessOptions options;
    options.section = std::move(section);
    return options;
}

emulator::EmulatedDevice OfficeDevice() {
    auto device = MakeDevice(1, "Office", "secret");
    device.settings.ipMode = 1;
    device.settings.ip = {192, 168, 5, 20};
    device.settings.netmask = {255, 255, 0, 0};
    device.settings.gateway = {192, 168, 5, 1};
    device.settings.ssid = "OfficeNet";
    device.settings.channel = 9;
    device.settings.security = kSecurityWpa2Aes;
    device.settings.networkMode = 1;
    return device;
}

long ResidentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

Harness::Harness(HarnessOptions options) : timing_(Timing{}.scaled(options.timeScale)) {
    if (options.adjustTiming) {
        options.adjustTiming(timing_);
    }
    std::unique_ptr<NetworkPort> port;
    if (options.realNetwork) {
        port = MakeSessionNetwork(timing_);
    } else {
        auto network = std::make_unique<FakeNetwork>(std::move(options.devices));
        network_ = network.get();
        if (options.prepareNetwork) {
            options.prepareNetwork(*network_);
        }
        port = std::move(network);
    }
    port_ = port.get();
    messages_ = std::make_shared<RecordingMessages>();
    shell_ = std::make_shared<RecordingShell>();

    Services services;
    services.network = std::move(port);
    services.messages = messages_;
    services.shell = shell_;
    const std::string section = options.section;
    services.languageSection = [section] { return section; };
    services.languageFile = options.languageFile.value_or(std::filesystem::path(TRV81K_SOURCE_DIR) /
                                                          "resources" / "Language.ini");
    const bool pictures = options.pictures;
    services.libraryPicture = [this, pictures](int number) {
        picturesRequested.push_back(number);
        return pictures ? NumberedPicture(number) : QImage();
    };
    services.windowPicture = [pictures](std::string_view name) {
        return pictures ? NamedPicture(name) : QImage();
    };
    if (options.realPictures) {
        services.libraryPicture = [this](int number) {
            picturesRequested.push_back(number);
            return LoadLibraryPicture(number);
        };
        services.windowPicture = [](std::string_view name) { return WindowPicture(name); };
    }
    services.trace = [this](const std::string& line) { traces.push_back(line); };
    services.timing = timing_;
    services.quit = [this] {
        ++quitCount;
        receiverRunningAtQuit = port_->receiverRunning();
    };
    windows_ = std::make_unique<WindowSet>(std::move(services));
    if (options.completeAtOnce) {
        windows_->Complete();
    }
}

Harness::~Harness() {
    windows_.reset();
}

TMainForm& Harness::main() {
    return windows_->mainForm();
}

void Harness::click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, widget.rect().center());
}

void Harness::walkToPage5() {
    click(Control<FlatPanel>(main(), "ClickHerePanel"));
    for (int page = 2; page < 5; ++page) {
        click(Control<FlatPanel>(main(), "NextPanel"));
    }
}

void Harness::walkToList() {
    walkToPage5();
    click(Control<FlatPanel>(main(), "NextPanel"));
}

void Harness::searchWithoutAdapter() {
    network_->adapterPresent = false;
    walkToPage5();
    click(Control<FlatPanel>(main(), "NextPanel"));
}

void Harness::logIn(const QString& password) {
    TLoginForm* login = &windows_->loginForm();
    QLineEdit* edit = &Control<QLineEdit>(*login, "PasswordEdit");
    WhenVisible(login, [login, edit, password] {
        edit->selectAll();
        QTest::keyClicks(edit, password);
        QTest::keyClick(edit, Qt::Key_Return);
        if (login->isVisible()) {
            QTest::keyClick(edit, Qt::Key_Escape);
        }
    });
    click(Control<FlatPanel>(main(), "YesPanel"));
}

void Harness::walkToBasicSettings(const QString& password) {
    walkToList();
    logIn(password);
}

void WhenVisible(QWidget* widget, std::function<void()> action, int timeoutMs) {
    auto* poll = new QTimer(widget);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, widget,
                     [poll, widget, elapsed, timeoutMs, action = std::move(action)] {
                         if (widget->isVisible()) {
                             poll->stop();
                             poll->deleteLater();
                             action();
                         } else if (elapsed->elapsed() > timeoutMs) {
                             poll->stop();
                             poll->deleteLater();
                         }
                     });
    poll->start();
}

}  // namespace trv81k::testing
