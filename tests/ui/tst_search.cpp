// The search exchange behind the search dialog: no device or only one without the pairing
// marker, several with a duplicate answer, an answer that comes in at tick 3, the second search.

#include <QListWidget>
#include <QRegularExpression>
#include <QTest>

#include "support/harness.h"
#include "support/tick_recorder.h"
#include "ui/Mainunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Searchunit.h"

using namespace trv81k;
using namespace trv81k::testing;

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void noListableAnswerRunsTwelveSlowTicksThenTheFailureDialog_data();
    void noListableAnswerRunsTwelveSlowTicksThenTheFailureDialog();
    void devicesAreListedOnceInArrivalOrder();
};

void SearchTest::noListableAnswerRunsTwelveSlowTicksThenTheFailureDialog_data() {
    QTest::addColumn<bool>("answer");  // an answer without the pairing marker comes
    QTest::newRow("no answer") << false;
    QTest::newRow("answer without the marker") << true;
}

void SearchTest::noListableAnswerRunsTwelveSlowTicksThenTheFailureDialog() {
    QFETCH(bool, answer);
    auto unmarked = MakeDevice(1, "Office");
    unmarked.behaviour.noMarker = true;
    Harness h(answer ? WithDevices({unmarked}) : HarnessOptions{});
    TMainForm& main = h.main();
    TSearchForm& search = h.windows().searchForm();
    TickRecorder recorder(search);
    h.walkToPage5();
    main.LoadPage(PAGE_STEP_3_POWER_ON);  // Continue must lead to page 1 from anywhere
    main.LoadPage(PAGE_STEP_4_CHECK_STATUS);
    bool mainHiddenDuringSearch = false;
    recorder.onTick = [&](int) { mainHiddenDuringSearch = !main.isVisible(); };
    bool failShown = false;
    QString percentageAtFail;
    TSearchFailForm* fail = &h.windows().searchFailForm();
    WhenVisible(fail, [&] {
        failShown = true;
        percentageAtFail = Control<QLabel>(search, "Percentage_Label").text();
        Harness::click(Control<FlatPanel>(*fail, "ContinuePanel"));
    });
    Harness::click(Control<FlatPanel>(main, "NextPanel"));
    QVERIFY(failShown);
    QVERIFY(mainHiddenDuringSearch);
    QCOMPARE(h.network().sent(PacketKind::Search), 1);
    QCOMPARE(recorder.ticks.size(), std::size_t{12});
    for (std::size_t i = 0; i < recorder.ticks.size(); ++i) {
        const TickRecord& t = recorder.ticks[i];
        QCOMPARE(t.counter, int(i));
        QCOMPARE(t.interval, int(h.timing().searchTick.count()));
        const int filled = std::clamp(int(i), 0, 10);
        QCOMPARE(t.filledCells, filled);
        if (i == 0) {
            // No step yet: the bar has moved on with the time, short of the first cell.
            QVERIFY2(QRegularExpression(QStringLiteral("^[0-9] %$")).match(t.percentage).hasMatch(),
                     qPrintable(t.percentage));
        } else {
            QCOMPARE(t.percentage, QStringLiteral("%1 %").arg(filled * 10));
        }
    }
    // Hourglass: one turning until the first step, then 1 2 3 4 1 2 3 4 1 2, none at the last
    // tick.
    QVERIFY(recorder.ticks[0].visibleGlass >= 0);
    const std::vector<int> glasses = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, -1};
    for (std::size_t i = 0; i < glasses.size(); ++i) {
        QCOMPARE(recorder.ticks[i + 1].visibleGlass, glasses[i]);
    }
    QCOMPARE(percentageAtFail, QStringLiteral("100 %"));
    QCOMPARE(main.nCurrentPage, int(PAGE_WELCOME));
    QVERIFY(main.isVisible());
    QVERIFY(!fail->isVisible());
    QVERIFY(h.messages().warnings.empty());
    QCOMPARE(main.exchangeState().searchAnswered(), answer);
    QVERIFY(!main.exchangeState().deviceListed());
}

void SearchTest::devicesAreListedOnceInArrivalOrder() {
    auto office = MakeDevice(1, "Office");
    office.behaviour.answerTwice = true;
    Harness h(WithDevices({office, MakeDevice(2, "Hall"), MakeDevice(3, "Caf\xE9")}));
    h.walkToList();
    TMainForm& main = h.main();
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QVERIFY(!h.windows().searchFailForm().isVisible());
    QCOMPARE(Items(Control<QListWidget>(main, "APListView")),
             QStringList({"Office", "Hall", QString::fromUtf8("Caf\u00e9")}));
    QCOMPARE(main.exchangeState().table.count(), 3);  // the second answer of Office is no row
    QVERIFY(Control<QListWidget>(main, "APListView").item(0)->isSelected());
    QCOMPARE(main.exchangeState().selectedIndex(), 0);
    QCOMPARE(main.exchangeState().selectedMAC(), (MacAddress{0x02, 0x81, 0, 0, 0, 1}));
}

QTEST_MAIN(SearchTest)
#include "tst_search.moc"
