// The login dialog: accepted, refused, late, Escape, no adapter, the password box and the wait
// that drops the input made during it.

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "support/harness.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

HarnessOptions OneDevice(double scale = 0.02) {
    HarnessOptions options;
    options.devices = {OfficeDevice(), MakeDevice(2, "Hall", "other")};
    options.timeScale = scale;
    return options;
}

// Opens the login dialog from the list with Yes and runs `inDialog` while it is up; the
// dialog is closed with Escape afterwards when it is still open.
void WithLogin(Harness& h, const std::function<void(TLoginForm&)>& inDialog) {
    TLoginForm* login = &h.windows().loginForm();
    WhenVisible(login, [login, inDialog] {
        inDialog(*login);
        if (login->isVisible()) {
            QTest::keyClick(login->PasswordEdit, Qt::Key_Escape);
        }
    });
    Harness::click(h.main().YesPanel);
}

void Type(TLoginForm& login, const QString& text) {
    login.PasswordEdit->selectAll();
    QTest::keyClicks(login.PasswordEdit, text);
}

}  // namespace

class LoginTest : public QObject {
    Q_OBJECT
private slots:
    void acceptedPasswordTakesTheDeviceSettingsOver();
    void refusedPasswordKeepsTheDialogOpen();
    void lateAcceptanceCountsAsRefusal();
    void escapeClosesAndClearsTheSearchFlag();
    void noAdapterSendsNothing();
    void passwordBoxTakesThirtyTwoStars();
    void clickingEnterIsPressingReturn();
    void inputDuringTheWaitIsLost();
    void enterButtonMovesForGermanAndFrench_data();
    void enterButtonMovesForGermanAndFrench();
};

void LoginTest::acceptedPasswordTakesTheDeviceSettingsOver() {
    Harness h(OneDevice());
    h.walkToList();
    bool accepted = false;
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("secret"));
        QTest::keyClick(login.PasswordEdit, Qt::Key_Return);
        accepted = !login.isVisible();
    });
    QVERIFY(accepted);
    TMainForm& main = h.main();
    QCOMPARE(h.network().sent(PacketKind::Authentication), 1);
    QVERIFY(h.messages().warnings.empty());
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    QVERIFY(main.isVisible());
    const WizardState& w = main.wizard;
    QCOMPARE(w.loginPassword, std::string("secret"));
    QVERIFY(w.bStaticIP);
    QCOMPARE(w.newIPText, std::string("192.168.5.20"));
    QCOMPARE(w.newNetmaskText, std::string("255.255.0.0"));
    QCOMPARE(w.newGatewayText, std::string("192.168.5.1"));
    QCOMPARE(w.lastGoodGatewayText, std::string("192.168.5.1"));
    QCOMPARE(w.newSSID, std::string("OfficeNet"));
    QCOMPARE(w.newDeviceName, std::string("Office"));
    QCOMPARE(w.newChannel, 9);
    QCOMPARE(int(w.newNetMode), 1);
    QCOMPARE(w.newSecurityMode, int(kSecurityWpa2Aes));
    QCOMPARE(w.newPassword, std::string("secret"));
    // Page 7 shows them.
    QCOMPARE(main.IPEdit->text(), QStringLiteral("192.168.5.20"));
    QCOMPARE(main.DeviceNameEdit->text(), QStringLiteral("Office"));
    QVERIFY(main.exchange().bAuthOK.load());
}

void LoginTest::refusedPasswordKeepsTheDialogOpen() {
    Harness h(OneDevice());
    h.walkToList();
    bool stillOpen = false;
    bool textSelected = false;
    bool focused = false;
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("wrong"));
        QTest::keyClick(login.PasswordEdit, Qt::Key_Return);
        stillOpen = login.isVisible();
        textSelected = login.PasswordEdit->selectedText() == QStringLiteral("wrong");
        focused = login.focusWidget() == login.PasswordEdit;
    });
    QVERIFY(stillOpen);
    QVERIFY(textSelected);
    QVERIFY(focused);
    QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("PASSWORD_ERROR")});
    QCOMPARE(h.network().sent(PacketKind::Authentication), 1);
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QVERIFY(h.main().wizard.newSSID.empty());  // nothing taken over
    // The dialog keeps its text for the next showing.
    QCOMPARE(h.windows().loginForm().PasswordEdit->text(), QStringLiteral("wrong"));
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
        authAtWarning = h.main().exchange().bAuthOK.load();
    };
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("secret"));
        QTest::keyClick(login.PasswordEdit, Qt::Key_Return);
    });
    QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("PASSWORD_ERROR")});
    QVERIFY(!authAtWarning);
    // The acceptance did come, too late for that click.
    QTRY_VERIFY_WITH_TIMEOUT(h.main().exchange().bAuthOK.load(), 2000);
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
}

void LoginTest::escapeClosesAndClearsTheSearchFlag() {
    Harness h(OneDevice());
    h.walkToList();
    QVERIFY(h.main().exchange().bGetSearchAck.load());
    WithLogin(h, [](TLoginForm& login) {
        QTest::keyClicks(login.PasswordEdit, QStringLiteral("abc"));
        QTest::keyClick(login.PasswordEdit, Qt::Key_Escape);
    });
    QVERIFY(!h.windows().loginForm().isVisible());
    QVERIFY(!h.main().exchange().bGetSearchAck.load());
    QVERIFY(h.main().isVisible());
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QCOMPARE(h.network().sent(PacketKind::Authentication), 0);
    QVERIFY(h.messages().warnings.empty());
}

void LoginTest::noAdapterSendsNothing() {
    Harness h(OneDevice());
    h.walkToList();
    bool stillOpen = false;
    WithLogin(h, [&](TLoginForm& login) {
        h.network().adapterPresent = false;
        Type(login, QStringLiteral("secret"));
        Harness::click(login.EnterPanel);
        stillOpen = login.isVisible();
    });
    QVERIFY(stillOpen);
    QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text("INVALID_NIC")});
    QCOMPARE(h.network().sent(PacketKind::Authentication), 0);
}

void LoginTest::passwordBoxTakesThirtyTwoStars() {
    Harness h(OneDevice());
    QLineEdit* edit = h.windows().loginForm().PasswordEdit;
    QCOMPARE(edit->geometry().topLeft(), QPoint(73, 73));
    edit->show();
    QTest::keyClicks(edit, QString(40, QLatin1Char('k')));
    QCOMPARE(edit->text(), QString(32, QLatin1Char('k')));
    QCOMPARE(edit->displayText(), QString(32, QLatin1Char('*')));
}

void LoginTest::clickingEnterIsPressingReturn() {
    Harness h(OneDevice());
    h.walkToList();
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("nope"));
        Harness::click(login.EnterPanel);
        QTest::keyClick(login.PasswordEdit, Qt::Key_Enter);
        Type(login, QStringLiteral("secret"));
        Harness::click(login.EnterPanel);
    });
    QCOMPARE(h.network().sent(PacketKind::Authentication), 3);
    QCOMPARE(h.messages().warnings.size(), std::size_t{2});
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
}

void LoginTest::inputDuringTheWaitIsLost() {
    HarnessOptions options = OneDevice(0.4);  // a 200 ms wait
    Harness h(options);
    h.walkToList();
    int paintsDuringWait = 0;
    WithLogin(h, [&](TLoginForm& login) {
        Type(login, QStringLiteral("wrong"));
        // Halfway through the wait: a click on Enter, typing, and a repaint request.
        QTimer::singleShot(h.timing().loginPause / 2, &login, [&login, &paintsDuringWait] {
            Harness::click(login.EnterPanel);
            QTest::keyClicks(login.PasswordEdit, QStringLiteral("xyz"));
            login.PasswordEdit->repaint();
            paintsDuringWait = 1;
        });
        QTest::keyClick(login.PasswordEdit, Qt::Key_Return);
        QCOMPARE(login.PasswordEdit->text(), QStringLiteral("wrong"));
    });
    QCOMPARE(paintsDuringWait, 1);
    QCOMPARE(h.network().sent(PacketKind::Authentication), 1);
    QCOMPARE(h.messages().warnings.size(), std::size_t{1});
}

void LoginTest::enterButtonMovesForGermanAndFrench_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("English") << "English" << QRect(151, 187, 34, 18) << "Enter";
    QTest::newRow("German") << "German" << QRect(143, 189, 50, 18) << "Weiter";
    QTest::newRow("French") << "French" << QRect(143, 189, 50, 18) << "Valider";
    QTest::newRow("other") << "Italian" << QRect(151, 187, 34, 18) << "";
}

void LoginTest::enterButtonMovesForGermanAndFrench() {
    QFETCH(QString, section);
    HarnessOptions options;
    options.section = section.toStdString();
    Harness h(options);
    QTEST(h.windows().loginForm().EnterPanel->geometry(), "geometry");
    QTEST(h.windows().loginForm().EnterPanel->text(), "caption");
}

QTEST_MAIN(LoginTest)
#include "tst_login.moc"
