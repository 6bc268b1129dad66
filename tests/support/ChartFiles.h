#pragma once

// The charts a saved report holds, read from its file without the office: from
// .odt each chart object's own content.xml (its data table, its bars' colours, its
// value axis), from .docx each word/charts/chartN.xml with the values Word shows
// until it recalculates. The same for a document the office holds, through
// OfficeProbes.h.

#include "support/TestFiles.h"

#include <QList>
#include <QSize>
#include <QStringList>
#include <QXmlStreamReader>

#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace statusmill::testing {

struct ChartInFile
{
    QStringList categories;
    QStringList series;
    QList<QList<double>> values; // row by row (a category each); a gap is NaN
    // Each bar's own fill colour in the first series ("#c6efce"), "" for the
    // series' colour; .odt only.
    QStringList colours;
    std::optional<double> minimum; // the value axis's fixed minimum; .odt only
    QString title;                 // through the office only
    QSize frame, drawn;            // the frame's size and the chart's, in 1/100 mm; the same
};

// NaN for a gap, compared equal to itself: rows of values as QCOMPARE can compare.
inline QList<QList<double>> comparable(QList<QList<double>> values)
{
    for (auto& row : values)
        for (double& value : row)
            if (std::isnan(value))
                value = -1e300;
    return values;
}

inline constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

inline QStringList zipEntries(const QString& file)
{
    return commandOutput(QStringLiteral("unzip"), {"-Z1", file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline QByteArray zipEntry(const QString& file, const QString& entry)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {"-p", file, entry});
    unzip.waitForFinished(-1);
    return unzip.readAllStandardOutput();
}

inline double cellNumber(const QXmlStreamAttributes& attributes)
{
    bool ok = false;
    const double value = attributes.value(QStringLiteral("office:value")).toDouble(&ok);
    return ok ? value : kGap;
}

// One chart object's content.xml.
inline ChartInFile odtChart(const QByteArray& content)
{
    ChartInFile chart;
    std::map<QString, QString> fills;
    std::map<QString, double> minimums;
    QXmlStreamReader xml(content);
    QString style, text;
    bool header = false, firstSeries = true, inSeries = false, inCell = false;
    QList<double> row;
    int cellInRow = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        const auto attributes = xml.attributes();
        if (xml.isStartElement()) {
            if (name == QLatin1String("style")) {
                style = attributes.value(QStringLiteral("style:name")).toString();
            } else if (name == QLatin1String("graphic-properties") &&
                       attributes.hasAttribute(QStringLiteral("draw:fill-color"))) {
                fills[style] = attributes.value(QStringLiteral("draw:fill-color")).toString();
            } else if (name == QLatin1String("chart-properties") && attributes.hasAttribute(QStringLiteral("chart:minimum"))) {
                minimums[style] = attributes.value(QStringLiteral("chart:minimum")).toDouble();
            } else if (name == QLatin1String("axis") &&
                       attributes.value(QStringLiteral("chart:dimension")) == QLatin1String("y")) {
                const auto found = minimums.find(attributes.value(QStringLiteral("chart:style-name")).toString());
                if (found != minimums.end())
                    chart.minimum = found->second;
            } else if (name == QLatin1String("series")) {
                inSeries = firstSeries;
            } else if (name == QLatin1String("data-point") && inSeries) {
                const int repeated = qMax(1, attributes.value(QStringLiteral("chart:repeated")).toInt());
                const QString styleName = attributes.value(QStringLiteral("chart:style-name")).toString();
                const QString fill = fills.count(styleName) ? fills[styleName] : QString();
                for (int i = 0; i < repeated; ++i)
                    chart.colours << fill;
            } else if (name == QLatin1String("table-header-rows")) {
                header = true;
            } else if (name == QLatin1String("table-row")) {
                row.clear();
                cellInRow = 0;
            } else if (name == QLatin1String("table-cell")) {
                inCell = true;
                text.clear();
                const int repeated = qMax(1, attributes.value(QStringLiteral("table:number-columns-repeated")).toInt());
                if (!header && cellInRow > 0)
                    for (int i = 0; i < repeated; ++i)
                        row << cellNumber(attributes);
                cellInRow += repeated;
            }
        } else if (xml.isCharacters() && inCell) {
            text += xml.text();
        } else if (xml.isEndElement()) {
            if (name == QLatin1String("series") && inSeries) {
                inSeries = firstSeries = false;
            } else if (name == QLatin1String("table-cell")) {
                inCell = false;
                if (header && cellInRow > 1)
                    chart.series << text;
                else if (!header && cellInRow == 1)
                    chart.categories << text;
            } else if (name == QLatin1String("table-header-rows")) {
                header = false;
            } else if (name == QLatin1String("table-row") && !header && cellInRow > 0 && !chart.categories.isEmpty() &&
                       chart.values.size() < chart.categories.size()) {
                chart.values << row;
            }
        }
    }
    return chart;
}

// Each chart of a package whose part's name starts and ends so, read by `read`.
template <class Read>
QList<ChartInFile> chartsInPackage(const QString& file, QLatin1String start, QLatin1String end, Read read)
{
    QList<ChartInFile> charts;
    for (const QString& entry : zipEntries(file))
        if (entry.startsWith(start) && entry.endsWith(end))
            charts << read(zipEntry(file, entry));
    return charts;
}

// Every chart of a saved .odt, in the order of their objects' names.
inline QList<ChartInFile> odtCharts(const QString& odt)
{
    return chartsInPackage(odt, QLatin1String("Object "), QLatin1String("/content.xml"), odtChart);
}

// One word/charts/chartN.xml: the categories and values cached for Word.
inline ChartInFile docxChart(const QByteArray& content)
{
    ChartInFile chart;
    QXmlStreamReader xml(content);
    enum class Part { None, Name, Categories, Values } part = Part::None;
    int index = 0;
    bool firstSeries = true;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement()) {
            if (name == QLatin1String("tx"))
                part = Part::Name;
            else if (name == QLatin1String("cat"))
                part = firstSeries ? Part::Categories : Part::None;
            else if (name == QLatin1String("val"))
                part = Part::Values;
            else if (name == QLatin1String("pt"))
                index = xml.attributes().value(QStringLiteral("idx")).toInt();
            else if (name == QLatin1String("ptCount") && part == Part::Values && firstSeries)
                for (int i = 0; i < xml.attributes().value(QStringLiteral("val")).toInt(); ++i)
                    chart.values << QList<double>();
            else if (name == QLatin1String("v") && part != Part::None) {
                const QString text = xml.readElementText();
                if (part == Part::Name)
                    chart.series << text;
                else if (part == Part::Categories)
                    chart.categories << text;
                else if (index < chart.values.size()) {
                    QList<double>& row = chart.values[index];
                    while (row.size() < chart.series.size() - 1)
                        row << kGap;
                    row << text.toDouble();
                }
            }
        } else if (xml.isEndElement()) {
            if (name == QLatin1String("tx") || name == QLatin1String("cat") || name == QLatin1String("val"))
                part = Part::None;
            else if (name == QLatin1String("ser")) {
                firstSeries = false;
                for (QList<double>& row : chart.values)
                    while (row.size() < chart.series.size())
                        row << kGap;
            }
        }
    }
    return chart;
}

inline QList<ChartInFile> docxCharts(const QString& docx)
{
    return chartsInPackage(docx, QLatin1String("word/charts/chart"), QLatin1String(".xml"), docxChart);
}

} // namespace statusmill::testing
