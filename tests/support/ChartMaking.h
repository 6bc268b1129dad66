#pragma once

// Templates with charts, written as the office writes them: an .odt package whose
// chart objects keep their data in their own content.xml. (A chart inline in a
// flat .fodt comes in without its categories, and one put in through the API has
// no series until the office's own dialog gives it some.)

#include "support/TestFiles.h"

#include <QDir>
#include <QList>
#include <QStringList>

namespace statusmill::testing {

using ChartData = QList<QStringList>;

namespace charts {

inline QString column(qsizetype index)
{
    return QString(QChar(char16_t(u'A' + index)));
}

// A cell of a chart's data table: a number, or a label.
inline QString cell(const QString& text)
{
    bool number = false;
    text.toDouble(&number);
    return number ? QStringLiteral("<table:table-cell office:value-type=\"float\" office:value=\"%1\"><text:p>%1"
                                   "</text:p></table:table-cell>")
                        .arg(text)
                  : QStringLiteral("<table:table-cell office:value-type=\"string\"><text:p>%1</text:p>"
                                   "</table:table-cell>")
                        .arg(text.toHtmlEscaped());
}

inline QString row(const QStringList& cells)
{
    QString row = QStringLiteral("<table:table-row>");
    for (const QString& text : cells)
        row += cell(text);
    return row + QStringLiteral("</table:table-row>");
}

inline const QString kNamespaces = QStringLiteral(
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:chart=\"urn:oasis:names:tc:opendocument:xmlns:chart:1.0\" "
    "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
    "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.3\"");

} // namespace charts

// A bar chart's content.xml, its data `data`: a row of the series' names after an
// empty corner, then each category and its values. With `minimum`, its value axis
// starts there.
inline QString chartContent(const ChartData& data, const QString& title = QString(),
                            const QString& minimum = QString())
{
    using namespace charts;
    const qsizetype rows = data.size();
    QString series;
    for (qsizetype c = 1; c < data.first().size(); ++c)
        series += QStringLiteral("<chart:series chart:values-cell-range-address=\"local-table.$%1$2:.$%1$%2\" "
                                 "chart:label-cell-address=\"local-table.$%1$1\" chart:class=\"chart:bar\"/>")
                      .arg(column(c))
                      .arg(rows);
    QString body;
    for (qsizetype r = 1; r < rows; ++r)
        body += row(data.at(r));
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content %1>"
               "<office:automatic-styles><style:style style:name=\"X\" style:family=\"chart\">"
               "<style:chart-properties chart:display-label=\"true\"/></style:style>"
               "<style:style style:name=\"Y\" style:family=\"chart\">"
               "<style:chart-properties chart:display-label=\"true\" %2/></style:style></office:automatic-styles>"
               "<office:body><office:chart><chart:chart svg:width=\"12cm\" svg:height=\"6cm\" chart:class=\"chart:bar\">"
               "%3<chart:plot-area table:cell-range-address=\"local-table.$A$1:.$%4$%5\" "
               "chart:data-source-has-labels=\"both\"><chart:axis chart:dimension=\"x\" chart:name=\"primary-x\" chart:style-name=\"X\">"
               "<chart:categories table:cell-range-address=\"local-table.$A$2:.$A$%5\"/></chart:axis>"
               "<chart:axis chart:dimension=\"y\" chart:name=\"primary-y\" chart:style-name=\"Y\"/>%6"
               "</chart:plot-area><table:table table:name=\"local-table\"><table:table-header-columns>"
               "<table:table-column/></table:table-header-columns><table:table-columns><table:table-column "
               "table:number-columns-repeated=\"%7\"/></table:table-columns><table:table-header-rows>%8"
               "</table:table-header-rows><table:table-rows>%9</table:table-rows></table:table></chart:chart>"
               "</office:chart></office:body></office:document-content>")
        .arg(kNamespaces, minimum.isEmpty() ? QString() : QStringLiteral("chart:minimum=\"%1\"").arg(minimum),
             title.isEmpty() ? QString() : QStringLiteral("<chart:title><text:p>%1</text:p></chart:title>").arg(title),
             column(data.first().size() - 1), QString::number(rows), series,
             QString::number(data.first().size() - 1), row(data.first()), body);
}

// Chart object `number` (counted from 1) of the package, 12 by 6 cm, as characters.
inline QString chartFrame(int number)
{
    return QStringLiteral("<draw:frame draw:name=\"Chart %1\" text:anchor-type=\"as-char\" svg:width=\"12cm\" "
                          "svg:height=\"6cm\"><draw:object xlink:href=\"./Object %1\" xlink:type=\"simple\" "
                          "xlink:show=\"embed\" xlink:actuate=\"onLoad\"/></draw:frame>")
        .arg(number);
}

// Writes an .odt of `body` (automatic styles `styles`, the page's header and footer
// `master`) whose chart objects are `charts` (each a chartContent), the first
// "Object 1". Returns false when it could not.
inline bool writeOdtWithCharts(const QString& path, const QString& body, const QStringList& charts,
                               const QString& master = QString(), const QString& styles = QString())
{
    using namespace charts;
    const QString parts = path + QStringLiteral(".parts");
    QString manifest = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest "
        "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.3\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>");
    bool written = writeFile(parts + QStringLiteral("/mimetype"), "application/vnd.oasis.opendocument.text");
    for (qsizetype i = 0; i < charts.size(); ++i) {
        const QString object = QStringLiteral("Object %1").arg(i + 1);
        manifest += QStringLiteral("<manifest:file-entry manifest:full-path=\"%1/\" "
                                   "manifest:media-type=\"application/vnd.oasis.opendocument.chart\"/>"
                                   "<manifest:file-entry manifest:full-path=\"%1/content.xml\" "
                                   "manifest:media-type=\"text/xml\"/>")
                        .arg(object);
        written = written && writeFile(parts + QLatin1Char('/') + object + QStringLiteral("/content.xml"),
                                       charts.at(i).toUtf8());
    }
    written = written &&
              writeFile(parts + QStringLiteral("/META-INF/manifest.xml"),
                        (manifest + QStringLiteral("</manifest:manifest>")).toUtf8()) &&
              writeFile(parts + QStringLiteral("/content.xml"),
                        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content %1>"
                                       "<office:automatic-styles>%2</office:automatic-styles><office:body>"
                                       "<office:text>%3</office:text></office:body></office:document-content>")
                            .arg(kNamespaces, styles, body)
                            .toUtf8()) &&
              writeFile(parts + QStringLiteral("/styles.xml"),
                        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-styles %1>"
                                       "<office:automatic-styles><style:page-layout style:name=\"A4\">"
                                       "<style:page-layout-properties fo:page-width=\"21cm\" fo:page-height=\"29.7cm\" "
                                       "fo:margin=\"2cm\"/><style:header-style><style:header-footer-properties "
                                       "fo:min-height=\"0cm\"/></style:header-style></style:page-layout>"
                                       "</office:automatic-styles><office:master-styles><style:master-page "
                                       "style:name=\"Standard\" style:page-layout-name=\"A4\">%2</style:master-page>"
                                       "</office:master-styles></office:document-styles>")
                            .arg(kNamespaces, master)
                            .toUtf8());
    if (!written)
        return false;
    // The type first and as it is, as the format asks.
    QProcess zip;
    zip.setWorkingDirectory(parts);
    zip.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("zip -q -X -0 \"$0\" mimetype && zip -q -X -r "
                                                                         "\"$0\" . -x mimetype"),
                                     QFileInfo(path).absoluteFilePath()});
    const bool zipped = zip.waitForFinished(-1) && zip.exitCode() == 0;
    QDir(parts).removeRecursively();
    return zipped;
}

} // namespace statusmill::testing
