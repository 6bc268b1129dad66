#pragma once

#include <QString>

namespace statusmill {

inline constexpr auto kErrorTitle = "Application Error";
inline constexpr auto kSupportAddress = "support@brightfern.example";

// The text of the uniform error report, exactly as the user sees it.
QString errorReportText(const QString& location, int line, const QString& description);

// Shows the uniform error report and returns once the user has dismissed it.
void ReportError(const QString& location, int line, const QString& description);

} // namespace statusmill
