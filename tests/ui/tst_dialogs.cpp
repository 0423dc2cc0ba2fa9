// The small dialogs and the common look: the search-failure dialog's hover rule and dragging,
// the RADIUS note, the pairing introduction, the dialogs' shapes and pauseDraining. (The
// RADIUS note from page 10: tst_settings; the dialogs by language: tst_windowset.)

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QTest>

#include "support/harness.h"
#include "ui/Bpsintrounit.h"
#include "ui/Configureunit.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Searchunit.h"
#include "ui/Wparadiusnote.h"
#include "ui/pause.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

void MoveOver(QWidget& widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(widget.rect().center()),
                     QPointF(widget.mapToGlobal(widget.rect().center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

// Presses at `from` (window coordinates), moves by `by` with the button held, releases.
void DragWindow(QWidget* window, QPoint from, QPoint by) {
    QWindow* handle = window->windowHandle();
    // The pointer moves on the screen; the window may move under it.
    const QPoint start = handle->mapToGlobal(from);
    QTest::mousePress(handle, Qt::LeftButton, {}, from);
    QTest::mouseMove(handle, handle->mapFromGlobal(start + by / 2));
    QTest::mouseMove(handle, handle->mapFromGlobal(start + by));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->mapFromGlobal(start + by));
}

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::white);
    }
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void searchFailCaptionTakesItsOwnColourOnTheHolder();
    void searchFailDragsByItsPictureOnlyAndLoginNotAtAll();
    void radiusNoteClosesWithOk();
    void pairingIntroductionSteps();
    void searchDialogIsCutToItsShape();
    void pauseKeepsPaintingAndDropsInput();
};

void DialogsTest::searchFailCaptionTakesItsOwnColourOnTheHolder() {
    Harness h;
    TSearchFailForm& fail = h.windows().searchFailForm();
    FlatPanel& caption = Control<FlatPanel>(fail, "ContinuePanel");
    QCOMPARE(caption.text(), QStringLiteral("Continue"));
    QCOMPARE(caption.captionColour(), look::kCaption);
    MoveOver(caption);
    QCOMPARE(caption.captionColour(), look::kCaptionHover);
    MoveOver(Control<HolderPanel>(fail, "Panel1"));
    QCOMPARE(caption.captionColour(), look::kCaptionLeft);
    QCOMPARE(fail.size(), QSize(207, 362));
    QCOMPARE(Control<Picture>(fail, "Image1").geometry(), QRect(0, 0, 207, 362));
}

void DialogsTest::searchFailDragsByItsPictureOnlyAndLoginNotAtAll() {
    Harness h;
    TSearchFailForm& fail = h.windows().searchFailForm();
    TLoginForm& login = h.windows().loginForm();
    // One at a time: the pointer goes to the window on top.
    const auto drag = [](QWidget* dialog, QPoint from, QPoint by) {
        dialog->move(100, 100);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        DragWindow(dialog, from, by);
    };
    drag(&fail, QPoint(40, 60), QPoint(30, 20));
    QTRY_COMPARE(fail.pos(), QPoint(130, 120));
    // A press on the button holder does not move the window.
    DragWindow(&fail, Control<HolderPanel>(fail, "Panel1").geometry().topLeft() + QPoint(3, 3),
               QPoint(25, 25));
    QCOMPARE(fail.pos(), QPoint(130, 120));
    fail.hide();
    drag(&login, QPoint(30, 150), QPoint(30, 20));
    QCOMPARE(login.pos(), QPoint(100, 100));
    login.hide();
}

void DialogsTest::radiusNoteClosesWithOk() {
    Harness h;
    TWPARadiusNoteForm& note = h.windows().radiusNoteForm();
    FlatPanel& ok = Control<FlatPanel>(note, "OKPanel");
    HolderPanel& holder = Control<HolderPanel>(note, "Panel1");
    QCOMPARE(ok.text(), QStringLiteral("OK"));
    QCOMPARE(ok.cursor().shape(), Qt::ArrowCursor);
    MoveOver(ok);
    QCOMPARE(ok.captionColour(), look::kCaptionHover);
    MoveOver(holder);
    QCOMPARE(ok.captionColour(), look::kCaption);
    QVERIFY(Control<Picture>(note, "Image9").hasImage());
    bool shown = false;
    WhenVisible(&note, [&] {
        shown = true;
        Harness::click(ok);
    });
    QCOMPARE(note.exec(), int(QDialog::Accepted));
    QVERIFY(shown);
}

void DialogsTest::pairingIntroductionSteps() {
    Harness h;
    TBPSIntroForm* intro = &h.windows().bpsIntroForm();
    HolderPanel& nextPanel = Control<HolderPanel>(*intro, "NextPanel");
    HolderPanel& closePanel = Control<HolderPanel>(*intro, "ClosePanel");
    FlatPanel& next = Control<FlatPanel>(*intro, "NextButtonImage");
    FlatPanel& close = Control<FlatPanel>(*intro, "CloseButtonImage");
    TMainForm& main = h.main();
    FlatPanel& where = Control<FlatPanel>(main, "WhereBPSPanel");
    main.LoadPage(PAGE_SECURE_1_CONFIGURE_WIRELESS);
    std::vector<int> steps;
    QPoint closeOnLast;
    bool nextOnLast = true;
    WhenVisible(intro, [&] {
        steps.push_back(intro->introStep);
        QVERIFY(Control<Picture>(*intro, "BPSImage1").isVisible());
        QVERIFY(nextPanel.isVisible());
        QCOMPARE(closePanel.pos(), QPoint(179, 372));
        Harness::click(next);
        steps.push_back(intro->introStep);
        Harness::click(next);
        steps.push_back(intro->introStep);
        QVERIFY(Control<Picture>(*intro, "BPSImage3").isVisible());
        QVERIFY(!Control<Picture>(*intro, "BPSImage2").isVisible());
        nextOnLast = nextPanel.isVisible();
        closeOnLast = closePanel.pos();
        intro->NextButtonImageClick();  // nothing on the last picture
        steps.push_back(intro->introStep);
        Harness::click(close);
    });
    Harness::click(where);
    QCOMPARE(steps, (std::vector<int>{15, 16, 17, 17}));
    QVERIFY(!nextOnLast);
    QCOMPARE(closeOnLast, QPoint(238, 372));
    QCOMPARE(main.nCurrentPage, int(PAGE_SECURE_1_CONFIGURE_WIRELESS));
    // Closed on a later picture, the next showing starts again at the first.
    int again = 0;
    WhenVisible(intro, [&] {
        again = intro->introStep;
        Harness::click(close);
    });
    Harness::click(where);
    QCOMPARE(again, 15);
}

void DialogsTest::searchDialogIsCutToItsShape() {
    Harness h;
    TSearchForm& search = h.windows().searchForm();
    QCOMPARE(search.size(), QSize(369, 180));
    const QRegion mask = search.mask();
    QVERIFY(mask.contains(QPoint(160, 40)));
    QVERIFY(!mask.contains(QPoint(330, 40)));  // right of 320
    QVERIFY(!mask.contains(QPoint(160, 90)));  // below 85
    QVERIFY(!mask.contains(QPoint(0, 0)));     // rounded corner
    QCOMPARE(Control<Picture>(search, "HourGlassImage1").pos(), QPoint(10, 13));
    QVERIFY(!Control<Picture>(search, "HourGlassImage4").isVisible());
    // The configure dialog is cut as wide: its percentage needs the room.
    QCOMPARE(h.windows().configureForm().mask(), mask);
    QCOMPARE(Control<Picture>(h.windows().configureForm(), "HourGlassImage3").pos(), QPoint(8, 13));
}

void DialogsTest::pauseKeepsPaintingAndDropsInput() {
    QApplication::processEvents();
    PaintCounter canvas;
    canvas.resize(100, 100);
    FlatPanel button(&canvas, "Button", QStringLiteral("B"));
    button.setGeometry(10, 10, 40, 20);
    canvas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    int clicks = 0;
    connect(&button, &FlatPanel::clicked, &canvas, [&] { ++clicks; });
    QTimer ticker;
    int ticks = 0;
    connect(&ticker, &QTimer::timeout, &canvas, [&] {
        ++ticks;
        canvas.update();
        Harness::click(button);
    });
    ticker.start(20);
    const int paintsBefore = canvas.paints;
    QElapsedTimer clock;
    clock.start();
    pauseDraining(std::chrono::milliseconds{300});
    const qint64 waited = clock.elapsed();
    ticker.stop();
    QVERIFY2(waited >= 295, qPrintable(QString::number(waited)));
    QVERIFY(ticks >= 5);
    QVERIFY2(canvas.paints - paintsBefore >= 3, qPrintable(QString::number(canvas.paints)));
    QCOMPARE(clicks, 0);
    QVERIFY(!pauseDrainingActive());
    // After the wait input counts again.
    Harness::click(button);
    QCOMPARE(clicks, 1);
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
