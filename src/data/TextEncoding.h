#pragma once

// What the bytes of a data file are as text: UTF-8 is taken, and text of two bytes
// a character is named for what it is, so that the user saves it again rather than
// hunting for a mistake in what looks right in an editor.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace statusmill::data {

// Where the bytes stop being UTF-8 (overlong forms and surrogates included), or -1.
qsizetype firstInvalidUtf8(QByteArrayView bytes);

// Text of two bytes a character: said by its byte-order mark, or by the NUL bytes
// that ASCII letters leave at every other place ("little-endian, by its byte-order
// mark"). Nothing for anything else.
std::optional<QString> utf16Kind(const QByteArray& text);

} // namespace statusmill::data
