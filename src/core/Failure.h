#pragma once

#include <QString>
#include <stdexcept>

namespace statusmill {

// The program's one failure type. Its description is what the user sees in the
// error report, so it carries the failing operation's own message unchanged.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {}

    const QString& description() const noexcept { return m_description; }

private:
    QString m_description;
};

} // namespace statusmill
