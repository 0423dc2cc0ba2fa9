#include "ui/page_parts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QRadioButton>

#include "ui/look.h"

namespace trv81k {

namespace {

// Drop-down lists open under their box and show as many lines as they ask for
// (maxVisibleItems); the platform's style would lay every entry over the box and the fields
// above it.
class DropDownStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ComboBox_Popup) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* DropDownListStyle() {
    // One style for every list, owned by the application (it outlives the windows).
    static QPointer<QProxyStyle> style;
    if (style.isNull()) {
        style = new DropDownStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

}  // namespace

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QFont& font) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFrame(false);
    edit->setFont(font);
    SetBackground(edit, look::kWhite);
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QFont& font,
                     const QStringList& designItems) {
    auto* combo = new QComboBox(parent);
    combo->setStyle(DropDownListStyle());
    combo->setObjectName(QString::fromLatin1(name));
    combo->setFont(font);
    combo->addItems(designItems);
    return combo;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QFont& font, const QColor& text,
                  const QColor& background) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    SetBackground(label, background);
    return label;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name) {
    auto* radio = new QRadioButton(parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setBackgroundRole(QPalette::Window);  // not the grey of a button face
    SetBackground(radio, look::kWhite);
    return radio;
}

void SetFieldEnabled(QWidget* field, bool enabled) {
    field->setEnabled(enabled);
    SetBackground(field, enabled ? look::kWhite : look::kSilver);
}

void Refuse(WizardContext& context, const SettingRefusal& refusal, QLineEdit* field,
            const QString* resetText) {
    if (!refusal.messageKey.empty()) {
        context.ShowWarning(refusal.messageKey);
    } else {
        context.services().messages->warning(
            &context.MainWindow(),
            QString::fromUtf8(refusal.detail.data(),
                              static_cast<qsizetype>(refusal.detail.size())));
    }
    if (field != nullptr) {
        if (resetText != nullptr) {
            field->setText(*resetText);
        }
        field->setFocus();
        field->selectAll();
    }
}

}  // namespace trv81k
