#include "ui/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <set>
#include <string>

namespace trv81k {

namespace {

// The classes ExposeAsWindow was given (the toolkit asks on the window thread only).
std::set<std::string>& WindowClasses() {
    static std::set<std::string> classes;
    return classes;
}

QAccessibleInterface* WindowRoleFactory(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (!widget->isWindow() || WindowClasses().count(className.toStdString()) == 0) {
        return nullptr;
    }
    return new QAccessibleWidget(widget, QAccessible::Window);
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
