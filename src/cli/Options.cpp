#include "Options.h"

#include "ReportNames.h"
#include "core/Product.h"

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
    {{"jobs", "j"}, "How many offices work side by side (default: one for each core, at most 4; never more than twice the cores, or 16).", "N"},
    {{"shard"}, "Make only the rows whose number modulo N is K, so machines can share a table.", "K/N"},
    {{"template", "t"}, "Use FILE (.dot, .dotx, .doc, .docx, .ott, .odt, .rtf) instead of the built-in template; read-only.", "FILE"},
    {{"overwrite"}, "Replace reports that exist already."},
    {{"verbose"}, "Name each report as it is made."},
    {{"list-placeholders"}, "List the bracketed placeholders of the template FILE and end.", "FILE"},
    {{"help", "h"}, "Show this help and end."},
    {{"version", "v"}, "Show the version and end."},
};

// The options that take one value: given twice with two values, one of them would
// be dropped without a word.
const char* const kSingleValued[] = {"output", "project", "department", "focus-area", "product",
                                     "batch", "output-dir", "format", "name", "jobs", "shard",
                                     "template", "list-placeholders"};

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

// What fills the four the window fills and every --set placeholder, the four
// first. A --set of one of the four fills it as its own option would; the two at
// once, or one placeholder set twice to different texts, is a usage error.
QList<automation::Replacement> valuesOfOneReport(const QCommandLineParser& parser)
{
    const QList<std::pair<const char*, const char*>> fields{
        {"project", "[ProjectName]"}, {"department", "[Department]"},
        {"focus-area", "[FocusArea]"}, {"product", "[Product]"}};
    QList<automation::Replacement> values;
    QStringList givenBy; // the option that gave each value
    for (const auto& [option, placeholder] : fields) {
        values.append({QLatin1String(placeholder), parser.value(QLatin1String(option))});
        givenBy << (parser.isSet(QLatin1String(option)) ? QStringLiteral("--") + QLatin1String(option)
                                                        : QString());
    }
    for (const QString& set : parser.values(QStringLiteral("set"))) {
        const qsizetype equals = set.indexOf(QLatin1Char('='));
        const QString name = set.left(equals);
        if (equals <= 0 || name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
            throw UsageError{QStringLiteral("--set wants NAME=TEXT, not \"%1\"").arg(set)};
        const QString placeholder =
            windowPlaceholderNamed(name).value_or(QLatin1Char('[') + name + QLatin1Char(']'));
        const QString text = set.mid(equals + 1);
        const QString option = QStringLiteral("--set ") + name;
        const auto same = std::find_if(values.begin(), values.end(), [&](const auto& value) {
            return value.placeholder.compare(placeholder, Qt::CaseInsensitive) == 0;
        });
        if (same == values.end()) {
            values.append({placeholder, text});
            givenBy << option;
            continue;
        }
        QString& earlier = givenBy[same - values.begin()];
        if (earlier.isEmpty()) {
            same->text = text;
            earlier = option;
        } else if (same->text != text) {
            throw UsageError{QStringLiteral("%1 and %2 both fill %3; give it once")
                                 .arg(earlier, option, placeholder)};
        }
    }
    return values;
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

    for (const char* name : kSingleValued) {
        QStringList values = parser.values(QLatin1String(name));
        values.removeDuplicates();
        if (values.size() > 1)
            throw UsageError{QStringLiteral("--%1 is given more than once: \"%2\"")
                                 .arg(QLatin1String(name), values.join(QStringLiteral("\", \"")))};
    }

    const bool one = parser.isSet(QStringLiteral("output"));
    const bool batch = parser.isSet(QStringLiteral("batch"));
    const bool list = parser.isSet(QStringLiteral("list-placeholders"));
    if (int(one) + int(batch) + int(list) > 1)
        throw UsageError{QStringLiteral("--output, --batch and --list-placeholders do not go together")};

    // Each group of options belongs to one way of running, and says which.
    const QStringList fieldOptions{"project", "department", "focus-area", "product", "set"};
    const QStringList batchOptions{"output-dir", "format", "name", "jobs", "shard"};
    auto refuse = [&](const QStringList& names, const QString& mode) {
        for (const QString& name : names)
            if (parser.isSet(name))
                throw UsageError{QStringLiteral("--%1 goes with %2 only").arg(name, mode)};
    };
    if (!one)
        refuse(fieldOptions, QStringLiteral("--output"));
    if (!batch)
        refuse(batchOptions, QStringLiteral("--batch"));

    if (list) {
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
        options.values = valuesOfOneReport(parser);
        return options;
    }
    if (batch) {
        options.mode = Mode::Batch;
        options.table = parser.value(QStringLiteral("batch"));
        options.outputDir = parser.value(QStringLiteral("output-dir"));
        if (options.outputDir.isEmpty())
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
    refuse({"overwrite", "verbose"}, QStringLiteral("--output or --batch"));
    return options;
}

} // namespace statusmill::cli
