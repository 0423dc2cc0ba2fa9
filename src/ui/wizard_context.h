#pragma once
// What the wizard's pages and dialogs share, instead of the main window itself: the services
// (messages, pictures, the network), the exchanges with the devices, the language (its
// section, its picture numbers and its texts), the wizard state, and the few things only the
// main window can do for them: be the parent of a message, load a page, hand out a dialog.

#include <QImage>
#include <QString>
#include <string>
#include <string_view>

#include "core/exchanges.h"
#include "l10n/profile_reader.h"
#include "l10n/texts.h"
#include "ui/services.h"
#include "ui/wizard_state.h"

class QWidget;

namespace trv81k {

class TBPSIntroForm;
class TConfigureForm;
class TLoginForm;
class TSearchFailForm;
class TSearchForm;
class TWPARadiusNoteForm;

// The dialogs the main window and its pages open.
struct Dialogs {
    TConfigureForm& configure;
    TSearchFailForm& searchFail;
    TSearchForm& search;
    TLoginForm& login;
    TWPARadiusNoteForm& radiusNote;
    TBPSIntroForm& bpsIntro;
};

class WizardContext {
public:
    explicit WizardContext(Services services);
    virtual ~WizardContext();
    WizardContext(const WizardContext&) = delete;
    WizardContext& operator=(const WizardContext&) = delete;

    // ---- The language, chosen once while the main window is created ----
    std::string languageSection;  // "English", "German" or "French"
    int languageBase = 0;         // 100, 200 or 300
    Texts texts;                  // the main window's texts
    Texts accessibleTexts;        // what a screen reader gets (kAccessibleKeys)

    // ---- What the pages hold between them ----
    WizardState wizard;  // the settings to write, the login password and currentDevice

    const Services& services() const { return services_; }
    NetworkPort& network() { return *services_.network; }
    // The state the receiver fills and the exchanges read.
    ExchangeState& exchangeState() { return services_.network->state(); }
    // The exchanges with the devices, waiting as the wizard waits.
    Exchanges& exchanges() { return exchanges_; }
    const Timing& timing() const { return services_.timing; }

    // A main-window text (Language.ini, UTF-8) as shown.
    QString Text(std::string_view key) const;
    // A text for the screen reader (kAccessibleKeys).
    QString AccessibleText(std::string_view key) const;
    // A picture of the language's set (the library's number less the language's base).
    QImage LanguagePicture(int number) const;
    // Language.ini, opened for one window's set-up.
    ProfileReader OpenLanguageFile() const;
    // A dialog's name for the screen reader: the product name and its heading
    // ("<form>_Heading"), its instruction ("<form>_Text") as description, both also on the
    // picture that shows them.
    void NameDialog(QWidget* dialog, QWidget* picture, std::string_view form) const;

    // The warning box with the text of a Language.ini key, over the main window or `parent`.
    void ShowWarning(std::string_view key);
    void ShowWarning(QWidget* parent, std::string_view key);
    // A question with Yes and No over the main window; true for Yes.
    bool AskYesNo(const QString& title, const QString& question);

    // ---- The main window's part ----
    virtual QWidget& MainWindow() = 0;
    virtual void LoadPage(int page) = 0;
    // The dialogs (the window set creates them on first need).
    virtual const Dialogs& dialogs() = 0;

private:
    Services services_;
    Exchanges exchanges_;
};

}  // namespace trv81k
