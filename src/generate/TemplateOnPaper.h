#pragma once

// A template written anew on other paper, for users to start their own from: the
// same template, of the same kind, its pages only of another size.

#include "Automation.h"

#include <QSizeF>
#include <QString>

#include <memory>

namespace statusmill::automation {

// Opens the template `source` (.ott or .dotx) in `app`, puts its pages on paper
// of `points` and writes it to `target` as a template of the kind its name says
// (`source` itself is only read). Throws Failure, also for any other kind.
void saveTemplateOnPaper(const std::unique_ptr<Application>& app, const QString& source,
                         const QString& target, QSizeF points);

} // namespace statusmill::automation
