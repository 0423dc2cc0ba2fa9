// The wizard by keys alone: the reading order and the first focus of every page in every
// language, Return (the page's default button, or the button that has the focus; in a field,
// Next after the page's checks), Space and Escape, and the keys of the dialogs.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "l10n/placement.h"
#include "support/harness.h"
#include "ui/Bpsintrounit.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Wparadiusnote.h"
#include "ui/page_table.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

QWidget* Focus() {
    return QApplication::focusWidget();
}

// A key to the control that has the focus (to the window while none has it).
void Press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Focus() != nullptr ? Focus() : &window, key, modifiers);
}

QString NameOf(const QWidget* widget) {
    return widget != nullptr ? widget->objectName() : QStringLiteral("(none)");
}

// Where a control lies in the window (controls in a holder panel included).
QRect InWindow(const QWidget& window, const QWidget& control) {
    return QRect(control.mapTo(&window, QPoint(0, 0)), control.size());
}

// The buttons' row along the bottom of the page.
constexpr int kBottomRowTop = 360;

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void everyPageReadsInOrder_data();
    void everyPageReadsInOrder();
    void returnSpaceAndEscapeOnThePages();
    void returnInAFieldIsNextAfterThePageChecks();
    void dialogsAnswerTheirKeys();
};

void KeyboardTest::everyPageReadsInOrder_data() {
    QTest::addColumn<QString>("section");
    for (const char* section : {"English", "German", "French"}) {
        QTest::newRow(section) << section;
    }
}

// On every page, as the normal road shows it: the focus starts in the first field (the
// topmost), or on the default button where the page has no field; Tab visits every control
// that can take the focus once, the fields from top to bottom and left to right, then the
// buttons of the bottom row from left to right, and comes back; Shift+Tab walks back.
void KeyboardTest::everyPageReadsInOrder() {
    QFETCH(QString, section);
    Harness h(InLanguage(section.toStdString()));
    TMainForm& main = h.main();
    QTRY_VERIFY(main.isActiveWindow());
    for (const PageLayout& layout : kPageTable) {
        for (const int page : NormalRoad(layout.page)) {
            main.LoadPage(page);
        }
        const QString where = QStringLiteral("%1 page %2").arg(section).arg(layout.page);
        QList<QWidget*> reachable;
        for (QWidget* widget : main.findChildren<QWidget*>()) {
            if (widget->isVisible() && widget->isEnabled() &&
                (widget->focusPolicy() & Qt::TabFocus) != 0 && widget->focusProxy() == nullptr &&
                qobject_cast<QListWidget*>(widget->parentWidget()) == nullptr) {
                reachable << widget;
            }
        }
        const auto isButton = [](const QWidget* w) {
            return qobject_cast<const FlatPanel*>(w) != nullptr;
        };
        const bool hasField = std::any_of(reachable.begin(), reachable.end(),
                                          [&](QWidget* w) { return !isButton(w); });

        QWidget* first = Focus();
        QVERIFY2(first != nullptr && reachable.contains(first),
                 qPrintable(where + ": focus on " + NameOf(first)));
        auto* defaultButton = qobject_cast<FlatPanel*>(first);
        if (hasField) {
            QVERIFY2(!isButton(first), qPrintable(where + ": focus on " + NameOf(first)));
        } else {
            QVERIFY2(defaultButton != nullptr && defaultButton->isDefault(),
                     qPrintable(where + ": focus on " + NameOf(first)));
        }
        const auto* next = main.findChild<FlatPanel*>(QStringLiteral("NextPanel"));
        if (next->isVisible()) {
            QVERIFY2(next->isDefault(), qPrintable(where + ": Next is not the default button"));
        }

        QList<QWidget*> cycle{first};
        for (int i = 0; i < 20; ++i) {
            Press(main, Qt::Key_Tab);
            if (Focus() == first) {
                break;
            }
            cycle << Focus();
        }
        QCOMPARE(Focus(), first);
        QCOMPARE(QSet<QWidget*>(cycle.begin(), cycle.end()),
                 QSet<QWidget*>(reachable.begin(), reachable.end()));
        QCOMPARE(cycle.size(), reachable.size());
        for (const QWidget* expected : QList<QWidget*>(cycle.rbegin(), cycle.rend())) {
            Press(main, Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(NameOf(Focus()), NameOf(expected));
        }

        // Read from the first control that is not in the bottom row.
        const auto inBottomRow = [&](const QWidget* w) {
            return InWindow(main, *w).top() >= kBottomRowTop;
        };
        const auto start =
            std::find_if(cycle.begin(), cycle.end(), [&](QWidget* w) { return !inBottomRow(w); });
        if (start != cycle.end()) {
            std::rotate(cycle.begin(), start, cycle.end());
        } else {
            const auto leftmost = std::min_element(cycle.begin(), cycle.end(), [&](auto a, auto b) {
                return InWindow(main, *a).left() < InWindow(main, *b).left();
            });
            std::rotate(cycle.begin(), leftmost, cycle.end());
        }
        for (qsizetype i = 1; i < cycle.size(); ++i) {
            const QRect a = InWindow(main, *cycle[i - 1]);
            const QRect b = InWindow(main, *cycle[i]);
            const QString pair =
                where + ": " + NameOf(cycle[i - 1]) + " before " + NameOf(cycle[i]);
            if (inBottomRow(cycle[i - 1])) {
                QVERIFY2(inBottomRow(cycle[i]) && b.left() > a.left(), qPrintable(pair));
            } else if (!isButton(cycle[i - 1]) && !isButton(cycle[i])) {
                const bool sameRow = std::abs(b.top() - a.top()) <= 8;
                QVERIFY2(sameRow ? b.left() > a.left() : b.top() > a.top(), qPrintable(pair));
            }
        }
    }
}

void KeyboardTest::returnSpaceAndEscapeOnThePages() {
    Harness h;
    TMainForm& main = h.main();
    QTRY_VERIFY(main.isActiveWindow());
    Press(main, Qt::Key_Return);  // Click Here to Start
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_1_CONNECT_NETWORK));
    Press(main, Qt::Key_Escape);  // no Back on this page
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_1_CONNECT_NETWORK));
    Press(main, Qt::Key_Space);  // Next has the focus
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_2_CONNECT_AP));
    Press(main, Qt::Key_Return);
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_3_POWER_ON));
    // Return presses the button that has the focus: Back here, not the default Next.
    Press(main, Qt::Key_Tab);
    QCOMPARE(NameOf(Focus()), QStringLiteral("BackPanel"));
    Press(main, Qt::Key_Return);
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_2_CONNECT_AP));
    Press(main, Qt::Key_Escape);
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_1_CONNECT_NETWORK));
    QVERIFY(h.messages().warnings.empty());
    QCOMPARE(h.quitCount, 0);
}

// Return in a field presses Next, which checks the page first: a refused value keeps the page
// and puts the focus in its field; Escape is Back.
void KeyboardTest::returnInAFieldIsNextAfterThePageChecks() {
    Harness h(WithDevices({OfficeDevice()}));
    TMainForm& main = h.main();
    h.walkToBasicSettings(QStringLiteral("secret"));
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    QTRY_COMPARE(NameOf(Focus()), QStringLiteral("DeviceNameEdit"));
    auto& ip = Control<QLineEdit>(main, "IPEdit");
    Retype(ip, QStringLiteral("192.168.5"));
    Control<QLineEdit>(main, "DeviceNameEdit").setFocus();
    Press(main, Qt::Key_Return);
    QCOMPARE(h.messages().warnings, std::vector<QString>{main.Text("INVALID_IP")});
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
    QCOMPARE(Focus(), &ip);
    Retype(ip, QStringLiteral("192.168.5.21"));
    Press(main, Qt::Key_Return);
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
    QCOMPARE(main.wizard.newIPText, std::string("192.168.5.21"));
    Press(main, Qt::Key_Escape);
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_6_BASIC_SETTINGS));
}

// The password dialog opens with the focus in its box; Escape leaves it for the list. The
// RADIUS note and the pairing introduction close with Escape; Return walks the introduction's
// pictures; Return continues from the search failure.
void KeyboardTest::dialogsAnswerTheirKeys() {
    Harness h(WithDevices({OfficeDevice()}));
    TMainForm& main = h.main();
    h.walkToList();
    TLoginForm* login = &h.windows().loginForm();
    QString focusInLogin;
    WhenVisible(login, [&] {
        QTRY_VERIFY(login->isActiveWindow());
        focusInLogin = NameOf(Focus());
        Press(*login, Qt::Key_Escape);
    });
    Press(main, Qt::Key_Return);  // Return in the list: Yes
    QCOMPARE(focusInLogin, QStringLiteral("PasswordEdit"));
    QVERIFY(!login->isVisible());
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));

    main.LoadPage(PAGE_SECURE_1_CONFIGURE_WIRELESS);
    TBPSIntroForm* intro = &h.windows().bpsIntroForm();
    std::vector<int> steps;
    WhenVisible(intro, [&] {
        QTRY_VERIFY(intro->isActiveWindow());
        steps.push_back(intro->introStep);
        Press(*intro, Qt::Key_Return);
        steps.push_back(intro->introStep);
        Press(*intro, Qt::Key_Return);
        steps.push_back(intro->introStep);
        Press(*intro, Qt::Key_Escape);
    });
    Harness::click(Control<FlatPanel>(main, "WhereBPSPanel"));
    QCOMPARE(steps, (std::vector<int>{15, 16, 17}));
    QVERIFY(!intro->isVisible());

    main.LoadPage(PAGE_SECURE_3_SECURITY_SETTINGS);
    TWPARadiusNoteForm* note = &h.windows().radiusNoteForm();
    WhenVisible(note, [&] {
        QTRY_VERIFY(note->isActiveWindow());
        Press(*note, Qt::Key_Escape);
    });
    Harness::click(Control<QRadioButton>(main, "RadioBtnWPARadius"));
    QVERIFY(!note->isVisible());
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_3_SECURITY_SETTINGS));

    Harness nobody;  // no device answers the search
    nobody.walkToPage5();
    TSearchFailForm* fail = &nobody.windows().searchFailForm();
    WhenVisible(fail, [&] {
        QTRY_VERIFY(fail->isActiveWindow());
        Press(*fail, Qt::Key_Return);
    });
    Press(nobody.main(), Qt::Key_Return);  // Next: the search
    QVERIFY(!fail->isVisible());
    QCOMPARE(nobody.main().nCurrentPage, int(PAGE_WELCOME));
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
