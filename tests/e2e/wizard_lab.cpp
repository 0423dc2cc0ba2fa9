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
#include "ui/Mainunit.h"

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

// The entry of the emulator's state file for the device of `expected`, once it holds `expected`
// (the emulator writes the file when it applies a request); the last entry read otherwise.
json WaitForState(const json& expected) {
    const std::string mac = expected.at("mac").get<std::string>();
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

// The wizard with its real network session, in English, at the lab's time scale.
HarnessOptions LabOptions() {
    HarnessOptions options;
    options.realNetwork = true;
    options.timeScale = TimeScale();
    return options;
}

// Welcome page to the list, the device chosen with the keyboard, logged in: page 7.
void LogIn(Harness& h, const QString& deviceName, const QString& password) {
    TMainForm& m = h.main();
    h.walkToList();  // the fourth Next searches
    QCOMPARE(m.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QListWidget& list = Control<QListWidget>(m, "APListView");
    const auto rows = list.findItems(deviceName, Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    const int row = list.row(rows.front());
    for (int i = 0; i < row; ++i) {
        QTest::keyClick(&list, Qt::Key_Down);
    }
    QCOMPARE(m.exchangeState().selectedIndex(), row);
    h.logIn(password);
    QCOMPARE(m.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
}

// Page 18, Yes: the configure exchange to the congratulation page; then the emulator's state
// file must hold `expected` for the device.
void Write(Harness& h, const json& expected) {
    QCOMPARE(h.main().nCurrentPage, int(PAGE_CONFIRM));
    QElapsedTimer clock;
    clock.start();
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));
    qInfo("Yes to the congratulation page: %lld ms", static_cast<long long>(clock.elapsed()));
    QCOMPARE(h.messages().warnings, std::vector<QString>{});
    QCOMPARE(h.main().nCurrentPage, int(PAGE_CONGRATULATION));
    QCOMPARE(WaitForState(expected).dump(), expected.dump());
}

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
    QVERIFY(SetInterfaceChoice(Env("TRV81K_LAB_INTERFACE")));
}

void WizardLab::staticAddressAndWpa2FromAPassphrase() {
    Harness h(LabOptions());
    LogIn(h, QStringLiteral("Lab-Static"), QStringLiteral("static1"));
    TMainForm& m = h.main();
    FlatPanel& next = Control<FlatPanel>(m, "NextPanel");
    Choose(Control<QComboBox>(m, "DHCPModeComboBox"), 1);
    Retype(Control<QLineEdit>(m, "IPEdit"), QStringLiteral("10.81.0.050"));
    Retype(Control<QLineEdit>(m, "NetmaskEdit"), QStringLiteral("255.255.255.0"));
    Retype(Control<QLineEdit>(m, "GatewayEdit"), QStringLiteral("10.81.0.254"));
    Retype(Control<QLineEdit>(m, "DeviceNameEdit"), QStringLiteral("Lab One"));
    Retype(Control<QLineEdit>(m, "PasswordEdit"), QStringLiteral("newpass1"));
    Harness::click(next);
    {
        const PaintGapMeter meter(&m);
        Harness::click(next);  // the pairing check: the device answers, not managed
        qInfo("largest gap between paints during the pairing check: %lld ms",
              static_cast<long long>(meter.largestGapMs()));
    }
    QCOMPARE(m.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
    Retype(Control<QLineEdit>(m, "SSIDEdit"), QStringLiteral("Lab & Net"));
    Control<QComboBox>(m, "ChannelComboBox").setCurrentIndex(10);
    Control<QComboBox>(m, "NetModeComboBox").setCurrentIndex(1);
    Harness::click(next);
    Harness::click(Control<QRadioButton>(m, "RadioBtnPSK"));
    Harness::click(next);
    Choose(Control<QComboBox>(m, "SecurityComboBox"), 3);  // WPA2 Personal
    Retype(Control<QLineEdit>(m, "PSKEdit"), QStringLiteral("correct horse battery"));
    Harness::click(next);
    QCOMPARE(Control<QLabel>(m, "NewWepLabel").text(), QStringLiteral("WPA2-Personal(AES)"));
    Write(h, json::parse(R"({
        "mac": "02-81-00-00-0E-01", "name": "Lab One", "password": "newpass1",
        "ipMode": "static", "ip": "10.81.0.50", "netmask": "255.255.255.0",
        "gateway": "10.81.0.254", "ssid": "Lab & Net", "channel": 11, "security": 9,
        "key": "correct horse battery", "networkMode": "g-only"})"));
}

void WizardLab::dhcpAndWep128FromAPassphrase() {
    Harness h(LabOptions());
    LogIn(h, QStringLiteral("Lab-Dhcp"), QStringLiteral("dhcp2222"));
    TMainForm& m = h.main();
    FlatPanel& next = Control<FlatPanel>(m, "NextPanel");
    Choose(Control<QComboBox>(m, "DHCPModeComboBox"), 0);
    Harness::click(next);
    Harness::click(next);
    QCOMPARE(m.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
    Harness::click(next);  // SSID, channel and mode as the device has them
    Harness::click(Control<QRadioButton>(m, "RadioBtnWEP"));
    Harness::click(next);
    Choose(Control<QComboBox>(m, "SecurityComboBox"), 1);  // WEP 128
    QTest::keyClicks(&Control<QLineEdit>(m, "PassphraseEdit"), QStringLiteral("lab phrase"));
    const std::string key = Wep128KeyText("lab phrase");
    QCOMPARE(Control<QLineEdit>(m, "Key1Edit").text(), QString::fromStdString(key));
    Harness::click(next);
    // The addresses of a DHCP request are zero; the device keeps what it had for them.
    json expected = json::parse(R"({
        "mac": "02-81-00-00-0E-02", "name": "Lab-Dhcp", "password": "dhcp2222",
        "ipMode": "dhcp", "ip": "10.81.0.61", "netmask": "255.255.255.0",
        "gateway": "10.81.0.1", "ssid": "DhcpNet", "channel": 3, "security": 2,
        "networkMode": "b-only"})");
    expected["key"] = key;
    Write(h, expected);
}

void WizardLab::pairingLeavesTheWirelessSettings() {
    Harness h(LabOptions());
    LogIn(h, QStringLiteral("Lab-Pairing"), QStringLiteral("pair3333"));
    TMainForm& m = h.main();
    FlatPanel& next = Control<FlatPanel>(m, "NextPanel");
    Retype(Control<QLineEdit>(m, "DeviceNameEdit"), QStringLiteral("Paired"));
    Harness::click(next);
    Harness::click(next);  // pairing-managed: straight to the confirmation
    // The confirmation of the pairing road: the device's settings, no wireless values.
    QCOMPARE(Control<QLabel>(m, "NewNameLabel").text(), QStringLiteral("Paired"));
    QVERIFY(!Control<QLabel>(m, "NewSSIDLabel").isVisible());
    Write(h, json::parse(R"({
        "mac": "02-81-00-00-0E-03", "name": "Paired", "password": "pair3333",
        "ipMode": "static", "ip": "10.81.0.62", "netmask": "255.255.255.0",
        "gateway": "10.81.0.1", "ssid": "PairNet", "channel": 6, "security": 9,
        "key": "made by pairing", "networkMode": "mixed"})"));
}

QTEST_MAIN(WizardLab)
#include "wizard_lab.moc"
