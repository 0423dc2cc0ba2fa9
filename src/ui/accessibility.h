#pragma once
// What the wizard's windows tell a screen reader beyond what the toolkit tells on its own:
// the main window as a window, drop-down lists that keep their items to themselves while they
// are closed, and the names of values shown beside a caption.

#include <QString>

class QComboBox;
class QLabel;
class QWidget;

namespace trv81k {

// Makes the toolkit expose the top-level windows of class `className` (a plain QWidget
// subclass) with the role of a window, as it does for dialogs. Once per class is enough; a
// second call for the same class changes nothing.
void ExposeAsWindow(const char* className);

// Gives a field the caption drawn beside it as its name. A drop-down list is named by its value
// on Linux, as the toolkit does it; its caption comes through a label relation instead, from a
// hidden label of the caption (`<field>Caption`, a sibling of the field) whose buddy it is.
void NameField(QWidget* field, const QString& caption);

// A closed drop-down list exposes no items: its popup list has no size while it is hidden, so
// the items do not count as showing. It gets its size back each time it opens.
void KeepClosedListQuiet(QComboBox* combo);

// What a screen reader is told of the fields, lists and progress figures, once for the
// application (a second call changes nothing):
// - an edit box reports its text as one run of attributes over the whole text (the toolkit's
//   own runs are empty, and a screen reader then loses the last character);
// - a password box reports stars, in its value, its text and the changes of its text;
// - a drop-down list reports its current value as its text and value, and each change of it;
// - a label marked by ExposeAsProgress is a progress bar from 0 to 100 with a value-changed
//   event on each change.
void InstallScreenReaderSupport();

// Makes `percentage` (a label that shows "40 %") a progress bar named `name` for a screen
// reader. First before the label shows a text (the toolkit keeps the interface it made first);
// again to rename it.
void ExposeAsProgress(QLabel* percentage, const QString& name);

// Tells a screen reader that `window` shows something new (a page of the wizard): the window
// is announced as if it had just been activated (its name and description), then the control
// with the focus.
void AnnounceWindow(QWidget* window);

// A window's title (the product's name), and what a screen reader says of it: the title and
// the heading of what it shows ("TRV81K Setup Wizard – Basic settings"), and its instruction.
void NameWindow(QWidget* window, const QString& title, const QString& heading,
                const QString& description);

// The name of a value that is shown beside its caption: "Firmware: 1.04"; the caption alone
// while there is no value.
QString CaptionedValue(const QString& caption, const QString& value);

// A tooltip that shows `text` as it is: a device's SSID of "<h1>BIG</h1>" is no markup.
QString PlainToolTip(const QString& text);

}  // namespace trv81k
