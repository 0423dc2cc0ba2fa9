#include "ui/input_filters.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QTimer>

namespace trv81k {

namespace {

bool TypesNothing(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        default:
            return key.text().isEmpty();
    }
}

bool IsEditingShortcut(const QKeyEvent& key) {
    for (const QKeySequence::StandardKey shortcut :
         {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo,
          QKeySequence::SelectAll, QKeySequence::Copy}) {
        if (key.matches(shortcut)) {
            return true;
        }
    }
    return false;
}

class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        if (hint == QStyle::SH_LineEdit_PasswordMaskDelay) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

KeyFilter::KeyFilter(QLineEdit* edit, Options options)
    : QObject(edit), edit_(edit), options_(std::move(options)) {
    edit->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_) {
        return false;
    }
    if (options_.selectAll) {
        switch (event->type()) {
            case QEvent::FocusIn:
                // After the press that gave the focus has placed the cursor.
                QTimer::singleShot(0, edit_, [edit = edit_] {
                    if (edit->hasFocus()) {
                        edit->selectAll();
                    }
                });
                untouched_ = true;
                return false;
            case QEvent::MouseButtonRelease:
                // The first click into a field that got the focus without the user (a page
                // that opens with the focus in it) selects all as well, unless it dragged out
                // a selection of its own.
                if (untouched_ && !edit_->hasSelectedText()) {
                    edit_->selectAll();
                }
                untouched_ = false;
                return false;
            default:
                break;
        }
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    untouched_ = false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (options_.beforeKey) {
        options_.beforeKey();
    }
    if (key.key() == Qt::Key_Backspace) {
        return false;
    }
    if (key.matches(QKeySequence::Copy) && options_.copyShortcut) {
        if (edit_->hasSelectedText()) {
            QApplication::clipboard()->setText(edit_->selectedText());
        }
        return true;
    }
    if (key.matches(QKeySequence::SelectAll) && options_.selectAll) {
        edit_->selectAll();
        return true;
    }
    if (IsEditingShortcut(key)) {
        return true;
    }
    if (TypesNothing(key)) {
        return false;
    }
    const QString text = key.text();
    const bool keep = text.size() == 1 && text[0].unicode() >= 0x20 && options_.accept &&
                      options_.accept(text[0]);
    return !keep;
}

void FilterAddressKeys(QLineEdit* edit) {
    KeyFilter::Options options;
    options.accept = [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
    };
    options.selectAll = true;
    new KeyFilter(edit, std::move(options));
}

QValidator::State Latin1Validator::validate(QString& input, int& /*pos*/) const {
    for (const QChar c : input) {
        if (c.unicode() > 0xFF) {
            return Invalid;
        }
    }
    return Acceptable;
}

void AllowLatin1Only(QLineEdit* edit) {
    edit->setValidator(new Latin1Validator(edit));
}

QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLatin1(const QString& text) {
    return text.toLatin1().toStdString();
}

void ShowAsStars(QLineEdit* edit) {
    // One style for every password box, owned by the application (it outlives the windows).
    static QPointer<QProxyStyle> style;
    if (style.isNull()) {
        style = new StarPasswordStyle;
        style->setParent(QCoreApplication::instance());
    }
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}

}  // namespace trv81k
