#pragma once

// What the reports of a batch are called: the arithmetic of names, kept apart
// from files and offices.

#include "data/ReportData.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace statusmill::cli {

// A name pattern: "{row}" is the row's number (zero-padded to `rowDigits`) and
// "{Name}" the text of the report's field Name (any letter case; a window label
// such as "{Project Name}" names its field too); the rest is taken as it is, "{{"
// and "}}" standing for braces. The default names a report by its row and project:
// "{row}-{ProjectName}".
inline const QString kDefaultNamePattern = QStringLiteral("{row}-{ProjectName}");

// Why the pattern cannot be used (an unclosed brace, a name that is none of
// `fields`), or nothing.
std::optional<QString> patternProblem(const QString& pattern, const QStringList& fields);

// The pattern filled in for one report. A field the report does not give is the
// empty text.
QString expandPattern(const QString& pattern, int row, int rowDigits, const data::ReportData& report);

// The name made safe as a file name: no "/", no NUL or other control character
// (each becomes "_"), no leading dot, dash or space, and at most 200 bytes in
// UTF-8 with `extension` (".pdf") kept. Nothing when no name is left.
std::optional<QString> safeFileName(const QString& name, const QString& extension);

// The file name of one report: the pattern filled in and made safe as above, in
// time linear in its length. Where it is too long, its values give up bytes,
// never the pattern's own text or the row's number, so rows of long values keep
// names of their own.
std::optional<QString> reportFileName(const QString& pattern, int row, int rowDigits,
                                      const data::ReportData& report, const QString& extension);

} // namespace statusmill::cli
