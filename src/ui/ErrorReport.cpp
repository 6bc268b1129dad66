#include "ErrorReport.h"

#include "Dialogs.h"

namespace statusmill {

QString errorReportText(const QString& location, int line, const QString& description)
{
    // The bare carriage returns are deliberate: they leave one empty line in the box.
    return description + QStringLiteral("\r\n") + QStringLiteral("in Reportwright2021/08/31.") +
           location + QLatin1Char(' ') + QStringLiteral("at line ") + QString::number(line) +
           QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(kSupportAddress);
}

void ReportError(const QString& location, int line, const QString& description)
{
    Dialogs::message(QString::fromLatin1(kErrorTitle), errorReportText(location, line, description),
                     Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
}

ErrorReportsShown::ErrorReportsShown() : m_previous(Procedure::setReportSink(ReportError)) {}

ErrorReportsShown::~ErrorReportsShown()
{
    Procedure::setReportSink(std::move(m_previous));
}

} // namespace statusmill
