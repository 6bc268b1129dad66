#include "OfficeComponent.h"

#include "core/Failure.h"
#include "core/FileHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace statusmill::office {
namespace {

const char* const kLibraryName = "libstatusmill_office.so";
const char* const kRegistrationName = "statusmill.component";

QString registrationOf(const QString& profileFolder)
{
    return QDir(profileFolder).filePath(QLatin1String(kRegistrationName));
}

// A file URL as the office reads it in a start argument, where "$" would begin a
// variable of its own.
QByteArray argumentUrl(const QString& path)
{
    return QUrl::fromLocalFile(path).toEncoded().replace("$", "%24");
}

// The services the office loads of itself, as its installation's bootstrap file
// names them: ours are added to them, not put in their place. The value is taken as
// it is written: the office reads it where it reads the file's own, so $ORIGIN
// there is that file's folder. The file stands beside the office's program, or,
// where that is only a script that starts it, in the installation whose runtime
// this program speaks with.
QByteArray officeOwnServices(const QString& program)
{
    for (const QString& folder : {QFileInfo(program).absolutePath(), QStringLiteral(STATUSMILL_UNO_PROGRAM_FOLDER)}) {
        QFile file(QDir(folder).filePath(QStringLiteral("fundamentalrc")));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (QByteArray line : file.readAll().split('\n')) {
            line = line.trimmed();
            if (line.startsWith("URE_MORE_SERVICES="))
                return line.mid(int(qstrlen("URE_MORE_SERVICES=")));
        }
        return {};
    }
    return {};
}

} // namespace

QString officeComponentLibrary()
{
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QDir programFolder(QCoreApplication::applicationDirPath());
        candidates << programFolder.filePath(QStringLiteral("office/") + QLatin1String(kLibraryName))
                   << programFolder.filePath(QLatin1String(kLibraryName));
    }
#ifdef STATUSMILL_OFFICE_COMPONENT_BUILT
    candidates << QStringLiteral(STATUSMILL_OFFICE_COMPONENT_BUILT);
#endif
    for (const QString& candidate : std::as_const(candidates))
        if (isRegularFile(candidate))
            return QFileInfo(candidate).absoluteFilePath();
    return {};
}

void registerOfficeComponent(const QString& profileFolder, const QString& library)
{
    const QByteArray text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<components xmlns=\"http://openoffice.org/2010/uno-components\">\n"
        " <component loader=\"com.sun.star.loader.SharedLibrary\" environment=\"gcc3\" uri=\"" +
        QString::fromUtf8(QUrl::fromLocalFile(library).toEncoded()).toHtmlEscaped().toUtf8() +
        "\">\n"
        "  <implementation name=\"org.statusmill.comp.ReportFill\" "
        "constructor=\"org_statusmill_comp_ReportFill_get_implementation\">\n"
        "   <service name=\"org.statusmill.ReportFill\"/>\n"
        "  </implementation>\n"
        "  <implementation name=\"org.statusmill.comp.WorkbookRead\" "
        "constructor=\"org_statusmill_comp_WorkbookRead_get_implementation\">\n"
        "   <service name=\"org.statusmill.WorkbookRead\"/>\n"
        "  </implementation>\n"
        " </component>\n"
        "</components>\n";
    // A profile copied from another office's brings that office's registration.
    DeleteFileQuietly(registrationOf(profileFolder));
    writeNewFile(text, registrationOf(profileFolder));
}

QByteArray officeComponentArgument(const QString& profileFolder, const QString& program)
{
    const QString registration = registrationOf(profileFolder);
    if (!isRegularFile(registration))
        return {};
    const QByteArray own = officeOwnServices(program);
    return "-env:URE_MORE_SERVICES=" + (own.isEmpty() ? QByteArray() : own + ' ') + argumentUrl(registration);
}

} // namespace statusmill::office
