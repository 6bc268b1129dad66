#pragma once

// The text of a JSON data file as a document: a byte-order mark dropped, a number
// too small for a double read as 0 (as other readers of JSON take it), and text
// that is no JSON named with its line and column.

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

namespace statusmill::data {

struct JsonText
{
    // The text the document was read from: a number too small stands there as a
    // 0 and spaces, so that everything after it keeps its place.
    QByteArray bytes;
    QJsonDocument document;
};

// Throws Failure naming `file`: for UTF-16 text, for text that is no JSON (with its
// line and column), a number too large for a double among it, and for JSON that is
// neither an object nor an array.
JsonText readJsonText(QByteArray bytes, const QString& file);

} // namespace statusmill::data
