// The confirmation page's texts for every security mode, the configure exchange behind the
// configure dialog (acknowledged at once, at 3 s, at tick 3, during the grace pause, by another
// device, with a refusal, never; a second exchange in the same run), and the user guide link.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "support/harness.h"
#include "support/tick_recorder.h"
#include "ui/Configureunit.h"
#include "ui/Mainunit.h"

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
    void exchange_data();
    void exchange();
    void secondExchangeTicksQuicklyFromItsFirstTick();
    void userGuideOpensOrOffersTheReader_data();
    void userGuideOpensOrOffersTheReader();
};

void ConfigureTest::confirmationShowsWhatWillBeWritten_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("security");  // a Language.ini key in brackets, or the text
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("modeAfter");
    const char* wep = "0123456789";
    const char* psk = "psk & key";
    const std::tuple<int, const char*, const char*, int> rows[] = {
        {0, "[Disable]", "", 0},
        {1, "WEP (64-Bit)", wep, 1},
        {2, "WEP (128-Bit)", wep, 2},
        {3, "WPA-Personal(TKIP)", psk, 3},
        {4, "WPA-Personal(AES)", psk, 4},
        {5, "WPA-Enterprise(TKIP)", "", 5},
        {6, "WPA-Enterprise(AES)", "", 6},
        {7, "Radius", "", 7},
        {8, "WPA2-Personal(TKIP)", psk, 8},
        {9, "WPA2-Personal(AES)", psk, 9},
        {10, "[WPA2_Mixedmode]", psk, 10},
        {11, "Button Pair Setup", "", 0},  // pairing: written as 0
        {12, "(before)", "(before)", 12},  // unknown: the labels left as they were
    };
    for (const auto& [mode, security, key, after] : rows) {
        QTest::newRow(QByteArray::number(mode).constData()) << mode << security << key << after;
    }
}

void ConfigureTest::confirmationShowsWhatWillBeWritten() {
    QFETCH(int, mode);
    QFETCH(QString, security);
    QFETCH(QString, key);
    QFETCH(int, modeAfter);
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

    if (security.startsWith(QLatin1Char('['))) {
        security = main.Text(security.mid(1, security.size() - 2).toStdString());
        QVERIFY(!security.isEmpty());
    }
    QCOMPARE(securityLabel.text(), security);
    QCOMPARE(keyLabel.text(), key);
    QCOMPARE(ssidLabel.text(), QStringLiteral("Caf\u00e9 & Co"));
    QCOMPARE(ssidLabel.textFormat(), Qt::PlainText);  // '&' shown as it is
    QCOMPARE(channelLabel.text(), QStringLiteral("0"));
    QCOMPARE(main.wizard.newSecurityMode, modeAfter);
    for (QLabel* label : {&ssidLabel, &channelLabel, &securityLabel, &keyLabel}) {
        QVERIFY(label->isVisible());
        QCOMPARE(label->size(), QSize(113, 14));
        QCOMPARE(label->toolTip(), label->text());
    }
    QVERIFY(Control<FlatPanel>(main, "YesPanel").isVisible());
    QVERIFY(Control<FlatPanel>(main, "NoPanel").isVisible());
    QVERIFY(!Control<FlatPanel>(main, "BackPanel").isVisible());
}

void ConfigureTest::exchange_data() {
    QTest::addColumn<QString>("answer");  // how the acknowledgement comes
    QTest::addColumn<bool>("success");
    QTest::addColumn<int>("firstFast");  // the first tick after which the ticks are fast
    QTest::newRow("first request acknowledged") << "now" << true << 0;
    QTest::newRow("acknowledged at 3 s") << "3s" << true << 0;
    QTest::newRow("acknowledged at tick 3") << "tick3" << true << 4;
    QTest::newRow("during the grace pause") << "grace" << true << -1;
    QTest::newRow("from another device") << "other" << false << -1;
    QTest::newRow("refused") << "refused" << false << -1;
    QTest::newRow("never") << "never" << false << -1;
}

void ConfigureTest::exchange() {
    QFETCH(QString, answer);
    QFETCH(bool, success);
    QFETCH(int, firstFast);

    auto device = Office();
    device.behaviour.neverAcknowledge = answer == QLatin1String("other") ||
                                        answer == QLatin1String("refused") ||
                                        answer == QLatin1String("never");
    Harness h(ExchangeOptions(device));
    ToConfirmation(h);
    FakeNetwork& network = h.network();
    const Timing& timing = h.timing();
    if (answer == QLatin1String("3s")) {
        network.setDelivery(PacketKind::Configure, FakeNetwork::Delivery::Delayed,
                            timing.configureTick * 3 / 7);
    } else if (answer == QLatin1String("tick3") || answer == QLatin1String("grace")) {
        network.setDelivery(PacketKind::Configure, FakeNetwork::Delivery::Held);
    }

    TConfigureForm& form = h.windows().configureForm();
    QElapsedTimer clock;  // started first: its times are never shorter than the recorder's
    clock.start();
    TickRecorder recorder(form);
    const MacAddress mac = h.main().exchange().selectedMAC();
    recorder.onTick = [&](int counter) {
        if (answer == QLatin1String("tick3") && counter == 3) {
            network.releaseHeld();
        } else if (answer == QLatin1String("other") && counter == 1) {
            MacAddress other = mac;
            other[5] ^= 0x40;
            network.inject(buildConfigureAnswer(other, 0));
        } else if (answer == QLatin1String("refused") && counter == 1) {
            network.inject(buildConfigureAnswer(mac, 1));
        }
    };
    bool mainHiddenDuringDialog = false;
    connect(&form, &TSearchForm::ticked, &form,
            [&] { mainHiddenDuringDialog = !h.main().isVisible(); });
    if (answer == QLatin1String("grace")) {
        // Released a quarter into the pause after the dialog has closed.
        connect(&form, &QDialog::finished, &form, [&] {
            QTimer::singleShot(timing.configureGrace / 4, &form, [&] { network.releaseHeld(); });
        });
    }
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));
    const qint64 took = clock.elapsed();

    QVERIFY(mainHiddenDuringDialog);
    QVERIFY(!form.isVisible());
    QVERIFY(h.main().isVisible());
    // Once at Yes, then at ticks 0, 3, 6 and 9, also after the acknowledgement.
    QCOMPARE(network.sent(PacketKind::Configure), 5);
    QCOMPARE(int(recorder.ticks.size()), 12);
    QCOMPARE(recorder.ticks.back().percentage, QStringLiteral("100 %"));
    QCOMPARE(recorder.ticks.back().filledCells, 10);
    // The interval changes inside a tick only: the first tick always comes after a slow one.
    QVERIFY(recorder.ticks.front().atMs >= timing.configureTick.count() - 5);
    for (std::size_t i = 0; i < recorder.ticks.size(); ++i) {
        const bool fast = firstFast >= 0 && int(i) >= firstFast;
        QCOMPARE(recorder.ticks[i].interval,
                 int(fast ? timing.fastTick.count() : timing.configureTick.count()));
    }
    if (firstFast >= 0) {
        const qint64 rest =
            recorder.ticks.back().atMs - recorder.ticks[std::size_t(firstFast)].atMs;
        QVERIFY2(rest < timing.configureTick.count(), qPrintable(QString::number(rest)));
    } else {
        const qint64 all = recorder.ticks.back().atMs - recorder.ticks.front().atMs;
        QVERIFY(all >= timing.configureTick.count() * 11 - 20);
    }
    if (success) {
        QVERIFY(h.messages().warnings.empty());
        QCOMPARE(h.main().nCurrentPage, int(PAGE_CONGRATULATION));
        QVERIFY(Control<FlatPanel>(h.main(), "RegPanel").isVisible());
        QVERIFY(Control<FlatPanel>(h.main(), "ExitPanel").isVisible());
        // No pause is spent waiting for an acknowledgement that is in already.
        if (answer == QLatin1String("now")) {
            QVERIFY(took - recorder.ticks.back().atMs < timing.configureGrace.count());
        }
    } else {
        QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("CONFIGURE_FAIL")});
        QCOMPARE(h.main().nCurrentPage, int(PAGE_CONFIRM));
        QVERIFY(took - recorder.ticks.back().atMs >= timing.configureGrace.count());
    }
}

void ConfigureTest::secondExchangeTicksQuicklyFromItsFirstTick() {
    Harness h(ExchangeOptions());
    ToConfirmation(h);
    FakeNetwork& network = h.network();
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));
    QCOMPARE(h.main().nCurrentPage, int(PAGE_CONGRATULATION));
    QVERIFY(h.main().exchange().bConfigureAckSeen.load());

    // Back on the confirmation page (as another window may load it), the device silent now.
    network.setDelivery(PacketKind::Configure, FakeNetwork::Delivery::Held);
    h.main().LoadPage(PAGE_CONFIRM);
    TickRecorder recorder(h.windows().configureForm());
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));
    QCOMPARE(int(recorder.ticks.size()), 12);
    // The shortened interval stays: the first tick already comes quickly.
    QVERIFY2(recorder.ticks.front().atMs < h.timing().configureTick.count() / 2,
             qPrintable(QString::number(recorder.ticks.front().atMs)));
    QVERIFY2(recorder.ticks.back().atMs < h.timing().configureTick.count(),
             qPrintable(QString::number(recorder.ticks.back().atMs)));
    // The outcome rests on this exchange's acknowledgement: Yes cleared the earlier one.
    QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("CONFIGURE_FAIL")});
    QCOMPARE(h.main().nCurrentPage, int(PAGE_CONFIRM));
    QCOMPARE(network.sent(PacketKind::Configure), 10);
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
