// The confirmation page's texts for every security mode, the configure dialog's exchange as the
// user sees it (acknowledged, never), and the user guide link.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <set>

#include "support/harness.h"
#include "support/tick_recorder.h"
#include "ui/Configureunit.h"
#include "ui/Mainunit.h"
#include "ui/page_confirm.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

emulator::EmulatedDevice Office() {
    auto device = MakeDevice(1, "Office", "secret");
    device.settings.ssid = "Office & Co";
    device.settings.channel = 4;
    return device;
}

// Logged in to Office, through the pages with security disabled, on page 18.
void ToConfirmation(Harness& h) {
    h.walkToBasicSettings(QStringLiteral("secret"));
    TMainForm& main = h.main();
    FlatPanel& next = Control<FlatPanel>(main, "NextPanel");
    Harness::click(next);  // 7 -> 8
    Harness::click(next);  // pairing check: by hand -> 9
    Harness::click(next);  // -> 10
    Harness::click(Control<QRadioButton>(main, "RadioBtnDisble"));
    Harness::click(next);
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
}

// Durations far apart: a slow tick, a fast one and the grace pause tell themselves apart even
// on a loaded machine.
HarnessOptions ExchangeOptions(emulator::EmulatedDevice device = Office()) {
    HarnessOptions options = WithDevices({std::move(device)});
    options.adjustTiming = [](Timing& timing) {
        timing.configureTick = std::chrono::milliseconds{150};
        timing.fastTick = std::chrono::milliseconds{5};
        timing.configureGrace = std::chrono::milliseconds{300};
    };
    return options;
}

}  // namespace

class ConfigureTest : public QObject {
    Q_OBJECT
private slots:
    void confirmationShowsWhatWillBeWritten_data();
    void confirmationShowsWhatWillBeWritten();
    void confirmationShowsLongValuesInFull();
    void confirmationOfThePairingRoad();
    void progressMovesFromTheFirstSecond();
    void exchange_data();
    void exchange();
    void userGuideOpensOrOffersTheReader_data();
    void userGuideOpensOrOffersTheReader();
};

void ConfigureTest::confirmationShowsWhatWillBeWritten_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("security");  // a Language.ini key in brackets, or the text
    QTest::addColumn<QString>("key");
    const char* wep = "0123456789";
    const char* psk = "psk & key";
    const std::tuple<int, const char*, const char*> rows[] = {
        {0, "[Disable]", ""},
        {1, "WEP (64-Bit)", wep},
        {2, "WEP (128-Bit)", wep},
        {3, "WPA-Personal(TKIP)", psk},
        {4, "WPA-Personal(AES)", psk},
        {5, "WPA-Enterprise(TKIP)", ""},
        {6, "WPA-Enterprise(AES)", ""},
        {7, "Radius", ""},
        {8, "WPA2-Personal(TKIP)", psk},
        {9, "WPA2-Personal(AES)", psk},
        {10, "[WPA2_Mixedmode]", psk},
        {11, "Button Pair Setup", ""},
        {12, "(before)", "(before)"},  // unknown: the labels left as they were
    };
    for (const auto& [mode, security, key] : rows) {
        QTest::newRow(QByteArray::number(mode).constData()) << mode << security << key;
    }
}

void ConfigureTest::confirmationShowsWhatWillBeWritten() {
    QFETCH(int, mode);
    QFETCH(QString, security);
    QFETCH(QString, key);
    Harness h;
    TMainForm& main = h.main();
    main.wizard.newSSID = "Caf\xe9 & Co";
    main.wizard.newChannel = 0;
    main.wizard.newSecurityMode = mode;
    main.wizard.newWepKey = "0123456789";
    main.wizard.newPSK = "psk & key";
    QLabel& ssidLabel = Control<QLabel>(main, "NewSSIDLabel");
    QLabel& channelLabel = Control<QLabel>(main, "NewChannelLabel");
    QLabel& securityLabel = Control<QLabel>(main, "NewWepLabel");
    QLabel& keyLabel = Control<QLabel>(main, "NewKeyLabel");
    securityLabel.setText(QStringLiteral("(before)"));
    keyLabel.setText(QStringLiteral("(before)"));
    main.LoadPage(PAGE_CONFIRM);

    QVERIFY(Control<FlatPanel>(main, "YesPanel").isVisible());
    QVERIFY(Control<FlatPanel>(main, "NoPanel").isVisible());
    QVERIFY(!Control<FlatPanel>(main, "BackPanel").isVisible());
    QCOMPARE(main.wizard.newSecurityMode, mode);  // showing it changes nothing
    const Picture& picture = Control<Picture>(main, "ImageConfirm");
    if (mode == kSecurityPairing) {
        // Left to the pairing: a picture that says so, and no wireless values, no key's note.
        QCOMPARE(picture.image(), NumberedPicture(main.languageBase + kPairingConfirmPicture));
        for (const QLabel* label : {&ssidLabel, &channelLabel, &securityLabel, &keyLabel,
                                    &Control<QLabel>(main, "NoteKeyLabel")}) {
            QVERIFY(!label->isVisible());
        }
        return;
    }
    QCOMPARE(picture.image(), NumberedPicture(main.languageBase + PAGE_CONFIRM));
    if (security.startsWith(QLatin1Char('['))) {
        security = main.Text(security.mid(1, security.size() - 2).toStdString());
        QVERIFY(!security.isEmpty());
    }
    QCOMPARE(securityLabel.text(), security);
    QCOMPARE(keyLabel.text(), key);
    QCOMPARE(Control<QLabel>(main, "NoteKeyLabel").isVisible(), !key.isEmpty());
    QCOMPARE(ssidLabel.text(), QStringLiteral("Caf\u00e9 & Co"));
    QCOMPARE(ssidLabel.textFormat(), Qt::PlainText);  // '&' shown as it is
    QCOMPARE(channelLabel.text(), QStringLiteral("0"));
    for (QLabel* label : {&ssidLabel, &channelLabel, &securityLabel, &keyLabel}) {
        QVERIFY(label->isVisible());
    }
}

// Everything that will be written, each value in full: the device's name, its password (hidden
// until the check box shows it), the address settings, and a 63-character key and a 32-character
// network name on lines of their own.
void ConfigureTest::confirmationShowsLongValuesInFull() {
    Harness h(WithDevices({OfficeDevice()}));
    h.walkToBasicSettings(QStringLiteral("secret"));
    TMainForm& main = h.main();
    FlatPanel& next = Control<FlatPanel>(main, "NextPanel");
    Retype(Control<QLineEdit>(main, "DeviceNameEdit"), QStringLiteral("Office on the 2nd floor"));
    Retype(Control<QLineEdit>(main, "PasswordEdit"), QStringLiteral("n3w-pa55"));
    Harness::click(next);
    Harness::click(next);  // the pairing check: by hand
    const QString ssid = QStringLiteral("Mountain View Guest Network 2.4G");
    Retype(Control<QLineEdit>(main, "SSIDEdit"), ssid);
    Harness::click(next);
    Harness::click(Control<QRadioButton>(main, "RadioBtnPSK"));
    Harness::click(next);
    const QString key =
        QStringLiteral("The quick brown fox jumps over the lazy dog, again and again..!");
    QCOMPARE(key.size(), 63);
    Retype(Control<QLineEdit>(main, "PSKEdit"), key);
    Harness::click(next);
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
    // A screen reader gets the summary as the page's description, in reading order after the
    // instruction, the password as stars.
    const QString told = main.accessibleDescription();
    QVERIFY2(told.startsWith(main.AccessibleText("Page18_Text")), qPrintable(told));
    QVERIFY2(told.indexOf(QStringLiteral("Office on the 2nd floor")) > 0 &&
                 told.indexOf(ssid) > told.indexOf(QStringLiteral("Office on the 2nd floor")) &&
                 told.contains(key) && told.contains(QStringLiteral("********")),
             qPrintable(told));
    QVERIFY(!told.contains(QStringLiteral("n3w-pa55")));

    // Each value whole, every line of it within its label.
    const auto shown = [&](const char* name) {
        const QLabel& label = Control<QLabel>(main, name);
        const QFontMetrics metrics(label.font());
        for (const QString& line : label.text().split(QLatin1Char('\n'))) {
            if (metrics.horizontalAdvance(line) > label.contentsRect().width() - label.indent()) {
                return QStringLiteral("(too wide: %1)").arg(line);
            }
        }
        if (metrics.lineSpacing() * label.text().count(QLatin1Char('\n')) + metrics.height() >
            label.height()) {
            return QStringLiteral("(too many lines)");
        }
        return label.text().replace(QLatin1Char('\n'), QString());
    };
    QCOMPARE(shown("NewKeyLabel").remove(QLatin1Char(' ')), QString(key).remove(QLatin1Char(' ')));
    QCOMPARE(shown("NewSSIDLabel").remove(QLatin1Char(' ')),
             QString(ssid).remove(QLatin1Char(' ')));
    QCOMPARE(shown("NewNameLabel").remove(QLatin1Char(' ')), QStringLiteral("Officeonthe2ndfloor"));
    QVERIFY(Control<QLabel>(main, "NoteKeyLabel").isVisible());
    QCOMPARE(shown("NewIPModeLabel"), main.Text("StaticIP"));
    QCOMPARE(shown("NewIPLabel"), QStringLiteral("192.168.5.20"));
    QCOMPARE(shown("NewGatewayLabel"), QStringLiteral("192.168.5.1"));

    // The password: stars until the check box (a control of its own, Space toggles it) is on.
    QCheckBox& showPassword = Control<QCheckBox>(main, "ShowPasswordCheckBox");
    QCOMPARE(shown("NewPasswordLabel"), QStringLiteral("********"));
    showPassword.setFocus();
    QTest::keyClick(&showPassword, Qt::Key_Space);
    QCOMPARE(shown("NewPasswordLabel"), QStringLiteral("n3w-pa55"));
    QTest::keyClick(&showPassword, Qt::Key_Space);
    QCOMPARE(shown("NewPasswordLabel"), QStringLiteral("********"));
}

// The pairing road: the device's settings and the pairing's own picture, no key and no note to
// keep one.
void ConfigureTest::confirmationOfThePairingRoad() {
    auto device = Office();
    device.behaviour.pairingManaged = true;
    Harness h(WithDevices({device}));
    h.walkToBasicSettings(QStringLiteral("secret"));
    TMainForm& main = h.main();
    FlatPanel& next = Control<FlatPanel>(main, "NextPanel");
    Choose(Control<QComboBox>(main, "DHCPModeComboBox"), 0);
    Harness::click(next);
    Harness::click(next);  // the pairing check: under pairing control
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
    QCOMPARE(Control<Picture>(main, "ImageConfirm").image(),
             NumberedPicture(main.languageBase + kPairingConfirmPicture));
    for (const char* name : {"NewSSIDLabel", "NewChannelLabel", "NewNetModeLabel", "NewWepLabel",
                             "NewKeyLabel", "NoteKeyLabel"}) {
        QVERIFY2(!Control<QLabel>(main, name).isVisible(), name);
    }
    QCOMPARE(Control<QLabel>(main, "NewNameLabel").text(), QStringLiteral("Office"));
    QCOMPARE(Control<QLabel>(main, "NewIPModeLabel").text(), main.Text("Automatic_DHCP"));
    QCOMPARE(Control<QLabel>(main, "NewIPLabel").text(), QString(QChar(0x2013)));  // not written
    QVERIFY(Control<QCheckBox>(main, "ShowPasswordCheckBox").isVisible());
}

// The configure dialog says what it does, and its bar, percentage and hourglass move on with
// the time before the first tick brings a step.
void ConfigureTest::progressMovesFromTheFirstSecond() {
    Harness h(ExchangeOptions());
    ToConfirmation(h);
    TConfigureForm& form = h.windows().configureForm();
    const QLabel& percentage = Control<QLabel>(form, "Percentage_Label");
    std::set<QString> percentages;
    std::set<int> glasses;
    bool ticked = false;
    connect(&form, &TSearchForm::ticked, &form, [&] { ticked = true; });
    QTimer look;
    look.setInterval(2);
    connect(&look, &QTimer::timeout, &form, [&] {
        if (!form.isVisible() || ticked) {
            return;
        }
        percentages.insert(percentage.text());
        for (int i = 0; i < TSearchForm::kHourGlassCount; ++i) {
            const QByteArray name = "HourGlassImage" + QByteArray::number(i + 1);
            if (Control<Picture>(form, name.constData()).isVisible()) {
                glasses.insert(i);
            }
        }
    });
    look.start();
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));
    QVERIFY2(percentages.size() >= 3,
             qPrintable(QStringList(percentages.begin(), percentages.end()).join(", ")));
    QVERIFY(glasses.size() >= 2);
    const ProfileReader texts(std::filesystem::path(TRV81K_SOURCE_DIR) / "resources" /
                              "Language.ini");
    QCOMPARE(Control<QLabel>(form, "Label1").text(),
             QString::fromStdString(texts.ReadString("English", "Label3", "")));
}

void ConfigureTest::exchange_data() {
    QTest::addColumn<bool>("success");  // the device acknowledges at once, or never
    QTest::newRow("acknowledged") << true;
    QTest::newRow("never") << false;
}

// What the user sees of the configure exchange (its schedule is the core's, tested there): the
// dialog's bar to 100 % with the main window hidden, the main window back while a late
// acknowledgement may still come, then the congratulation page or the failure message.
void ConfigureTest::exchange() {
    QFETCH(bool, success);
    auto device = Office();
    device.behaviour.neverAcknowledge = !success;
    Harness h(ExchangeOptions(device));
    ToConfirmation(h);
    TConfigureForm& form = h.windows().configureForm();
    TickRecorder recorder(form);
    bool mainHiddenDuringDialog = false;
    connect(&form, &TSearchForm::ticked, &form,
            [&] { mainHiddenDuringDialog = !h.main().isVisible(); });
    bool mainShownDuringGrace = false;
    connect(&form, &QDialog::finished, &form, [&] {
        QTimer::singleShot(h.timing().configureGrace / 2, &form,
                           [&] { mainShownDuringGrace = h.main().isVisible(); });
    });
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));

    QVERIFY(mainHiddenDuringDialog);
    QVERIFY(!form.isVisible());
    QVERIFY(h.main().isVisible());
    QCOMPARE(int(recorder.ticks.size()), 12);
    QCOMPARE(recorder.ticks.back().percentage, QStringLiteral("100 %"));
    QCOMPARE(recorder.ticks.back().filledCells, 10);
    if (success) {
        QVERIFY(h.messages().warnings.empty());
        QCOMPARE(h.main().nCurrentPage, int(PAGE_CONGRATULATION));
        QVERIFY(Control<FlatPanel>(h.main(), "RegPanel").isVisible());
        QVERIFY(Control<FlatPanel>(h.main(), "ExitPanel").isVisible());
    } else {
        QVERIFY(mainShownDuringGrace);
        QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("CONFIGURE_FAIL")});
        QCOMPARE(h.main().nCurrentPage, int(PAGE_CONFIRM));
    }
}

void ConfigureTest::userGuideOpensOrOffersTheReader_data() {
    QTest::addColumn<bool>("guidePresent");
    QTest::addColumn<bool>("viewer");  // the launcher finds a program
    QTest::addColumn<bool>("answerYes");
    QTest::newRow("guide opened") << true << true << false;
    QTest::newRow("no viewer, Yes") << true << false << true;
    QTest::newRow("no viewer, No") << true << false << false;
    QTest::newRow("guide missing") << false << true << false;
}

void ConfigureTest::userGuideOpensOrOffersTheReader() {
    QFETCH(bool, guidePresent);
    QFETCH(bool, viewer);
    QFETCH(bool, answerYes);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    if (guidePresent) {
        QVERIFY(QDir().mkdir(QStringLiteral("Manual")));
        QFile guide(QStringLiteral("Manual/trv81k_eu_v3-qig_ug.pdf"));
        QVERIFY(guide.open(QIODevice::WriteOnly));
    }
    {
        Harness h;
        h.shell().opens = viewer;
        h.messages().answer = answerYes;
        Harness::click(Control<FlatPanel>(h.main(), "UserguidePanel"));

        const QUrl guideUrl = QUrl::fromLocalFile(
            QDir(folder.path()).absoluteFilePath(QStringLiteral("Manual/trv81k_eu_v3-qig_ug.pdf")));
        std::vector<QUrl> expected;
        if (guidePresent) {
            expected.push_back(guideUrl);
        }
        if (!(guidePresent && viewer)) {
            QCOMPARE(h.messages().questions.size(), std::size_t{1});
            QCOMPARE(h.messages().questions[0].first,
                     QStringLiteral("Acrobat Reader Installation"));
            QCOMPARE(h.messages().questions[0].second,
                     h.main().Text("UserGuideMsg1") + "\n" + h.main().Text("UserGuideMsg2"));
            if (answerYes) {
                expected.push_back(
                    QUrl::fromLocalFile(folder.path() + "/Acrobat Reader 7.0/setup.exe"));
            }
        } else {
            QVERIFY(h.messages().questions.empty());
        }
        QCOMPARE(h.shell().opened, expected);
        QCOMPARE(h.main().nCurrentPage, int(PAGE_WELCOME));
        QCOMPARE(h.quitCount, 0);
    }
    QVERIFY(QDir::setCurrent(previous));
}

QTEST_MAIN(ConfigureTest)
#include "tst_configure.moc"
