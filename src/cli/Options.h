#pragma once

// The command line: what the user asked for, read with QCommandLineParser. The
// window's own options (Qt's, such as -platform or -style) are known and left to
// the window; anything else unknown is a usage error.

#include "data/ReportData.h"
#include "generate/SaveFormats.h"

#include <QStringList>

#include <optional>

namespace statusmill::cli {

enum class Mode { Window, Help, Version, OneReport, Batch, ListPlaceholders, Example };

// A list given in a table of its own: --list Milestones=milestones.csv.
struct ListOption
{
    QString name;
    QString file;
};

struct Options
{
    Mode mode = Mode::Window;
    QString templateFile; // empty: the built-in template
    bool overwrite = false;
    bool verbose = false;
    // One report or a batch: a report that would keep a placeholder of the template,
    // or that was read from a cell holding an error, is not written.
    bool strict = false;
    // One report: where it goes, and what fills the template: the data file's
    // report, over which go the fields given by --project, --department,
    // --focus-area, --product and --set, in that order.
    QString output;
    QString dataFile;
    // One report, a batch or the window: last week's data, of the same kind.
    QString previous;
    QList<data::Field> given;
    QStringList setFields; // those of `given` that --set gives
    // One report or a batch: lists in tables of their own.
    QList<ListOption> lists;
    // A batch: its table, workbook or JSON file.
    QString table;
    QString outputDir;
    SaveFormats::Format format = SaveFormats::Format::Pdf;
    QString namePattern;
    int jobs = 0; // 0: one for each core, at most four; never more than twice the cores, or 16
    int shard = 0;
    int shards = 1;
    // A batch's overview of every project, a row each, in the format its name
    // says; with outputDir empty it is all the batch makes. Its template: the
    // user's, or the built-in one when empty.
    QString portfolio;
    QString portfolioTemplate;
    // The template check.
    QString listFile;
    // The example's folder.
    QString exampleDir;
    // What was taken otherwise than asked, a line each, said before any work.
    QStringList notes;
};

// A command line that cannot be followed: one line saying why.
struct UsageError
{
    QString message;
};

// Reads the arguments (without the program's name). Throws UsageError.
Options parseOptions(const QStringList& arguments);

// What --help prints.
QString helpText();

} // namespace statusmill::cli
