#pragma once

#include "core/Procedure.h"

#include <QString>

namespace statusmill {

inline constexpr auto kErrorTitle = "Application Error";
inline constexpr auto kSupportAddress = "support@brightfern.example";

// The text of the uniform error report, exactly as the user sees it.
QString errorReportText(const QString& location, int line, const QString& description);

// Shows the uniform error report and returns once the user has dismissed it.
void ReportError(const QString& location, int line, const QString& description);

// While one lives, guarded procedures report through ReportError: the program
// makes one at start, and so does every test that looks at the reports shown.
class ErrorReportsShown
{
public:
    ErrorReportsShown();
    ~ErrorReportsShown();
    ErrorReportsShown(const ErrorReportsShown&) = delete;
    ErrorReportsShown& operator=(const ErrorReportsShown&) = delete;

private:
    Procedure::ReportSink m_previous;
};

} // namespace statusmill
