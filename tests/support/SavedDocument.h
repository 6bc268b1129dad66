#pragma once

#include "core/Failure.h"
#include "generate/Automation.h"
#include "support/OfficeProbes.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace statusmill::testing {

// Every story's and shape's text of a saved document, and its page count, read
// back through the office.
inline testing::DocumentText savedDocument(const QString& path)
{
    auto app = automation::engine().createApplication();
    auto document = app->Documents().Open(path, /*readOnly=*/true);
    const testing::DocumentText text = testing::readDocumentText(*document);
    document->Close(0);
    app->quit();
    return text;
}

inline QString savedDocumentText(const QString& path)
{
    return savedDocument(path).all();
}

// What an independent reader (catdoc) finds in a saved file; fails unless the file
// is a Word 97-2003 document (an OLE compound file the reader accepts).
inline QString textAsWordSeesIt(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) ||
        file.read(8) != QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        throw Failure(path + QStringLiteral(" is not an OLE compound file"));
    const QString catdoc = QStandardPaths::findExecutable(QStringLiteral("catdoc"));
    if (catdoc.isEmpty())
        throw Failure(QStringLiteral("catdoc is not installed (scripts/test installs it)"));
    QProcess reader;
    reader.start(catdoc, {QStringLiteral("-d"), QStringLiteral("utf-8"), path});
    if (!reader.waitForFinished(30000) || reader.exitStatus() != QProcess::NormalExit ||
        reader.exitCode() != 0)
        throw Failure(QStringLiteral("catdoc could not read ") + path +
                      QString::fromUtf8(reader.readAllStandardError()));
    return QString::fromUtf8(reader.readAllStandardOutput());
}

} // namespace statusmill::testing
