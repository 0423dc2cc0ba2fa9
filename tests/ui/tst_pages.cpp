// The page machine of the first pages: Next and Back between pages 1 to 6 and their guards,
// placement of the buttons by language, the hover rule, page fills, Exit, No and the
// registration link.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>

#include "l10n/placement.h"
#include "support/harness.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/Searchunit.h"
#include "ui/page_table.h"

using namespace trv81k;
using namespace trv81k::testing;

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void nextAndBackWalkTheFirstPages();
    void searchAndYesNeedAnAdapter();
    void pageControlsFollowThePageTable();
    void buttonsArePlacedForTheLanguage_data();
    void buttonsArePlacedForTheLanguage();
    void pagesWithoutLayoutShowABlankWindow();
    void captionLightsUpUntilThePointerReachesTheBackground();
    void manualEntryLeadsToTheWirelessPage();
    void settingsPagesShowTheWizardState();
    void exitNoAndRegistrationCloseTheChannelJoinTheReceiverAndQuit();
};

void PagesTest::nextAndBackWalkTheFirstPages() {
    Harness h;
    TMainForm& main = h.main();
    FlatPanel& next = Control<FlatPanel>(main, "NextPanel");
    FlatPanel& back = Control<FlatPanel>(main, "BackPanel");
    Harness::click(Control<FlatPanel>(main, "SetupPanel"));
    QCOMPARE(main.nCurrentPage, 2);
    QVERIFY(!back.isVisible());  // page 2 offers Exit and Next only
    for (int page = 3; page <= 5; ++page) {
        Harness::click(next);
        QCOMPARE(main.nCurrentPage, page);
    }
    for (int page = 4; page >= 2; --page) {
        Harness::click(back);
        QCOMPARE(main.nCurrentPage, page);
    }
    main.BackPanelClick();  // the handler itself: 2 -> 1
    QCOMPARE(main.nCurrentPage, 1);
    Harness::click(Control<FlatPanel>(main, "ClickHerePanel"));
    QCOMPARE(main.nCurrentPage, 2);
    QCOMPARE(h.network().sentTotal(), 0);
    QVERIFY(h.messages().warnings.empty());
}

void PagesTest::searchAndYesNeedAnAdapter() {
    Harness h(WithDevices({MakeDevice(1, "Office")}));
    const QString message = h.main().Text("INVALID_NIC");
    h.searchWithoutAdapter();
    QCOMPARE(h.messages().warnings, std::vector<QString>{message});
    QCOMPARE(h.network().sentTotal(), 0);
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_4_CHECK_STATUS));
    QVERIFY(h.main().isVisible());
    QVERIFY(!h.windows().searchForm().isVisible());

    // The adapter back: the search runs; gone again, Yes on the list is refused.
    h.network().adapterPresent = true;
    Harness::click(Control<FlatPanel>(h.main(), "NextPanel"));
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    h.network().adapterPresent = false;
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));
    QCOMPARE(h.messages().warnings, std::vector<QString>(2, message));
    QCOMPARE(h.network().sent(PacketKind::Authentication), 0);
    QVERIFY(!h.windows().loginForm().isVisible());
    QVERIFY(h.main().isVisible());
}

void PagesTest::pageControlsFollowThePageTable() {
    Harness h;
    TMainForm& main = h.main();
    // The wizard opens on the welcome page, at its size, with an empty state (static address).
    QCOMPARE(main.nCurrentPage, int(PAGE_WELCOME));
    QVERIFY(main.isVisible());
    QCOMPARE(main.size(), QSize(580, 436));
    QVERIFY(main.wizard.bStaticIP);
    QVERIFY(main.wizard.newSSID.empty());
    QCOMPARE(main.wizard.newChannel, 0);
    const QList<QWidget*> all = main.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const PageLayout& layout : kPageTable) {
        if (layout.page == PAGE_CONFIRM) {
            continue;  // its fill shows the confirmation labels as well (tst_configure)
        }
        if (layout.page != PAGE_WELCOME) {  // the first page as shown at start
            main.LoadPage(layout.page);
        }
        QCOMPARE(main.nCurrentPage, layout.page);
        // Where the page stands on the road, first in what a screen reader reads of it.
        const QString step = layout.page == PAGE_STEP_3_POWER_ON ? QStringLiteral("Step 3 of 6. ")
                             : layout.page == PAGE_SECURE_1_CONFIGURE_WIRELESS
                                 ? QStringLiteral("Step 1 of 4. ")
                             : layout.page == PAGE_SECURE_4_PSK ? QStringLiteral("Step 4 of 4. ")
                                                                : QString();
        const bool noStep = layout.page == PAGE_WELCOME || layout.page == PAGE_CONGRATULATION;
        QVERIFY2(noStep ? !main.accessibleDescription().startsWith(QStringLiteral("Step"))
                        : main.accessibleDescription().startsWith(step),
                 qPrintable(main.accessibleDescription()));
        std::vector<const QWidget*> shown = {&Control<Picture>(main, layout.picture)};
        for (const char* name : layout.controlNames()) {
            shown.push_back(&Control<QWidget>(main, name));
        }
        for (const QWidget* widget : all) {
            const bool shouldShow = std::find(shown.begin(), shown.end(), widget) != shown.end();
            QVERIFY2(widget->isVisible() == shouldShow,
                     qPrintable(
                         QStringLiteral("page %1: %2").arg(layout.page).arg(widget->objectName())));
        }
        // The picture lies under every control.
        QCOMPARE(main.childAt(2, 2), nullptr);  // passive pictures let the pointer through
        QCOMPARE(main.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).first(), shown.front());
    }
}

void PagesTest::buttonsArePlacedForTheLanguage_data() {
    QTest::addColumn<QString>("section");
    for (const char* section : {"English", "German", "French", "Dutch"}) {
        QTest::newRow(section) << section;
    }
}

// Along the road to every page, each control the page shows lies where the placement of its
// language puts it.
void PagesTest::buttonsArePlacedForTheLanguage() {
    QFETCH(QString, section);
    Harness h(InLanguage(section.toStdString()));
    TMainForm& main = h.main();
    for (const PageLayout& layout : kPageTable) {
        for (const int page : NormalRoad(layout.page)) {
            main.LoadPage(page);
        }
        for (const char* name : layout.controlNames()) {
            const PanelRect r = ResolvePanel(name, NormalRoad(layout.page), section.toStdString());
            const QWidget& control = Control<QWidget>(main, name);
            QCOMPARE(QRect(control.mapTo(&main, QPoint(0, 0)), control.size()),
                     QRect(r.left, r.top, r.width, r.height));
        }
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

void PagesTest::captionLightsUpUntilThePointerReachesTheBackground() {
    Harness h;
    TMainForm& main = h.main();
    const FlatPanel& setup = Control<FlatPanel>(main, "SetupPanel");
    const FlatPanel& exit = Control<FlatPanel>(main, "ExitPanel");
    QTRY_VERIFY(main.windowHandle() != nullptr && main.windowHandle()->isExposed());
    QCOMPARE(setup.captionColour(), look::kCaption);
    QTest::mouseMove(main.windowHandle(), setup.geometry().center());
    QTRY_COMPARE(setup.captionColour(), look::kCaptionHover);
    // Onto another button: the first stays lit (no leave tracking), the second lights up.
    QTest::mouseMove(main.windowHandle(), exit.geometry().center());
    QTRY_COMPARE(exit.captionColour(), look::kCaptionHover);
    QCOMPARE(setup.captionColour(), look::kCaptionHover);
    // The background (a picture) turns all of them back.
    QTest::mouseMove(main.windowHandle(), QPoint(60, 60));
    QTRY_COMPARE(setup.captionColour(), look::kCaption);
    QCOMPARE(exit.captionColour(), look::kCaption);
}

void PagesTest::manualEntryLeadsToTheWirelessPage() {
    Harness h;
    TMainForm& main = h.main();
    main.LoadPage(PAGE_SECURE_1_CONFIGURE_WIRELESS);
    QVERIFY(Control<FlatPanel>(main, "EnterManuallyLabel").isVisible());
    QVERIFY(!main.wizard.bWirelessEditable);
    Harness::click(Control<FlatPanel>(main, "EnterManuallyLabel"));
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_2_WIRELESS_SETTINGS));
    QVERIFY(main.wizard.bWirelessEditable);
    Harness::click(Control<FlatPanel>(main, "BackPanel"));
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
}

void PagesTest::settingsPagesShowTheWizardState() {
    Harness h;
    TMainForm& main = h.main();
    // The first activation fills the lists from the texts: mixed, G-only and B-only for the
    // design's four modes.
    main.activateWindow();
    QTRY_COMPARE(Control<QComboBox>(main, "NetModeComboBox").count(), 3);
    main.wizard.newPassword = "pw\xE9";  // Latin-1, as the device sends it
    main.wizard.newDeviceName = "Office";
    main.wizard.newIPText = "192.168.1.20";
    main.wizard.newNetmaskText = "255.255.255.0";
    main.wizard.newGatewayText = "192.168.1.1";
    main.wizard.bStaticIP = true;
    main.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
    const QComboBox& addressMode = Control<QComboBox>(main, "DHCPModeComboBox");
    QLineEdit& address = Control<QLineEdit>(main, "IPEdit");
    QLineEdit& gateway = Control<QLineEdit>(main, "GatewayEdit");
    QCOMPARE(Control<QLineEdit>(main, "PasswordEdit").text(), QString::fromUtf8("pw\u00e9"));
    QCOMPARE(Control<QLineEdit>(main, "DeviceNameEdit").text(), QStringLiteral("Office"));
    QCOMPARE(addressMode.currentIndex(), 1);
    QVERIFY(address.isEnabled());
    QCOMPARE(gateway.text(), QStringLiteral("192.168.1.1"));

    main.wizard.bStaticIP = false;
    main.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
    QCOMPARE(addressMode.currentIndex(), 0);
    for (QLineEdit* edit : {&address, &Control<QLineEdit>(main, "NetmaskEdit"), &gateway}) {
        QVERIFY(!edit->isEnabled());
        QVERIFY(edit->text().isEmpty());
        QCOMPARE(edit->palette().color(QPalette::Base), look::kSilver);
    }

    // The wireless page: channel 0 opens on 6, the SSID is cut to the field's 32 characters.
    main.wizard.newSSID = std::string(40, 'x');
    main.wizard.newChannel = 0;
    main.wizard.newNetMode = 2;
    main.LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
    const QComboBox& channel = Control<QComboBox>(main, "ChannelComboBox");
    const QLineEdit& ssid = Control<QLineEdit>(main, "SSIDEdit");
    QCOMPARE(channel.currentText(), QStringLiteral("6"));
    QCOMPARE(Control<QComboBox>(main, "NetModeComboBox").currentIndex(), 2);
    QCOMPARE(ssid.maxLength(), 32);
    QCOMPARE(ssid.text().size(), 32);
    main.wizard.newChannel = 13;
    main.LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
    QCOMPARE(channel.currentText(), QStringLiteral("13"));
}

// Exit, No on the list and the registration link (whether or not a browser starts) end the
// program the same way.
void PagesTest::exitNoAndRegistrationCloseTheChannelJoinTheReceiverAndQuit() {
    for (const std::string_view way : {"Exit", "No", "registration"}) {
        Harness h(WithDevices({MakeDevice(1, "Office")}));
        QVERIFY(h.network().receiverRunning());
        h.shell().opens = false;
        if (way == "No") {
            h.walkToList();
        } else if (way == "registration") {
            h.main().LoadPage(PAGE_CONGRATULATION);
        }
        const char* button = way == "Exit" ? "ExitPanel" : way == "No" ? "NoPanel" : "RegPanel";
        Harness::click(Control<FlatPanel>(h.main(), button));
        QVERIFY2(h.quitCount == 1, way.data());
        QCOMPARE(h.network().closeCount(), 1);
        // The receiver had ended (joined) before the program was told to quit.
        QVERIFY(!h.receiverRunningAtQuit);
        QVERIFY(!h.network().receiverRunning());
        QCOMPARE(h.shell().opened.size(), std::size_t(way == "registration" ? 1 : 0));
        if (way == "registration") {
            QCOMPARE(h.shell().opened[0].path(), QStringLiteral("/registration"));
        }
    }
}

QTEST_MAIN(PagesTest)
#include "tst_pages.moc"
