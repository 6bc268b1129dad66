#pragma once

// The program run as a user runs it from a terminal, a script or a timer: with no
// display, in surroundings of its own (its home, temporary and settings folders),
// fresh for each test function; and the reports it makes read back by independent
// readers of their formats.

#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace statusmill::testing {

// The text of a report as an independent reader of its format has it.
inline QString readBack(const QString& file)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("doc"))
        return commandOutput(QStringLiteral("catdoc"), {file});
    if (suffix == QLatin1String("odt"))
        return commandOutput(QStringLiteral("odt2txt"), {file});
    return commandOutput(suffix == QLatin1String("pdf") ? QStringLiteral("pdftotext")
                                                        : QStringLiteral("docx2txt"),
                         {file, QStringLiteral("-")});
}

class ProgramRuns
{
protected:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_paper = QStringLiteral("letter");
    // What the program is started through ("setpriv", ...), and a folder put first on PATH.
    QStringList m_through;
    QString m_pathFirst;
    // Variables set for the program over the test's own; an empty value unsets one.
    QMap<QString, QString> m_environment;

    QString path(const QString& name) const { return m_home->filePath(name); }

    // Runs the program as the unprivileged user `nobody` (the tests run as root,
    // who may write anywhere), with `limits` (prlimit's options) on it.
    void runAsNobody(const QStringList& limits = {})
    {
        m_through = QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        if (!limits.isEmpty())
            m_through << QStringList{"prlimit"} + limits;
        QFile::setPermissions(m_home->path(), QFileDevice::Permissions(0x7777));
        for (const char* folder : {"TEMP", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
            QDir().mkpath(path(QLatin1String(folder)));
            QFile::setPermissions(path(QLatin1String(folder)), QFileDevice::Permissions(0x7777));
        }
    }

    // The program in surroundings of its own, without a display.
    void prepare(QProcess& program, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        for (const char* variable : {"TEMP", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
            QDir().mkpath(path(QLatin1String(variable)));
            environment.insert(QLatin1String(variable), path(QLatin1String(variable)));
        }
        environment.insert(QStringLiteral("PAPERSIZE"), m_paper);
        for (auto variable = m_environment.cbegin(); variable != m_environment.cend(); ++variable) {
            if (variable.value().isEmpty())
                environment.remove(variable.key());
            else
                environment.insert(variable.key(), variable.value());
        }
        if (!m_pathFirst.isEmpty())
            environment.insert(QStringLiteral("PATH"), m_pathFirst + ':' + environment.value("PATH"));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_home->path());
        program.setProgram(m_through.isEmpty() ? QStringLiteral(STATUSMILL_PROGRAM) : m_through.constFirst());
        program.setArguments(m_through.isEmpty() ? arguments
                                                 : m_through.mid(1) + QStringList{STATUSMILL_PROGRAM} + arguments);
    }

    // Runs it to its end; its exit status, what it said on standard error and what
    // it printed on standard output.
    int run(const QStringList& arguments, QString* said = nullptr, QString* printed = nullptr)
    {
        QProcess program;
        prepare(program, arguments);
        program.start();
        if (!program.waitForFinished(120000))
            return -1;
        if (said)
            *said = QString::fromUtf8(program.readAllStandardError());
        if (printed)
            *printed = QString::fromUtf8(program.readAllStandardOutput());
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    QStringList reports(const QString& folder) const
    {
        return QDir(path(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // A table of `rows` projects, a report each.
    QString table(int rows)
    {
        QByteArray text = "Project Name,Department\n";
        for (int row = 1; row <= rows; ++row)
            text += "Project " + QByteArray::number(row) + ",Works\n";
        statusmill::testing::writeFile(path(QStringLiteral("rows.csv")), text);
        return path(QStringLiteral("rows.csv"));
    }

    // The file made of a flat OpenDocument one by a one-shot office, in `format`.
    QString convert(const QString& flat, const QString& format)
    {
        QProcess convert;
        convert.setWorkingDirectory(m_home->path());
        convert.start(QStringLiteral("soffice"),
                      {QStringLiteral("-env:UserInstallation=file://") + path("convert-profile"),
                       "--headless", "--convert-to", format, flat});
        convert.waitForFinished(120000);
        return QFileInfo(flat).completeBaseName() + '.' + format;
    }

    // A template of fields, two prompts of the built-in kind, and a table row of
    // a list.
    void writeListTemplate()
    {
        QVERIFY(statusmill::testing::writeFile(
            path("lists.fodt"),
            statusmill::testing::flatDocument(
                {}, {},
                statusmill::testing::paragraphs(
                    {"Project: [ProjectName] of [Department]", "Budget: [Budget] by [Due]",
                     QString::fromUtf8("Health: [One-sentence summary of the project’s health]"),
                     "Progress: [Progress against the plan: any slippage, its cause and recovery; has "
                     "the end date moved?]"}) +
                    "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"2\"/>"
                    "<table:table-row><table:table-cell><text:p>[Milestones.#]. [Milestones.Milestone]</text:p>"
                    "</table:table-cell><table:table-cell><text:p>[Milestones.Owner]</text:p></table:table-cell>"
                    "</table:table-row><table:table-row><table:table-cell table:number-columns-spanned=\"2\">"
                    "<text:p>[Milestones.None]No milestones this period.</text:p></table:table-cell>"
                    "<table:covered-table-cell/></table:table-row></table:table>")));
    }

    // Nothing of the run is left: no working folder and no office.
    void nothingLeft()
    {
        QTRY_VERIFY_WITH_TIMEOUT(statusmill::testing::officesWorkingIn(path("TEMP")).isEmpty(), 10000);
        QCOMPARE(QDir(path("TEMP")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // A home of its own, on Letter, the program started as it is.
    void freshHome()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_paper = QStringLiteral("letter");
        m_through.clear();
        m_pathFirst.clear();
        m_environment.clear();
    }
};

} // namespace statusmill::testing
