// The settings pages 7 to 12: every Next guard with its message and where the focus goes (and
// the login that page 7 and the confirmation's Yes need), the address switch and key filters,
// the pairing check, the security list's choices and the field states after each, the WEP key
// filter and the passphrase turning into the key.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "settings/keygen.h"
#include "support/harness.h"
#include "ui/Configureunit.h"
#include "ui/Mainunit.h"
#include "ui/Wparadiusnote.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

HarnessOptions WithDevice(emulator::EmulatedDevice device = OfficeDevice()) {
    return WithDevices({std::move(device)});
}

// Types characters that have no key of their own on the test keyboard (é, €).
void TypeCharacters(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

FlatPanel& NextOf(TMainForm& main) {
    return Control<FlatPanel>(main, "NextPanel");
}

FlatPanel& BackOf(TMainForm& main) {
    return Control<FlatPanel>(main, "BackPanel");
}

// Logged in to Office, on page 7.
void ToBasicSettings(Harness& h) {
    h.walkToBasicSettings(QStringLiteral("secret"));
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
}

// Logged in, through page 8 (the device answers the pairing check: not pairing-managed) to
// page 9.
void ToWirelessSettings(Harness& h) {
    ToBasicSettings(h);
    Harness::click(NextOf(h.main()));
    Harness::click(NextOf(h.main()));
    QCOMPARE(h.main().nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
}

void ToSecurityLevel(Harness& h) {
    ToWirelessSettings(h);
    Harness::click(NextOf(h.main()));
    QCOMPARE(h.main().nCurrentPage, int(PAGE_SECURE_3_SECURITY_SETTINGS));
}

// Through page 10 with the radio button `radio` to the key page `page`.
void ToKeyPage(Harness& h, const char* radio, int page) {
    ToSecurityLevel(h);
    Harness::click(Control<QRadioButton>(h.main(), radio));
    Harness::click(NextOf(h.main()));
    QCOMPARE(h.main().nCurrentPage, page);
}

bool IsSilverAndDisabled(const QWidget& field) {
    return !field.isEnabled() && field.palette().color(QPalette::Base) == look::kSilver;
}

bool IsWhiteAndEnabled(const QWidget& field) {
    return field.isEnabled() && field.palette().color(QPalette::Base) == look::kWhite;
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void nextOnPage7AndYesOnPage18NeedTheLogin();
    void passwordLengthIsCheckedFirst();
    void staticAddresses_data();
    void staticAddresses();
    void refusedAddressPassesWithItsOldTextOnTheSecondNext();
    void dhcpSwitchesTheAddressFieldsOff();
    void addressConcernsAreAskedAbout_data();
    void addressConcernsAreAskedAbout();
    void basicFieldsFilterAndLimitWhatIsTyped();
    void addressFieldsSelectTheirWholeText();
    void pairingCheck_data();
    void pairingCheck();
    void wirelessSettingsCheckTheNetworkName();
    void securityLevelLeadsByTheChoice();
    void radiusNoteComesAtOnceAndNextStays();
    void securityListChoices_data();
    void securityListChoices();
    void enteringAKeyPageMakesItsFieldsUsableAgain();
    void wepKeyTakesHexDigitsUpToItsLength();
    void passphraseBecomesTheKey();
    void keyChecks_data();
    void keyChecks();
};

void SettingsTest::nextOnPage7AndYesOnPage18NeedTheLogin() {
    Harness h(WithDevice());
    TMainForm& main = h.main();
    main.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
    Control<QLineEdit>(main, "PasswordEdit").setText(QStringLiteral("longenough"));
    Harness::click(NextOf(main));
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    main.LoadPage(PAGE_CONFIRM);
    Harness::click(Control<FlatPanel>(main, "YesPanel"));
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
    QVERIFY(!h.windows().configureForm().isVisible());
    QVERIFY(main.isVisible());
    QCOMPARE(h.network().sentTotal(), 0);
    QVERIFY(h.messages().warnings.empty());
}

void SettingsTest::passwordLengthIsCheckedFirst() {
    Harness h(WithDevice());
    ToBasicSettings(h);
    TMainForm& main = h.main();
    QLineEdit& address = Control<QLineEdit>(main, "IPEdit");
    QLineEdit& password = Control<QLineEdit>(main, "PasswordEdit");
    QLineEdit& name = Control<QLineEdit>(main, "DeviceNameEdit");
    address.setText(QStringLiteral("192.168.1.0"));  // would be refused too
    Retype(password, QStringLiteral("abc"));
    name.setFocus();
    Harness::click(NextOf(main));
    QCOMPARE(h.messages().warnings, std::vector<QString>{main.Text("INVALID_PASSWORD")});
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    QCOMPARE(main.focusWidget(), &name);  // the focus stays where it was
    QCOMPARE(main.wizard.newPassword, std::string("secret"));

    h.messages().warnings.clear();
    Retype(password, QStringLiteral("abcd"));
    address.setText(QStringLiteral("192.168.1.2"));
    Harness::click(NextOf(main));
    QVERIFY(h.messages().warnings.empty());
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
    QCOMPARE(main.wizard.newPassword, std::string("abcd"));
}

void SettingsTest::staticAddresses_data() {
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("netmask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QStringList>("messages");  // keys, in the order shown
    QTest::addColumn<QString>("focus");         // the field that has the focus afterwards
    QTest::addColumn<QStringList>("fields");    // IP, netmask, gateway texts afterwards

    const auto row = [](const char* name, const char* ip, const char* netmask, const char* gateway,
                        const QStringList& messages, const char* focus, const QStringList& fields) {
        QTest::newRow(name) << ip << netmask << gateway << messages << focus << fields;
    };
    row("leading zeros, no gateway", "192.168.001.010", "255.255.255.0", "", {}, "",
        {"192.168.001.010", "255.255.255.0", ""});
    row("0.0.0.0 is no gateway", "10.0.0.2", "255.0.0.0", "0.0.0.0", {}, "",
        {"10.0.0.2", "255.0.0.0", "0.0.0.0"});
    row("000.0.0.0 is no gateway", "10.0.0.2", "255.255.0.0", "000.0.0.0", {}, "",
        {"10.0.0.2", "255.255.0.0", "000.0.0.0"});
    row("network address", "192.168.1.0", "255.255.255.0", "", {"INVALID_IP"}, "IPEdit",
        {"192.168.5.20", "255.255.255.0", ""});
    row("broadcast address", "192.168.1.255", "255.255.255.0", "", {"INVALID_IP"}, "IPEdit",
        {"192.168.5.20", "255.255.255.0", ""});
    row("octet above 255", "192.168.1.300", "255.255.255.0", "", {"INVALID_IP"}, "IPEdit",
        {"192.168.5.20", "255.255.255.0", ""});
    row("last mask octet as typed", "192.168.1.2", "255.255.255.000", "", {"INVALID_NETMASK"},
        "NetmaskEdit", {"192.168.1.2", "255.255.0.0", ""});
    row("both refused, each with its message", "1..2.3", "0.0.0.0", "",
        {"INVALID_IP", "INVALID_NETMASK"}, "NetmaskEdit", {"192.168.5.20", "255.255.0.0", ""});
    row("gateway with two dots shows the last good one", "192.168.1.2", "255.255.255.0",
        "192.168.1", {"INVALID_Gateway"}, "GatewayEdit",
        {"192.168.1.2", "255.255.255.0", "192.168.5.1"});
    row("gateway with a letter stays", "192.168.1.2", "255.255.255.0", "192.168.1.x",
        {"INVALID_Gateway"}, "GatewayEdit", {"192.168.1.2", "255.255.255.0", "192.168.1.x"});
}

void SettingsTest::staticAddresses() {
    QFETCH(QString, ip);
    QFETCH(QString, netmask);
    QFETCH(QString, gateway);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);
    QFETCH(QStringList, fields);

    Harness h(WithDevice());
    ToBasicSettings(h);
    TMainForm& main = h.main();
    QLineEdit& address = Control<QLineEdit>(main, "IPEdit");
    QLineEdit& mask = Control<QLineEdit>(main, "NetmaskEdit");
    QLineEdit& gatewayEdit = Control<QLineEdit>(main, "GatewayEdit");
    QCOMPARE(Control<QComboBox>(main, "DHCPModeComboBox").currentIndex(), 1);
    // setText: the texts of these rows get past the key filters only this way.
    address.setText(ip);
    mask.setText(netmask);
    gatewayEdit.setText(gateway);
    Harness::click(NextOf(main));

    std::vector<QString> expected;
    for (const QString& key : messages) {
        expected.push_back(main.Text(key.toStdString()));
    }
    QCOMPARE(h.messages().warnings, expected);
    QCOMPARE(QStringList({address.text(), mask.text(), gatewayEdit.text()}), fields);
    if (messages.isEmpty()) {
        QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
        // Stored as typed; the sender reads them through the validators again.
        QCOMPARE(QString::fromStdString(main.wizard.newIPText), ip);
        QCOMPARE(QString::fromStdString(main.wizard.newNetmaskText), netmask);
        QCOMPARE(QString::fromStdString(main.wizard.newGatewayText), gateway);
        QVERIFY(main.wizard.bStaticIP);
    } else {
        QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
        QCOMPARE(main.focusWidget()->objectName(), focus);
        auto* edit = qobject_cast<QLineEdit*>(main.focusWidget());
        QVERIFY(edit != nullptr);
        QCOMPARE(edit->selectedText(), edit->text());
    }
}

void SettingsTest::refusedAddressPassesWithItsOldTextOnTheSecondNext() {
    Harness h(WithDevice());
    ToBasicSettings(h);
    TMainForm& main = h.main();
    QLineEdit& address = Control<QLineEdit>(main, "IPEdit");
    address.setText(QStringLiteral("192.168.9.0"));
    Harness::click(NextOf(main));
    QCOMPARE(address.text(), QStringLiteral("192.168.5.20"));
    Harness::click(NextOf(main));
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
    QCOMPARE(main.wizard.newIPText, std::string("192.168.5.20"));
    QCOMPARE(h.messages().warnings.size(), std::size_t{1});
}

void SettingsTest::dhcpSwitchesTheAddressFieldsOff() {
    Harness h(WithDevice());
    ToBasicSettings(h);
    TMainForm& main = h.main();
    QComboBox& mode = Control<QComboBox>(main, "DHCPModeComboBox");
    QLineEdit& address = Control<QLineEdit>(main, "IPEdit");
    QLineEdit& mask = Control<QLineEdit>(main, "NetmaskEdit");
    QLineEdit& gateway = Control<QLineEdit>(main, "GatewayEdit");
    address.setText(QStringLiteral("1.2.3"));  // not valid, and not looked at with DHCP
    Choose(mode, 0);
    for (QLineEdit* edit : {&address, &mask, &gateway}) {
        QVERIFY(IsSilverAndDisabled(*edit));
        QVERIFY(edit->text().isEmpty());
        QVERIFY(edit->isVisible());
    }
    // Back to static: the stored texts come back.
    Choose(mode, 1);
    QCOMPARE(address.text(), QStringLiteral("192.168.5.20"));
    QCOMPARE(gateway.text(), QStringLiteral("192.168.5.1"));
    QVERIFY(IsWhiteAndEnabled(mask));

    Choose(mode, 0);
    Retype(Control<QLineEdit>(main, "DeviceNameEdit"), QStringLiteral("Upstairs"));
    Harness::click(NextOf(main));
    QVERIFY(h.messages().warnings.empty());
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
    QVERIFY(!main.wizard.bStaticIP);
    QCOMPARE(main.wizard.newDeviceName, std::string("Upstairs"));
    QCOMPARE(main.wizard.newIPText, std::string("192.168.5.20"));  // kept for a switch back

    // Back on page 7 the list shows DHCP with the fields off.
    Harness::click(BackOf(main));
    QCOMPARE(mode.currentIndex(), 0);
    QVERIFY(IsSilverAndDisabled(address));
}

void SettingsTest::addressConcernsAreAskedAbout_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("named");  // in the question
    QTest::addColumn<QString>("field");  // that gets the focus after No
    QTest::newRow("address of another device") << "192.168.5.30"
                                               << "192.168.5.1"
                                               << "Hall"
                                               << "IPEdit";
    QTest::newRow("gateway outside the subnet") << "192.168.5.21"
                                                << "10.0.0.1"
                                                << "10.0.0.1"
                                                << "GatewayEdit";
    QTest::newRow("a multicast address") << "224.0.0.9"
                                         << ""
                                         << "multicast"
                                         << "IPEdit";
}

// An address another listed device has, or a gateway outside the address's subnet: a question
// that names the conflict. No stays with the focus in the field, Yes goes on.
void SettingsTest::addressConcernsAreAskedAbout() {
    QFETCH(QString, address);
    QFETCH(QString, gateway);
    QFETCH(QString, named);
    QFETCH(QString, field);
    auto hall = MakeDevice(2, "Hall", "hall2");
    hall.settings.ip = {192, 168, 5, 30};
    Harness h(WithDevices({OfficeDevice(), hall}));
    ToBasicSettings(h);
    TMainForm& main = h.main();
    Retype(Control<QLineEdit>(main, "IPEdit"), address);
    Retype(Control<QLineEdit>(main, "GatewayEdit"), gateway);

    h.messages().answer = false;
    Harness::click(NextOf(main));
    QCOMPARE(h.messages().questions.size(), std::size_t{1});
    const QString question = h.messages().questions.front().second;
    QVERIFY2(question.contains(named) && question.contains(address), qPrintable(question));
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    QLineEdit& concerned = Control<QLineEdit>(main, qPrintable(field));
    QCOMPARE(main.focusWidget(), &concerned);
    QCOMPARE(concerned.selectedText(), concerned.text());
    QVERIFY(h.messages().warnings.empty());

    h.messages().answer = true;
    Harness::click(NextOf(main));
    QCOMPARE(h.messages().questions.size(), std::size_t{2});
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
    QCOMPARE(QString::fromStdString(main.wizard.newIPText), address);
}

void SettingsTest::basicFieldsFilterAndLimitWhatIsTyped() {
    Harness h(WithDevice());
    ToBasicSettings(h);
    TMainForm& main = h.main();
    const auto field = [&main](const char* name) { return &Control<QLineEdit>(main, name); };
    // The address fields take digits and dots only; paste is discarded.
    QApplication::clipboard()->setText(QStringLiteral("9.9.9.9"));
    for (QLineEdit* edit : {field("IPEdit"), field("NetmaskEdit"), field("GatewayEdit")}) {
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("1a2.3 b-4,"));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("12.34"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("2.3"));
    }

    const auto typeMany = [](QLineEdit* edit) {
        edit->clear();
        QTest::keyClicks(edit, QString(40, QLatin1Char('1')));
        return edit->text().size();
    };
    QCOMPARE(typeMany(field("IPEdit")), 16);
    QCOMPARE(typeMany(field("NetmaskEdit")), 15);
    QCOMPARE(typeMany(field("GatewayEdit")), 15);
    QCOMPARE(typeMany(field("DeviceNameEdit")), 32);
    QCOMPARE(typeMany(field("PasswordEdit")), 16);
    QCOMPARE(field("PasswordEdit")->displayText(), QString(16, QLatin1Char('*')));

    // The device stores 8-bit characters: Latin-1 is typed, anything beyond it is refused.
    QLineEdit* name = field("DeviceNameEdit");
    name->clear();
    TypeCharacters(name, QStringLiteral("Caf\u00e9 \u20ac\u65e5"));
    QCOMPARE(name->text(), QStringLiteral("Caf\u00e9 "));
}

// An address field selects its whole text when it gets the focus (Tab or a first click) and on
// Ctrl+A, so that typing replaces the old address.
void SettingsTest::addressFieldsSelectTheirWholeText() {
    Harness h(WithDevice());
    ToBasicSettings(h);
    TMainForm& main = h.main();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QLineEdit& address = Control<QLineEdit>(main, "IPEdit");
    QLineEdit& gateway = Control<QLineEdit>(main, "GatewayEdit");
    const QPoint inside(20, address.height() / 2);
    address.setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(address.selectedText(), QStringLiteral("192.168.5.20"));
    // The first click into the field that has the focus already keeps all of it selected.
    QTest::mouseClick(&address, Qt::LeftButton, {}, inside);
    QCOMPARE(address.selectedText(), QStringLiteral("192.168.5.20"));
    QTest::keyClicks(&address, QStringLiteral("192.168.5.21"));
    QCOMPARE(address.text(), QStringLiteral("192.168.5.21"));

    QTest::mouseClick(&gateway, Qt::LeftButton, {}, inside);
    QTRY_COMPARE(gateway.selectedText(), QStringLiteral("192.168.5.1"));
    QTest::keyClicks(&gateway, QStringLiteral("192.168.5.250"));
    QCOMPARE(gateway.text(), QStringLiteral("192.168.5.250"));

    // A second click places the cursor; Ctrl+A selects all again.
    QTest::mouseClick(&gateway, Qt::LeftButton, {}, inside);
    QVERIFY(!gateway.hasSelectedText());
    QTest::keyClick(&gateway, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(gateway.selectedText(), gateway.text());
}

void SettingsTest::pairingCheck_data() {
    QTest::addColumn<int>("kind");  // 0 answers "not managed", 1 managed, 2 silent
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("editable");
    QTest::newRow("answers: by hand") << 0 << 1 << int(PAGE_SECURE_2_WIRELESS_SETTINGS) << true;
    QTest::newRow("pairing-managed") << 1 << 1 << int(PAGE_CONFIRM) << false;
    QTest::newRow("silent: left to pairing") << 2 << 3 << int(PAGE_CONFIRM) << false;
}

void SettingsTest::pairingCheck() {
    QFETCH(int, kind);
    QFETCH(int, requests);
    QFETCH(int, page);
    QFETCH(bool, editable);
    auto device = OfficeDevice();
    device.behaviour.pairingManaged = kind == 1;
    device.behaviour.ignorePairingCheck = kind == 2;
    Harness h(WithDevice(device));
    ToBasicSettings(h);
    Harness::click(NextOf(h.main()));
    QCOMPARE(h.main().nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
    h.traces.clear();
    Harness::click(NextOf(h.main()));

    QCOMPARE(h.network().sent(PacketKind::CheckBPS), requests);
    QCOMPARE(h.main().nCurrentPage, page);
    QCOMPARE(h.main().wizard.bWirelessEditable, editable);
    std::vector<std::string> expected(static_cast<std::size_t>(requests),
                                      "PAGE_SECURE_1_CONFIGURE_WIRELESS: bGetCheckBPSAck == false");
    if (kind != 2) {
        expected.emplace_back("PAGE_SECURE_1_CONFIGURE_WIRELESS: bGetCheckBPSAck == true");
    }
    QCOMPARE(h.traces, expected);
    if (page == PAGE_CONFIRM) {
        // The confirmation of the pairing road: no wireless values, no key.
        QVERIFY(!Control<QLabel>(h.main(), "NewWepLabel").isVisible());
        QVERIFY(!Control<QLabel>(h.main(), "NewKeyLabel").isVisible());
        QCOMPARE(h.main().wizard.newSecurityMode, int(kSecurityPairing));
        QVERIFY(!BackOf(h.main()).isVisible());
    }
}

void SettingsTest::wirelessSettingsCheckTheNetworkName() {
    Harness h(WithDevice());
    ToWirelessSettings(h);
    TMainForm& main = h.main();
    QLineEdit& ssid = Control<QLineEdit>(main, "SSIDEdit");
    QComboBox& channel = Control<QComboBox>(main, "ChannelComboBox");
    QComboBox& mode = Control<QComboBox>(main, "NetModeComboBox");
    QCOMPARE(ssid.text(), QStringLiteral("OfficeNet"));
    QCOMPARE(channel.currentText(), QStringLiteral("9"));
    QCOMPARE(channel.count(), 13);
    QCOMPARE(mode.currentIndex(), 1);
    QCOMPARE(mode.count(), 3);

    ssid.clear();
    mode.setFocus();
    Harness::click(NextOf(main));
    QCOMPARE(h.messages().warnings, std::vector<QString>{main.Text("SSID_ERROR")});
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
    QCOMPARE(main.focusWidget(), &ssid);

    QTest::keyClicks(&ssid, QString(33, QLatin1Char('s')));
    QCOMPARE(ssid.text().size(), 32);
    channel.setCurrentIndex(12);
    mode.setCurrentIndex(2);
    Harness::click(NextOf(main));
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_3_SECURITY_SETTINGS));
    QCOMPARE(main.wizard.newSSID, std::string(32, 's'));
    QCOMPARE(main.wizard.newChannel, 13);
    QCOMPARE(int(main.wizard.newNetMode), 2);
    Harness::click(BackOf(main));
    QCOMPARE(channel.currentText(), QStringLiteral("13"));  // the last choice
}

void SettingsTest::securityLevelLeadsByTheChoice() {
    Harness h(WithDevice());
    ToSecurityLevel(h);
    TMainForm& main = h.main();
    Harness::click(NextOf(main));  // nothing chosen yet
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_3_SECURITY_SETTINGS));
    // WEP and PSK lead to pages 11 and 12 (ToKeyPage); page 12 goes back to 10.
    Harness::click(Control<QRadioButton>(main, "RadioBtnPSK"));
    Harness::click(NextOf(main));
    Harness::click(BackOf(main));
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_3_SECURITY_SETTINGS));
    Harness::click(Control<QRadioButton>(main, "RadioBtnDisble"));
    Harness::click(NextOf(main));
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
    QCOMPARE(main.wizard.newSecurityMode, int(kSecurityDisabled));
    QCOMPARE(Control<QLabel>(main, "NewWepLabel").text(), main.Text("Disable"));
    QVERIFY(h.messages().warnings.empty());
}

void SettingsTest::radiusNoteComesAtOnceAndNextStays() {
    Harness h(WithDevice());
    ToSecurityLevel(h);
    TWPARadiusNoteForm* note = &h.windows().radiusNoteForm();
    bool shown = false;
    WhenVisible(note, [&] {
        shown = true;
        Harness::click(Control<FlatPanel>(*note, "OKPanel"));
    });
    Harness::click(Control<QRadioButton>(h.main(), "RadioBtnWPARadius"));
    QVERIFY(shown);
    QVERIFY(!note->isVisible());
    QCOMPARE(h.main().wizard.securityChoice, 4);
    Harness::click(NextOf(h.main()));
    QCOMPARE(h.main().nCurrentPage, int(PAGE_SECURE_3_SECURITY_SETTINGS));
}

void SettingsTest::securityListChoices_data() {
    QTest::addColumn<int>("from");  // the page the choice is made on
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("keyLimit");  // 0: not changed
    QTest::addColumn<QStringList>("ciphers");
    QTest::addColumn<int>("cipher");
    QTest::addColumn<bool>("cipherEnabled");
    QTest::addColumn<bool>("keysEnabled");
    QTest::addColumn<int>("mode");  // what Next derives (with the fields filled validly)

    const QStringList two{"TKIP", "AES"};
    const QStringList three{"TKIP", "AES", "TKIP+AES"};
    const int wep = PAGE_SECURE_4_WEP;
    const int psk = PAGE_SECURE_4_PSK;
    QTest::newRow("WEP 64") << psk << 0 << wep << 10 << two << 0 << true << true << 1;
    QTest::newRow("WEP 128") << wep << 1 << wep << 26 << two << 0 << true << true << 2;
    QTest::newRow("WPA Personal") << wep << 2 << psk << 0 << two << 0 << true << true << 3;
    QTest::newRow("WPA2 Personal") << wep << 3 << psk << 0 << two << 1 << false << true << 9;
    QTest::newRow("WPA2 Mixed") << wep << 4 << psk << 0 << three << 2 << false << true << 10;
    QTest::newRow("Disabled on 11") << wep << 5 << wep << 0 << two << 0 << false << false << 0;
    QTest::newRow("Disabled on 12") << psk << 5 << psk << 0 << two << 0 << false << false << 0;
}

void SettingsTest::securityListChoices() {
    QFETCH(int, from);
    QFETCH(int, choice);
    QFETCH(int, page);
    QFETCH(int, keyLimit);
    QFETCH(QStringList, ciphers);
    QFETCH(int, cipher);
    QFETCH(bool, cipherEnabled);
    QFETCH(bool, keysEnabled);
    QFETCH(int, mode);

    Harness h(WithDevice());
    ToKeyPage(h, from == PAGE_SECURE_4_WEP ? "RadioBtnWEP" : "RadioBtnPSK", from);
    TMainForm& main = h.main();
    QComboBox& security = Control<QComboBox>(main, "SecurityComboBox");
    QComboBox& encryption = Control<QComboBox>(main, "EncryptionComboBox");
    QLineEdit& passphrase = Control<QLineEdit>(main, "PassphraseEdit");
    QLineEdit& key = Control<QLineEdit>(main, "Key1Edit");
    QLineEdit& psk = Control<QLineEdit>(main, "PSKEdit");
    passphrase.setText(QStringLiteral("old"));
    psk.setText(QStringLiteral("old key text"));
    Choose(security, choice);

    QCOMPARE(main.nCurrentPage, page);
    QCOMPARE(security.currentIndex(), choice);
    for (QLineEdit* field : {&passphrase, &key, &psk}) {
        QVERIFY(field->text().isEmpty());
        QCOMPARE(keysEnabled ? IsWhiteAndEnabled(*field) : IsSilverAndDisabled(*field), true);
    }
    if (keyLimit != 0) {
        QCOMPARE(key.maxLength(), keyLimit);
    }
    QCOMPARE(Items(encryption), ciphers);
    QCOMPARE(encryption.currentIndex(), cipher);
    QCOMPARE(cipherEnabled ? IsWhiteAndEnabled(encryption) : IsSilverAndDisabled(encryption), true);

    // Valid keys for the choice, then Next.
    if (mode == 1 || mode == 2) {
        key.setText(QString(mode == 1 ? 10 : 26, QLatin1Char('a')));
    } else if (mode != 0) {
        psk.setText(QStringLiteral("eight ch"));
    }
    Harness::click(NextOf(main));
    QVERIFY(h.messages().warnings.empty());
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
    QCOMPARE(main.wizard.newSecurityMode, mode);
}

void SettingsTest::enteringAKeyPageMakesItsFieldsUsableAgain() {
    Harness h(WithDevice());
    ToKeyPage(h, "RadioBtnPSK", PAGE_SECURE_4_PSK);
    TMainForm& main = h.main();
    QComboBox& security = Control<QComboBox>(main, "SecurityComboBox");
    QComboBox& encryption = Control<QComboBox>(main, "EncryptionComboBox");
    QLineEdit& psk = Control<QLineEdit>(main, "PSKEdit");
    Choose(security, 4);  // WPA2 Mixed: TKIP+AES, list disabled
    QCOMPARE(encryption.count(), 3);
    Choose(security, 2);  // WPA Personal removes it and enables the list
    QCOMPARE(Items(encryption), QStringList({"TKIP", "AES"}));
    QVERIFY(IsWhiteAndEnabled(encryption));
    encryption.setCurrentIndex(1);
    psk.setText(QStringLiteral("12345678"));
    Harness::click(NextOf(main));
    QCOMPARE(main.wizard.newSecurityMode, int(kSecurityWpaAes));
    QCOMPARE(main.wizard.newEncryption, 1);

    // Disabled, Back, and a new choice: everything usable again.
    main.LoadPage(PAGE_SECURE_4_PSK);
    Choose(security, 5);
    QVERIFY(IsSilverAndDisabled(psk));
    Harness::click(BackOf(main));
    Harness::click(Control<QRadioButton>(main, "RadioBtnWEP"));
    Harness::click(NextOf(main));
    QCOMPARE(security.currentIndex(), 0);
    QVERIFY(IsWhiteAndEnabled(Control<QLineEdit>(main, "PassphraseEdit")));
    QVERIFY(IsWhiteAndEnabled(Control<QLineEdit>(main, "Key1Edit")));
    Harness::click(BackOf(main));
    Harness::click(Control<QRadioButton>(main, "RadioBtnPSK"));
    Harness::click(NextOf(main));
    QCOMPARE(security.currentIndex(), 2);
    QVERIFY(IsWhiteAndEnabled(psk));
    QVERIFY(IsWhiteAndEnabled(encryption));
    QCOMPARE(encryption.currentText(), QStringLiteral("TKIP"));
}

void SettingsTest::wepKeyTakesHexDigitsUpToItsLength() {
    Harness h(WithDevice());
    ToKeyPage(h, "RadioBtnWEP", PAGE_SECURE_4_WEP);
    TMainForm& main = h.main();
    QLineEdit* key = &Control<QLineEdit>(main, "Key1Edit");
    key->setFocus();
    QTest::keyClicks(key, QStringLiteral("G 1a-Fz0"));
    QCOMPARE(key->text(), QStringLiteral("1aF0"));
    QTest::keyClicks(key, QStringLiteral("123456789"));
    QCOMPARE(key->text(), QStringLiteral("1aF0123456"));  // the eleventh digit is refused

    // Copy works, paste and cut do not change the field.
    key->selectAll();
    QTest::keyClick(key, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1aF0123456"));
    QTest::keyClick(key, Qt::Key_X, Qt::ControlModifier);
    key->clear();
    QTest::keyClick(key, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(key->text().isEmpty());

    Choose(Control<QComboBox>(main, "SecurityComboBox"), 1);
    key->setFocus();
    QTest::keyClicks(key, QString(30, QLatin1Char('b')));
    QCOMPARE(key->text(), QString(26, QLatin1Char('b')));
}

void SettingsTest::passphraseBecomesTheKey() {
    Harness h(WithDevice());
    ToKeyPage(h, "RadioBtnWEP", PAGE_SECURE_4_WEP);
    TMainForm& main = h.main();
    QLineEdit& passphrase = Control<QLineEdit>(main, "PassphraseEdit");
    QLineEdit& key = Control<QLineEdit>(main, "Key1Edit");
    QTest::keyClicks(&passphrase, QStringLiteral("abc"));
    QCOMPARE(key.text(), QString::fromStdString(Wep64KeyText("abc")));
    QTest::keyClick(&passphrase, Qt::Key_Backspace);
    QCOMPARE(key.text(), QString::fromStdString(Wep64KeyText("ab")));
    QCOMPARE(key.text().size(), 10);
    // A key typed by hand is overwritten by the next change of the passphrase.
    key.setText(QStringLiteral("0000000000"));
    TypeCharacters(&passphrase, QStringLiteral("\u00e9"));
    QCOMPARE(key.text(), QString::fromStdString(Wep64KeyText("ab\xe9")));
    passphrase.clear();
    QVERIFY(key.text().isEmpty());

    Choose(Control<QComboBox>(main, "SecurityComboBox"), 1);
    QTest::keyClicks(&passphrase, QString(20, QLatin1Char('p')));
    QCOMPARE(passphrase.text().size(), 16);
    QCOMPARE(key.text(), QString::fromStdString(Wep128KeyText(std::string(16, 'p'))));
    QCOMPARE(key.text().size(), 26);
    Harness::click(NextOf(main));
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
    QCOMPARE(main.wizard.newWepKey, Wep128KeyText(std::string(16, 'p')));
    QCOMPARE(main.wizard.newPassphrase, std::string(16, 'p'));
    // The key in full, on two lines.
    QCOMPARE(Control<QLabel>(main, "NewKeyLabel").text().remove(QLatin1Char('\n')), key.text());
}

void SettingsTest::keyChecks_data() {
    QTest::addColumn<int>("choice");  // entry of the security list
    QTest::addColumn<QString>("passphrase");
    QTest::addColumn<QString>("key");  // Key1Edit or PSKEdit
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const auto row = [](const char* name, int choice, const QString& passphrase, const QString& key,
                        const char* message, const char* focus) {
        QTest::newRow(name) << choice << passphrase << key << message << focus;
    };
    row("WEP 64 short", 0, "", "123456789", "KEY64_ERROR", "Key1Edit");
    row("WEP 64 with G", 0, "", "12345678G9", "KEY64_HEX_ERROR", "Key1Edit");
    row("WEP 64 ok", 0, "", "abcdefABCD", "", "");
    row("WEP 128 short", 1, "", QString(25, '1'), "KEY128_ERROR", "Key1Edit");
    row("WEP 128 hex", 1, "", QString(25, '1') + "z", "KEY128_HEX_ERROR", "Key1Edit");
    row("WEP 128 ok", 1, "", QString(26, 'F'), "", "");
    row("passphrase too long", 0, QString(17, 'p'), "1234567890", "INVALID_PASSPHRASE",
        "PassphraseEdit");
    row("PSK 7", 2, "", "1234567", "INVALID_PSK_LENGTH", "PSKEdit");
    row("PSK 8 with blanks", 3, "", "  a  b  ", "", "");
    row("PSK 63 any", 4, "", QString(63, '!'), "", "");
    row("PSK 64 with g", 2, "", QString(63, 'a') + "g", "INVALID_PSK_KEY", "PSKEdit");
    row("PSK 64 hex", 3, "", QString(64, 'C'), "", "");
}

void SettingsTest::keyChecks() {
    QFETCH(int, choice);
    QFETCH(QString, passphrase);
    QFETCH(QString, key);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    Harness h(WithDevice());
    const bool wep = choice <= 1;
    ToKeyPage(h, wep ? "RadioBtnWEP" : "RadioBtnPSK", wep ? PAGE_SECURE_4_WEP : PAGE_SECURE_4_PSK);
    TMainForm& main = h.main();
    QComboBox& security = Control<QComboBox>(main, "SecurityComboBox");
    QLineEdit& passphraseEdit = Control<QLineEdit>(main, "PassphraseEdit");
    QLineEdit& keyEdit = Control<QLineEdit>(main, wep ? "Key1Edit" : "PSKEdit");
    Choose(security, choice);
    // Set directly: the fields' own limits and filters would stop some of these texts.
    passphraseEdit.setMaxLength(32);
    passphraseEdit.setText(passphrase);
    keyEdit.setMaxLength(80);
    keyEdit.setText(key);
    security.setFocus();
    Harness::click(NextOf(main));

    if (message.isEmpty()) {
        QVERIFY(h.messages().warnings.empty());
        QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
        QCOMPARE(QString::fromLatin1(wep ? main.wizard.newWepKey : main.wizard.newPSK), key);
    } else {
        QCOMPARE(h.messages().warnings, std::vector<QString>{main.Text(message.toStdString())});
        QCOMPARE(main.nCurrentPage, wep ? int(PAGE_SECURE_4_WEP) : int(PAGE_SECURE_4_PSK));
        QCOMPARE(main.focusWidget()->objectName(), focus);
        auto* edit = qobject_cast<QLineEdit*>(main.focusWidget());
        QCOMPARE(edit->selectedText(), edit->text());
    }
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
