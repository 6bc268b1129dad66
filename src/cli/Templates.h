#pragma once

#include "Options.h"

#include <QSizeF>
#include <QString>

#include <optional>

namespace statusmill::cli {

// The two forms of the built-in template: the one a person fills by hand, each
// spot a bracketed prompt ("[Name]"), and the one each spot of which is named as
// data names it ("[PreparedBy]", "[Milestones.Owner]").
enum class BuiltInForm { Prompts, Named };

// The form a run fills: the named one when it is given structured data (a data
// file, a JSON file or workbook to make a batch of, a list); the prompt form
// otherwise, so that the columns of a plain table and --set fill its prompts as
// they always have ("Name" fills [Name]).
BuiltInForm builtInFormFor(const Options& options);

// The template to make the run's reports from: the user's file, checked to be one
// (it is only ever read), or the built-in one in the form of builtInFormFor,
// written into the working folder. Its path; throws Failure with the reason when
// it cannot be used. The main thread's.
QString templateToUse(const Options& options);

// The paper the reports are made on: the user's for the built-in template (where
// the report fits it), a template's own otherwise.
std::optional<QSizeF> paperFor(const QString& userFile);

// Why the user's template cannot be used (it is missing, not a regular file, or
// empty), or nothing.
std::optional<QString> templateProblem(const QString& userFile);

} // namespace statusmill::cli
