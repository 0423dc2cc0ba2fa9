// The wizard's half of the differential lab (diff_lab.sh): the whole window set with its real
// network session on the "pc" host walks one road of diff_lab.json against trv81k-emulator on
// an "ap" host. trv81k-cli then walks the same road against a fresh emulator, and the two
// request logs are compared (diff_lab.py).
//
// The environment names the settings file (TRV81K_DIFF_SETTINGS), the road in it
// (TRV81K_DIFF_ROAD), the pc's address (TRV81K_LAB_INTERFACE) and the time scale
// (TRV81K_LAB_TIME_SCALE, default 0.2; trv81k-cli gets the same as --timing-scale).

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/adapters.h"
#include "support/controls.h"
#include "support/harness.h"
#include "ui/Mainunit.h"

using namespace trv81k;
using namespace trv81k::testing;
using nlohmann::json;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

double TimeScale() {
    const std::string value = Env("TRV81K_LAB_TIME_SCALE");
    return value.empty() ? 0.2 : std::atof(value.c_str());
}

QString Text(const json& object, const char* field) {
    return QString::fromStdString(object.at(field).get<std::string>());
}

// The network modes in the order of the wizard's list and of trv81k-cli's --net-mode.
constexpr std::array<const char*, 3> kNetModes = {"mixed", "g-only", "b-only"};

}  // namespace

class DiffLab : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void road();

private:
    json road_;
    json device_;
};

void DiffLab::initTestCase() {
    QVERIFY2(!Env("TRV81K_DIFF_SETTINGS").empty() && !Env("TRV81K_DIFF_ROAD").empty(),
             "run by diff_lab.sh");
    QFile file(QString::fromStdString(Env("TRV81K_DIFF_SETTINGS")));
    QVERIFY2(file.open(QIODevice::ReadOnly), "the settings file cannot be read");
    const json settings = json::parse(file.readAll().toStdString(), nullptr, false);
    QVERIFY2(settings.is_object(), "the settings file is not JSON");
    const std::string name = Env("TRV81K_DIFF_ROAD");
    QVERIFY2(settings["roads"].contains(name), "no such road in the settings file");
    road_ = settings["roads"][name];
    for (const json& device : settings["devices"]) {
        if (device["name"] == road_["device"]) {
            device_ = device;
        }
    }
    QVERIFY2(device_.is_object(), "the road's device is not among the devices");
    QVERIFY(SetInterfaceChoice(Env("TRV81K_LAB_INTERFACE")));
}

// Search, login, basic settings, pairing check, wireless settings where the road has them,
// confirmation and the configure step to the congratulation page.
void DiffLab::road() {
    qInfo("road %s: %s", Env("TRV81K_DIFF_ROAD").c_str(),
          road_.value("about", std::string()).c_str());
    HarnessOptions options;
    options.realNetwork = true;
    options.timeScale = TimeScale();
    Harness h(options);
    TMainForm& m = h.main();

    h.walkToList();  // the fourth Next searches
    QCOMPARE(m.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QListWidget& list = Control<QListWidget>(m, "APListView");
    const auto rows = list.findItems(Text(road_, "device"), Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    const int row = list.row(rows.front());
    for (int i = 0; i < row; ++i) {
        QTest::keyClick(&list, Qt::Key_Down);
    }
    QCOMPARE(m.exchangeState().selectedIndex(), row);
    h.logIn(Text(device_, "password"));
    QCOMPARE(m.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));

    FlatPanel& next = Control<FlatPanel>(m, "NextPanel");
    Choose(Control<QComboBox>(m, "DHCPModeComboBox"), 1);  // static
    Retype(Control<QLineEdit>(m, "IPEdit"), Text(road_, "ip"));
    Retype(Control<QLineEdit>(m, "NetmaskEdit"), Text(road_, "netmask"));
    Retype(Control<QLineEdit>(m, "GatewayEdit"), Text(road_, "gateway"));
    Retype(Control<QLineEdit>(m, "DeviceNameEdit"), Text(road_, "name"));
    Retype(Control<QLineEdit>(m, "PasswordEdit"), Text(road_, "newPassword"));
    Harness::click(next);
    QCOMPARE(m.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));

    if (road_.contains("ssid")) {
        // Wireless settings typed by hand, as trv81k-cli's wireless options mean: the manual
        // entry, without a pairing check.
        Harness::click(Control<FlatPanel>(m, "EnterManuallyLabel"));
        QCOMPARE(m.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
        Retype(Control<QLineEdit>(m, "SSIDEdit"), Text(road_, "ssid"));
        Control<QComboBox>(m, "ChannelComboBox")
            .setCurrentIndex(road_.at("channel").get<int>() - 1);
        const std::string mode = road_.at("netMode").get<std::string>();
        const auto modeAt = std::find(kNetModes.begin(), kNetModes.end(), mode);
        QVERIFY2(modeAt != kNetModes.end(), "netMode: mixed, g-only or b-only");
        Control<QComboBox>(m, "NetModeComboBox")
            .setCurrentIndex(static_cast<int>(modeAt - kNetModes.begin()));
        Harness::click(next);
        QVERIFY2(road_.at("security") == "wpa2", "the wizard's side knows the security wpa2 only");
        Harness::click(Control<QRadioButton>(m, "RadioBtnPSK"));
        Harness::click(next);
        Choose(Control<QComboBox>(m, "SecurityComboBox"), 3);  // WPA2 Personal
        Retype(Control<QLineEdit>(m, "PSKEdit"), Text(road_, "passphrase"));
        Harness::click(next);
    } else {
        // The pairing check; under pairing control it leads straight to the confirmation.
        Harness::click(next);
    }
    QCOMPARE(m.nCurrentPage, int(PAGE_CONFIRM));
    Harness::click(Control<FlatPanel>(m, "YesPanel"));
    QCOMPARE(h.messages().warnings, std::vector<QString>{});
    QCOMPARE(m.nCurrentPage, int(PAGE_CONGRATULATION));
}

QTEST_MAIN(DiffLab)
#include "diff_lab.moc"
