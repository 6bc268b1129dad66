#pragma once

#include <QString>
#include <stdexcept>

namespace statusmill {

// The program's one failure type. Its description is what the user sees in the
// error report, so it carries the failing operation's own message unchanged.
class Failure : public std::runtime_error
{
public:
    // Whether the work itself failed (a template that cannot be read, a full disk),
    // which would fail again; or the office doing it was lost (it died, hung or
    // could not be started), so that the same work may well succeed on a fresh one.
    enum class Kind { Work, OfficeLost };

    explicit Failure(const QString& description, Kind kind = Kind::Work)
        : std::runtime_error(description.toStdString()), m_description(description), m_kind(kind)
    {}

    const QString& description() const noexcept { return m_description; }
    Kind kind() const noexcept { return m_kind; }

private:
    QString m_description;
    Kind m_kind;
};

} // namespace statusmill
