#include "ui/wizard_context.h"

#include <QWidget>

#include "ui/accessibility.h"
#include "ui/pause.h"

namespace trv81k {

WizardContext::WizardContext(Services services)
    : services_(std::move(services)),
      exchanges_(*services_.network, services_.timing, WizardWait(), services_.trace) {}

WizardContext::~WizardContext() = default;

QString WizardContext::Text(std::string_view key) const {
    const std::string& text = texts.get(key);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString WizardContext::AccessibleText(std::string_view key) const {
    const std::string& text = accessibleTexts.get(key);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QImage WizardContext::LanguagePicture(int number) const {
    return services_.libraryPicture(languageBase + number);
}

ProfileReader WizardContext::OpenLanguageFile() const {
    return ProfileReader(services_.languageFile);
}

void WizardContext::NameDialog(QWidget* dialog, QWidget* picture, std::string_view form) const {
    const QString heading = AccessibleText(std::string(form) + "_Heading");
    const QString instruction = AccessibleText(std::string(form) + "_Text");
    NameWindow(dialog, AccessibleText(kWindowTitleKey), heading, instruction);
    picture->setAccessibleName(heading);
    picture->setAccessibleDescription(instruction);
}

void WizardContext::ShowWarning(std::string_view key) {
    ShowWarning(&MainWindow(), key);
}

void WizardContext::ShowWarning(QWidget* parent, std::string_view key) {
    services_.messages->warning(parent, Text(key));
}

bool WizardContext::AskYesNo(const QString& title, const QString& question) {
    return services_.messages->askYesNo(&MainWindow(), title, question);
}

}  // namespace trv81k
