#pragma once

#include "generate/Automation.h"
#include "generate/DocumentText.h"

#include <QString>

namespace statusmill::testing {

// Every story's and shape's text of a saved document, and its page count, read
// back through the office.
inline automation::DocumentText savedDocument(const QString& path)
{
    auto app = automation::engine().createApplication();
    auto document = app->Documents().Open(path, /*readOnly=*/true);
    const automation::DocumentText text = automation::readDocumentText(*document);
    document->Close(0);
    app->quit();
    return text;
}

inline QString savedDocumentText(const QString& path)
{
    return savedDocument(path).all();
}

} // namespace statusmill::testing
