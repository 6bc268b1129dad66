#pragma once

#include "generate/Automation.h"
#include "generate/DocumentText.h"

#include <QString>

namespace statusmill::testing {

// Every story's and shape's text of a saved document, read back through the office.
inline QString savedDocumentText(const QString& path)
{
    auto app = automation::engine().createApplication();
    auto document = app->Documents().Open(path, /*readOnly=*/true);
    const QString text = automation::readDocumentText(*document).all();
    document->Close(0);
    app->quit();
    return text;
}

} // namespace statusmill::testing
