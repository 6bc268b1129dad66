#pragma once

// This week's report set against last week's: what moved is worked out rather than
// typed. Each <Row>Trend the data leaves empty from the two weeks' <Row>Status; each
// risk new since last week, and last week's risks that are gone; each milestone's
// forecast moved later or earlier. Names the data gives are never replaced.

#include "Records.h"
#include "ReportData.h"

#include <QDate>
#include <QLocale>

#include <optional>

namespace statusmill::data {

// The list of last week's risks whose ID is no longer there, with the fields they
// had then.
inline constexpr const char* kClosedRisks = "ClosedRisks";

// Whether the run works out `field` of `list` for every report, last week's data
// or not (Risks.Change, Milestones.Change), and `list` itself (ClosedRisks), so
// that no data is asked for them.
bool isWorkedOut(const QString& list, const QString& field = QString());

// How a status moved from last week's to this week's: "Up" (better), "Down" or
// "Same"; nothing where either is no status.
std::optional<QString> trendOf(const QString& lastWeek, const QString& thisWeek);

// The day a date's text names: ISO (2026-03-16), or the short form of `locale`
// with a year of two digits or four, as a sheet's date cell or a person writes it.
std::optional<QDate> dateOfText(const QString& text, const QLocale& locale);

// "Slipped 7 days", "Earlier by 1 day"; empty for a forecast that did not move,
// and for one either week gives no date that reads.
QString forecastChange(const QString& lastWeek, const QString& thisWeek, const QLocale& locale);

// Last week's report of the project `thisWeek` is of: the one of the same project
// name, as lists are linked (the first of two, as a batch makes the first);
// nothing for a project without a name, or of none last week.
std::optional<ReportData> lastWeekOf(const QList<Record>& lastWeek, const ReportData& thisWeek);

// The report with what last week tells of it (see the top of this file), `lastWeek`
// being its project's report then; nothing for a project new this week, whose
// risks are all new. A list last week's data does not give at all says nothing
// of this week's. Dates read in `locale`.
ReportData againstLastWeek(ReportData thisWeek, const std::optional<ReportData>& lastWeek,
                           const QLocale& locale);

// The report without last week's data: the names worked out are given empty where
// the data does not give them, so that a template shows no bracketed name for
// them. Trends stay as the data has them.
ReportData withoutLastWeek(ReportData thisWeek);

// The report as it is made: against its project's report in `lastWeek` (every
// report of last week's data) when there is last week's data, else without it;
// dates read in the locale the environment names for dates.
ReportData thisWeeksReport(ReportData thisWeek, const std::optional<QList<Record>>& lastWeek);

} // namespace statusmill::data
