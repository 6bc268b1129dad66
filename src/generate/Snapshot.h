#pragma once

#include <QString>

namespace statusmill {

// Renders the document at `path` and keeps the picture as temp.bmp in the working
// folder. Every failing step is reported and the next one still runs.
void SaveDocAsJPG(const QString& path);

} // namespace statusmill
