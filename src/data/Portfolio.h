#pragma once

// The overview of a whole batch: one document whose fields count the projects by
// their overall status, and whose list "Projects" has an item per project, in the
// data's order, with every field of its report and what the board reads first:
// the next milestone, the open risks, the report's file.

#include "Records.h"
#include "ReportData.h"

#include <optional>

namespace statusmill::data {

// One project of the portfolio: its report's data, and its report's file name
// relative to the portfolio's folder (empty: no report was made beside it).
struct PortfolioProject
{
    const ReportData* data = nullptr;
    QString report;
};

// The name of the list that holds the projects.
inline constexpr char kProjectsList[] = "Projects";

// The next milestone of a report: the first of its Milestones whose Status is not
// "Complete" (any case); nothing when every one is.
const QList<Field>* nextMilestone(const ReportData& report);

// How many of a report's Risks are open (those not "Closed" by a Status of their
// own), and the highest Rating among them as the data writes it: H or High over
// M or Medium over L or Low; empty when none is rated.
struct OpenRisks
{
    int count = 0;
    QString highest;
};
OpenRisks openRisks(const ReportData& report);

// How a project's overall status moved since last week, its project's report
// found in `lastWeek` as a run finds it: "Green → Amber", each week's
// OverallStatus as the data writes it; "New project" for a project last week's
// data does not hold; empty when the status did not move, when either week gives
// none, and for a project without a name, which cannot be found.
QString overallChange(const ReportData& thisWeek, const QList<Record>& lastWeek);

// The portfolio's data: ProjectCount, GreenCount, AmberCount, RedCount (of the
// projects' OverallStatus), ReportDate as the first project has it, and the list
// Projects; each item's OverallChange is set against `lastWeek`, every report of
// last week's data, and empty without it. The counts also as the list
// OverallCounts, for a chart: Green, Amber and Red, each its Status and Projects.
ReportData portfolioOf(const QList<PortfolioProject>& projects,
                       const std::optional<QList<Record>>& lastWeek = std::nullopt);

} // namespace statusmill::data
