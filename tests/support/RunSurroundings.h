#pragma once

// What a test of whole generation runs sets up around each test function: its own
// temporary and settings folders, recorded dialogs, and offices kept ready as the
// program keeps them; and what it takes down again.

#include "common/Dialogs.h"
#include "common/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/OfficeProcesses.h"
#include "generate/SpareOffices.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace statusmill::testing {

class RunSurroundings
{
public:
    void enter()
    {
        m_socketsBefore = officeSockets();
        m_temp = std::make_unique<QTemporaryDir>();
        qputenv("TEMP", QFile::encodeName(m_temp->path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_temp->filePath(QStringLiteral("config"))));
        Dialogs::startRecording();
        automation::startSpareOffices();
    }

    // Whether no office of ours, nor a socket of one, outlived the test.
    bool leave()
    {
        automation::setEngine(nullptr);
        automation::endSpareOffices();
        automation::setOfficeRecycling(true);
        const bool noOfficeLeft = ourOfficeProcesses().isEmpty();
        WorkFolder::remove();
        Dialogs::stopRecording();
        qunsetenv("TEMP");
        QStringList socketsLeft = officeSockets();
        for (const QString& socket : std::as_const(m_socketsBefore))
            socketsLeft.removeAll(socket);
        if (!socketsLeft.isEmpty())
            qWarning("Sockets left: %s", qPrintable(socketsLeft.join(QLatin1Char(' '))));
        return noOfficeLeft && socketsLeft.isEmpty();
    }

    QString filePath(const QString& name) const { return m_temp->filePath(name); }
    QString path() const { return m_temp->path(); }

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QStringList m_socketsBefore;
};

} // namespace statusmill::testing
