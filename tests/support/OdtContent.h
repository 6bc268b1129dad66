#pragma once

// What a saved .odt holds, read from its content.xml without the office: its
// paragraphs in order (those of footnotes, endnotes and comments marked as such)
// and its table cells with their shading.

#include "support/TestFiles.h"

#include <QHash>
#include <QStringList>
#include <QXmlStreamReader>

namespace statusmill::testing {

inline QByteArray odtContent(const QString& odt)
{
    return commandOutput(QStringLiteral("unzip"), {"-p", odt, "content.xml"}).toUtf8();
}

// Each paragraph's own text, a line break as "\n"; a note's paragraph as
// "note: ...", a comment's as "comment: ...".
inline QStringList odtParagraphs(const QString& odt)
{
    QXmlStreamReader xml(odtContent(odt));
    QStringList done;
    QList<QString> open; // the paragraphs being read, innermost last
    QStringList where;   // "note", "comment" around them
    int citation = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement()) {
            if (name == QLatin1String("p") || name == QLatin1String("h"))
                open.append(where.isEmpty() ? QString() : where.last() + QStringLiteral(": "));
            else if (name == QLatin1String("note-body"))
                where.append(QStringLiteral("note"));
            else if (name == QLatin1String("annotation"))
                where.append(QStringLiteral("comment"));
            else if (name == QLatin1String("note-citation") || name == QLatin1String("creator") ||
                     name == QLatin1String("date"))
                ++citation;
            else if (!open.isEmpty() && name == QLatin1String("s"))
                open.last() += QString(qMax(1, xml.attributes().value(QStringLiteral("text:c")).toInt()), u' ');
            else if (!open.isEmpty() && name == QLatin1String("tab"))
                open.last() += u'\t';
            else if (!open.isEmpty() && name == QLatin1String("line-break"))
                open.last() += u'\n';
        } else if (xml.isEndElement()) {
            if (name == QLatin1String("p") || name == QLatin1String("h"))
                done.append(open.takeLast());
            else if (name == QLatin1String("note-body") || name == QLatin1String("annotation"))
                where.removeLast();
            else if (name == QLatin1String("note-citation") || name == QLatin1String("creator") ||
                     name == QLatin1String("date"))
                --citation;
        } else if (xml.isCharacters() && !open.isEmpty() && citation == 0) {
            open.last() += xml.text();
        }
    }
    return done;
}

// Each table cell's text, with its shading (empty for none).
inline QList<std::pair<QString, QString>> odtShadedCells(const QString& odt)
{
    QHash<QString, QString> shading;
    QList<std::pair<QString, QString>> cells;
    QXmlStreamReader xml(odtContent(odt));
    QString style, cellStyle, text;
    bool inCell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("style")) {
            style = xml.attributes().value(QStringLiteral("style:name")).toString();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("table-cell-properties")) {
            shading.insert(style, xml.attributes().value(QStringLiteral("fo:background-color")).toString());
        } else if (xml.isStartElement() && xml.name() == QLatin1String("table-cell")) {
            inCell = true;
            cellStyle = xml.attributes().value(QStringLiteral("table:style-name")).toString();
            text.clear();
        } else if (inCell && xml.isCharacters()) {
            text += xml.text();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("table-cell")) {
            inCell = false;
            const QString colour = shading.value(cellStyle);
            cells.append({text, colour == QLatin1String("transparent") ? QString() : colour});
        }
    }
    return cells;
}

} // namespace statusmill::testing
