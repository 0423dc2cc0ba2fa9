// The access-point list: filling, the status box texts, and the mouse and keyboard rules.

#include <QListWidget>
#include <QTest>

#include "support/harness.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/page_list.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

HarnessOptions ThreeDevices() {
    auto office = MakeDevice(1, "Office");
    office.settings.ssid = "A&B 100%d";
    office.settings.channel = 11;
    office.settings.security = kSecurityRadius;
    office.firmware = "2.05";
    office.settings.ip = {10, 0, 0, 7};
    auto hall = MakeDevice(2, "Hall", "hallpw");
    hall.settings.security = kSecurityWpaEnterpriseTkip;
    hall.settings.channel = 1;
    auto cafe = MakeDevice(3, "Cafe");
    cafe.settings.security = kSecurityWpa2Mixed;
    return WithDevices({office, hall, cafe});
}

// A label of the status box: "IP" for Label_One_Or_More_Wireless_IP.
QLabel& Status(TMainForm& main, const char* item) {
    const QByteArray name = QByteArray("Label_One_Or_More_Wireless_") + item;
    return Control<QLabel>(main, name.constData());
}

QPoint RowCentre(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

}  // namespace

class AccessPointListTest : public QObject {
    Q_OBJECT
private slots:
    void statusBoxShowsTheChosenDevice();
    void securityTexts_data();
    void securityTexts();
    void keyboardMovesTheChoiceAndStopsAtTheEnds();
    void mouseChoosesARowAndEmptySpaceKeepsIt();
    void backFromTheLoginRebuildsTheList();
};

void AccessPointListTest::statusBoxShowsTheChosenDevice() {
    Harness h(ThreeDevices());
    h.walkToList();
    TMainForm& main = h.main();
    QCOMPARE(Status(main, "Domain").text(), QStringLiteral("ETSI   "));
    QCOMPARE(Status(main, "IP").text(), QStringLiteral("10.0.0.7"));
    QCOMPARE(Status(main, "Firmware").text(), QStringLiteral("2.05"));
    QCOMPARE(Status(main, "MAC").text(), QStringLiteral("02-81-00-00-00-01"));
    QCOMPARE(Status(main, "SSID").text(), QStringLiteral("A&B 100%d"));
    QCOMPARE(Status(main, "SSID").textFormat(), Qt::PlainText);
    QCOMPARE(Status(main, "Channel").text(),
             main.Text("label_One_Or_More_Wireless_Channel") + " 11");
    QCOMPARE(Status(main, "WEP").text(), QStringLiteral("RADIUS"));
    for (const char* item : {"Domain", "Firmware", "MAC", "IP", "SSID", "Channel", "WEP"}) {
        QVERIFY2(Status(main, item).isVisible(), item);
        QCOMPARE(Status(main, item).x(), 397);
    }
    QCOMPARE(Status(main, "MAC").width(), 126);
    QCOMPARE(Status(main, "SSID").width(), 126);
    // The chosen entry is copied and addressed.
    QCOMPARE(main.wizard.currentDevice.macAddress, (MacAddress{2, 0x81, 0, 0, 0, 1}));
    QCOMPARE(main.exchangeState().selectedToken(), (DeviceToken{0x10, 0x20, 0x30, 1}));
    QVERIFY(h.messages().warnings.empty());
}

void AccessPointListTest::securityTexts_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("key");    // a Language.ini key, or
    QTest::addColumn<QString>("fixed");  // a text of the program's own
    const std::tuple<int, const char*, const char*> rows[] = {
        {0, "Disable", ""},
        {1, "", "WEP (64-Bit)"},
        {4, "", "WPA-Personal(AES)"},
        {5, "WPA_ENTERPRISE_TKIP", ""},
        {6, "WPA_ENTERPRISE_AES", ""},
        {8, "", "WPA2-Personal(TKIP)"},
        {10, "WPA2_Mixedmode", ""},
    };
    for (const auto& [code, key, fixed] : rows) {
        QTest::newRow(QByteArray::number(code).constData()) << code << key << fixed;
    }
}

void AccessPointListTest::securityTexts() {
    QFETCH(int, code);
    QFETCH(QString, key);
    QFETCH(QString, fixed);
    auto device = MakeDevice(1, "Office");
    device.settings.security = static_cast<std::uint8_t>(code);
    HarnessOptions options = WithDevices({device});
    options.section = "German";
    Harness h(options);
    h.walkToList();
    const QString expected = key.isEmpty() ? fixed : h.main().Text(key.toStdString());
    QVERIFY(!expected.isEmpty());
    QCOMPARE(Status(h.main(), "WEP").text(), expected);
}

void AccessPointListTest::keyboardMovesTheChoiceAndStopsAtTheEnds() {
    Harness h(ThreeDevices());
    h.walkToList();
    TMainForm& main = h.main();
    QListWidget* list = &Control<QListWidget>(main, "APListView");
    for (const auto key : {Qt::Key_End, Qt::Key_PageDown, Qt::Key_H, Qt::Key_C}) {
        QTest::keyClick(list, key);  // nothing
    }
    QCOMPARE(list->currentRow(), 0);
    // Up on the first row: it stays, the status box is refreshed.
    Status(main, "IP").setText(QStringLiteral("stale"));
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(main.exchangeState().selectedIndex(), 0);
    QVERIFY(list->item(0)->isSelected());
    QCOMPARE(Status(main, "IP").text(), QStringLiteral("10.0.0.7"));

    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(main.exchangeState().selectedIndex(), 1);
    QVERIFY(list->item(1)->isSelected());
    QVERIFY(!list->item(0)->isSelected());
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(Status(main, "MAC").text(), QStringLiteral("02-81-00-00-00-02"));
    QCOMPARE(main.exchangeState().selectedMAC(), (MacAddress{2, 0x81, 0, 0, 0, 2}));
    QCOMPARE(main.exchangeState().selectedToken(), (DeviceToken{0x10, 0x20, 0x30, 2}));

    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);  // on the last row: stays
    QCOMPARE(main.exchangeState().selectedIndex(), 2);
    QVERIFY(list->item(2)->isSelected());
    QCOMPARE(Status(main, "MAC").text(), QStringLiteral("02-81-00-00-00-03"));

    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(main.exchangeState().selectedIndex(), 1);
    QCOMPARE(main.wizard.currentDevice.macAddress, (MacAddress{2, 0x81, 0, 0, 0, 2}));

    // Return is Yes: the login dialog comes up over the hidden main window.
    TLoginForm* login = &h.windows().loginForm();
    bool mainHidden = false;
    WhenVisible(login, [&] {
        mainHidden = !main.isVisible();
        QTest::keyClick(&Control<QLineEdit>(*login, "PasswordEdit"), Qt::Key_Escape);
    });
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(mainHidden);
    QVERIFY(!login->isVisible());
    QVERIFY(main.isVisible());
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
}

void AccessPointListTest::mouseChoosesARowAndEmptySpaceKeepsIt() {
    Harness h(ThreeDevices());
    h.walkToList();
    TMainForm& main = h.main();
    QListWidget* list = &Control<QListWidget>(main, "APListView");
    const QPoint empty(10, list->viewport()->height() - 4);
    QVERIFY(list->itemAt(empty) == nullptr);

    // Right after the fill the tooltip is on, without a text: a click on empty space shows the
    // hint.
    QCOMPARE(list->toolTip(), QString());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
    QCOMPARE(list->toolTip(), QString::fromLatin1(kSelectApHint));
    QVERIFY(list->selectedItems().isEmpty());

    // After a row was clicked the tooltip is off; an empty click keeps the status box and the
    // addressed device, and resets only selectedIndex.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, 2));
    QCOMPARE(main.exchangeState().selectedIndex(), 2);
    QCOMPARE(Status(main, "MAC").text(), QStringLiteral("02-81-00-00-00-03"));
    QCOMPARE(main.exchangeState().selectedMAC(), (MacAddress{2, 0x81, 0, 0, 0, 3}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, 1));
    QCOMPARE(main.exchangeState().selectedIndex(), 1);
    QCOMPARE(list->toolTip(), QString());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
    QCOMPARE(main.exchangeState().selectedIndex(), 0);
    QCOMPARE(Status(main, "MAC").text(), QStringLiteral("02-81-00-00-00-02"));
    QCOMPARE(main.exchangeState().selectedMAC(), (MacAddress{2, 0x81, 0, 0, 0, 2}));

    // The login that follows addresses that device and takes over its settings.
    TLoginForm* login = &h.windows().loginForm();
    WhenVisible(login, [login] {
        QTest::keyClicks(&Control<QLineEdit>(*login, "PasswordEdit"), QStringLiteral("hallpw"));
        QTest::keyClick(&Control<QLineEdit>(*login, "PasswordEdit"), Qt::Key_Return);
    });
    Harness::click(Control<FlatPanel>(main, "YesPanel"));
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    QCOMPARE(main.wizard.newDeviceName, std::string("Hall"));
    QVERIFY(h.messages().warnings.empty());
}

void AccessPointListTest::backFromTheLoginRebuildsTheList() {
    Harness h(ThreeDevices());
    h.walkToList();
    TMainForm& main = h.main();
    QTest::keyClick(&Control<QListWidget>(main, "APListView"), Qt::Key_Down);
    QCOMPARE(main.exchangeState().selectedIndex(), 1);
    main.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
    Harness::click(Control<FlatPanel>(main, "BackPanel"));
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QCOMPARE(Control<QListWidget>(main, "APListView").count(), 3);
    QCOMPARE(main.exchangeState().selectedIndex(), 0);
    QVERIFY(Control<QListWidget>(main, "APListView").item(0)->isSelected());
    QCOMPARE(Status(main, "MAC").text(), QStringLiteral("02-81-00-00-00-01"));
}

QTEST_MAIN(AccessPointListTest)
#include "tst_aplist.moc"
