#pragma once

// What a test of whole generation runs sets up around each test function: its own
// temporary, settings and cache folders, recorded dialogs and error reports, and offices
// kept ready as the program keeps them; and what it takes down again.

#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "support/OfficeProcesses.h"
#include "support/Seams.h"
#include "ui/ErrorReport.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace statusmill::testing {

class RunSurroundings
{
public:
    void enter()
    {
        m_temp = std::make_unique<QTemporaryDir>();
        m_guards.emplace(m_temp->path());
        automation::startSpareOffices();
    }

    // Whether no office of ours, nor a socket of one, outlived the test.
    bool leave()
    {
        const QStringList ourSockets = officeSocketsOf(::getpid(), m_temp->path());
        automation::endSpareOffices();
        const bool noOfficeLeft = ourOfficeProcesses().isEmpty();
        WorkFolder::remove();
        m_guards.reset();
        const QStringList socketsLeft =
            stillThere(ourSockets + officeSocketsOf(::getpid(), m_temp->path()));
        if (!socketsLeft.isEmpty())
            qWarning("Sockets left: %s", qPrintable(socketsLeft.join(QLatin1Char(' '))));
        return noOfficeLeft && socketsLeft.isEmpty();
    }

    QString filePath(const QString& name) const { return m_temp->filePath(name); }
    QString path() const { return m_temp->path(); }

private:
    struct Guards
    {
        explicit Guards(const QString& folder)
            : temp("TEMP", QFile::encodeName(folder)),
              config("XDG_CONFIG_HOME", QFile::encodeName(folder + QStringLiteral("/config"))),
              cache("XDG_CACHE_HOME", QFile::encodeName(folder + QStringLiteral("/cache")))
        {}
        EnvironmentVariable temp;
        EnvironmentVariable config;
        EnvironmentVariable cache;
        RecordedDialogs dialogs;
        ErrorReportsShown reports;
    };

    std::unique_ptr<QTemporaryDir> m_temp;
    std::optional<Guards> m_guards;
};

} // namespace statusmill::testing
