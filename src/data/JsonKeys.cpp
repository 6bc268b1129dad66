#include "JsonKeys.h"

namespace statusmill::data {
namespace {

int hexDigit(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// A reader of JSON that QJsonDocument has taken: it trusts the text to be well
// formed, and stops where it is not.
class KeyScanner
{
public:
    explicit KeyScanner(QByteArrayView text) : m_text(text) {}

    QHash<QString, QStringList> scan()
    {
        value(QString());
        return std::move(m_objects);
    }

private:
    char peek()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }

    void value(const QString& path)
    {
        switch (peek()) {
        case '{':
            object(path);
            break;
        case '[':
            array(path);
            break;
        case '"':
            string();
            break;
        default: // a number, true, false or null
            while (m_at < m_text.size() && !QByteArrayView(",]} \t\r\n").contains(m_text[m_at]))
                ++m_at;
        }
    }

    void object(const QString& path)
    {
        ++m_at; // {
        const bool first = !m_objects.contains(path);
        QStringList keys;
        while (peek() == '"') {
            const QString key = string();
            keys << key;
            if (peek() == ':')
                ++m_at;
            value(path.isEmpty() ? key : path + QLatin1Char('.') + key);
            if (peek() == ',')
                ++m_at;
        }
        if (peek() == '}')
            ++m_at;
        if (first)
            m_objects.insert(path, keys);
    }

    void array(const QString& path)
    {
        ++m_at; // [
        for (int index = 0; peek() != ']' && m_at < m_text.size(); ++index) {
            const qsizetype before = m_at;
            // Paths are made only for what can hold an object.
            const char next = peek();
            value(next == '{' || next == '[' ? QStringLiteral("%1[%2]").arg(path).arg(index) : QString());
            if (peek() == ',')
                ++m_at;
            if (m_at == before)
                return; // not JSON after all
        }
        ++m_at; // ]
    }

    // The string at a quote, its escapes read.
    QString string()
    {
        ++m_at; // "
        QString text;
        qsizetype run = m_at;
        auto flush = [&] { text += QString::fromUtf8(m_text.sliced(run, m_at - run)); };
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            if (m_text[m_at] != '\\') {
                ++m_at;
                continue;
            }
            flush();
            text += escaped();
            run = m_at;
        }
        flush();
        ++m_at; // "
        return text;
    }

    // The character of an escape, at its backslash.
    QString escaped()
    {
        const char kind = m_at + 1 < m_text.size() ? m_text[m_at + 1] : '\\';
        m_at += 2;
        switch (kind) {
        case 'b':
            return QStringLiteral("\b");
        case 'f':
            return QStringLiteral("\f");
        case 'n':
            return QStringLiteral("\n");
        case 'r':
            return QStringLiteral("\r");
        case 't':
            return QStringLiteral("\t");
        case 'u': {
            // A surrogate pair is two escapes, each a half of it.
            char16_t unit = 0;
            for (const qsizetype end = std::min(m_at + 4, m_text.size()); m_at < end; ++m_at)
                unit = char16_t(unit * 16 + hexDigit(m_text[m_at]));
            return QString(QChar(unit));
        }
        default: // " \ /
            return QString(QLatin1Char(kind));
        }
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
    QHash<QString, QStringList> m_objects;
};

} // namespace

QHash<QString, QStringList> objectKeys(QByteArrayView json)
{
    return KeyScanner(json).scan();
}

} // namespace statusmill::data
