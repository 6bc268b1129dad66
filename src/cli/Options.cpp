#include "Options.h"

#include "ReportNames.h"
#include "data/JsonData.h"
#include "data/Table.h"
#include "core/Product.h"
#include "data/Placeholders.h"
#include "data/WindowFields.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QThread>

namespace statusmill::cli {
namespace {

// Qt's own options, which reach the window as they always have: those that take
// a value, then those that do not.
const char* const kQtValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",  "qmljsdebugger",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
    "geometry", "style", "stylesheet", "title", "visual", "dialogs", "fontengine"};
const char* const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync",
                                      "testability"};

struct Option
{
    QStringList names;
    const char* help;
    const char* value = nullptr;
};

// The options that choose and shape a report, in the order --help lists them.
// The four the window fills come between --output and --set, from data/WindowFields.h.
const Option kOptionsBeforeFields[] = {
    {{"output", "o"}, "Make one report and write it to FILE; its extension (.doc, .docx, .odt or .pdf) chooses the format.", "FILE"},
    {{"data"}, "With --output: the report's fields and lists from FILE, a JSON object or a table or workbook (.csv, .tsv, .ods, .xlsx) whose row --project picks when it holds several; the options below go over it. Without: the window's data, read anew at every press.", "FILE"},
};
const Option kOptions[] = {
    {{"set"}, "Fill every [NAME] placeholder of the template with TEXT; may be given again.", "NAME=TEXT"},
    {{"list"}, "The items of the list NAME, a row each, from the table FILE (.csv, .tsv); its Project Name column (without one, a column of the reports' first column) links each item to its report. May be given again.", "NAME=FILE"},
    {{"previous"}, "Last week's data, of the kind --data or --batch takes (a table's lists are not read): each report's empty trends, its risks' Change and closed risks, and its milestones' Change are worked out from it.", "FILE"},
    {{"batch"}, "Make one report per row of TABLE (.csv, .tsv), per row of a workbook's first sheet (.ods, .xlsx; its other sheets are lists), or per object of a JSON array (.json).", "TABLE"},
    {{"output-dir"}, "Where a batch writes its reports.", "DIR"},
    {{"format"}, "The format of a batch's reports: doc, docx, odt or pdf (the default).", "FORMAT"},
    {{"name"}, "How a batch names its reports: {row} and {COLUMN} are filled in (default: {row}-{ProjectName}).", "PATTERN"},
    {{"jobs", "j"}, "How many offices work side by side (default: one for each core, at most 4; never more than twice the cores, or 16).", "N"},
    {{"portfolio"}, "With --batch: also make FILE (.doc, .docx, .odt or .pdf), one overview of every project of the data, a row each, its name linked to its report; without --output-dir only FILE is made.", "FILE"},
    {{"portfolio-template"}, "Make --portfolio from FILE rather than the built-in portfolio template; read-only.", "FILE"},
    {{"shard"}, "Make only the rows whose number modulo N is K, so machines can share a table.", "K/N"},
    {{"template", "t"}, "Use FILE (.dot, .dotx, .doc, .docx, .ott, .odt, .rtf) instead of the built-in template; read-only.", "FILE"},
    {{"overwrite"}, "Replace reports (or the example's files) that exist already."},
    {{"verbose"}, "Name each report as it is made."},
    {{"strict"}, "Write no report that would keep a placeholder of the template, or whose data holds a cell that reads as an error; name it and what it lacks, and go on with the others."},
    {{"list-placeholders"}, "List the bracketed placeholders of the template FILE, and its lists with the rows they repeat, and end.", "FILE"},
    {{"example"}, "Write into DIR the built-in template with every spot named (report-template.ott, report-template.dotx), on the paper the built-in report comes on, a project file (project.json) with its file of the week before (project-last-week.json) and a tracker workbook of three projects (tracker.ods, tracker.xlsx) that fill all of it, and the built-in portfolio template (portfolio-template.ott); name each file written and the command that makes the first report, and end.", "DIR"},
    {{"help", "h"}, "Show this help and end."},
    {{"version", "v"}, "Show the version and end."},
};

// The options that take one value: given twice with two values, one of them would
// be dropped without a word.
// (And the four the window fills.)
const char* const kSingleValued[] = {"output", "data", "previous", "batch", "output-dir", "format", "name",
                                     "jobs", "shard", "template", "list-placeholders",
                                     "example", "portfolio", "portfolio-template"};

QString fieldHelp(const data::WindowField& field)
{
    return QStringLiteral("%1 ([%2]).").arg(QLatin1String(field.what), QLatin1String(field.name));
}

// Every option in the order --help lists them.
QList<QCommandLineOption> allOptions()
{
    QList<QCommandLineOption> all;
    auto add = [&](const Option& option) {
        all << (option.value ? QCommandLineOption(option.names, QString::fromLatin1(option.help),
                                                  QString::fromLatin1(option.value))
                             : QCommandLineOption(option.names, QString::fromLatin1(option.help)));
    };
    for (const Option& option : kOptionsBeforeFields)
        add(option);
    for (const data::WindowField& field : data::kWindowFields)
        all << QCommandLineOption(QLatin1String(field.option), fieldHelp(field), QStringLiteral("TEXT"));
    for (const Option& option : kOptions)
        add(option);
    return all;
}

// More offices than this slow a batch down: each wants a core of its own and its
// memory, and the machine's other work wants some too.
int jobsCeiling()
{
    return std::min(16, 2 * std::max(1, QThread::idealThreadCount()));
}

// Digits only: " 2" or "+2" is taken by toInt() but may hide a mistake of quoting.
std::optional<int> wholeNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    const int number = digits.match(text).hasMatch() ? text.toInt(&ok) : 0;
    return ok ? std::optional<int>(number) : std::nullopt;
}

// The fields given on the command line: the four the window fills, then every
// --set. A --set of one of the four fills it as its own option would; the two at
// once, or one field set twice to different texts, is a usage error.
void takeGivenFields(const QCommandLineParser& parser, Options& options)
{
    QStringList givenBy; // the option that gave each field
    for (const data::WindowField& field : data::kWindowFields) {
        const QString option = QLatin1String(field.option);
        if (parser.isSet(option)) {
            options.given.append({QLatin1String(field.name), parser.value(option)});
            givenBy << QStringLiteral("--") + option;
        }
    }
    for (const QString& set : parser.values(QStringLiteral("set"))) {
        const qsizetype equals = set.indexOf(QLatin1Char('='));
        const QString name = set.left(equals);
        if (equals <= 0 || name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
            throw UsageError{QStringLiteral("--set wants NAME=TEXT, not \"%1\"").arg(set)};
        if (const auto listField = data::listFieldOf(name))
            throw UsageError{QStringLiteral("--set fills fields, and %1 is of the list %2, whose items come "
                                            "from data files (--data, --batch, --list)")
                                 .arg(data::bracketed(name), listField->list)};
        const data::WindowField* window = data::windowFieldNamed(name);
        const QString field = window ? QString::fromLatin1(window->name) : name;
        const QString text = set.mid(equals + 1);
        const QString option = QStringLiteral("--set ") + name;
        const auto same = std::find_if(options.given.begin(), options.given.end(), [&](const data::Field& f) {
            return f.name.compare(field, Qt::CaseInsensitive) == 0;
        });
        if (same == options.given.end()) {
            options.given.append({field, text});
            givenBy << option;
            if (!window)
                options.setFields << field;
        } else if (same->text != text) {
            throw UsageError{QStringLiteral("%1 and %2 both fill %3; give it once")
                                 .arg(givenBy.at(same - options.given.begin()), option,
                                      data::bracketed(field))};
        }
    }
}

// Every --list NAME=FILE, each list once.
QList<ListOption> listOptions(const QCommandLineParser& parser)
{
    QList<ListOption> lists;
    for (const QString& given : parser.values(QStringLiteral("list"))) {
        const qsizetype equals = given.indexOf(QLatin1Char('='));
        const ListOption list{given.left(equals).trimmed(), given.mid(equals + 1)};
        if (equals <= 0 || list.name.isEmpty() || list.file.isEmpty() ||
            list.name.contains(QLatin1Char('[')) || list.name.contains(QLatin1Char(']')) ||
            list.name.contains(QLatin1Char('.')))
            throw UsageError{QStringLiteral("--list wants NAME=FILE, not \"%1\"").arg(given)};
        for (const ListOption& earlier : std::as_const(lists))
            if (earlier.name.compare(list.name, Qt::CaseInsensitive) == 0)
                throw UsageError{QStringLiteral("--list %1 is given more than once").arg(list.name)};
        lists << list;
    }
    return lists;
}

// --portfolio and its template. The portfolio is of every project, so it cannot
// be made of a shard's.
void takePortfolio(const QCommandLineParser& parser, Options& options)
{
    options.portfolio = parser.value(QStringLiteral("portfolio"));
    options.portfolioTemplate = parser.value(QStringLiteral("portfolio-template"));
    if (parser.isSet(QStringLiteral("portfolio-template")) && !parser.isSet(QStringLiteral("portfolio")))
        throw UsageError{QStringLiteral("--portfolio-template goes with --portfolio only")};
    if (!parser.isSet(QStringLiteral("portfolio")))
        return;
    if (!SaveFormats::formatOfName(options.portfolio))
        throw UsageError{QStringLiteral("the portfolio's name must end in .doc, .docx, .odt or .pdf, not \"%1\"")
                             .arg(options.portfolio)};
    if (parser.isSet(QStringLiteral("shard")))
        throw UsageError{QStringLiteral("--portfolio needs every row, so it does not go with --shard")};
    if (parser.isSet(QStringLiteral("portfolio-template")) && options.portfolioTemplate.isEmpty())
        throw UsageError{QStringLiteral("--portfolio-template wants a template file, not an empty text")};
}

} // namespace

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: statusmill [FILE] [--data FILE [--previous FILE]] [Qt options]\n"
        "       statusmill --output FILE [--data FILE [--previous FILE]] [--project TEXT]\n"
        "                  [--department TEXT] [--focus-area TEXT] [--product TEXT]\n"
        "                  [--set NAME=TEXT]... [--list NAME=FILE]... [--template FILE]\n"
        "                  [--overwrite] [--strict]\n"
        "       statusmill --batch TABLE --output-dir DIR [--list NAME=FILE]...\n"
        "                  [--previous FILE] [--format FORMAT] [--name PATTERN] [--jobs N]\n"
        "                  [--shard K/N] [--template FILE] [--overwrite] [--verbose] [--strict]\n"
        "                  [--portfolio FILE [--portfolio-template FILE]]\n"
        "       statusmill --batch TABLE --portfolio FILE [--portfolio-template FILE]\n"
        "                  [--previous FILE]\n"
        "       statusmill --list-placeholders FILE\n"
        "       statusmill --example DIR [--overwrite]\n"
        "\n"
        "%1 makes project status reports. Without options it opens its window (on the\n"
        "template FILE, when one is given); the options make reports without a window.\n"
        "\n");
    text = text.arg(QLatin1String(kProductName));
    for (const QCommandLineOption& option : allOptions()) {
        QString names;
        for (const QString& name : option.names())
            names += (names.isEmpty() ? QString() : QStringLiteral(", ")) +
                     (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        if (!option.valueName().isEmpty())
            names += QLatin1Char(' ') + option.valueName();
        text += QStringLiteral("  %1\n      %2\n").arg(names, option.description());
    }
    text += QStringLiteral(
        "\nExamples:\n"
        "  statusmill --output report.pdf --project \"Harbour Bridge\" --department Works\n"
        "  statusmill --output report.pdf --data harbour.json --department Roads\n"
        "  statusmill --batch projects.csv --output-dir reports/ --jobs 2\n"
        "  statusmill --batch projects.csv --list Milestones=milestones.csv --output-dir reports/\n"
        "  statusmill --batch projects.ods --output-dir reports/\n"
        "  statusmill --batch projects.ods --output-dir reports/ --portfolio reports/portfolio.pdf\n"
        "  statusmill --list-placeholders my-template.dotx\n"
        "  statusmill --example week/ && statusmill --output week/report.pdf --data week/project.json\n"
        "\nData files:\n"
        "  JSON: an object is one report, an array of objects a batch. A key names a field,\n"
        "  its value text, a number, true, false or null (empty); an array of objects is a\n"
        "  list, each object an item:\n"
        "    {\"ProjectName\": \"Harbour Bridge\", \"OverallStatus\": \"Green\",\n"
        "     \"Milestones\": [{\"Milestone\": \"Design\", \"Owner\": \"Alice\"}]}\n"
        "  Workbooks: the first sheet has a row per report; each other sheet is the list of\n"
        "  its name, a row an item, its Project Name column (without one, a column of the\n"
        "  first sheet's first column) saying whose. Cells are taken as the sheet shows them.\n"
        "\nThe built-in template:\n"
        "  Given structured data (--data, a JSON file or workbook to --batch, --list), the\n"
        "  report whose every spot is named: [ReportPeriod], [OverallStatus], the list\n"
        "  Milestones with [Milestones.Owner], and so on (statusmill(1) lists them all;\n"
        "  --example writes it with data that fills it). Otherwise the form a person fills\n"
        "  by hand, whose prompts ([Name], [Date]) a table's columns and --set fill.\n"
        "\nCharts:\n"
        "  A chart whose data labels its first category [Budget.Item] and its series\n"
        "  [Budget.Approved], [Budget.Actual] is drawn from the list Budget in every\n"
        "  report, as the built-in report's budget chart is. Values are numbers, text\n"
        "  read as LC_NUMERIC writes them (420,000; 1.234,5); one that is no number is a\n"
        "  gap and a warning. --list-placeholders names each chart's list.\n"
        "\nExit status: 0 when every report was made, 1 when any failed, 2 for a usage error,\n"
        "128 and the signal's number when a signal stopped it.\n"
        "Any other option is Qt's own (for example -platform or -display); see statusmill(1).\n");
    return text;
}

Options parseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-style" and "-platform" are Qt's options of one dash and a word.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QCommandLineOption& option : allOptions())
        parser.addOption(option);
    for (const char* name : kQtValueOptions)
        parser.addOption(QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value")));
    for (const char* name : kQtFlagOptions)
        parser.addOption(QCommandLineOption(QLatin1String(name)));
    parser.addPositionalArgument(QStringLiteral("FILE"), QString());

    if (!parser.parse(QStringList{QStringLiteral("statusmill")} + arguments)) {
        QString error = parser.errorText();
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString unknown = parser.unknownOptionNames().constFirst();
            error = QStringLiteral("unknown option \"%1%2\"")
                        .arg(unknown.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), unknown);
        }
        throw UsageError{error};
    }

    Options options;
    if (parser.isSet(QStringLiteral("help"))) {
        options.mode = Mode::Help;
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.mode = Mode::Version;
        return options;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        throw UsageError{QStringLiteral("one template at most, not \"%1\"").arg(positional.join(QStringLiteral("\", \"")))};
    options.templateFile = parser.value(QStringLiteral("template"));
    if (!positional.isEmpty()) {
        if (!options.templateFile.isEmpty())
            throw UsageError{QStringLiteral("a template is given twice")};
        options.templateFile = positional.constFirst();
    }
    options.overwrite = parser.isSet(QStringLiteral("overwrite"));
    options.verbose = parser.isSet(QStringLiteral("verbose"));
    options.strict = parser.isSet(QStringLiteral("strict"));

    QStringList singleValued;
    for (const char* name : kSingleValued)
        singleValued << QLatin1String(name);
    for (const data::WindowField& field : data::kWindowFields)
        singleValued << QLatin1String(field.option);
    for (const QString& name : std::as_const(singleValued)) {
        QStringList values = parser.values(name);
        values.removeDuplicates();
        if (values.size() > 1)
            throw UsageError{QStringLiteral("--%1 is given more than once: \"%2\"")
                                 .arg(name, values.join(QStringLiteral("\", \"")))};
    }

    const bool one = parser.isSet(QStringLiteral("output"));
    const bool batch = parser.isSet(QStringLiteral("batch"));
    const bool list = parser.isSet(QStringLiteral("list-placeholders"));
    const bool example = parser.isSet(QStringLiteral("example"));
    if (int(one) + int(batch) + int(list) + int(example) > 1)
        throw UsageError{QStringLiteral("--output, --batch, --list-placeholders and --example do not go together")};
    // Last week's data is set against this week's: it goes with data.
    options.previous = parser.value(QStringLiteral("previous"));
    if (parser.isSet(QStringLiteral("previous")) && options.previous.isEmpty())
        throw UsageError{QStringLiteral("--previous wants a file of last week's data, not an empty text")};
    if (parser.isSet(QStringLiteral("previous")) && !batch && (!parser.isSet(QStringLiteral("data")) || list || example))
        throw UsageError{QStringLiteral("--previous goes with --data or --batch only: it is last week's data")};

    // Each group of options belongs to one way of running, and says which.
    QStringList fieldOptions{"data", "set"};
    for (const data::WindowField& field : data::kWindowFields)
        fieldOptions << QLatin1String(field.option);
    const QStringList batchOptions{"output-dir", "format", "name", "jobs", "shard", "portfolio",
                                   "portfolio-template"};
    auto refuse = [&](const QStringList& names, const QString& mode) {
        for (const QString& name : names)
            if (parser.isSet(name))
                throw UsageError{QStringLiteral("--%1 goes with %2 only").arg(name, mode)};
    };
    // The window takes --data too: every press fills the report from it.
    if (!one && (batch || list))
        refuse({"data"}, QStringLiteral("--output, or the window"));
    fieldOptions.removeAll(QStringLiteral("data"));
    if (!one)
        refuse(fieldOptions, QStringLiteral("--output"));
    if (!batch)
        refuse(batchOptions, QStringLiteral("--batch"));
    if (!one && !batch)
        refuse({"list"}, QStringLiteral("--output or --batch"));
    options.lists = listOptions(parser);

    if (example) {
        refuse({"template", "verbose", "strict"}, QStringLiteral("--output or --batch"));
        if (!positional.isEmpty())
            throw UsageError{QStringLiteral("--example takes no template")};
        options.mode = Mode::Example;
        options.exampleDir = parser.value(QStringLiteral("example"));
        if (options.exampleDir.isEmpty())
            throw UsageError{QStringLiteral("--example wants a folder, not an empty text")};
        return options;
    }
    if (list) {
        refuse({"strict"}, QStringLiteral("--output or --batch"));
        options.mode = Mode::ListPlaceholders;
        options.listFile = parser.value(QStringLiteral("list-placeholders"));
        return options;
    }
    if (one) {
        options.mode = Mode::OneReport;
        options.output = parser.value(QStringLiteral("output"));
        if (!SaveFormats::formatOfName(options.output))
            throw UsageError{QStringLiteral("the output's name must end in .doc, .docx, .odt or .pdf, "
                                            "not \"%1\"")
                                 .arg(options.output)};
        options.dataFile = parser.value(QStringLiteral("data"));
        if (parser.isSet(QStringLiteral("data")) && options.dataFile.isEmpty())
            throw UsageError{QStringLiteral("--data wants a file of the report's data, not an empty text")};
        takeGivenFields(parser, options);
        return options;
    }
    if (batch) {
        options.mode = Mode::Batch;
        options.table = parser.value(QStringLiteral("batch"));
        options.outputDir = parser.value(QStringLiteral("output-dir"));
        takePortfolio(parser, options);
        if (options.outputDir.isEmpty() && options.portfolio.isEmpty())
            throw UsageError{QStringLiteral("--batch wants --output-dir, the folder for its reports")};
        if (parser.isSet(QStringLiteral("format"))) {
            const QString format = parser.value(QStringLiteral("format"));
            const bool word = QRegularExpression(QStringLiteral("^[A-Za-z]+$")).match(format).hasMatch();
            const auto chosen = SaveFormats::formatOfName(QLatin1Char('.') + format);
            if (!word || !chosen)
                throw UsageError{QStringLiteral("--format is doc, docx, odt or pdf, not \"%1\"").arg(format)};
            options.format = *chosen;
        }
        if (parser.isSet(QStringLiteral("name"))) {
            options.namePattern = parser.value(QStringLiteral("name"));
            if (options.namePattern.isEmpty())
                throw UsageError{QStringLiteral("--name wants a pattern such as %1, not an empty text")
                                     .arg(kDefaultNamePattern)};
        }
        if (parser.isSet(QStringLiteral("jobs"))) {
            const QString text = parser.value(QStringLiteral("jobs"));
            const auto jobs = wholeNumber(text);
            if (!jobs || *jobs < 1)
                throw UsageError{QStringLiteral("--jobs wants a whole number of at least 1, not \"%1\"")
                                     .arg(text)};
            options.jobs = std::min(*jobs, jobsCeiling());
            if (options.jobs < *jobs)
                options.notes << QStringLiteral("--jobs %1 is more than this machine can use: %2 offices "
                                                "work side by side (at most twice the cores, and 16)")
                                     .arg(*jobs)
                                     .arg(options.jobs);
        }
        if (parser.isSet(QStringLiteral("shard"))) {
            const QString text = parser.value(QStringLiteral("shard"));
            const auto match = QRegularExpression(QStringLiteral("^([0-9]+)/([0-9]+)$")).match(text);
            const auto shard = wholeNumber(match.captured(1));
            const auto shards = wholeNumber(match.captured(2));
            if (!shard || !shards || *shards < 1 || *shard >= *shards)
                throw UsageError{QStringLiteral("--shard wants K/N with K from 0 to N-1, not \"%1\"").arg(text)};
            options.shard = *shard;
            options.shards = *shards;
        }
        return options;
    }
    refuse({"overwrite", "verbose", "strict"}, QStringLiteral("--output or --batch"));
    options.dataFile = parser.value(QStringLiteral("data"));
    // A data file opened with the program ("Open With" in a file manager) is the
    // window's data, not a template.
    if (!options.templateFile.isEmpty() && positional.size() == 1 &&
        (data::isJsonName(options.templateFile) || data::isSpreadsheetName(options.templateFile))) {
        if (!options.dataFile.isEmpty())
            throw UsageError{QStringLiteral("a data file is given twice")};
        options.dataFile = std::exchange(options.templateFile, QString());
    }
    return options;
}

} // namespace statusmill::cli
