// What a screen reader is told of the fields, lists and progress figures, read from the
// accessibility interfaces and from what the wizard's update handler passes on of the events
// the toolkit raises (on the offscreen platform no bridge is active, so the toolkit's events
// are raised here by hand, as the widgets raise them): a password box tells stars only, an
// edit box's text is one run of attributes, a list tells its value and each change of it, a
// percentage label is a progress bar.

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <vector>

#include "ui/accessibility.h"
#include "ui/input_filters.h"

using namespace trv81k;

namespace {

struct Told {
    QAccessible::Event type;
    QObject* object;
    QString text;  // the inserted or removed text, or the value
};

QAccessible::UpdateHandler rewrite = nullptr;  // the wizard's handler

// An event as a widget raises it, through the wizard's handler.
void Raise(QAccessibleEvent&& event) {
    rewrite(&event);
}

std::vector<Told>& Events() {
    static std::vector<Told> events;
    return events;
}

// Stands for the screen reader: records what reaches it.
void Record(QAccessibleEvent* event) {
    Told told{event->type(), event->object(), QString()};
    if (event->type() == QAccessible::TextInserted) {
        told.text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    } else if (event->type() == QAccessible::TextRemoved) {
        told.text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
    } else if (event->type() == QAccessible::TextUpdated) {
        told.text = static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
    } else if (event->type() == QAccessible::ValueChanged) {
        told.text = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
    }
    Events().push_back(told);
}

std::vector<Told> TextsFor(QObject* object) {
    std::vector<Told> found;
    for (const Told& told : Events()) {
        if (told.object == object && !told.text.isEmpty()) {
            found.push_back(told);
        }
    }
    return found;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void passwordBoxTellsStarsOnly();
    void fieldTextIsOneAttributeRun();
    void listTellsItsValueAndEachChange();
    void percentageIsProgressBar();
};

void AccessibilityTest::initTestCase() {
    QAccessible::installUpdateHandler(&Record);
    InstallScreenReaderSupport();  // passes on to the recorder
    rewrite = QAccessible::installUpdateHandler(nullptr);
    QAccessible::installUpdateHandler(rewrite);
    QVERIFY(rewrite != &Record && rewrite != nullptr);
}

void AccessibilityTest::init() {
    Events().clear();
}

void AccessibilityTest::passwordBoxTellsStarsOnly() {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    ShowAsStars(edit);
    window.show();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("office1"));
    QCOMPARE(edit->text(), QStringLiteral("office1"));
    Raise(QAccessibleTextInsertEvent(edit, 6, QStringLiteral("1")));
    Raise(QAccessibleTextRemoveEvent(edit, 0, QStringLiteral("off")));
    Raise(QAccessibleTextUpdateEvent(edit, 0, QStringLiteral("office1"), QStringLiteral("o")));
    Raise(QAccessibleValueChangeEvent(edit, QStringLiteral("office1")));

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(edit);
    QVERIFY(iface->state().passwordEdit);
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("*******"));
    QCOMPARE(iface->textInterface()->text(0, 7), QStringLiteral("*******"));
    const auto told = TextsFor(edit);
    QCOMPARE(told.size(), 4u);
    for (const Told& t : told) {
        QVERIFY2(t.text.count(QLatin1Char('*')) == t.text.size(), qPrintable(t.text));
    }
}

void AccessibilityTest::fieldTextIsOneAttributeRun() {
    QLineEdit edit(QStringLiteral("Lab-Static"));
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&edit)->textInterface();
    QVERIFY(text != nullptr);
    for (int offset : {0, 9, 10}) {
        int start = -5, end = -5;
        text->attributes(offset, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, 10);
    }
    int start = 0, end = 0;
    edit.setCursorPosition(10);
    QCOMPARE(text->textAtOffset(-2, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("Lab-Static"));
    edit.selectAll();
    text->selection(0, &start, &end);
    QCOMPARE(text->text(start, end), QStringLiteral("Lab-Static"));
}

void AccessibilityTest::listTellsItsValueAndEachChange() {
    QComboBox combo;
    combo.addItems({QStringLiteral("Automatic-DHCP"), QStringLiteral("Static IP")});
    KeepClosedListQuiet(&combo);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&combo);
    QCOMPARE(iface->role(), QAccessible::ComboBox);
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Automatic-DHCP"));
    QCOMPARE(iface->textInterface()->text(0, iface->textInterface()->characterCount()),
             QStringLiteral("Automatic-DHCP"));
    QCOMPARE(iface->childCount(), 1);  // the closed popup list

    combo.setCurrentIndex(1);
    Raise(QAccessibleValueChangeEvent(&combo, combo.currentText()));
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Static IP"));
    bool inserted = false;
    for (const Told& t : TextsFor(&combo)) {
        inserted = inserted || (t.type == QAccessible::TextInserted && t.text == "Static IP");
    }
    QVERIFY(inserted);
}

void AccessibilityTest::percentageIsProgressBar() {
    QLabel label;
    ExposeAsProgress(&label, QString());
    label.setText(QStringLiteral("0 %"));
    ExposeAsProgress(&label, QStringLiteral("Writing the settings"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&label);
    QCOMPARE(iface->role(), QAccessible::ProgressBar);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Writing the settings"));
    label.setText(QStringLiteral("40 %"));
    Raise(QAccessibleEvent(&label, QAccessible::NameChanged));
    QCOMPARE(iface->valueInterface()->currentValue().toInt(), 40);
    QCOMPARE(iface->valueInterface()->maximumValue().toInt(), 100);
    bool told = false;
    for (const Told& t : TextsFor(&label)) {
        told = told || (t.type == QAccessible::ValueChanged && t.text == "40");
    }
    QVERIFY(told);
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
