#pragma once
// The picture description kept in resources/artwork: which pictures exist and how big they are,
// which live controls each one lies under, where its texts and drawings go (pictures.json), and
// the texts of every language (one file per language).

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace trv81k::artwork {

// What the picture paints under a live control.
enum class ControlStyle {
    Button,       // green rounded area under a panel used as a button, or a green holder
    Field,        // white framed field under an edit box, combo box or list
    StatusGreen,  // green box under the upper status labels
    StatusWhite,  // white box under the lower status labels
    Radio,        // white spot under a radio button
    Value,        // white box under value labels
    Link,         // white strip under a link panel
    Manual,       // green area under the manual-entry holder (its own picture covers it)
    Plain,        // white area under a panel that carries its own picture
    Label,        // nothing: a label on the plain page
};

enum class Kind { Page, Intro, Dialog };
enum class Side { Left, Above, Below, Inside };
enum class TextStyle { Title, Body, Hint, Label };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

struct CaptionSpec {
    QString control;
    Side side = Side::Left;
    HAlign align = HAlign::Left;  // for captions above a control
    bool card = false;            // an option card around the control and its caption
    QString icon;                 // the option card's icon
    int from = -1;                // left limit of a caption left of its control; -1: computed
};

struct BlockSpec {
    QString text;  // "heading", "lines", "side", "note", "title" or "stages"
    QRect rect;
    bool follows = false;  // starts right under the heading when that leaves room
    TextStyle style = TextStyle::Body;
    HAlign align = HAlign::Left;
    VAlign valign = VAlign::Top;
};

struct ArtSpec {
    QString type;
    QRect rect;
};

// A control of a dialog, placed by the dialog itself rather than by the main window's table.
struct FixedControl {
    QString name;
    ControlStyle style = ControlStyle::Button;
    QRect rect;
    std::map<QString, QRect> bySection;  // where it lies for a language that moves it

    QRect RectFor(const QString& section) const;
};

struct PictureSpec {
    int index = 0;
    QString name;
    QSize size;
    Kind kind = Kind::Page;
    int page = 0;   // the wizard page whose control placement applies; 0 for none
    int stage = 0;  // step shown in the step indicator, 1-based; 0 for none
    int dot = 0;    // introduction pictures: this picture's dot of `dots`
    int dots = 0;
    QString icon;                   // dialogs: the icon in the title band
    std::vector<QString> controls;  // live controls of the main window shown on this page
    std::vector<FixedControl> fixed;
    std::vector<CaptionSpec> captions;
    std::vector<BlockSpec> blocks;
    std::vector<ArtSpec> art;
    std::vector<QRect> cards;
};

struct PictureTexts {
    QString heading;
    std::map<QString, QStringList> blocks;    // "lines", "side", "note", "title"
    std::map<QString, QStringList> captions;  // by control name
};

struct Language {
    QString section;  // the Language.ini section name
    int base = 0;     // picture-number base
    QString code;     // short code used in file names ("en")
    QString product;
    QString subtitle;
    QString stepFormat;
    QStringList stages;
    std::map<QString, QString> words;
    std::map<QString, PictureTexts> pictures;

    // The text of `key` in "words", or an empty text.
    QString Word(const QString& key) const;
    // The texts of a picture (empty texts for a picture the file leaves out).
    const PictureTexts& Texts(const QString& picture) const;
};

struct Description {
    std::map<QString, ControlStyle> styles;
    std::vector<PictureSpec> pictures;
    std::vector<Language> languages;

    const PictureSpec* FindPicture(const QString& name) const;
    const Language* FindLanguage(const QString& codeOrSection) const;
};

// Reads pictures.json and the language files it names from `folder`. On failure: nullopt, and
// `error` names the file and the entry at fault.
std::optional<Description> LoadDescription(const QString& folder, QString& error);

}  // namespace trv81k::artwork
