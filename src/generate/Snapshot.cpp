#include "Snapshot.h"

#include "Automation.h"
#include "ClipboardPicture.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/ObjectRef.h"
#include "core/Procedure.h"
#include "core/Random.h"
#include "core/WorkFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace statusmill {
namespace {

// Writes the picture under a new name beside the target and renames it over the
// target, so a link planted at the target's name is replaced, never followed.
void writeBitmap(const QImage& picture, const QString& target)
{
    const QString fresh = target + QStringLiteral(".%1.new").arg(Random::uniqueSuffix());
    QFile file(fresh);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Failure(QStringLiteral("Cannot create %1: %2").arg(fresh, file.errorString()));
    const bool saved = picture.save(&file, "BMP") && file.flush();
    // A full disk or a refused write is what the user needs to hear about. Qt's
    // picture writer loses the system's reason ("Unknown error"); the folder,
    // still holding the partial file, tells it.
    const QString reason =
        saved
            ? QString()
            : whyFolderTakesNoWrite(QFileInfo(target).absolutePath()).value_or(file.errorString());
    file.close();
    if (!saved) {
        QFile::remove(fresh);
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, reason));
    }
    // rename(2) replaces the name itself, whatever it pointed to.
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(target).constData()) !=
        0) {
        const QString renameReason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(fresh);
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, renameReason));
    }
}

} // namespace

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
        writeBitmap(*picture, WorkFolder::file(QStringLiteral("temp.bmp")));
    });

    proc.run(124, [&] { use(use(application).ActiveDocument()).Close(0); });
    proc.run(126, [&] { use(application).quit(); });
}

} // namespace statusmill
