#pragma once

// What the reports of a table are called, and which placeholder each of its
// columns fills: the arithmetic of names, kept apart from files and offices.

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace statusmill::cli {

// The placeholder a column fills: the window's labels ("Project Name",
// "Product/Process") and the placeholders' own names ("ProjectName",
// "[ProjectName]") in any letter case name the four; any other name fills the
// placeholder of that name ("Budget" fills "[Budget]"). Nothing for a name that
// is empty or holds a bracket inside.
std::optional<QString> placeholderOfColumn(const QString& column);

// A name pattern: "{row}" is the row's number (zero-padded to `rowDigits`) and
// "{Name}" the text that fills the placeholder [Name] (any letter case); the rest
// is taken as it is, "{{" and "}}" standing for braces. The default names a report
// by its row and project: "{row}-{ProjectName}".
inline const QString kDefaultNamePattern = QStringLiteral("{row}-{ProjectName}");

// Why the pattern cannot be used (an unclosed brace, a name that no column or
// placeholder has), or nothing. `known`: the placeholders that may be named.
std::optional<QString> patternProblem(const QString& pattern, const QStringList& known);

// The pattern filled in for one row; `values` maps placeholders ("[ProjectName]")
// to the row's text. Unknown names give the empty text.
QString expandPattern(const QString& pattern, int row, int rowDigits,
                      const QHash<QString, QString>& values);

// The name made safe as a file name: no "/", no NUL or other control character
// (each becomes "_"), no leading dot, dash or space, and at most 200 bytes in
// UTF-8 with `extension` (".pdf") kept. Nothing when no name is left.
std::optional<QString> safeFileName(const QString& name, const QString& extension);

// The file name of one row's report: the pattern filled in and made safe as above,
// in time linear in its length. Where it is too long, its values give up bytes,
// never the pattern's own text or the row's number, so rows of long values keep
// names of their own.
std::optional<QString> reportFileName(const QString& pattern, int row, int rowDigits,
                                      const QHash<QString, QString>& values,
                                      const QString& extension);

// The one of the four placeholders the window fills that `name` names, in any
// letter case ("projectname": "[ProjectName]"); nothing for any other name.
std::optional<QString> windowPlaceholderNamed(const QString& name);

} // namespace statusmill::cli
