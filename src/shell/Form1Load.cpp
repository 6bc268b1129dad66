// Start-up of the main window, and with it of the program.

#include "Form1.h"

#include "StartUp.h"
#include "core/Procedure.h"
#include "core/Product.h"
#include "shell/IsInstalled.h"
#include "ui/Appearance.h"

namespace statusmill {

void Form1::Form_Load()
{
    Procedure proc(QStringLiteral("Form1.Form_Load"));

    proc.run(100, [&] { ApplySkinIfPresent(this, m_skin); });
    proc.run(104, [&] { setWindowTitle(QString::fromLatin1(kProductName)); });
    proc.run(104, [&] { setWindowIcon(programIcon()); });
    proc.run(104, [&] { SetAppTitle(); });
    if (proc.when(122, [&] { return handCursorPresent(); }))
        proc.run(124, [&] { m_pointer.setCustomCursor(loadCursorFile(handCursorPath())); });
    proc.run(126, [&] { VisitSiteSometimes(); });
    for (int i = 0; i < kFieldCount; ++i)
        proc.run(130, [&] { restoreField(i); });
    proc.run(134, [&] { IsInstalled::CheckWordInstalled(); });
    if (!m_dataFile.isEmpty())
        proc.run(136, [&] { followTheDataFile(); });
}

} // namespace statusmill
