#pragma once
// What the main window's page classes build their controls with, and the one way a page
// refuses an entered value.

#include <QString>
#include <QStringList>

#include "settings/validators.h"
#include "ui/wizard_context.h"

class QColor;
class QComboBox;
class QFont;
class QLabel;
class QLineEdit;
class QRadioButton;

class QWidget;

namespace trv81k {

// A field, a drop-down list, a label and a radio button of the main window's look, named by
// their design names (objectName).
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QFont& font);
QComboBox* MakeCombo(QWidget* parent, const char* name, const QFont& font,
                     const QStringList& designItems);
QLabel* MakeLabel(QWidget* parent, const char* name, const QFont& font, const QColor& text,
                  const QColor& background);
QRadioButton* MakeRadio(QWidget* parent, const char* name);

// Enabled on white, or disabled on silver.
void SetFieldEnabled(QWidget* field, bool enabled);

// The refusal's message, then its field (nullptr: the focus stays where it is): its text put
// back when `resetText` is given, the focus, all of its text selected.
void Refuse(WizardContext& context, const SettingRefusal& refusal, QLineEdit* field,
            const QString* resetText = nullptr);

}  // namespace trv81k
