#include "Snapshot.h"

#include "Automation.h"
#include "ClipboardPicture.h"
#include "core/Failure.h"
#include "core/ObjectRef.h"
#include "core/PictureFile.h"
#include "core/Procedure.h"
#include "core/WorkFolder.h"

#include <QImage>

#include <memory>

namespace statusmill {

void SaveDocAsJPG(const QString& path)
{
    using namespace automation;
    Procedure proc(QStringLiteral("Form1.SaveDocAsJPG"));

    std::unique_ptr<Application> application;
    proc.run(116, [&] { application = engine().createApplication(); });

    std::shared_ptr<Document> document;
    proc.run(118, [&] { document = use(application).Documents().Open(path); });
    const bool copied = proc.run(120, [&] { use(use(document).Range()).CopyAsPicture(); });

    proc.run(122, [&] {
        // Whatever was on the clipboard before is not this document's picture.
        std::optional<QImage> picture = copied ? GetClipboardPicture(0) : std::nullopt;
        if (!picture)
            throw Failure(QStringLiteral("No picture of the document could be fetched."));
        // The preview takes the picture at once; the file follows meanwhile.
        savePictureFileInBackground(*picture, WorkFolder::file(QStringLiteral("temp.bmp")));
    });

    proc.run(124, [&] { use(use(application).ActiveDocument()).Close(0); });
    proc.run(126, [&] { use(application).quit(); });
}

} // namespace statusmill
