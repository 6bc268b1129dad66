#include "Procedure.h"

#include <QSet>

namespace statusmill {
namespace {

QSet<QString>& injectedFailures()
{
    static QSet<QString> failures;
    return failures;
}

QString injectionKey(const QString& location, int line)
{
    return location + QLatin1Char('#') + QString::number(line);
}

} // namespace

void Procedure::injectFailureForTests(const QString& location, int line)
{
    injectedFailures().insert(injectionKey(location, line));
}

void Procedure::clearInjectedFailures()
{
    injectedFailures().clear();
}

void Procedure::throwIfInjected(int line) const
{
    if (!injectedFailures().isEmpty() &&
        injectedFailures().contains(injectionKey(m_location, line)))
        throw Failure(QStringLiteral("Injected failure"));
}

QString Procedure::describe(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Failure& f) {
        return f.description();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace statusmill
