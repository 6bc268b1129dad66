#include "TextEncoding.h"

#include <algorithm>

namespace statusmill::data {

qsizetype firstInvalidUtf8(QByteArrayView bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        if (c < 0x80) {
            ++at;
            continue;
        }
        const int length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || at + length > bytes.size())
            return at;
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second >= 0xA0) ||
            (c == 0xF0 && second < 0x90) || (c == 0xF4 && second >= 0x90))
            return at;
        for (int k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[at + k]) & 0xC0) != 0x80)
                return at;
        at += length;
    }
    return -1;
}

std::optional<QString> utf16Kind(const QByteArray& text)
{
    if (text.startsWith("\xFF\xFE"))
        return QStringLiteral("little-endian, by its byte-order mark");
    if (text.startsWith("\xFE\xFF"))
        return QStringLiteral("big-endian, by its byte-order mark");
    const qsizetype pairs = std::min<qsizetype>(text.size(), 64) / 2;
    int evenNuls = 0;
    int oddNuls = 0;
    for (qsizetype pair = 0; pair < pairs; ++pair) {
        evenNuls += text[2 * pair] == '\0';
        oddNuls += text[2 * pair + 1] == '\0';
    }
    if (pairs > 0 && oddNuls * 2 >= pairs && evenNuls == 0)
        return QStringLiteral("little-endian, by its NUL bytes");
    if (pairs > 0 && evenNuls * 2 >= pairs && oddNuls == 0)
        return QStringLiteral("big-endian, by its NUL bytes");
    return std::nullopt;
}

} // namespace statusmill::data
