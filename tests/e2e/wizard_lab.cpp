// The wizard on the lab network: the whole window set with its real network session (channel,
// receiver thread, sockets) on the "pc" host, driven through its controls like a user, against
// trv81k-emulator on an "ap" host. Three roads: static address with WPA2 from a passphrase,
// DHCP with WEP 128 from a passphrase, and pairing. After each, the emulator's state file must
// hold exactly what was typed.
//
// Run by wizard_lab.sh, which makes the lab and starts the emulator; the environment names the
// emulator's state file (TRV81K_LAB_STATE) and the pc's address (TRV81K_LAB_INTERFACE).

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <nlohmann/json.hpp>

#include "platform/adapters.h"
#include "settings/keygen.h"
#include "support/harness.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/services.h"
#include "ui/windowset.h"

using namespace trv81k;
using namespace trv81k::testing;
using nlohmann::json;

namespace {

// Fast enough for a test, slow enough that every answer on the lab network is in well within
// each wait (the emulator answers within a millisecond). TRV81K_LAB_TIME_SCALE=1 runs the real
// timing, for the measurements (scripts/measure-wizard).
double TimeScale() {
    const char* value = std::getenv("TRV81K_LAB_TIME_SCALE");
    return value != nullptr ? std::atof(value) : 0.2;
}

// The longest time between two paints of a window while a repaint is asked for every 10 ms.
class PaintGapMeter : public QObject {
public:
    explicit PaintGapMeter(QWidget* window) : window_(window) {
        QApplication::instance()->installEventFilter(this);
        connect(&repaint_, &QTimer::timeout, window, [window] { window->update(); });
        repaint_.start(10);
        clock_.start();
    }
    ~PaintGapMeter() override { QApplication::instance()->removeEventFilter(this); }
    qint64 largestGapMs() const { return std::max(largest_, clock_.elapsed() - last_); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == window_) {
            const qint64 now = clock_.elapsed();
            largest_ = std::max(largest_, now - last_);
            last_ = now;
        }
        return false;
    }

private:
    QWidget* window_;
    QTimer repaint_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 largest_ = 0;
};

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The device entry of the emulator's state file, once it holds `expected` (the emulator writes
// the file when it applies a request); the last entry read otherwise.
json WaitForState(const std::string& mac, const json& expected) {
    json entry;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QFile file(QString::fromStdString(Env("TRV81K_LAB_STATE")));
        if (file.open(QIODevice::ReadOnly)) {
            const json doc = json::parse(file.readAll().toStdString(), nullptr, false);
            if (doc.is_object() && doc.contains("devices")) {
                for (const json& device : doc["devices"]) {
                    if (device.value("mac", "") == mac) {
                        entry = device;
                    }
                }
            }
        }
        if (entry == expected) {
            break;
        }
        QTest::qWait(20);
    }
    return entry;
}

class Wizard {
public:
    Wizard() {
        messages_ = std::make_shared<RecordingMessages>();
        const Timing timing = Timing{}.scaled(TimeScale());
        Services services;
        services.network = MakeSessionNetwork(timing);
        services.messages = messages_;
        services.languageSection = [] { return std::string("English"); };
        services.languageFile = RepositoryLanguageFile();
        services.timing = timing;
        windows_ = std::make_unique<WindowSet>(CompleteServices(std::move(services)));
    }

    TMainForm& main() { return windows_->mainForm(); }
    const std::vector<QString>& warnings() const { return messages_->warnings; }

    // Welcome page to the list, the device chosen with the keyboard, logged in: page 7.
    void logIn(const QString& deviceName, const QString& password) {
        TMainForm& m = main();
        Harness::click(m.ClickHerePanel);
        for (int i = 0; i < 4; ++i) {
            Harness::click(m.NextPanel);  // the fourth one searches
        }
        QCOMPARE(m.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
        const auto rows = m.APListView->findItems(deviceName, Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        const int row = m.APListView->row(rows.front());
        for (int i = 0; i < row; ++i) {
            QTest::keyClick(m.APListView, Qt::Key_Down);
        }
        QCOMPARE(m.exchange().selectedIndex.load(), row);

        TLoginForm* login = &windows_->loginForm();
        WhenVisible(login, [login, password] {
            QTest::keyClicks(login->PasswordEdit, password);
            QTest::keyClick(login->PasswordEdit, Qt::Key_Return);
        });
        QTest::keyClick(m.APListView, Qt::Key_Return);  // Return in the list is Yes
        QCOMPARE(m.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    }

    void retype(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    static void choose(QComboBox* combo, int index) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    // Page 18, Yes: the configure exchange to the congratulation page.
    void write() {
        QCOMPARE(main().nCurrentPage, int(PAGE_CONFIRM));
        QElapsedTimer clock;
        clock.start();
        Harness::click(main().YesPanel);
        qInfo("Yes to the congratulation page: %lld ms", static_cast<long long>(clock.elapsed()));
        QCOMPARE(warnings(), std::vector<QString>{});
        QCOMPARE(main().nCurrentPage, int(PAGE_CONGRATULATION));
    }

private:
    std::shared_ptr<RecordingMessages> messages_;
    std::unique_ptr<WindowSet> windows_;
};

}  // namespace

class WizardLab : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void staticAddressAndWpa2FromAPassphrase();
    void dhcpAndWep128FromAPassphrase();
    void pairingLeavesTheWirelessSettings();
};

void WizardLab::initTestCase() {
    QVERIFY2(!Env("TRV81K_LAB_STATE").empty(), "run by wizard_lab.sh");
    QVERIFY(SetInterfaceOverride(Env("TRV81K_LAB_INTERFACE")));
}

void WizardLab::staticAddressAndWpa2FromAPassphrase() {
    Wizard w;
    w.logIn(QStringLiteral("Lab-Static"), QStringLiteral("static1"));
    TMainForm& m = w.main();
    w.choose(m.DHCPModeComboBox, 1);
    w.retype(m.IPEdit, QStringLiteral("10.81.0.050"));
    w.retype(m.NetmaskEdit, QStringLiteral("255.255.255.0"));
    w.retype(m.GatewayEdit, QStringLiteral("10.81.0.254"));
    w.retype(m.DeviceNameEdit, QStringLiteral("Lab One"));
    w.retype(m.PasswordEdit, QStringLiteral("newpass1"));
    Harness::click(m.NextPanel);
    {
        const PaintGapMeter meter(&m);
        Harness::click(m.NextPanel);  // the pairing check: the device answers, not managed
        qInfo("largest gap between paints during the pairing check: %lld ms",
              static_cast<long long>(meter.largestGapMs()));
    }
    QCOMPARE(m.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
    w.retype(m.SSIDEdit, QStringLiteral("Lab & Net"));
    m.ChannelComboBox->setCurrentIndex(10);
    m.NetModeComboBox->setCurrentIndex(1);
    Harness::click(m.NextPanel);
    Harness::click(m.RadioBtnPSK);
    Harness::click(m.NextPanel);
    w.choose(m.SecurityComboBox, 3);  // WPA2 Personal
    w.retype(m.PSKEdit, QStringLiteral("correct horse battery"));
    Harness::click(m.NextPanel);
    QCOMPARE(m.NewWepLabel->text(), QStringLiteral("WPA2-Personal(AES)"));
    w.write();

    const json expected = {
        {"mac", "02-81-00-00-0E-01"},
        {"name", "Lab One"},
        {"password", "newpass1"},
        {"ipMode", "static"},
        {"ip", "10.81.0.50"},
        {"netmask", "255.255.255.0"},
        {"gateway", "10.81.0.254"},
        {"ssid", "Lab & Net"},
        {"channel", 11},
        {"security", 9},
        {"key", "correct horse battery"},
        {"networkMode", "g-only"},
    };
    QCOMPARE(WaitForState("02-81-00-00-0E-01", expected).dump(), expected.dump());
}

void WizardLab::dhcpAndWep128FromAPassphrase() {
    Wizard w;
    w.logIn(QStringLiteral("Lab-Dhcp"), QStringLiteral("dhcp2222"));
    TMainForm& m = w.main();
    w.choose(m.DHCPModeComboBox, 0);
    Harness::click(m.NextPanel);
    Harness::click(m.NextPanel);
    QCOMPARE(m.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
    Harness::click(m.NextPanel);  // SSID, channel and mode as the device has them
    Harness::click(m.RadioBtnWEP);
    Harness::click(m.NextPanel);
    w.choose(m.SecurityComboBox, 1);  // WEP 128
    QTest::keyClicks(m.PassphraseEdit, QStringLiteral("lab phrase"));
    const std::string key = Wep128KeyText("lab phrase");
    QCOMPARE(m.Key1Edit->text(), QString::fromStdString(key));
    Harness::click(m.NextPanel);
    w.write();

    // The addresses of a DHCP request are zero; the device keeps what it had for them.
    const json expected = {
        {"mac", "02-81-00-00-0E-02"},
        {"name", "Lab-Dhcp"},
        {"password", "dhcp2222"},
        {"ipMode", "dhcp"},
        {"ip", "10.81.0.61"},
        {"netmask", "255.255.255.0"},
        {"gateway", "10.81.0.1"},
        {"ssid", "DhcpNet"},
        {"channel", 3},
        {"security", 2},
        {"key", key},
        {"networkMode", "b-only"},
    };
    QCOMPARE(WaitForState("02-81-00-00-0E-02", expected).dump(), expected.dump());
}

void WizardLab::pairingLeavesTheWirelessSettings() {
    Wizard w;
    w.logIn(QStringLiteral("Lab-Pairing"), QStringLiteral("pair3333"));
    TMainForm& m = w.main();
    w.retype(m.DeviceNameEdit, QStringLiteral("Paired"));
    Harness::click(m.NextPanel);
    Harness::click(m.NextPanel);  // pairing-managed: straight to the confirmation
    QCOMPARE(m.NewWepLabel->text(), QStringLiteral("Button Pair Setup"));
    QCOMPARE(m.NewSSIDLabel->text(), QStringLiteral("PairNet"));
    w.write();

    const json expected = {
        {"mac", "02-81-00-00-0E-03"},
        {"name", "Paired"},
        {"password", "pair3333"},
        {"ipMode", "static"},
        {"ip", "10.81.0.62"},
        {"netmask", "255.255.255.0"},
        {"gateway", "10.81.0.1"},
        {"ssid", "PairNet"},
        {"channel", 6},
        {"security", 9},
        {"key", "made by pairing"},
        {"networkMode", "mixed"},
    };
    QCOMPARE(WaitForState("02-81-00-00-0E-03", expected).dump(), expected.dump());
}

QTEST_MAIN(WizardLab)
#include "wizard_lab.moc"
