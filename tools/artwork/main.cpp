// trv81k-artwork: draws the wizard's pictures at build time and prints the user guide.
//
//   trv81k-artwork pictures DESCRIPTION_DIR OUT_DIR
//       writes OUT_DIR/library/<number>.png (the picture library, number = language base +
//       index), OUT_DIR/window/<name>.png (the pictures the windows carry), and the resource
//       lists OUT_DIR/library.qrc and OUT_DIR/window.qrc. Refuses (exit 1) when a text does not
//       fit or would lie under a control, listing every such fault.
//   trv81k-artwork userguide DESCRIPTION_DIR GUIDE_TEXT VERSION OUT_PDF
//       prints the user guide.
//   trv81k-artwork icons APP_ID OUT_DIR
//       writes the application icon for the desktop's icon theme:
//       OUT_DIR/hicolor/<n>x<n>/apps/APP_ID.png for every icon size, and
//       OUT_DIR/hicolor/scalable/apps/APP_ID.svg.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "art.h"
#include "description.h"
#include "layout.h"
#include "render.h"
#include "userguide.h"

namespace trv81k::artwork {
namespace {

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// zlib's fastest level (the writer's quality 80): the flat drawings grow by 8 % and
// decode a tenth faster, which the welcome page waits for.
constexpr int kPngQuality = 80;

bool SaveImage(const QImage& image, const QString& path) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG", kPngQuality) &&
           file.commit();
}

bool SaveText(const QString& text, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

QString Qrc(const QString& prefix, const QString& folder, const QStringList& names) {
    QString qrc = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"" + prefix + "\">\n";
    for (const QString& name : names) {
        qrc += QString("  <file alias=\"%1.png\">%2/%1.png</file>\n").arg(name, folder);
    }
    return qrc + "</qresource>\n</RCC>\n";
}

std::optional<Description> Load(const QString& folder) {
    QString error;
    auto description = LoadDescription(folder, error);
    if (!description) {
        Print(stderr, "trv81k-artwork: " + error);
    }
    return description;
}

int DrawPictures(const QString& descriptionFolder, const QString& outFolder) {
    const auto description = Load(descriptionFolder);
    if (!description) {
        return 2;
    }
    const QDir out(outFolder);
    if (!out.mkpath("library") || !out.mkpath("window")) {
        Print(stderr, "trv81k-artwork: cannot create " + outFolder);
        return 2;
    }
    QStringList problems;
    QStringList library;
    for (const Language& language : description->languages) {
        for (const PictureSpec& picture : description->pictures) {
            for (const ArtSpec& art : picture.art) {
                if (!IsKnownArt(art.type)) {
                    problems.append(picture.name + ": unknown drawing " + art.type);
                }
            }
            const PictureLayout layout = LayOutPicture(*description, picture, language);
            problems.append(layout.problems);
            const QString number = QString::number(language.base + picture.index);
            if (!SaveImage(RenderPicture(picture, language, layout),
                           out.filePath("library/" + number + ".png"))) {
                problems.append("cannot write picture " + number);
            }
            library.append(number);
        }
    }
    QStringList window;
    for (const auto& [name, image] : RenderWindowPictures(*description)) {
        if (!SaveImage(image, out.filePath("window/" + name + ".png"))) {
            problems.append("cannot write picture " + name);
        }
        window.append(name);
    }
    if (!problems.isEmpty()) {
        problems.removeDuplicates();
        for (const QString& problem : problems) {
            Print(stderr, "trv81k-artwork: " + problem);
        }
        // No resource lists: the build stops here rather than embed a faulty picture.
        QFile::remove(out.filePath("library.qrc"));
        QFile::remove(out.filePath("window.qrc"));
        return 1;
    }
    if (!SaveText(Qrc("/trv81k-resource", "library", library), out.filePath("library.qrc")) ||
        !SaveText(Qrc("/trv81k-window", "window", window), out.filePath("window.qrc"))) {
        Print(stderr, "trv81k-artwork: cannot write the resource lists in " + outFolder);
        return 2;
    }
    return 0;
}

int PrintGuide(const QString& descriptionFolder, const QString& guidePath, const QString& version,
               const QString& pdfPath) {
    const auto description = Load(descriptionFolder);
    if (!description) {
        return 2;
    }
    QFile guide(guidePath);
    if (!guide.open(QIODevice::ReadOnly)) {
        Print(stderr, "trv81k-artwork: cannot read " + guidePath);
        return 2;
    }
    QString error;
    if (!WriteUserGuide(*description, QString::fromUtf8(guide.readAll()), version, pdfPath,
                        error)) {
        Print(stderr, "trv81k-artwork: " + guidePath + ": " + error);
        return 1;
    }
    return 0;
}

// The scalable icon is painted at the largest size's geometry; its numbers are the SVG's
// user units.
bool SaveIconSvg(const QString& path) {
    constexpr int kSize = 256;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(kSize, kSize));
    svg.setViewBox(QRect(0, 0, kSize, kSize));
    svg.setTitle("TRV81K Setup Wizard");
    svg.setDescription("An access point with its radio waves on a green tile");
    QPainter painter;
    if (!painter.begin(&svg)) {
        return false;
    }
    PaintIcon(painter, kSize);
    painter.end();
    return file.commit();
}

int DrawIcons(const QString& appId, const QString& outFolder) {
    const bool plainId = !appId.isEmpty() && std::all_of(appId.begin(), appId.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == '.' || c == '-' || c == '_';
    });
    if (!plainId) {
        Print(stderr, "trv81k-artwork: not an application id: " + appId);
        return 2;
    }
    const QDir out(outFolder);
    QStringList problems;
    for (const int size : kIconSizes) {
        const QString folder = QString("hicolor/%1x%1/apps").arg(size);
        if (!out.mkpath(folder) ||
            !SaveImage(RenderIcon(size), out.filePath(folder + "/" + appId + ".png"))) {
            problems.append("cannot write the " + QString::number(size) + " pixel icon");
        }
    }
    if (!out.mkpath("hicolor/scalable/apps") ||
        !SaveIconSvg(out.filePath("hicolor/scalable/apps/" + appId + ".svg"))) {
        problems.append("cannot write the scalable icon");
    }
    for (const QString& problem : problems) {
        Print(stderr, "trv81k-artwork: " + problem + " in " + outFolder);
    }
    return problems.isEmpty() ? 0 : 2;
}

}  // namespace
}  // namespace trv81k::artwork

namespace {

// Qt's remark about a missing XDG_RUNTIME_DIR is noise in a build log.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.contains("XDG_RUNTIME_DIR")) {
        return;
    }
    std::fputs(qFormatLogMessage(type, context, message).toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() == 4 && args[1] == "pictures") {
        return trv81k::artwork::DrawPictures(args[2], args[3]);
    }
    if (args.size() == 6 && args[1] == "userguide") {
        return trv81k::artwork::PrintGuide(args[2], args[3], args[4], args[5]);
    }
    if (args.size() == 4 && args[1] == "icons") {
        return trv81k::artwork::DrawIcons(args[2], args[3]);
    }
    std::fputs(
        "usage: trv81k-artwork pictures DESCRIPTION_DIR OUT_DIR\n"
        "       trv81k-artwork userguide DESCRIPTION_DIR GUIDE_TEXT VERSION OUT_PDF\n"
        "       trv81k-artwork icons APP_ID OUT_DIR\n",
        stderr);
    return 2;
}
