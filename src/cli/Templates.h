#pragma once

#include <QSizeF>
#include <QString>

#include <optional>

namespace statusmill::cli {

// The template to make reports from: the user's file, checked to be one (it is
// only ever read), or the built-in one, written into the working folder. Its path;
// throws Failure with the reason when it cannot be used. The main thread's.
QString templateToUse(const QString& userFile);

// The paper the reports are made on: the user's for the built-in template (where
// the report fits it), a template's own otherwise.
std::optional<QSizeF> paperFor(const QString& userFile);

// Why the user's template cannot be used (it is missing, not a regular file, or
// empty), or nothing.
std::optional<QString> templateProblem(const QString& userFile);

} // namespace statusmill::cli
