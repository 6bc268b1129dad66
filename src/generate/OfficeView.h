#pragma once

#include "Automation.h"

namespace statusmill::automation {

// What a session's office holds, for checking that sessions are kept apart.
struct OfficeView
{
    long long processId = -1;
    int openDocuments = -1;
    int recentDocuments = -1; // the office's own list of recently used documents
};

// Throws Failure when the application did not come from the office engine, or its
// session has ended.
OfficeView inspectOffice(Application& application);

} // namespace statusmill::automation
