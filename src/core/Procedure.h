#pragma once

#include "Failure.h"
#include "StopRequest.h"

#include <QString>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>

namespace statusmill {

// Runs the numbered statements of one guarded procedure. A statement that throws
// is reported with the procedure's location and its number (through the report
// sink), has no effect, and the procedure carries on with the next statement. The trap stays armed,
// so one procedure can show several reports in a row. Once the program is asked to stop, every
// statement counts as failed without running or being reported.
class Procedure
{
public:
    explicit Procedure(QString location) : m_location(std::move(location)) {}

    const QString& location() const { return m_location; }
    int failures() const { return m_failures; }

    // A plain statement. Returns whether it completed.
    template <class Statement> bool run(int line, Statement&& statement)
    {
        return guarded(line, [&] { std::invoke(statement); });
    }

    // The test of a conditional whose then-branch does work: a failed test enters
    // the branch.
    template <class Test> bool when(int line, Test&& test)
    {
        bool result = true;
        guarded(line, [&] { result = static_cast<bool>(std::invoke(test)); });
        return result;
    }

    // The test of a conditional whose then-branch is only a jump (return, go back):
    // a failed test goes on after the conditional, so the jump is not taken.
    template <class Test> bool jumpWhen(int line, Test&& test)
    {
        bool result = false;
        guarded(line, [&] { result = static_cast<bool>(std::invoke(test)); });
        return result;
    }

    // A loop over a collection. `fetch` (at line `head`) yields an enumerator with
    // `std::optional<Item> next()`; the first item is taken at the head, every
    // further one at line `end`. A failed head runs the body once without an item;
    // a failed end leaves the loop.
    template <class Fetch, class Body> void forEach(int head, int end, Fetch&& fetch, Body&& body)
    {
        using Enumerator = std::invoke_result_t<Fetch>;
        std::optional<Enumerator> items;
        std::optional<decltype(std::declval<Enumerator&>().next())> current;
        const bool started = guarded(head, [&] {
            items.emplace(std::invoke(fetch));
            current.emplace(items->next());
        });
        if (!started) {
            body(decltype(items->next()){});
            return;
        }
        while (*current) {
            body(*current);
            const bool advanced = guarded(end, [&] { current.emplace(items->next()); });
            if (!advanced)
                return;
        }
    }

    // The description that a failure carries into the report.
    static QString describe(std::exception_ptr failure);

    // Where failed statements are reported: the program installs its error report
    // box at start. Without a sink, a report is a line on standard error.
    using ReportSink =
        std::function<void(const QString& location, int line, const QString& description)>;
    // Installs `sink` and returns the one it replaces, to be put back.
    static ReportSink setReportSink(ReportSink sink);

    // Test side: makes every statement numbered `line` of the procedure at
    // `location` fail before it runs, as if its operation had failed.
    static void injectFailureForTests(const QString& location, int line);
    static void withdrawInjectedFailure(const QString& location, int line);

private:
    void throwIfInjected(int line) const;
    static void report(const QString& location, int line, const QString& description);

    template <class Statement> bool guarded(int line, Statement&& statement)
    {
        // A program asked to stop only unwinds: nothing more is done or reported.
        if (StopRequest::requested()) {
            ++m_failures;
            return false;
        }
        try {
            throwIfInjected(line);
            statement();
            return true;
        } catch (...) {
            ++m_failures;
            report(m_location, line, describe(std::current_exception()));
            return false;
        }
    }

    QString m_location;
    int m_failures = 0;
};

} // namespace statusmill
