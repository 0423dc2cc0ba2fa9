// The wizard's half of reach_lab's "second" case: the whole window set with its real network
// session, started without --interface on a pc whose devices answer only behind its second
// adapter, searches and lists the device named by TRV81K_REACH_DEVICE.

#include <QListWidget>
#include <QTest>
#include <cstdlib>

#include "support/controls.h"
#include "support/harness.h"
#include "ui/Mainunit.h"

using namespace trv81k;
using namespace trv81k::testing;

class ReachWizard : public QObject {
    Q_OBJECT
private slots:
    void findsTheDeviceBehindTheSecondAdapter();
};

void ReachWizard::findsTheDeviceBehindTheSecondAdapter() {
    const char* name = std::getenv("TRV81K_REACH_DEVICE");
    QVERIFY2(name != nullptr, "TRV81K_REACH_DEVICE names the device to find");
    HarnessOptions options;
    options.realNetwork = true;
    options.timeScale = 0.2;
    Harness h(options);
    h.walkToList();
    QCOMPARE(h.main().nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QCOMPARE(Items(Control<QListWidget>(h.main(), "APListView")), QStringList{name});
    QCOMPARE(QString::fromStdString(h.main().exchangeState().table.adapterOf(0).name),
             QStringLiteral("lab1"));
}

QTEST_MAIN(ReachWizard)
#include "reach_wizard.moc"
