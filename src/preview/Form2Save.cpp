// Saving a copy of the generated document where the user chooses.
#include "Form2.h"

#include "core/CopyIntoPlace.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/Procedure.h"
#include "core/Random.h"
#include "core/SaveFolder.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "ui/Dialogs.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace statusmill {

namespace {

// After resolving links and relative paths; a file that is not there names nothing.
bool sameExistingFile(const QString& a, const QString& b)
{
    const QString first = QFileInfo(a).canonicalFilePath();
    return !first.isEmpty() && first == QFileInfo(b).canonicalFilePath();
}

// Judged by the folder the copy would land in, after resolving links and relative
// paths, since the file itself is usually new.
bool insideWorkFolder(const QString& target)
{
    const std::optional<QString> landing = finalLinkTarget(target);
    if (!landing)
        return false; // a loop of links: the copy itself will fail and say so
    const QString folder = QFileInfo(QFileInfo(*landing).absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    QString work;
    try {
        work = QFileInfo(WorkFolder::path()).canonicalFilePath();
    } catch (const Failure&) {
        return false; // with no working folder, nothing can be inside it
    }
    return !work.isEmpty() && (folder == work || folder.startsWith(work + QLatin1Char('/')));
}

} // namespace

void Form2::saveReport(const QString& target, SaveFormats::Format format, bool replaceExisting)
{
    // A Word 97 file is the generated document itself, byte for byte.
    if (format == SaveFormats::Format::Doc) {
        copyFileIntoPlace(mWordFile, target, replaceExisting);
        return;
    }
    // Any other format is converted by an office, into a file of ours first, which
    // then goes into place as a copy does: complete or not at all.
    const Busy busy(*this);
    const QString converted = WorkFolder::file(
        QStringLiteral("converted-%1.%2")
            .arg(Random::uniqueSuffix(), QLatin1String(SaveFormats::extensionOf(format))));
    const auto remove = qScopeGuard([&] { DeleteFileQuietly(converted); });
    {
        const auto application = automation::engine().createApplication();
        const auto document = application->Documents().Open(mWordFile, /*readOnly=*/true);
        SaveFormats::saveInFormat(*document, converted, format);
        document->Close(0);
        application->quit();
    }
    copyFileIntoPlace(converted, target, replaceExisting);
}

void Form2::PushButton6_Click()
{
    Procedure proc(QStringLiteral("Form2.PushButton6_Click"));
    Dialogs::Answer answer = Dialogs::NoAnswer;
    struct
    {
        QString fileName;
        QString title;
        QString filter;
        QString selectedFilter;
    } dialog;
    QString target;
    SaveFormats::Format format = SaveFormats::Format::Doc;

    proc.run(106, [&] { dialog.fileName.clear(); });
    proc.run(108, [&] { dialog.title = QStringLiteral("Save File"); });
    proc.run(110, [&] { dialog.filter = SaveFormats::filterList(); });
    proc.run(112, [&] {
        // In the folder the user last saved in, the file name left empty.
        dialog.fileName = Dialogs::saveFileName(dialog.title, SaveFolder::current(),
                                                dialog.fileName, dialog.filter,
                                                &dialog.selectedFilter);
    });
    proc.run(114, [&] {
        target = dialog.fileName;
        format = SaveFormats::formatFor(target, dialog.selectedFilter);
    });
    if (proc.jumpWhen(116, [&] { return target.isEmpty(); }))
        return;
    // Our working document is deleted when the window goes, so a "copy" kept under
    // its own name would be lost with it. When in doubt, refuse.
    if (proc.when(116, [&] { return sameExistingFile(mWordFile, target); })) {
        proc.run(116, [&] {
            Dialogs::message(Dialogs::applicationTitle(),
                             target +
                                 QStringLiteral(" is the program's working copy of this report "
                                                "and is deleted when you leave this window. "
                                                "Please save under another name."),
                             Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
        });
        return;
    }
    // Anything else kept there goes with the working folder when the program ends.
    if (proc.when(116, [&] { return insideWorkFolder(target); })) {
        proc.run(116, [&] {
            Dialogs::message(Dialogs::applicationTitle(),
                             target +
                                 QStringLiteral(" is in the program's working folder, which is "
                                                "deleted when the program ends. "
                                                "Please save in another folder."),
                             Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
        });
        return;
    }

    // A device, a pipe or a foreign link is never written through or replaced, and
    // is refused before any question about overwriting it.
    std::optional<QString> refusal;
    if (proc.when(116, [&] { return (refusal = reasonNotToSaveOver(target)).has_value(); })) {
        proc.run(116, [&] {
            Dialogs::message(Dialogs::applicationTitle(),
                             target + QStringLiteral(" cannot be saved over: ") +
                                 refusal.value_or(QStringLiteral("it is not a file")) +
                                 QStringLiteral(". Please save under another name."),
                             Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
        });
        return;
    }

    bool replaceExisting = false;
    if (proc.when(118, [&] { return FileExists(target); })) {
        proc.run(120, [&] {
            answer = Dialogs::message(Dialogs::applicationTitle(),
                                      QStringLiteral("Are you sure you wish to overwrite ") +
                                          target + QStringLiteral(" ?"),
                                      Dialogs::Icon::None, Dialogs::Buttons::YesNo);
        });
        // The old file gives way only to a complete copy, when it is moved into place.
        if (proc.when(122, [&] { return answer == Dialogs::Yes; }))
            proc.run(124, [&] { replaceExisting = true; });
    } else {
        proc.run(126, [&] { answer = Dialogs::Yes; });
    }

    bool copied = false;
    if (proc.when(128, [&] { return answer == Dialogs::Yes; }))
        copied = proc.run(130, [&] { saveReport(target, format, replaceExisting); });
    // Only a copy that really happened is confirmed, and its folder remembered.
    if (copied) {
        SaveFolder::remember(target);
        proc.run(132, [&] {
            Dialogs::message(Dialogs::applicationTitle(), QStringLiteral("Done."),
                             Dialogs::Icon::None, Dialogs::Buttons::Ok);
        });
    }
}

} // namespace statusmill
