#pragma once

// The formats a report is saved in: those the Save dialog offers, which one a
// chosen name gets, and the document's own call that writes each.

#include "Automation.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace statusmill::SaveFormats {

enum class Format { Doc, Docx, Odt, Pdf };

struct Offered
{
    Format format;
    const char* filter;
    const char* extension;
};

// In the dialog's order; the first is selected at first.
inline constexpr Offered kOffered[] = {
    {Format::Doc, "Word Files (*.doc)", "doc"},
    {Format::Docx, "Word Documents (*.docx)", "docx"},
    {Format::Odt, "OpenDocument Text (*.odt)", "odt"},
    {Format::Pdf, "PDF Files (*.pdf)", "pdf"},
};

// The dialog's filters, ";;" between them.
inline QString filterList()
{
    QStringList filters;
    for (const Offered& offered : kOffered)
        filters << QLatin1String(offered.filter);
    return filters.join(QStringLiteral(";;"));
}

// The format a name's extension names, in any case; nothing for any other.
inline std::optional<Format> formatOfName(const QString& name)
{
    for (const Offered& offered : kOffered) {
        if (name.endsWith(QLatin1Char('.') + QLatin1String(offered.extension), Qt::CaseInsensitive))
            return offered.format;
    }
    return std::nullopt;
}

// The selected filter's format, unless the name ends in the extension of an
// offered format (in any case): "report.pdf" is a PDF whatever is selected. A name
// without one keeps the selected filter's format; no extension is ever added.
inline Format formatFor(const QString& name, const QString& selectedFilter)
{
    if (const auto named = formatOfName(name))
        return *named;
    for (const Offered& offered : kOffered) {
        if (selectedFilter == QLatin1String(offered.filter))
            return offered.format;
    }
    return Format::Doc;
}

// Writes the document to `path` in the format: Word 97, Word 2007, OpenDocument
// through SaveAs, PDF through ExportAsFixedFormat (every page, fonts embedded).
inline void saveInFormat(automation::Document& document, const QString& path, Format format)
{
    switch (format) {
    case Format::Doc:
        document.SaveAs(path, automation::Document::FormatDocument);
        break;
    case Format::Docx:
        document.SaveAs(path, automation::Document::FormatXMLDocument);
        break;
    case Format::Odt:
        document.SaveAs(path, automation::Document::FormatOpenDocumentText);
        break;
    case Format::Pdf:
        document.ExportAsFixedFormat(path);
        break;
    }
}

inline const char* extensionOf(Format format)
{
    for (const Offered& offered : kOffered) {
        if (offered.format == format)
            return offered.extension;
    }
    return "doc";
}

} // namespace statusmill::SaveFormats
