#include "ui/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <algorithm>
#include <set>
#include <string>

namespace trv81k {

namespace {

// The classes ExposeAsWindow was given (the toolkit asks on the window thread only).
std::set<std::string>& WindowClasses() {
    static std::set<std::string> classes;
    return classes;
}

// While a window is announced anew it reports itself inactive for a moment.
constexpr const char* kAnnouncing = "trv81kAnnouncing";
// A label that is a progress bar; a list's value as a screen reader was last told it.
constexpr const char* kProgress = "trv81kProgress";
constexpr const char* kToldValue = "trv81kToldValue";
constexpr const char* kProgressName = "trv81kProgressName";

class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (widget()->property(kAnnouncing).toBool()) {
            state.active = false;
        }
        return state;
    }
};

QAccessibleInterface* WindowRoleFactory(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (!widget->isWindow() || WindowClasses().count(className.toStdString()) == 0) {
        return nullptr;
    }
    return new WindowAccessible(widget);
}

// The parts of a text interface that a read-only or single-line text shares: the text is
// `shown()`, one line, one run of attributes (none) over all of it.
class SingleLineText : public QAccessibleTextInterface {
public:
    virtual QString shown() const = 0;
    virtual QWidget* textWidget() const = 0;

    QString text(int startOffset, int endOffset) const override {
        const QString all = shown();
        if (startOffset < 0 || startOffset > endOffset) {
            return QString();
        }
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(shown().size()); }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        // One run over the whole text: an empty run at each offset makes a screen reader
        // walk the runs one character short of the end.
        const int count = characterCount();
        if (offset < 0 || offset > count) {
            *startOffset = *endOffset = -1;
        } else {
            *startOffset = 0;
            *endOffset = count;
        }
        return QString();
    }
    QRect characterRect(int offset) const override {
        const QString all = shown();
        if (offset < 0 || offset >= all.size()) {
            return QRect();
        }
        const QWidget* w = textWidget();
        const QFontMetrics metrics(w->font());
        const QRect area = w->contentsRect();
        const int x = area.left() + 2 + metrics.horizontalAdvance(all.left(offset));
        const int y = area.top() + (area.height() - metrics.height()) / 2;
        const QRect local(x, y, metrics.horizontalAdvance(all.at(offset)), metrics.height());
        return QRect(w->mapToGlobal(local.topLeft()), local.size());
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override {
        return QAccessibleTextInterface::textBeforeOffset(At(offset), boundaryType, startOffset,
                                                          endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override {
        return QAccessibleTextInterface::textAfterOffset(At(offset), boundaryType, startOffset,
                                                         endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override {
        return QAccessibleTextInterface::textAtOffset(At(offset), boundaryType, startOffset,
                                                      endOffset);
    }

private:
    // -2 stands for the cursor, -1 for the end of the text.
    int At(int offset) const {
        return offset == -2 ? cursorPosition() : offset == -1 ? characterCount() : offset;
    }
};

// An edit box: its text, or stars for a password.
class FieldAccessible : public QAccessibleWidget, public SingleLineText {
public:
    explicit FieldAccessible(QLineEdit* edit)
        : QAccessibleWidget(edit, QAccessible::EditableText) {}

    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    bool masked() const { return edit()->echoMode() != QLineEdit::Normal; }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? shown() : QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value) {
            if (!edit()->isReadOnly()) {
                edit()->setText(text);
            }
            return;
        }
        QAccessibleWidget::setText(t, text);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (edit()->isReadOnly()) {
            state.readOnly = true;
        } else {
            state.editable = true;
        }
        state.selectableText = true;
        state.passwordEdit = masked();
        return state;
    }

    QString shown() const override {
        switch (edit()->echoMode()) {
            case QLineEdit::Normal:
                return edit()->text();
            case QLineEdit::NoEcho:
                return QString();
            default:
                return QString(edit()->text().size(), QLatin1Char('*'));
        }
    }
    QWidget* textWidget() const override { return widget(); }
    QString text(int startOffset, int endOffset) const override {
        return SingleLineText::text(startOffset, endOffset);
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && edit()->hasSelectedText()) {
            *startOffset = edit()->selectionStart();
            *endOffset = *startOffset + edit()->selectionLength();
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0) {
            edit()->deselect();
        }
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0) {
            edit()->setSelection(startOffset, endOffset - startOffset);
        }
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    int offsetAtPoint(const QPoint& point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }
};

// A drop-down list that is not editable: named by its value (the caption comes through the
// label relation), its value also as its text and value; its popup list is its child.
class ListAccessible : public QAccessibleWidget, public SingleLineText {
public:
    explicit ListAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {
        combo->setProperty(kToldValue, combo->currentText());
    }

    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return combo()->view() != nullptr ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && combo()->view() != nullptr
                   ? QAccessible::queryAccessibleInterface(combo()->view())
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && combo()->view() != nullptr && child->object() == combo()->view()
                   ? 0
                   : -1;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name || t == QAccessible::Value) {
            return combo()->currentText();
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = combo()->view() != nullptr && combo()->view()->isVisible();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override {
        if (actionName == showMenuAction() || actionName == pressAction()) {
            combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

    QString shown() const override { return combo()->currentText(); }
    QWidget* textWidget() const override { return widget(); }
    QString text(int startOffset, int endOffset) const override {
        return SingleLineText::text(startOffset, endOffset);
    }
    // The value is chosen as a whole: it is all selected, as in an edit box whose text was
    // chosen from a list. A screen reader speaks a change of a selected text.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = selectionIndex == 0 ? characterCount() : 0;
    }
    int selectionCount() const override { return characterCount() > 0 ? 1 : 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
};

// A label showing "40 %": a progress bar from 0 to 100.
class ProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::ProgressBar) {}

    static int Percent(const QLabel* label) {
        const QString text = label->text();
        qsizetype digits = 0;
        while (digits < text.size() && text.at(digits).isDigit()) {
            ++digits;
        }
        bool ok = false;
        const int value = text.left(digits).toInt(&ok);
        return ok ? std::clamp(value, 0, 100) : 0;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return static_cast<QLabel*>(widget())->text();
        }
        if (t == QAccessible::Name) {
            return widget()->property(kProgressName).toString();
        }
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return Percent(static_cast<QLabel*>(widget())); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* ControlFactory(const QString&, QObject* object) {
    if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        return new FieldAccessible(edit);
    }
    if (auto* combo = qobject_cast<QComboBox*>(object); combo != nullptr && !combo->isEditable()) {
        return new ListAccessible(combo);
    }
    if (auto* label = qobject_cast<QLabel*>(object);
        label != nullptr && label->property(kProgress).toBool()) {
        return new ProgressAccessible(label);
    }
    return nullptr;
}

// What the toolkit would tell the screen reader, through whatever handled it before us.
QAccessible::UpdateHandler& PreviousHandler() {
    static QAccessible::UpdateHandler previous = nullptr;
    return previous;
}
void Tell(QAccessibleEvent* event);
void Rewrite(QAccessibleEvent* event);

void Tell(QAccessibleEvent* event) {
    if (QAccessible::UpdateHandler previous = PreviousHandler()) {
        previous(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&Rewrite);
}

QString Stars(const QString& text) {
    return QString(text.size(), QLatin1Char('*'));
}

// The events of a password box carry stars; a list's change of value is a change of its text;
// a progress label's change of text is a change of its value.
void Rewrite(QAccessibleEvent* event) {
    QObject* object = event->object();
    auto* edit = qobject_cast<QLineEdit*>(object);
    if (edit != nullptr && edit->echoMode() != QLineEdit::Normal) {
        switch (event->type()) {
            case QAccessible::TextInserted: {
                const auto& e = static_cast<const QAccessibleTextInsertEvent&>(*event);
                QAccessibleTextInsertEvent masked(object, e.changePosition(),
                                                  Stars(e.textInserted()));
                Tell(&masked);
                return;
            }
            case QAccessible::TextRemoved: {
                const auto& e = static_cast<const QAccessibleTextRemoveEvent&>(*event);
                QAccessibleTextRemoveEvent masked(object, e.changePosition(),
                                                  Stars(e.textRemoved()));
                Tell(&masked);
                return;
            }
            case QAccessible::TextUpdated: {
                const auto& e = static_cast<const QAccessibleTextUpdateEvent&>(*event);
                QAccessibleTextUpdateEvent masked(object, e.changePosition(),
                                                  Stars(e.textRemoved()), Stars(e.textInserted()));
                Tell(&masked);
                return;
            }
            case QAccessible::ValueChanged: {
                QAccessibleValueChangeEvent masked(object, Stars(edit->text()));
                Tell(&masked);
                return;
            }
            default:
                break;
        }
    }
    auto* label = qobject_cast<QLabel*>(object);
    if (label != nullptr && label->property(kProgress).toBool() &&
        event->type() == QAccessible::NameChanged) {
        // The label's text is the bar's value; its name stays.
        QAccessibleValueChangeEvent changed(object, ProgressAccessible::Percent(label));
        Tell(&changed);
        return;
    }
    Tell(event);
    if (auto* combo = qobject_cast<QComboBox*>(object);
        combo != nullptr && !combo->isEditable() && event->type() == QAccessible::ValueChanged) {
        const QString told = combo->property(kToldValue).toString();
        const QString now = combo->currentText();
        if (told != now) {
            combo->setProperty(kToldValue, now);
            // Told as the new value's arrival alone: told as a removal first, the value (all of
            // it selected) would be heard as "selection deleted".
            QAccessibleTextInsertEvent changed(object, 0, now);
            Tell(&changed);
        }
    }
}

// Gives the popup list of a drop-down list no size while the popup is hidden, and lets the
// popup's layout size it again when it is shown.
class QuietWhileClosed : public QObject {
public:
    QuietWhileClosed(QAbstractItemView* view, QWidget* popup)
        : QObject(popup), view_(view), popup_(popup) {
        popup->installEventFilter(this);
        collapse();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == popup_ && event->type() == QEvent::Hide) {
            collapse();
        }
        return false;
    }

private:
    void collapse() {
        if (view_ == nullptr) {
            return;
        }
        view_->resize(0, 0);
        if (QLayout* layout = popup_->layout()) {
            layout->invalidate();  // laid out anew, at its real size, when it opens
        }
    }

    QPointer<QAbstractItemView> view_;
    QWidget* popup_;
};

}  // namespace

void ExposeAsWindow(const char* className) {
    if (WindowClasses().empty()) {
        QAccessible::installFactory(&WindowRoleFactory);
    }
    WindowClasses().insert(className);
}

void InstallScreenReaderSupport() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    QAccessible::installFactory(&ControlFactory);
    PreviousHandler() = QAccessible::installUpdateHandler(&Rewrite);
}

void ExposeAsProgress(QLabel* percentage, const QString& name) {
    // Not the label's accessible name: with one, the label tells no change of its text.
    percentage->setProperty(kProgress, true);
    percentage->setProperty(kProgressName, name);
}

void AnnounceWindow(QWidget* window) {
    if (!QAccessible::isActive() || !window->isVisible() || !window->isActiveWindow()) {
        return;  // it is announced when it becomes active
    }
    QAccessible::State active;
    active.active = true;
    window->setProperty(kAnnouncing, true);
    QAccessibleStateChangeEvent away(window, active);
    QAccessible::updateAccessibility(&away);
    window->setProperty(kAnnouncing, false);
    QAccessibleStateChangeEvent back(window, active);
    QAccessible::updateAccessibility(&back);
    if (QWidget* focus = window->focusWidget(); focus != nullptr && focus->hasFocus()) {
        QAccessibleEvent focused(focus, QAccessible::Focus);
        QAccessible::updateAccessibility(&focused);
    }
}

void NameField(QWidget* field, const QString& caption) {
    field->setAccessibleName(caption);
    if (qobject_cast<QComboBox*>(field) == nullptr || field->parentWidget() == nullptr) {
        return;
    }
    const QString name = field->objectName() + QStringLiteral("Caption");
    auto* label = field->parentWidget()->findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
    if (label == nullptr) {
        label = new QLabel(field->parentWidget());
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->hide();  // the picture shows the caption
        label->setBuddy(field);
    }
    label->setText(caption);
}

void KeepClosedListQuiet(QComboBox* combo) {
    QAbstractItemView* view = combo->view();  // creates the popup
    QWidget* popup = view != nullptr ? view->parentWidget() : nullptr;
    static const char* const kMark = "trv81kQuietWhileClosed";
    if (popup == nullptr || popup->property(kMark).toBool()) {
        return;
    }
    popup->setProperty(kMark, true);
    new QuietWhileClosed(view, popup);  // owned by the popup
}

void NameWindow(QWidget* window, const QString& title, const QString& heading,
                const QString& description) {
    window->setWindowTitle(title);
    window->setAccessibleName(heading.isEmpty() ? title
                                                : title + QStringLiteral(u" \u2013 ") + heading);
    window->setAccessibleDescription(description);
}

QString CaptionedValue(const QString& caption, const QString& value) {
    if (caption.isEmpty() || value.isEmpty()) {
        return caption.isEmpty() ? value : caption;
    }
    return caption + QStringLiteral(": ") + value;
}

QString PlainToolTip(const QString& text) {
    if (text.isEmpty()) {
        return text;  // no tooltip
    }
    // A tooltip takes rich text when the text looks like it; escaped inside markup of its own
    // it is always shown literally, blanks and all.
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

}  // namespace trv81k
