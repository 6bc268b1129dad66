#pragma once

#include "Automation.h"

#include <QStringList>

namespace statusmill::automation {

// The text of every story of a document the office engine opened (main text,
// headers and footers, notes, frames, comments) and of every drawing shape.
// Meant for checking what a run produced.
struct DocumentText
{
    QStringList stories;
    QStringList shapes;
    int pages = 0; // as the office lays the document out
    QString all() const { return (stories + shapes).join(QLatin1Char('\n')); }
};

// Throws Failure when the document did not come from the office engine.
DocumentText readDocumentText(Document& document);

} // namespace statusmill::automation
