#include "description.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <set>

namespace trv81k::artwork {

namespace {

// Thrown inside the reader only; LoadDescription turns it into its error text.
struct DescriptionError {
    QString message;
};

[[noreturn]] void Fail(const QString& where, const QString& what) {
    throw DescriptionError{where + ": " + what};
}

QJsonObject ReadObjectFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(path, "cannot be read");
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        Fail(path, QString("offset %1: %2").arg(parseError.offset).arg(parseError.errorString()));
    }
    if (!document.isObject()) {
        Fail(path, "is not a JSON object");
    }
    return document.object();
}

int ReadInt(const QJsonValue& value, const QString& where) {
    if (!value.isDouble()) {
        Fail(where, "a whole number is expected");
    }
    const double number = value.toDouble();
    if (number != static_cast<double>(static_cast<int>(number))) {
        Fail(where, "a whole number is expected");
    }
    return static_cast<int>(number);
}

QString ReadString(const QJsonValue& value, const QString& where) {
    if (!value.isString()) {
        Fail(where, "a text is expected");
    }
    return value.toString();
}

QStringList ReadStringList(const QJsonValue& value, const QString& where) {
    if (value.isString()) {
        return {value.toString()};
    }
    if (!value.isArray()) {
        Fail(where, "a text or a list of texts is expected");
    }
    QStringList list;
    for (const QJsonValue& item : value.toArray()) {
        list.append(ReadString(item, where));
    }
    return list;
}

QRect ReadRect(const QJsonValue& value, const QString& where) {
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != 4) {
        Fail(where, "[left, top, width, height] is expected");
    }
    const QRect rect(ReadInt(array[0], where), ReadInt(array[1], where), ReadInt(array[2], where),
                     ReadInt(array[3], where));
    if (rect.width() <= 0 || rect.height() <= 0) {
        Fail(where, "width and height must be positive");
    }
    return rect;
}

QSize ReadSize(const QJsonValue& value, const QString& where) {
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != 2) {
        Fail(where, "[width, height] is expected");
    }
    const QSize size(ReadInt(array[0], where), ReadInt(array[1], where));
    if (size.width() < 8 || size.height() < 8 || size.width() > 4096 || size.height() > 4096) {
        Fail(where, "the size must lie between 8 and 4096 pixels");
    }
    return size;
}

template <typename Enum>
Enum ReadChoice(const QJsonValue& value, const QString& where,
                std::initializer_list<std::pair<const char*, Enum>> choices) {
    const QString text = ReadString(value, where);
    QStringList names;
    for (const auto& [name, choice] : choices) {
        if (text == QLatin1String(name)) {
            return choice;
        }
        names.append(QLatin1String(name));
    }
    Fail(where, QString("'%1' is not one of: %2").arg(text, names.join(", ")));
}

ControlStyle ReadStyle(const QJsonValue& value, const QString& where) {
    return ReadChoice<ControlStyle>(value, where,
                                    {{"button", ControlStyle::Button},
                                     {"field", ControlStyle::Field},
                                     {"status-green", ControlStyle::StatusGreen},
                                     {"status-white", ControlStyle::StatusWhite},
                                     {"radio", ControlStyle::Radio},
                                     {"value", ControlStyle::Value},
                                     {"link", ControlStyle::Link},
                                     {"manual", ControlStyle::Manual},
                                     {"plain", ControlStyle::Plain},
                                     {"label", ControlStyle::Label}});
}

HAlign ReadAlign(const QJsonValue& value, const QString& where) {
    if (value.isUndefined()) {
        return HAlign::Left;
    }
    return ReadChoice<HAlign>(
        value, where,
        {{"left", HAlign::Left}, {"center", HAlign::Center}, {"right", HAlign::Right}});
}

CaptionSpec ReadCaption(const QJsonObject& object, const QString& where) {
    CaptionSpec caption;
    caption.control = ReadString(object["control"], where + ".control");
    if (object.contains("side")) {
        caption.side = ReadChoice<Side>(object["side"], where + ".side",
                                        {{"left", Side::Left},
                                         {"above", Side::Above},
                                         {"below", Side::Below},
                                         {"inside", Side::Inside}});
    }
    caption.align = ReadAlign(object["align"], where + ".align");
    caption.card = object["card"].toBool(false);
    if (object.contains("icon")) {
        caption.icon = ReadString(object["icon"], where + ".icon");
    }
    if (object.contains("from")) {
        caption.from = ReadInt(object["from"], where + ".from");
    }
    return caption;
}

BlockSpec ReadBlock(const QJsonObject& object, const QString& where) {
    BlockSpec block;
    block.text = ReadChoice<QString>(object["text"], where + ".text",
                                     {{"heading", "heading"},
                                      {"lines", "lines"},
                                      {"side", "side"},
                                      {"note", "note"},
                                      {"title", "title"},
                                      {"stages", "stages"}});
    block.rect = ReadRect(object["rect"], where + ".rect");
    if (object.contains("style")) {
        block.style = ReadChoice<TextStyle>(object["style"], where + ".style",
                                            {{"title", TextStyle::Title},
                                             {"body", TextStyle::Body},
                                             {"hint", TextStyle::Hint},
                                             {"label", TextStyle::Label}});
    }
    block.align = ReadAlign(object["align"], where + ".align");
    block.follows = object["follows"].toBool(false);
    if (object.contains("valign")) {
        block.valign = ReadChoice<VAlign>(
            object["valign"], where + ".valign",
            {{"top", VAlign::Top}, {"center", VAlign::Center}, {"bottom", VAlign::Bottom}});
    }
    return block;
}

PictureSpec ReadPicture(const QJsonObject& object, const QString& where,
                        const std::map<QString, ControlStyle>& styles) {
    PictureSpec picture;
    picture.index = ReadInt(object["index"], where + ".index");
    if (picture.index < 1 || picture.index > 99) {
        Fail(where + ".index", "picture indexes lie between 1 and 99");
    }
    picture.name = ReadString(object["name"], where + ".name");
    const QString at = where + " (" + picture.name + ")";
    picture.size = ReadSize(object["size"], at + ".size");
    picture.kind =
        ReadChoice<Kind>(object["kind"], at + ".kind",
                         {{"page", Kind::Page}, {"intro", Kind::Intro}, {"dialog", Kind::Dialog}});
    if (object.contains("page")) {
        picture.page = ReadInt(object["page"], at + ".page");
    }
    if (object.contains("stage")) {
        picture.stage = ReadInt(object["stage"], at + ".stage");
    }
    if (object.contains("dots")) {
        picture.dot = ReadInt(object["dot"], at + ".dot");
        picture.dots = ReadInt(object["dots"], at + ".dots");
        if (picture.dots < 1 || picture.dots > 9 || picture.dot < 1 || picture.dot > picture.dots) {
            Fail(at + ".dot", "needs 1 <= dot <= dots <= 9");
        }
    }
    if (object.contains("icon")) {
        picture.icon = ReadString(object["icon"], at + ".icon");
    }
    for (const QJsonValue& value : object["controls"].toArray()) {
        const QString name = ReadString(value, at + ".controls");
        if (styles.find(name) == styles.end()) {
            Fail(at + ".controls", name + " has no entry in controlStyles");
        }
        picture.controls.push_back(name);
    }
    for (const QJsonValue& value : object["fixed"].toArray()) {
        const QJsonObject fixedObject = value.toObject();
        FixedControl fixed;
        fixed.name = ReadString(fixedObject["name"], at + ".fixed.name");
        fixed.style = ReadStyle(fixedObject["style"], at + ".fixed.style");
        fixed.rect = ReadRect(fixedObject["rect"], at + ".fixed.rect");
        const QJsonObject bySection = fixedObject["bySection"].toObject();
        for (auto it = bySection.begin(); it != bySection.end(); ++it) {
            fixed.bySection[it.key()] = ReadRect(it.value(), at + ".fixed.bySection");
        }
        picture.fixed.push_back(fixed);
    }
    for (const QJsonValue& value : object["captions"].toArray()) {
        picture.captions.push_back(ReadCaption(value.toObject(), at + ".captions"));
    }
    for (const QJsonValue& value : object["blocks"].toArray()) {
        picture.blocks.push_back(ReadBlock(value.toObject(), at + ".blocks"));
    }
    for (const QJsonValue& value : object["art"].toArray()) {
        const QJsonObject artObject = value.toObject();
        picture.art.push_back({ReadString(artObject["type"], at + ".art.type"),
                               ReadRect(artObject["rect"], at + ".art.rect")});
    }
    for (const QJsonValue& value : object["cards"].toArray()) {
        picture.cards.push_back(ReadRect(value, at + ".cards"));
    }
    return picture;
}

Language ReadLanguage(const QString& path, const QJsonObject& entry,
                      const std::vector<PictureSpec>& pictures) {
    Language language;
    language.section = ReadString(entry["section"], path + ": section");
    language.base = ReadInt(entry["base"], path + ": base");
    language.code = ReadString(entry["code"], path + ": code");
    if (language.base < 100 || language.base % 100 != 0 || language.base > 900) {
        Fail(path, "the base must be 100, 200, ... 900");
    }
    const QJsonObject object = ReadObjectFile(path);
    language.product = ReadString(object["product"], path + ": product");
    language.subtitle = ReadString(object["subtitle"], path + ": subtitle");
    language.stepFormat = ReadString(object["stepFormat"], path + ": stepFormat");
    language.stages = ReadStringList(object["stages"], path + ": stages");
    const QJsonObject words = object["words"].toObject();
    for (auto it = words.begin(); it != words.end(); ++it) {
        language.words[it.key()] = ReadString(it.value(), path + ": words." + it.key());
    }
    const QJsonObject texts = object["pictures"].toObject();
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        const QString where = path + ": pictures." + it.key();
        const bool known = std::any_of(pictures.begin(), pictures.end(),
                                       [&](const PictureSpec& p) { return p.name == it.key(); });
        if (!known) {
            Fail(where, "no picture of this name in pictures.json");
        }
        const QJsonObject pictureObject = it.value().toObject();
        PictureTexts pictureTexts;
        for (auto field = pictureObject.begin(); field != pictureObject.end(); ++field) {
            const QString key = field.key();
            if (key == "heading") {
                pictureTexts.heading = ReadString(field.value(), where + ".heading");
            } else if (key == "captions") {
                const QJsonObject captions = field.value().toObject();
                for (auto caption = captions.begin(); caption != captions.end(); ++caption) {
                    pictureTexts.captions[caption.key()] =
                        ReadStringList(caption.value(), where + ".captions." + caption.key());
                }
            } else if (key == "lines" || key == "side" || key == "note" || key == "title") {
                pictureTexts.blocks[key] = ReadStringList(field.value(), where + "." + key);
            } else {
                Fail(where, "unknown entry '" + key + "'");
            }
        }
        language.pictures[it.key()] = pictureTexts;
    }
    return language;
}

// Every caption and text block the layout names must have its text in every language, so a
// missing translation stops the build instead of leaving a hole in a picture.
void CheckComplete(const Description& description) {
    for (const Language& language : description.languages) {
        if (language.stages.size() < 6) {
            Fail(language.code, "six stages are needed for the step indicator");
        }
        for (const PictureSpec& picture : description.pictures) {
            const QString where = language.code + ".json: pictures." + picture.name;
            const PictureTexts& texts = language.Texts(picture.name);
            if (texts.heading.isEmpty()) {
                Fail(where, "the heading is missing");
            }
            for (const BlockSpec& block : picture.blocks) {
                const bool own = block.text == "heading" || block.text == "stages";
                if (!own && texts.blocks.count(block.text) == 0) {
                    Fail(where, "the '" + block.text + "' texts are missing");
                }
            }
            for (const CaptionSpec& caption : picture.captions) {
                if (texts.captions.count(caption.control) == 0) {
                    Fail(where, "the caption of " + caption.control + " is missing");
                }
            }
        }
    }
}

}  // namespace

QRect FixedControl::RectFor(const QString& section) const {
    const auto it = bySection.find(section);
    return it == bySection.end() ? rect : it->second;
}

QString Language::Word(const QString& key) const {
    const auto it = words.find(key);
    return it == words.end() ? QString() : it->second;
}

const PictureTexts& Language::Texts(const QString& picture) const {
    static const PictureTexts kEmpty;
    const auto it = pictures.find(picture);
    return it == pictures.end() ? kEmpty : it->second;
}

const PictureSpec* Description::FindPicture(const QString& name) const {
    for (const PictureSpec& picture : pictures) {
        if (picture.name == name) {
            return &picture;
        }
    }
    return nullptr;
}

const Language* Description::FindLanguage(const QString& codeOrSection) const {
    for (const Language& language : languages) {
        if (language.code == codeOrSection || language.section == codeOrSection) {
            return &language;
        }
    }
    return nullptr;
}

std::optional<Description> LoadDescription(const QString& folder, QString& error) {
    try {
        const QDir dir(folder);
        const QString mainPath = dir.filePath("pictures.json");
        const QJsonObject root = ReadObjectFile(mainPath);
        Description description;
        const QJsonObject styles = root["controlStyles"].toObject();
        for (auto it = styles.begin(); it != styles.end(); ++it) {
            description.styles[it.key()] =
                ReadStyle(it.value(), mainPath + ": controlStyles." + it.key());
        }
        std::set<int> indexes;
        std::set<QString> names;
        const QJsonArray pictures = root["pictures"].toArray();
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            const QString where = QString("%1: pictures[%2]").arg(mainPath).arg(i);
            PictureSpec picture = ReadPicture(pictures[i].toObject(), where, description.styles);
            if (!indexes.insert(picture.index).second || !names.insert(picture.name).second) {
                Fail(where, "index or name used twice");
            }
            description.pictures.push_back(std::move(picture));
        }
        std::set<int> bases;
        for (const QJsonValue& value : root["languages"].toArray()) {
            const QJsonObject entry = value.toObject();
            const QString file = ReadString(entry["file"], mainPath + ": languages.file");
            Language language = ReadLanguage(dir.filePath(file), entry, description.pictures);
            if (!bases.insert(language.base).second) {
                Fail(mainPath, "base used twice");
            }
            description.languages.push_back(std::move(language));
        }
        if (description.languages.empty() || description.pictures.empty()) {
            Fail(mainPath, "no languages or no pictures");
        }
        CheckComplete(description);
        return description;
    } catch (const DescriptionError& failure) {
        error = failure.message;
        return std::nullopt;
    }
}

}  // namespace trv81k::artwork
