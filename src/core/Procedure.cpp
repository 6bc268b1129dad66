#include "Procedure.h"

#include <QSet>

#include <cstdio>
#include <utility>

namespace statusmill {
namespace {

QSet<QString>& injectedFailures()
{
    static QSet<QString> failures;
    return failures;
}

Procedure::ReportSink& reportSink()
{
    static Procedure::ReportSink sink;
    return sink;
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

void Procedure::withdrawInjectedFailure(const QString& location, int line)
{
    injectedFailures().remove(injectionKey(location, line));
}

void Procedure::throwIfInjected(int line) const
{
    if (!injectedFailures().isEmpty() &&
        injectedFailures().contains(injectionKey(m_location, line)))
        throw Failure(QStringLiteral("Injected failure"));
}

Procedure::ReportSink Procedure::setReportSink(ReportSink sink)
{
    return std::exchange(reportSink(), std::move(sink));
}

void Procedure::report(const QString& location, int line, const QString& description)
{
    if (reportSink()) {
        reportSink()(location, line, description);
        return;
    }
    std::fputs(QStringLiteral("%1 at line %2: %3\n")
                   .arg(location)
                   .arg(line)
                   .arg(description)
                   .toLocal8Bit()
                   .constData(),
               stderr);
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
