#pragma once

// The template check's report: which placeholders a template holds, how often and
// where, the four the window fills marked, and warnings for what looks wrong.

#include "generate/TemplateSurvey.h"

#include <optional>

namespace statusmill::cli {

// The one of the four placeholders the window fills that `placeholder` looks like
// a mistyped form of ("[ProjectNam]", "[Project Name]"); nothing for one of the
// four itself (in any letter case) or anything further off.
std::optional<QString> likelyMeant(const QString& placeholder);

// Those of `placeholders` that the template, as `seen` has it, never holds (in any
// letter case), leaving out the four the window fills: what a column or a --set
// fills in vain, for a warning.
QStringList placeholdersNotHeld(const QList<automation::PlaceholderSeen>& seen,
                                const QStringList& placeholders);

// The listing for `file`, one line a placeholder (in letter case and order of
// first appearance; the office matches them in any letter case), then warnings.
QString describePlaceholders(const QString& file, const QList<automation::PlaceholderSeen>& seen);

} // namespace statusmill::cli
