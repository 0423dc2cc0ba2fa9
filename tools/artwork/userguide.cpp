#include "userguide.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <map>
#include <set>

#include "layout.h"
#include "render.h"

namespace trv81k::artwork {

namespace {

constexpr int kFigureWidth = 220;  // width of a page picture beside its text

const char* const kStyleSheet = R"(
h1 { color: #1e3a22; font-size: 20pt; font-weight: bold; margin-top: 0px; margin-bottom: 12px; }
h2 { color: #2e6838; font-size: 13pt; font-weight: bold; margin-top: 14px; margin-bottom: 5px; }
p { margin-top: 0px; margin-bottom: 7px; }
li { margin-bottom: 3px; }
code { font-family: 'Liberation Mono'; color: #1e3a22; }
pre { font-family: 'Liberation Mono'; font-size: 9pt; color: #1e3a22; background-color: #f3f6ee;
      margin-top: 2px; margin-bottom: 9px; }
th { background-color: #e6f0d4; color: #1e3a22; text-align: left; }
.title { color: #1e3a22; font-size: 28pt; font-weight: bold; }
.subtitle { color: #2e6838; font-size: 16pt; }
.edition { color: #66727f; font-size: 10pt; }
.contents { font-size: 11pt; }
)";

QString Inline(const QString& text) {
    static const QRegularExpression code("`([^`]+)`");
    static const QRegularExpression bold("\\*\\*([^*]+)\\*\\*");
    QString html = text.toHtmlEscaped();
    html.replace(code, "<code>\\1</code>");
    html.replace(bold, "<b>\\1</b>");
    return html;
}

struct Head {
    QString title;
    QString subtitle;
    QString edition;
};

class GuideParser {
public:
    GuideParser(const QString& text, const QString& version) {
        QString expanded = text;
        expanded.replace("{version}", version);
        lines_ = expanded.split('\n');
        for (QString& line : lines_) {
            if (line.endsWith('\r')) {
                line.chop(1);
            }
        }
    }

    bool Parse(QString& error) {
        ReadHead();
        if (head_.title.isEmpty()) {
            error = "the guide has no 'title:' line in its head";
            return false;
        }
        while (at_ < lines_.size()) {
            const QString line = lines_[at_];
            if (line.trimmed().isEmpty()) {
                ++at_;
            } else if (line.startsWith("```")) {
                if (!ReadCode(error)) {
                    return false;
                }
            } else if (line.startsWith("# ")) {
                ++chapter_;
                chapters_.append(line.mid(2).trimmed());
                body_ += QString("<h1 style=\"page-break-before: always\">%1&nbsp;&nbsp;%2</h1>\n")
                             .arg(chapter_)
                             .arg(Inline(line.mid(2).trimmed()));
                ++at_;
            } else if (line.startsWith("## ")) {
                body_ += "<h2>" + Inline(line.mid(3).trimmed()) + "</h2>\n";
                ++at_;
            } else if (line.startsWith("![")) {
                if (!ReadFigure(error)) {
                    return false;
                }
            } else if (line.startsWith('|')) {
                ReadTable();
            } else {
                body_ += BlockHtml(ReadBlock());
            }
        }
        return true;
    }

    QString Html() const {
        QString html = "<html><body>\n";
        html +=
            "<p style=\"margin-top: 150px\" align=\"center\"><img src=\"window:icon_128\" "
            "width=\"96\"></p>\n";
        html += "<p align=\"center\" class=\"title\" style=\"margin-top: 18px\">" +
                Inline(head_.title) + "</p>\n";
        html += "<p align=\"center\" class=\"subtitle\">" + Inline(head_.subtitle) + "</p>\n";
        html += "<p align=\"center\" class=\"edition\">" + Inline(head_.edition) + "</p>\n";
        html +=
            "<p align=\"center\" style=\"margin-top: 24px\"><img src=\"page:1\" width=\"360\">"
            "</p>\n";
        html +=
            "<p align=\"center\" class=\"contents\" style=\"margin-top: 28px\"><b>Contents</b>"
            "</p>\n";
        for (qsizetype i = 0; i < chapters_.size(); ++i) {
            html += QString("<p align=\"center\" class=\"contents\">%1&nbsp;&nbsp;%2</p>\n")
                        .arg(i + 1)
                        .arg(Inline(chapters_[i]));
        }
        html += body_;
        html += "</body></html>\n";
        return html;
    }

    const Head& head() const { return head_; }
    const std::set<QString>& pictures() const { return pictures_; }

private:
    void ReadHead() {
        static const QRegularExpression entry("^(title|subtitle|edition):\\s*(.*)$");
        while (at_ < lines_.size() && !lines_[at_].trimmed().isEmpty()) {
            const auto match = entry.match(lines_[at_]);
            if (match.hasMatch()) {
                const QString value = match.captured(2).trimmed();
                const QString key = match.captured(1);
                (key == "title"      ? head_.title
                 : key == "subtitle" ? head_.subtitle
                                     : head_.edition) = value;
            }
            ++at_;
        }
    }

    // The lines of one block: up to the next blank line or the next line that starts
    // another kind of block.
    QStringList ReadBlock() {
        QStringList block;
        while (at_ < lines_.size() && !lines_[at_].trimmed().isEmpty() &&
               !lines_[at_].startsWith("```") && !lines_[at_].startsWith('#')) {
            block.append(lines_[at_]);
            ++at_;
        }
        return block;
    }

    // Paragraphs and lists of a block of lines.
    static QString BlockHtml(const QStringList& block) {
        static const QRegularExpression numbered("^\\d+\\.\\s+");
        QString html;
        QString paragraph;
        QString listKind;
        auto flushParagraph = [&] {
            if (!paragraph.isEmpty()) {
                html += "<p>" + Inline(paragraph) + "</p>\n";
                paragraph.clear();
            }
        };
        auto closeList = [&] {
            if (!listKind.isEmpty()) {
                html += "</" + listKind + ">\n";
                listKind.clear();
            }
        };
        for (const QString& line : block) {
            QString kind;
            QString item;
            if (line.startsWith("- ")) {
                kind = "ul";
                item = line.mid(2);
            } else if (const auto match = numbered.match(line); match.hasMatch()) {
                kind = "ol";
                item = line.mid(match.capturedLength());
            }
            if (kind.isEmpty()) {
                if (!listKind.isEmpty() && line.startsWith("  ")) {
                    // continuation of the last list item
                    html.insert(html.lastIndexOf("</li>"), " " + Inline(line.trimmed()));
                    continue;
                }
                closeList();
                paragraph += (paragraph.isEmpty() ? "" : " ") + line.trimmed();
                continue;
            }
            flushParagraph();
            if (listKind != kind) {
                closeList();
                listKind = kind;
                html += "<" + kind + ">\n";
            }
            html += "<li>" + Inline(item.trimmed()) + "</li>\n";
        }
        flushParagraph();
        closeList();
        return html;
    }

    bool ReadCode(QString& error) {
        const qsizetype start = at_++;
        QStringList code;
        while (at_ < lines_.size() && !lines_[at_].startsWith("```")) {
            code.append(lines_[at_++]);
        }
        if (at_ >= lines_.size()) {
            error = QString("line %1: the ``` block is not closed").arg(start + 1);
            return false;
        }
        ++at_;
        body_ += "<pre>" + code.join('\n').toHtmlEscaped() + "</pre>\n";
        return true;
    }

    bool ReadFigure(QString& error) {
        static const QRegularExpression figure("^!\\[(page|window):([A-Za-z0-9_]+)\\]\\s*(.*)$");
        const auto match = figure.match(lines_[at_]);
        if (!match.hasMatch()) {
            error =
                QString("line %1: a picture is written ![page:N] or ![window:NAME]").arg(at_ + 1);
            return false;
        }
        const QString source = match.captured(1) + ":" + match.captured(2);
        pictures_.insert(source);
        QStringList text;
        if (!match.captured(3).isEmpty()) {
            text.append(match.captured(3));
        }
        ++at_;
        text.append(ReadBlock());
        const int width = match.captured(1) == "page" ? kFigureWidth : 48;
        body_ += QString(
                     "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\" "
                     "style=\"margin-top: 4px; margin-bottom: 10px\"><tr>"
                     "<td width=\"%1\" valign=\"top\"><img src=\"%2\" width=\"%3\"></td>"
                     "<td valign=\"top\">%4</td></tr></table>\n")
                     .arg(width + 16)
                     .arg(source)
                     .arg(width)
                     .arg(BlockHtml(text));
        return true;
    }

    void ReadTable() {
        static const QRegularExpression separator("^\\|[\\s:|-]+\\|?\\s*$");
        QString html =
            "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\" border=\"1\" "
            "style=\"border-color: #c8d2bc; border-style: solid; border-collapse: "
            "collapse; margin-bottom: 10px\">\n";
        bool header = true;
        while (at_ < lines_.size() && lines_[at_].startsWith('|')) {
            const QString line = lines_[at_++].trimmed();
            if (separator.match(line).hasMatch()) {
                continue;
            }
            QStringList cells = line.mid(1).split('|');
            if (!cells.isEmpty() && cells.last().trimmed().isEmpty()) {
                cells.removeLast();
            }
            html += "<tr>";
            for (const QString& cell : cells) {
                html += QString(header ? "<th>%1</th>" : "<td>%1</td>").arg(Inline(cell.trimmed()));
            }
            html += "</tr>\n";
            header = false;
        }
        body_ += html + "</table>\n";
    }

    QStringList lines_;
    qsizetype at_ = 0;
    Head head_;
    QString body_;
    QStringList chapters_;
    int chapter_ = 0;
    std::set<QString> pictures_;
};

// A page picture with a thin frame, as it appears in the guide.
QImage Framed(QImage image) {
    QPainter painter(&image);
    painter.setPen(QColor(200, 210, 188));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

// The pictures the guide names, drawn in English (the guide's language).
bool AddPictures(const Description& description, const std::set<QString>& sources,
                 QTextDocument& document, QString& error) {
    const Language* english = description.FindLanguage("English");
    if (english == nullptr) {
        error = "the description has no English texts";
        return false;
    }
    std::map<QString, QImage> window;
    for (auto& [name, image] : RenderWindowPictures(description)) {
        window[name] = image;
    }
    for (const QString& source : sources) {
        const QString kind = source.section(':', 0, 0);
        const QString name = source.section(':', 1);
        QImage image;
        if (kind == "window") {
            const auto it = window.find(name);
            if (it != window.end()) {
                image = it->second;
            }
        } else {
            for (const PictureSpec& picture : description.pictures) {
                if (QString::number(picture.index) == name) {
                    const PictureLayout layout = LayOutPicture(description, picture, *english);
                    image = Framed(RenderPicture(picture, *english, layout));
                }
            }
        }
        if (image.isNull()) {
            error = "the guide names a picture that does not exist: " + source;
            return false;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(source), image);
    }
    return true;
}

// Millimetres to device pixels of `writer`.
qreal Millimetres(const QPdfWriter& writer, qreal mm) {
    return mm / 25.4 * writer.resolution();
}

// A table that fits on a page (a picture beside its text, a short table) is not split: when it
// would run over a page's end it starts on the next page.
void KeepTablesTogether(QTextDocument& document) {
    const qreal pageHeight = document.pageSize().height();
    for (int round = 0; round < 500; ++round) {
        bool moved = false;
        for (QTextFrame* frame : document.rootFrame()->childFrames()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            if (table == nullptr) {
                continue;
            }
            const QRectF box = document.documentLayout()->frameBoundingRect(table);
            if (box.height() > pageHeight * 0.6) {
                continue;
            }
            const int first = static_cast<int>(box.top() / pageHeight);
            const int last = static_cast<int>((box.bottom() - 1) / pageHeight);
            QTextTableFormat format = table->format();
            if (first != last && format.pageBreakPolicy() != QTextFormat::PageBreak_AlwaysBefore) {
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                table->setFormat(format);
                moved = true;
                break;  // everything below has moved: look again from the top
            }
        }
        if (!moved) {
            return;
        }
    }
}

// Lays the document out on A4 pages of `writer` and paints them, each but the title page with
// a footer: the guide's title and the page number.
void Print(QTextDocument& document, QPdfWriter& writer, const Head& head) {
    const QSizeF page(writer.width(), writer.height());
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(page);
    // The layout scales frame margins from 96 dots per inch to the device.
    auto margin = [](qreal mm) { return mm / 25.4 * 96; };
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.setLeftMargin(margin(20));
    root.setRightMargin(margin(20));
    root.setTopMargin(margin(18));
    root.setBottomMargin(margin(22));
    document.rootFrame()->setFrameFormat(root);
    KeepTablesTogether(document);

    QPainter painter(&writer);
    QFont footerFont = document.defaultFont();
    footerFont.setPointSizeF(8);
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            writer.newPage();
        }
        painter.save();
        painter.translate(0, -i * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * page.height(), page.width(), page.height());
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        if (i == 0) {
            continue;
        }
        const QRectF footer(Millimetres(writer, 20), page.height() - Millimetres(writer, 15),
                            page.width() - Millimetres(writer, 40), Millimetres(writer, 6));
        painter.setPen(QPen(QColor(200, 210, 188), Millimetres(writer, 0.2)));
        painter.drawLine(footer.topLeft(), footer.topRight());
        painter.setFont(footerFont);
        painter.setPen(QColor(102, 114, 127));
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom,
                         head.title + " · " + head.subtitle);
        painter.drawText(footer, Qt::AlignRight | Qt::AlignBottom, QString::number(i + 1));
    }
}

}  // namespace

QString UserGuideHtml(const QString& guideText, const QString& version, QString& error) {
    GuideParser parser(guideText, version);
    if (!parser.Parse(error)) {
        return {};
    }
    return parser.Html();
}

bool WriteUserGuide(const Description& description, const QString& guideText,
                    const QString& version, const QString& pdfPath, QString& error) {
    GuideParser parser(guideText, version);
    if (!parser.Parse(error)) {
        return false;
    }
    std::set<QString> pictures = parser.pictures();
    pictures.insert("window:icon_128");
    pictures.insert("page:1");

    QTextDocument document;
    document.setDefaultStyleSheet(kStyleSheet);
    QFont font;
    font.setFamilies({"Liberation Sans", "Arial", "DejaVu Sans"});
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    if (!AddPictures(description, pictures, document, error)) {
        return false;
    }
    document.setHtml(parser.Html());

    QDir().mkpath(QFileInfo(pdfPath).absolutePath());
    const QString partial = pdfPath + ".part";
    QFile::remove(partial);
    {
        QPdfWriter writer(partial);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(parser.head().title + " - " + parser.head().subtitle);
        writer.setCreator("trv81k-artwork");
        Print(document, writer, parser.head());
    }
    if (QFileInfo(partial).size() == 0) {
        error = "the PDF could not be written: " + partial;
        return false;
    }
    QFile::remove(pdfPath);
    if (!QFile::rename(partial, pdfPath)) {
        error = "cannot move the PDF into place: " + pdfPath;
        return false;
    }
    return true;
}

}  // namespace trv81k::artwork
