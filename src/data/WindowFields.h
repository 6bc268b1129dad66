#pragma once

// The four fields the window fills, one definition for everything that names
// them: the window's labels, the command line's options, a table's columns.

#include "ReportData.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <array>

namespace statusmill::data {

struct WindowField
{
    const char* name;   // "ProjectName": it fills [ProjectName]
    const char* label;  // "Project Name": the window's label, without its colon
    const char* option; // "project": the command line's --project
    const char* what;   // "The project name", for the command line's help
};

inline constexpr std::array<WindowField, 4> kWindowFields{{
    {"ProjectName", "Project Name", "project", "The project name"},
    {"Department", "Department", "department", "The department"},
    {"FocusArea", "Focus Area", "focus-area", "The focus area"},
    {"Product", "Product/Process", "product", "The product or process"},
}};

// The window's field that `name` stands for: its own name or its label, in any
// letter case and with or without spaces ("project name", "PRODUCT/Process",
// "focusarea"); nothing for any other name.
const WindowField* windowFieldNamed(QStringView name);

// Gives the report each of the four it does not have, empty: every report fills
// them, so that none is left as a bracketed prompt.
void giveWindowFields(ReportData& data);

// [ReportDate]: the day a report is made, in any template, unless its data gives
// another.
inline constexpr const char* kReportDate = "ReportDate";

// The locale a report writes its date in: the one LC_TIME names, else LC_ALL,
// else LANG (each as the environment gives it, "en_GB.UTF-8"); US English where
// none names one, or names C or POSIX, whose dates read as the US write them.
QLocale localeOfDates(const QString& lcTime, const QString& lcAll, const QString& lang);
// The locale the environment names for dates, as above.
QLocale localeOfDates();

// The date as a report gives it: the long form of `locale` without the weekday,
// "8 December 2026" in British English, "December 8, 2026" in US English; by
// default in the locale the environment names for dates.
QString reportDateText(QDate date, const QLocale& locale);
QString reportDateText(QDate date);

// Gives the report its date, today's, when its data gives none.
void giveReportDate(ReportData& data);

// The field a column or a data file's key fills: one of the four by its label or
// name, "[Name]" as "Name", any other name as it is, trimmed. Nothing for a name
// that is empty or holds a bracket inside.
std::optional<QString> fieldOfColumn(const QString& column);

} // namespace statusmill::data
