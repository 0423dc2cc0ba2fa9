#pragma once
// What the edit boxes let through while the user types: the key filters of the address and
// key fields, the 8-bit character rule of the texts a device stores, and the star display of
// passwords.

#include <QObject>
#include <QString>
#include <QValidator>
#include <functional>
#include <string>

class QLineEdit;

namespace trv81k {

// A key-press filter on one edit box: a typed character is kept when `accept` says so, and
// Backspace always is; every other character is discarded, the control characters of the
// copy, paste, cut, undo and select-all shortcuts included. Keys that type nothing (arrows,
// Home, End, Delete, Tab, Return) pass. With `copyShortcut`, the copy shortcut still copies
// the selected text to the clipboard; with `selectAll`, the select-all shortcut selects the
// whole text, and the field selects its whole text when it gets the focus (by Tab or by a first
// click), so that typing replaces it. `beforeKey` runs first for every key press.
class KeyFilter : public QObject {
public:
    struct Options {
        std::function<bool(QChar)> accept;
        bool copyShortcut = false;
        bool selectAll = false;
        std::function<void()> beforeKey;
    };

    // Installs itself on `edit` and is owned by it.
    KeyFilter(QLineEdit* edit, Options options);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
    Options options_;
    bool untouched_ = false;  // no click or key since the field got the focus
};

// The characters of an address field: digits and the dot. The field selects its whole text when
// it gets the focus, and on the select-all shortcut.
void FilterAddressKeys(QLineEdit* edit);

// A device stores its texts as 8-bit characters (Latin-1). Text with a character beyond that
// is refused as it is typed or pasted, so nothing reaches the device as a '?'.
class Latin1Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
void AllowLatin1Only(QLineEdit* edit);

// The wizard state holds the texts as the device stores them, one byte a character.
QString FromLatin1(const std::string& text);
std::string ToLatin1(const QString& text);

// Shows every character of a password as '*'.
void ShowAsStars(QLineEdit* edit);

}  // namespace trv81k
