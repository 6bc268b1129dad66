#pragma once

// Small documents written as flat OpenDocument text, for the engine tests to open.

#include <QFile>
#include <QString>
#include <QStringList>

namespace statusmill::testing {

inline QString flatDocument(const QString& styles, const QString& masterPage, const QString& body)
{
    return QStringLiteral(
               R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:dc="http://purl.org/dc/elements/1.1/" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:automatic-styles>
  <style:style style:name="Bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
  <style:style style:name="Shape" style:family="graphic"><style:graphic-properties draw:fill="none" draw:stroke="solid"/></style:style>
  <style:style style:name="NewPage" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>
  <style:page-layout style:name="Letter"><style:page-layout-properties fo:page-width="8.5in" fo:page-height="11in" fo:margin-top="0.5in" fo:margin-bottom="0.5in" fo:margin-left="1in" fo:margin-right="1in"/></style:page-layout>
  %1
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Standard" style:page-layout-name="Letter">%2</style:master-page>
 </office:master-styles>
 <office:body><office:text>%3</office:text></office:body>
</office:document>
)")
        .arg(styles, masterPage, body);
}

// One paragraph per entry, escaped.
inline QString paragraphs(const QStringList& lines)
{
    QString body;
    for (const QString& line : lines)
        body += QStringLiteral("<text:p>%1</text:p>").arg(line.toHtmlEscaped());
    return body;
}

// `pages` Letter pages, each starting with its number.
inline QString pagedDocument(int pages)
{
    QString body;
    for (int page = 1; page <= pages; ++page)
        body += QStringLiteral("<text:p%1>Page %2 of the report</text:p>")
                    .arg(page > 1 ? QStringLiteral(" text:style-name=\"NewPage\"") : QString())
                    .arg(page);
    return flatDocument(QString(), QString(), body);
}

// Placeholders in most kinds of story and in shapes, some split by a formatting
// change (one inside a shape), in assorted letter case; for the field order
// checks. tests/generate/fixtures/coverage.fodt is the full coverage document.
struct CoverageSample
{
    static QString document()
    {
        const QString comment =
            QStringLiteral("<office:annotation><dc:creator>Tester</dc:creator><text:p>"
                           "Note [ProjectName] and [department]</text:p><text:p>"
                           "[FocusArea] then [Product]</text:p></office:annotation>");
        const QString master = QStringLiteral(
            "<style:header><text:p>Header [ProjectName]</text:p></style:header>"
            "<style:header-first><text:p>First header [DEPARTMENT]</text:p></style:header-first>"
            "<style:footer><text:p>Footer [FocusArea]</text:p></style:footer>");
        const QString body =
            QStringLiteral(
                "<text:p>Body [ProjectName] in x[product]y and split [Proj<text:span "
                "text:style-name=\"Bold\">ectName]</text:span>.</text:p>"
                "<table:table table:name=\"Table1\"><table:table-column/><table:table-row>"
                "<table:table-cell><text:p>Cell [Department]</text:p></table:table-cell>"
                "</table:table-row></table:table>"
                "<text:p>Notes<text:note text:id=\"ftn1\" "
                "text:note-class=\"footnote\"><text:note-citation>1"
                "</text:note-citation><text:note-body><text:p>Footnote "
                "[FocusArea]</text:p></text:note-body>"
                "</text:note> and<text:note text:id=\"edn1\" "
                "text:note-class=\"endnote\"><text:note-citation>"
                "i</text:note-citation><text:note-body><text:p>Endnote "
                "[Product]</text:p></text:note-body>"
                "</text:note>.%1</text:p>"
                "<text:p><draw:custom-shape draw:style-name=\"Shape\" draw:name=\"Shape1\" "
                "text:anchor-type=\"paragraph\" svg:width=\"2in\" svg:height=\"0.6in\" "
                "svg:x=\"3in\" "
                "svg:y=\"0in\"><text:p>Shape [FocusArea] and [Pro<text:span "
                "text:style-name=\"Bold\">"
                "duct]</text:span></text:p><draw:enhanced-geometry draw:type=\"rectangle\"/>"
                "</draw:custom-shape><draw:g draw:name=\"Group1\" text:anchor-type=\"paragraph\">"
                "<draw:custom-shape draw:style-name=\"Shape\" svg:width=\"1in\" "
                "svg:height=\"0.5in\" "
                "svg:x=\"1in\" svg:y=\"1in\"><text:p>Grouped [ProjectName]</text:p>"
                "<draw:enhanced-geometry draw:type=\"rectangle\"/></draw:custom-shape>"
                "<draw:custom-shape draw:style-name=\"Shape\" svg:width=\"1in\" "
                "svg:height=\"0.5in\" "
                "svg:x=\"2.5in\" svg:y=\"1in\"><text:p>Grouped [Department]</text:p>"
                "<draw:enhanced-geometry "
                "draw:type=\"rectangle\"/></draw:custom-shape></draw:g></text:p>"
                "<text:p>Last paragraph.</text:p>")
                .arg(comment);
        return flatDocument(QString(), master, body);
    }
    // How often value `field` (0..3) shows after replacement, in all stories and shapes.
    static int expected(int field)
    {
        // Each field once more in the comment.
        static const int counts[4] = {/*ProjectName: body 2, header, group*/ 4 + 1,
                                      /*Department: first header, cell, group*/ 3 + 1,
                                      /*FocusArea: footer, footnote, shape*/ 3 + 1,
                                      /*Product: body, endnote, shape*/ 3 + 1};
        return counts[field];
    }
};

inline bool writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

} // namespace statusmill::testing
