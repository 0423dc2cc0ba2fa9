// The login dialog: accepted, refused, late, Escape, no adapter, the password box and the wait
// that drops the input made during it. (Its button by language: tst_windowset.)

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "support/harness.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/busy.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

HarnessOptions OneDevice(double scale = 0.02) {
    HarnessOptions options = WithDevices({OfficeDevice(), MakeDevice(2, "Hall", "other")});
    options.timeScale = scale;
    return options;
}

QLineEdit& PasswordOf(TLoginForm& login) {
    return Control<QLineEdit>(login, "PasswordEdit");
}

FlatPanel& EnterOf(TLoginForm& login) {
    return Control<FlatPanel>(login, "EnterPanel");
}

// Opens the login dialog from the list with Yes and runs `inDialog` while it is up; the
// dialog is closed with Escape afterwards when it is still open.
void WithLogin(Harness& h, const std::function<void(TLoginForm&)>& inDialog) {
    TLoginForm* login = &h.windows().loginForm();
    WhenVisible(login, [login, inDialog] {
        inDialog(*login);
        if (login->isVisible()) {
            QTest::keyClick(&PasswordOf(*login), Qt::Key_Escape);
        }
    });
    Harness::click(Control<FlatPanel>(h.main(), "YesPanel"));
}

void Type(TLoginForm& login, const QString& text) {
    PasswordOf(login).selectAll();
    QTest::keyClicks(&PasswordOf(login), text);
}

}  // namespace

class LoginTest : public QObject {
    Q_OBJECT
private slots:
    void acceptedPasswordTakesTheDeviceSettingsOver();
    void refusalsKeepTheDialogOpenUntilEscape();
    void lateAcceptanceCountsAsRefusal();
    void passwordBoxTakesThirtyTwoStars();
    void inputDuringTheWaitIsLost();
    void theLoginAndThePairingWaitsShowABusySign();
};

void LoginTest::acceptedPasswordTakesTheDeviceSettingsOver() {
    Harness h(OneDevice());
    h.walkToList();
    bool accepted = false;
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("secret"));
        Harness::click(EnterOf(login));  // as Return (the other tests log in by Return)
        accepted = !login.isVisible();
    });
    QVERIFY(accepted);
    TMainForm& main = h.main();
    QCOMPARE(h.network().sent(PacketKind::Authentication), 1);
    QVERIFY(h.messages().warnings.empty());
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    QVERIFY(main.isVisible());
    const WizardState& w = main.wizard;
    QVERIFY(w.bStaticIP);
    QCOMPARE(std::vector<std::string>({w.loginPassword, w.newPassword, w.newDeviceName, w.newSSID,
                                       w.newIPText, w.newNetmaskText, w.newGatewayText,
                                       w.lastGoodGatewayText}),
             std::vector<std::string>({"secret", "secret", "Office", "OfficeNet", "192.168.5.20",
                                       "255.255.0.0", "192.168.5.1", "192.168.5.1"}));
    QCOMPARE(std::vector<int>({w.newChannel, int(w.newNetMode), w.newSecurityMode}),
             std::vector<int>({9, 1, int(kSecurityWpa2Aes)}));
    // Page 7 shows them.
    QCOMPARE(Control<QLineEdit>(main, "IPEdit").text(), QStringLiteral("192.168.5.20"));
    QCOMPARE(Control<QLineEdit>(main, "DeviceNameEdit").text(), QStringLiteral("Office"));
    QVERIFY(main.exchangeState().passwordAccepted());
}

void LoginTest::refusalsKeepTheDialogOpenUntilEscape() {
    Harness h(OneDevice());
    h.walkToList();
    QVERIFY(h.main().exchangeState().searchAnswered());
    bool stillOpen = false;
    bool textSelected = false;
    bool focused = false;
    bool openWithoutAdapter = false;
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("wrong"));
        QTest::keyClick(&PasswordOf(login), Qt::Key_Return);
        stillOpen = login.isVisible();
        textSelected = PasswordOf(login).selectedText() == QStringLiteral("wrong");
        focused = login.focusWidget() == &PasswordOf(login);
        // A click on Enter and the keypad's Enter are Return too.
        Harness::click(EnterOf(login));
        QTest::keyClick(&PasswordOf(login), Qt::Key_Enter);
        // Without an adapter nothing is sent.
        h.network().adapterPresent = false;
        Harness::click(EnterOf(login));
        openWithoutAdapter = login.isVisible();
        QTest::keyClick(&PasswordOf(login), Qt::Key_Escape);
    });
    QVERIFY(stillOpen);
    QVERIFY(textSelected);
    QVERIFY(focused);
    QVERIFY(openWithoutAdapter);
    const QString refused = h.main().Text("PASSWORD_ERROR");
    QCOMPARE(h.messages().warnings,
             (std::vector<QString>{refused, refused, refused, h.main().Text("INVALID_NIC")}));
    QCOMPARE(h.network().sent(PacketKind::Authentication), 3);
    // Escape: back on the list, the search flag cleared, nothing taken over.
    QVERIFY(!h.windows().loginForm().isVisible());
    QVERIFY(h.main().isVisible());
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QVERIFY(!h.main().exchangeState().searchAnswered());
    QVERIFY(h.main().wizard.newSSID.empty());
    // The dialog keeps its text for the next showing.
    QCOMPARE(PasswordOf(h.windows().loginForm()).text(), QStringLiteral("wrong"));
}

void LoginTest::lateAcceptanceCountsAsRefusal() {
    // Real timing: the answer comes 600 ms after the request, the wait is 500 ms.
    HarnessOptions options = OneDevice(1.0);
    options.prepareNetwork = [](FakeNetwork& network) {
        network.setDelivery(PacketKind::Authentication, FakeNetwork::Delivery::Delayed,
                            std::chrono::milliseconds{600});
    };
    Harness h(options);
    QCOMPARE(h.timing().loginPause.count(), 500);
    h.walkToList();
    bool authAtWarning = true;
    h.messages().onWarning = [&](const QString&) {
        authAtWarning = h.main().exchangeState().passwordAccepted();
    };
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("secret"));
        QTest::keyClick(&PasswordOf(login), Qt::Key_Return);
    });
    QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("PASSWORD_ERROR")});
    QVERIFY(!authAtWarning);
    // The acceptance did come, too late for that click.
    QTRY_VERIFY_WITH_TIMEOUT(h.main().exchangeState().passwordAccepted(), 2000);
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
}

void LoginTest::passwordBoxTakesThirtyTwoStars() {
    Harness h(OneDevice());
    QLineEdit* edit = &PasswordOf(h.windows().loginForm());
    QCOMPARE(edit->geometry().topLeft(), QPoint(73, 73));
    edit->show();
    QTest::keyClicks(edit, QString(40, QLatin1Char('k')));
    QCOMPARE(edit->text(), QString(32, QLatin1Char('k')));
    QCOMPARE(edit->displayText(), QString(32, QLatin1Char('*')));
}

void LoginTest::inputDuringTheWaitIsLost() {
    HarnessOptions options = OneDevice(0.4);  // a 200 ms wait
    // The answer comes late in the wait, which would otherwise end with it.
    options.prepareNetwork = [](FakeNetwork& network) {
        network.setDelivery(PacketKind::Authentication, FakeNetwork::Delivery::Delayed,
                            std::chrono::milliseconds{180});
    };
    Harness h(options);
    h.walkToList();
    int paintsDuringWait = 0;
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("wrong"));
        // Halfway through the wait: a click on Enter, typing, and a repaint request.
        QTimer::singleShot(h.timing().loginPause / 2, &login, [&login, &paintsDuringWait] {
            Harness::click(EnterOf(login));
            QTest::keyClicks(&PasswordOf(login), QStringLiteral("xyz"));
            PasswordOf(login).repaint();
            paintsDuringWait = 1;
        });
        QTest::keyClick(&PasswordOf(login), Qt::Key_Return);
        QCOMPARE(PasswordOf(login).text(), QStringLiteral("wrong"));
    });
    QCOMPARE(paintsDuringWait, 1);
    QCOMPARE(h.network().sent(PacketKind::Authentication), 1);
    QCOMPARE(h.messages().warnings.size(), std::size_t{1});
}

// The login's wait and the pairing check's show a turning sign that says what the wizard waits
// for; it goes when the wait ends.
void LoginTest::theLoginAndThePairingWaitsShowABusySign() {
    HarnessOptions options = OneDevice();
    options.adjustTiming = [](Timing& timing) {
        timing.loginPause = std::chrono::milliseconds{150};
        timing.pairingPause = std::chrono::milliseconds{60};
    };
    Harness h(options);
    h.network().setDelivery(PacketKind::CheckBPS, FakeNetwork::Delivery::Held);
    TMainForm& main = h.main();
    BusySign& loginSign = Control<BusySign>(h.windows().loginForm(), "BusySign");
    BusySign& pairingSign = Control<BusySign>(main, "PairingBusySign");
    QStringList seen;  // what the signs said while they turned
    bool linkDuringCheck = true;
    QTimer look;
    look.setInterval(5);
    QObject::connect(&look, &QTimer::timeout, &look, [&] {
        for (const BusySign* sign : {&loginSign, &pairingSign}) {
            if (sign->isVisible() && sign->running() && !seen.contains(sign->text())) {
                seen << sign->text();
            }
        }
        if (pairingSign.isVisible()) {
            linkDuringCheck = Control<FlatPanel>(main, "WhereBPSPanel").isVisible();
        }
    });
    look.start();
    h.walkToBasicSettings(QStringLiteral("secret"));
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    Harness::click(Control<FlatPanel>(main, "NextPanel"));
    Harness::click(Control<FlatPanel>(main, "NextPanel"));  // the pairing check, unanswered
    QCOMPARE(main.nCurrentPage, int(PAGE_CONFIRM));
    QCOMPARE(seen, (QStringList{main.Text("LOGIN_BUSY"), main.Text("PAIRING_BUSY")}));
    QVERIFY(!linkDuringCheck);  // the sign takes the link's place
    QVERIFY(!loginSign.isVisible() && !loginSign.running());
    QVERIFY(!pairingSign.isVisible() && !pairingSign.running());
}

QTEST_MAIN(LoginTest)
#include "tst_login.moc"
