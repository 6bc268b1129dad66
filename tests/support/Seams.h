#pragma once

// Every seam of the program that a test sets, each through a guard that puts the
// old value back when it goes, so no test leaks a setting into the next.

#include "core/Procedure.h"
#include "core/Random.h"
#include "generate/Offices.h"
#include "generate/office/OfficeLocation.h"
#include "shell/IsInstalled.h"
#include "shell/StartUp.h"
#include "ui/Dialogs.h"
#include "ui/OptionalFiles.h"

#include <QByteArray>

#include <chrono>
#include <functional>
#include <optional>

namespace statusmill::testing {

// Sets a value through `set`, which returns the value it replaces, and sets that
// back at the end.
template <class Value> class Restoring
{
public:
    template <class Set>
    Restoring(Set set, Value value) : m_set(set), m_previous(m_set(std::move(value)))
    {}
    ~Restoring() { m_set(std::move(m_previous)); }
    Restoring(const Restoring&) = delete;
    Restoring& operator=(const Restoring&) = delete;

private:
    std::function<Value(Value)> m_set;
    Value m_previous;
};

struct CallTimeLimit : Restoring<std::chrono::milliseconds>
{
    explicit CallTimeLimit(std::chrono::milliseconds limit)
        : Restoring(automation::setCallTimeLimit, limit)
    {}
};

struct StartTimeLimit : Restoring<std::chrono::milliseconds>
{
    explicit StartTimeLimit(std::chrono::milliseconds limit)
        : Restoring(automation::setStartTimeLimit, limit)
    {}
};

struct OfficeRecycling : Restoring<bool>
{
    explicit OfficeRecycling(bool on) : Restoring(automation::setOfficeRecycling, on) {}
};

// Where the office is looked for: only `folders`, and (with PATH emptied) not on PATH.
class OfficeSearch
{
public:
    explicit OfficeSearch(const QStringList& folders)
        : m_path(qgetenv("PATH")), m_folders(office::setInstallFolders(folders))
    {
        qputenv("PATH", "");
    }
    ~OfficeSearch()
    {
        office::setInstallFolders(std::move(m_folders));
        qputenv("PATH", m_path);
    }
    OfficeSearch(const OfficeSearch&) = delete;
    OfficeSearch& operator=(const OfficeSearch&) = delete;

private:
    QByteArray m_path;
    std::optional<QStringList> m_folders;
};

struct Terminator : Restoring<IsInstalled::Terminator>
{
    explicit Terminator(IsInstalled::Terminator end) : Restoring(IsInstalled::setTerminator, end) {}
};

struct SiteOpener : Restoring<statusmill::SiteOpener>
{
    explicit SiteOpener(statusmill::SiteOpener opener)
        : Restoring(setSiteOpenerForTests, std::move(opener))
    {}
};

// The administrator's folder for the optional skin and cursor.
struct AdminFolder : Restoring<QString>
{
    explicit AdminFolder(const QString& folder) : Restoring(setAdminFolderForTests, folder) {}
};

struct RandomSource : Restoring<std::function<double()>>
{
    explicit RandomSource(std::function<double()> source)
        : Restoring(Random::setSourceForTests, std::move(source))
    {}
};

// The statement `line` of the procedure at `location` fails before it runs.
class InjectedFailure
{
public:
    InjectedFailure(QString location, int line) : m_location(std::move(location)), m_line(line)
    {
        Procedure::injectFailureForTests(m_location, m_line);
    }
    ~InjectedFailure() { Procedure::withdrawInjectedFailure(m_location, m_line); }
    InjectedFailure(const InjectedFailure&) = delete;
    InjectedFailure& operator=(const InjectedFailure&) = delete;

private:
    QString m_location;
    int m_line;
};

// Boxes and the save dialog are recorded and answered from the queue, not shown.
class RecordedDialogs
{
public:
    RecordedDialogs() { Dialogs::startRecording(); }
    ~RecordedDialogs() { Dialogs::stopRecording(); }
    RecordedDialogs(const RecordedDialogs&) = delete;
    RecordedDialogs& operator=(const RecordedDialogs&) = delete;
};

// An environment variable set (or, with a null value, unset) for the guard's life.
class EnvironmentVariable
{
public:
    EnvironmentVariable(const char* name, const QByteArray& value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name))
    {
        set(value.isNull() ? std::nullopt : std::optional<QByteArray>(value));
    }
    ~EnvironmentVariable() { set(m_wasSet ? std::optional<QByteArray>(m_previous) : std::nullopt); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    void set(const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }

    const char* m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

} // namespace statusmill::testing
