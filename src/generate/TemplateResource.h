#pragma once

#include <QByteArray>
#include <QString>

namespace statusmill::TemplateResource {

// The report template the program carries inside itself, read whole: the form a
// person fills by hand, each spot a bracketed prompt ("[Name]"), which the window
// and reports of no structured data fill.
QByteArray bytes();

// The same report with each spot named as data names it ("[PreparedBy]",
// "[Milestones.Owner]"), for reports made of structured data.
QByteArray dataBytes();

// The overview of a batch's projects, one row each, which a batch's --portfolio
// makes when the user gives no template of their own.
QByteArray portfolioBytes();

// A file of the example the program writes for users to start from
// ("project.json"). Throws Failure for a name it does not carry.
QByteArray exampleBytes(const QString& name);

} // namespace statusmill::TemplateResource
