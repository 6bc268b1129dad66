#include "Options.h"

#include "core/Product.h"

#include <QCommandLineParser>
#include <QRegularExpression>

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
const Option kOptions[] = {
    {{"output", "o"}, "Make one report and write it to FILE; its extension (.doc, .docx, .odt or .pdf) chooses the format.", "FILE"},
    {{"project"}, "The project name ([ProjectName]).", "TEXT"},
    {{"department"}, "The department ([Department]).", "TEXT"},
    {{"focus-area"}, "The focus area ([FocusArea]).", "TEXT"},
    {{"product"}, "The product or process ([Product]).", "TEXT"},
    {{"set"}, "Fill every [NAME] placeholder of the template with TEXT; may be given again.", "NAME=TEXT"},
    {{"batch"}, "Make one report per row of TABLE (.csv, .tsv, .ods, .xlsx); its first row names the columns.", "TABLE"},
    {{"output-dir"}, "Where a batch writes its reports.", "DIR"},
    {{"format"}, "The format of a batch's reports: doc, docx, odt or pdf (the default).", "FORMAT"},
    {{"name"}, "How a batch names its reports: {row} and {COLUMN} are filled in (default: {row}-{ProjectName}).", "PATTERN"},
    {{"jobs", "j"}, "How many offices work side by side (default: one for each core, at most 4).", "N"},
    {{"shard"}, "Make only the rows whose number modulo N is K, so machines can share a table.", "K/N"},
    {{"template", "t"}, "Use FILE (.dot, .dotx, .doc, .docx, .ott, .odt, .rtf) instead of the built-in template; read-only.", "FILE"},
    {{"overwrite"}, "Replace reports that exist already."},
    {{"verbose"}, "Name each report as it is made."},
    {{"list-placeholders"}, "List the bracketed placeholders of the template FILE and end.", "FILE"},
    {{"help", "h"}, "Show this help and end."},
    {{"version", "v"}, "Show the version and end."},
};

int positiveNumber(const QString& text, const QString& option)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 1)
        throw UsageError{QStringLiteral("--%1 wants a whole number of at least 1, not \"%2\"")
                             .arg(option, text)};
    return number;
}

} // namespace

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: statusmill [FILE] [Qt options]\n"
        "       statusmill --output FILE [--project TEXT] [--department TEXT] [--focus-area TEXT]\n"
        "                  [--product TEXT] [--set NAME=TEXT]... [--template FILE] [--overwrite]\n"
        "       statusmill --batch TABLE --output-dir DIR [--format FORMAT] [--name PATTERN]\n"
        "                  [--jobs N] [--shard K/N] [--template FILE] [--overwrite] [--verbose]\n"
        "       statusmill --list-placeholders FILE\n"
        "\n"
        "%1 makes project status reports. Without options it opens its window (on the\n"
        "template FILE, when one is given); the options make reports without a window.\n"
        "\n");
    text = text.arg(QLatin1String(kProductName));
    for (const Option& option : kOptions) {
        QString names;
        for (const QString& name : option.names)
            names += (names.isEmpty() ? QString() : QStringLiteral(", ")) +
                     (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        if (option.value)
            names += QLatin1Char(' ') + QLatin1String(option.value);
        text += QStringLiteral("  %1\n      %2\n").arg(names, QLatin1String(option.help));
    }
    text += QStringLiteral(
        "\nExamples:\n"
        "  statusmill --output report.pdf --project \"Harbour Bridge\" --department Works\n"
        "  statusmill --batch projects.csv --output-dir reports/ --jobs 2\n"
        "  statusmill --list-placeholders my-template.dotx\n"
        "\nExit status: 0 when every report was made, 1 when any failed, 2 for a usage error.\n"
        "Any other option is Qt's own (for example -platform or -display); see statusmill(1).\n");
    return text;
}

Options parseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-style" and "-platform" are Qt's options of one dash and a word.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option& option : kOptions)
        parser.addOption(option.value ? QCommandLineOption(option.names, QString::fromLatin1(option.help),
                                                           QString::fromLatin1(option.value))
                                      : QCommandLineOption(option.names, QString::fromLatin1(option.help)));
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

    const bool one = parser.isSet(QStringLiteral("output"));
    const bool batch = parser.isSet(QStringLiteral("batch"));
    const bool list = parser.isSet(QStringLiteral("list-placeholders"));
    if (int(one) + int(batch) + int(list) > 1)
        throw UsageError{QStringLiteral("--output, --batch and --list-placeholders do not go together")};

    const QStringList fieldOptions{"project", "department", "focus-area", "product", "set"};
    const QStringList batchOptions{"output-dir", "format", "name", "jobs", "shard"};
    auto refuse = [&](const QStringList& names, const QString& mode) {
        for (const QString& name : names)
            if (parser.isSet(name))
                throw UsageError{QStringLiteral("--%1 goes with %2 only").arg(name, mode)};
    };

    if (list) {
        options.mode = Mode::ListPlaceholders;
        options.listFile = parser.value(QStringLiteral("list-placeholders"));
        refuse(fieldOptions + batchOptions, QStringLiteral("--output or --batch"));
        return options;
    }
    if (one) {
        options.mode = Mode::OneReport;
        options.output = parser.value(QStringLiteral("output"));
        if (!SaveFormats::formatOfName(options.output))
            throw UsageError{QStringLiteral("the output's name must end in .doc, .docx, .odt or .pdf, "
                                            "not \"%1\"")
                                 .arg(options.output)};
        refuse(batchOptions, QStringLiteral("--batch"));
        const QList<std::pair<const char*, const char*>> fields{
            {"project", "[ProjectName]"}, {"department", "[Department]"},
            {"focus-area", "[FocusArea]"}, {"product", "[Product]"}};
        for (const auto& [option, placeholder] : fields)
            options.values.append({QLatin1String(placeholder), parser.value(QLatin1String(option))});
        for (const QString& set : parser.values(QStringLiteral("set"))) {
            const qsizetype equals = set.indexOf(QLatin1Char('='));
            const QString name = set.left(equals);
            if (equals <= 0 || name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
                throw UsageError{QStringLiteral("--set wants NAME=TEXT, not \"%1\"").arg(set)};
            options.values.append({QLatin1Char('[') + name + QLatin1Char(']'), set.mid(equals + 1)});
        }
        return options;
    }
    if (batch) {
        options.mode = Mode::Batch;
        options.table = parser.value(QStringLiteral("batch"));
        options.outputDir = parser.value(QStringLiteral("output-dir"));
        if (options.outputDir.isEmpty())
            throw UsageError{QStringLiteral("--batch wants --output-dir, the folder for its reports")};
        refuse(fieldOptions, QStringLiteral("--output"));
        if (parser.isSet(QStringLiteral("format"))) {
            const auto format = SaveFormats::formatOfName(QLatin1Char('.') + parser.value(QStringLiteral("format")));
            if (!format)
                throw UsageError{QStringLiteral("--format is doc, docx, odt or pdf, not \"%1\"")
                                     .arg(parser.value(QStringLiteral("format")))};
            options.format = *format;
        }
        options.namePattern = parser.isSet(QStringLiteral("name")) ? parser.value(QStringLiteral("name"))
                                                                     : QString();
        if (parser.isSet(QStringLiteral("jobs")))
            options.jobs = positiveNumber(parser.value(QStringLiteral("jobs")), QStringLiteral("jobs"));
        if (parser.isSet(QStringLiteral("shard"))) {
            const auto match = QRegularExpression(QStringLiteral("^(\\d+)/(\\d+)$"))
                                   .match(parser.value(QStringLiteral("shard")));
            options.shard = match.captured(1).toInt();
            options.shards = match.captured(2).toInt();
            if (!match.hasMatch() || options.shards < 1 || options.shard >= options.shards)
                throw UsageError{QStringLiteral("--shard wants K/N with K from 0 to N-1, not \"%1\"")
                                     .arg(parser.value(QStringLiteral("shard")))};
        }
        return options;
    }
    refuse(fieldOptions + batchOptions + QStringList{"overwrite", "verbose"},
           QStringLiteral("--output or --batch"));
    return options;
}

} // namespace statusmill::cli
