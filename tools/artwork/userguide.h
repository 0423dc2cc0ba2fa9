#pragma once
// The user guide: a small structured text turned into an A4 PDF with Qt's PDF writer.
//
// The text format: a head of "key: value" lines (title, subtitle, edition) ended by a blank
// line, then blocks separated by blank lines:
//   # Chapter          a chapter heading; every chapter starts on a new page
//   ## Section         a section heading
//   - item             a bullet list (consecutive lines)
//   1. item            a numbered list (consecutive lines)
//   | a | b |          a table; the first row is the header, a |---| row is skipped
//   ```                a block of commands, up to the closing ```
//   ![page:N] text     the English page picture N beside its text (the rest of the block)
//   ![window:NAME]     a window picture (hourglass1, icon_64 ...) beside its text
//   anything else      a paragraph; **bold** and `code` work inside every text
// "{version}" anywhere stands for the version given to WriteUserGuide.

#include <QString>

#include "description.h"

namespace trv81k::artwork {

// Writes the guide of `guideText` to the PDF file `pdfPath`, with the pictures drawn from
// `description`. False with `error` set when the text is malformed or the file cannot be
// written.
bool WriteUserGuide(const Description& description, const QString& guideText,
                    const QString& version, const QString& pdfPath, QString& error);

// The HTML the guide is printed from (for checks and previews).
QString UserGuideHtml(const QString& guideText, const QString& version, QString& error);

}  // namespace trv81k::artwork
