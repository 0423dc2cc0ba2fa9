// The page machine of the first pages: Next and Back between pages 1 to 6 and their guards,
// placement of the buttons by language, the hover rule, page fills, Exit and No.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>

#include "support/harness.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/Searchunit.h"

using namespace trv81k;
using namespace trv81k::testing;

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void nextAndBackWalkTheFirstPages();
    void searchNeedsAnAdapter();
    void yesNeedsAnAdapter();
    void pageControlsFollowThePageTable();
    void buttonsArePlacedForTheLanguage_data();
    void buttonsArePlacedForTheLanguage();
    void pagesWithoutLayoutShowABlankWindow();
    void captionTurnsWhiteUntilThePointerReachesTheBackground();
    void manualEntryLeadsToTheWirelessPage();
    void basicSettingsPageShowsTheWizardState();
    void wirelessPageOpensOnTheCurrentChannel();
    void exitClosesTheChannelJoinsTheReceiverAndQuits();
    void noIsExit();
};

void PagesTest::nextAndBackWalkTheFirstPages() {
    Harness h;
    TMainForm& main = h.main();
    Harness::click(main.SetupPanel);
    QCOMPARE(main.nCurrentPage, 2);
    QVERIFY(!main.BackPanel->isVisible());  // page 2 offers Exit and Next only
    for (int page = 3; page <= 5; ++page) {
        Harness::click(main.NextPanel);
        QCOMPARE(main.nCurrentPage, page);
    }
    for (int page = 4; page >= 2; --page) {
        Harness::click(main.BackPanel);
        QCOMPARE(main.nCurrentPage, page);
    }
    main.BackPanelClick();  // the handler itself: 2 -> 1
    QCOMPARE(main.nCurrentPage, 1);
    Harness::click(main.ClickHerePanel);
    QCOMPARE(main.nCurrentPage, 2);
    QCOMPARE(h.network().sentTotal(), 0);
    QVERIFY(h.messages().warnings.empty());
}

void PagesTest::searchNeedsAnAdapter() {
    HarnessOptions options;
    options.devices = {MakeDevice(1, "Office")};
    Harness h(options);
    h.network().adapterPresent = false;
    h.walkToPage5();
    Harness::click(h.main().NextPanel);
    QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("INVALID_NIC")});
    QCOMPARE(h.network().sentTotal(), 0);
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_4_CHECK_STATUS));
    QVERIFY(h.main().isVisible());
    QVERIFY(!h.windows().searchForm().isVisible());
}

void PagesTest::yesNeedsAnAdapter() {
    HarnessOptions options;
    options.devices = {MakeDevice(1, "Office")};
    Harness h(options);
    h.walkToList();
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    h.network().adapterPresent = false;
    Harness::click(h.main().YesPanel);
    QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("INVALID_NIC")});
    QCOMPARE(h.network().sent(PacketKind::Authentication), 0);
    QVERIFY(!h.windows().loginForm().isVisible());
    QVERIFY(h.main().isVisible());
}

void PagesTest::pageControlsFollowThePageTable() {
    Harness h;
    TMainForm& main = h.main();
    struct Expect {
        int page;
        std::vector<QWidget*> visible;
        Picture* picture;
    };
    const auto w = [](auto*... widgets) {
        return std::vector<QWidget*>{static_cast<QWidget*>(widgets)...};
    };
    const std::vector<Expect> table = {
        {2, w(main.ExitPanel, main.NextPanel), main.Image[1]},
        {3, w(main.BackPanel, main.NextPanel), main.Image[2]},
        {5, w(main.ExitPanel, main.BackPanel, main.NextPanel), main.Image[4]},
        {6, w(main.NoPanel, main.YesPanel, main.APListView, main.ExitPanel), main.Image[5]},
        {8,
         w(main.WhereBPSPanel, main.BackPanel, main.NextPanel, main.ExitPanel,
           main.WlanManualPanel),
         main.ImageSecure1},
        {9,
         w(main.BackPanel, main.NextPanel, main.ExitPanel, main.SSIDEdit, main.ChannelComboBox,
           main.NetModeComboBox),
         main.ImageSecure2},
        {10,
         w(main.RadioBtnDisble, main.RadioBtnWEP, main.RadioBtnPSK, main.RadioBtnWPARadius,
           main.BackPanel, main.NextPanel),
         main.ImageSecure3},
        {12,
         w(main.BackPanel, main.NextPanel, main.SecurityComboBox, main.LABEL_PSK_KEY_MAX,
           main.EncryptionComboBox, main.PSKEdit),
         main.ImageSecure4PSK},
        {19, w(main.RegPanel, main.ExitPanel), main.ImageCongratulation},
    };
    const QList<QWidget*> all = main.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const Expect& expect : table) {
        main.LoadPage(expect.page);
        QCOMPARE(main.nCurrentPage, expect.page);
        for (QWidget* widget : all) {
            const bool shouldShow =
                widget == expect.picture || std::find(expect.visible.begin(), expect.visible.end(),
                                                      widget) != expect.visible.end();
            QVERIFY2(widget->isVisible() == shouldShow,
                     qPrintable(
                         QStringLiteral("page %1: %2").arg(expect.page).arg(widget->objectName())));
        }
        // The picture lies under every control.
        QCOMPARE(main.childAt(2, 2), nullptr);  // passive pictures let the pointer through
        QCOMPARE(all.indexOf(expect.picture) >= 0, true);
        QCOMPARE(main.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).first(),
                 static_cast<QWidget*>(expect.picture));
    }
}

void PagesTest::buttonsArePlacedForTheLanguage_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("en 2 next") << "English" << 2 << "NextPanel" << QRect(529, 375, 33, 18);
    QTest::newRow("de 2 next") << "German" << 2 << "NextPanel" << QRect(531, 375, 35, 18);
    QTest::newRow("fr 2 next") << "French" << 2 << "NextPanel" << QRect(513, 375, 48, 18);
    QTest::newRow("de 1 setup") << "German" << 1 << "SetupPanel" << QRect(205, 373, 75, 18);
    QTest::newRow("fr 1 start") << "French" << 1 << "ClickHerePanel" << QRect(389, 220, 162, 24);
    QTest::newRow("en 6 exit") << "English" << 6 << "ExitPanel" << QRect(416, 375, 37, 18);
    QTest::newRow("en 6 yes") << "English" << 6 << "YesPanel" << QRect(520, 375, 33, 18);
    QTest::newRow("de 6 yes") << "German" << 6 << "YesPanel" << QRect(534, 375, 33, 18);
    QTest::newRow("fr 6 no") << "French" << 6 << "NoPanel" << QRect(466, 375, 33, 18);
    QTest::newRow("de 8 manual") << "German" << 8 << "EnterManuallyLabel" << QRect(14, 5, 145, 32);
}

void PagesTest::buttonsArePlacedForTheLanguage() {
    QFETCH(QString, section);
    QFETCH(int, page);
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    HarnessOptions options;
    options.section = section.toStdString();
    Harness h(options);
    for (int p = 1; p <= page; ++p) {  // the normal road: moves of earlier pages count
        h.main().LoadPage(p);
    }
    QWidget* widget = h.main().Control(control.toStdString());
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->geometry(), geometry);
    if (section == "French" && control == "ClickHerePanel") {
        QCOMPARE(widget->font().pointSize(), 10);
    }
}

void PagesTest::pagesWithoutLayoutShowABlankWindow() {
    Harness h;
    TMainForm& main = h.main();
    for (int page : {0, 13, 17, 25}) {
        main.LoadPage(page);
        QCOMPARE(main.nCurrentPage, page);
        QVERIFY(main.isVisible());
        for (QWidget* widget : main.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName()));
        }
    }
}

void PagesTest::captionTurnsWhiteUntilThePointerReachesTheBackground() {
    Harness h;
    TMainForm& main = h.main();
    QTRY_VERIFY(main.windowHandle() != nullptr && main.windowHandle()->isExposed());
    QCOMPARE(main.SetupPanel->captionColour(), look::kGrey);
    const QPoint onSetup = main.SetupPanel->geometry().center();
    QTest::mouseMove(main.windowHandle(), onSetup);
    QTRY_COMPARE(main.SetupPanel->captionColour(), look::kWhite);
    // Onto another button: the first stays white (no leave tracking), the second lights up.
    QTest::mouseMove(main.windowHandle(), main.ExitPanel->geometry().center());
    QTRY_COMPARE(main.ExitPanel->captionColour(), look::kWhite);
    QCOMPARE(main.SetupPanel->captionColour(), look::kWhite);
    // The background (a picture) turns all of them grey again.
    QTest::mouseMove(main.windowHandle(), QPoint(60, 60));
    QTRY_COMPARE(main.SetupPanel->captionColour(), look::kGrey);
    QCOMPARE(main.ExitPanel->captionColour(), look::kGrey);
}

void PagesTest::manualEntryLeadsToTheWirelessPage() {
    Harness h;
    TMainForm& main = h.main();
    main.LoadPage(PAGE_SECURE_1_CONFIGURE_WIRELESS);
    QVERIFY(main.EnterManuallyLabel->isVisible());
    QVERIFY(!main.wizard.bWirelessEditable);
    Harness::click(main.EnterManuallyLabel);
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
    QVERIFY(main.wizard.bWirelessEditable);
    Harness::click(main.BackPanel);
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
}

void PagesTest::basicSettingsPageShowsTheWizardState() {
    Harness h;
    TMainForm& main = h.main();
    main.activateWindow();
    QTRY_VERIFY(main.bSettingsApplied);
    main.wizard.newPassword = "pw\xE9";  // Latin-1, as the device sends it
    main.wizard.newDeviceName = "Office";
    main.wizard.newIPText = "192.168.1.20";
    main.wizard.newNetmaskText = "255.255.255.0";
    main.wizard.newGatewayText = "192.168.1.1";
    main.wizard.bStaticIP = true;
    main.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
    QCOMPARE(main.PasswordEdit->text(), QString::fromUtf8("pw\u00e9"));
    QCOMPARE(main.DeviceNameEdit->text(), QStringLiteral("Office"));
    QCOMPARE(main.DHCPModeComboBox->currentIndex(), 1);
    QVERIFY(main.IPEdit->isEnabled());
    QCOMPARE(main.GatewayEdit->text(), QStringLiteral("192.168.1.1"));
    QCOMPARE(main.IPEdit->pos(), QPoint(148, 287));  // moved by the page

    main.wizard.bStaticIP = false;
    main.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
    QCOMPARE(main.DHCPModeComboBox->currentIndex(), 0);
    for (QLineEdit* edit : {main.IPEdit, main.NetmaskEdit, main.GatewayEdit}) {
        QVERIFY(!edit->isEnabled());
        QVERIFY(edit->text().isEmpty());
        QCOMPARE(edit->palette().color(QPalette::Base), look::kSilver);
    }
}

void PagesTest::wirelessPageOpensOnTheCurrentChannel() {
    Harness h;
    TMainForm& main = h.main();
    main.activateWindow();
    QTRY_VERIFY(main.bSettingsApplied);
    main.wizard.newSSID = std::string(40, 'x');
    main.wizard.newChannel = 0;
    main.wizard.newNetMode = 2;
    main.LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
    QCOMPARE(main.ChannelComboBox->currentText(), QStringLiteral("6"));
    QCOMPARE(main.NetModeComboBox->currentIndex(), 2);
    QCOMPARE(main.SSIDEdit->maxLength(), 32);
    QCOMPARE(main.SSIDEdit->text().size(), 32);
    main.wizard.newChannel = 13;
    main.LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
    QCOMPARE(main.ChannelComboBox->currentText(), QStringLiteral("13"));
}

void PagesTest::exitClosesTheChannelJoinsTheReceiverAndQuits() {
    Harness h;
    QVERIFY(h.network().receiverRunning());
    Harness::click(h.main().ExitPanel);
    QCOMPARE(h.quitCount, 1);
    QCOMPARE(h.network().closeCount(), 1);
    // The receiver had ended (joined) before the program was told to quit.
    QVERIFY(!h.receiverRunningAtQuit);
    QVERIFY(!h.network().receiverRunning());
}

void PagesTest::noIsExit() {
    HarnessOptions options;
    options.devices = {MakeDevice(1, "Office")};
    Harness h(options);
    h.walkToList();
    Harness::click(h.main().NoPanel);
    QCOMPARE(h.quitCount, 1);
    QVERIFY(!h.receiverRunningAtQuit);
}

QTEST_MAIN(PagesTest)
#include "tst_pages.moc"
