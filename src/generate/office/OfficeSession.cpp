#include "OfficeSession.h"

#include "generate/EngineLimits.h"
#include "OfficeLocation.h"
#include "PipeFiles.h"
#include "common/StopRequest.h"
#include "common/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>

#include <cstdlib>
#include <cxxabi.h>
#include <thread>
#include <typeinfo>
#include <unistd.h>

namespace statusmill::automation {
namespace {
std::chrono::milliseconds g_callLimit = std::chrono::seconds(60);
std::chrono::milliseconds g_startLimit = std::chrono::seconds(30);
} // namespace

std::chrono::milliseconds callTimeLimit()
{
    return g_callLimit;
}

void setCallTimeLimit(std::chrono::milliseconds limit)
{
    g_callLimit = limit;
}

std::chrono::milliseconds startTimeLimit()
{
    return g_startLimit;
}

void setStartTimeLimit(std::chrono::milliseconds limit)
{
    g_startLimit = limit;
}

} // namespace statusmill::automation

namespace statusmill::office {

using namespace uno;
namespace {

// The office writes its profile on first start and then exits with this code,
// expecting to be started again.
constexpr int kProfileCreatedExitCode = 81;

QString secondsText(std::chrono::milliseconds limit)
{
    const auto seconds = std::max<long long>(1, (limit.count() + 999) / 1000);
    return seconds == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(seconds);
}

// Settings for the private profile, in place before the first start: no lock files
// (a stopped office must not leave a document locked for the next session) and no
// recovery data.
void writeProfileSettings(const QString& profileFolder)
{
    const QString userFolder = QDir(profileFolder).filePath(QStringLiteral("user"));
    if (!QDir().mkpath(userFolder))
        throw Failure(QStringLiteral("Cannot make the office profile folder %1").arg(userFolder));
    QFile file(QDir(userFolder).filePath(QStringLiteral("registrymodifications.xcu")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Failure(
            QStringLiteral("Cannot write the office profile: %1").arg(file.errorString()));
    auto item = [](const char* path, const char* name, const char* value) {
        return QByteArray("<item oor:path=\"") + path + "\"><prop oor:name=\"" + name +
               "\" oor:op=\"fuse\"><value>" + value + "</value></prop></item>\n";
    };
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                      "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    text += item("/org.openoffice.Office.Common/Misc", "UseLocking", "false");
    text += item("/org.openoffice.Office.Common/Misc", "UseDocumentOOoLockFile", "false");
    text += item("/org.openoffice.Office.Common/Misc", "UseDocumentSystemFileLocking", "false");
    text += item("/org.openoffice.Office.Recovery/AutoSave", "Enabled", "false");
    text += item("/org.openoffice.Office.Recovery/RecoveryInfo", "Enabled", "false");
    text += "</oor:items>\n";
    if (file.write(text) != text.size())
        throw Failure(
            QStringLiteral("Cannot write the office profile: %1").arg(file.errorString()));
}

// The exception's own type name, e.g. "com::sun::star::io::IOException".
QString typeName(const css::uno::Exception& e)
{
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    const QString result = QString::fromLatin1(status == 0 && name ? name : typeid(e).name());
    std::free(name);
    return result;
}

// The office's own message, or its type where it gave none.
QString describe(const css::uno::Exception& e)
{
    const QString message = toQString(e.Message).trimmed();
    if (!message.isEmpty())
        return message;
    return QStringLiteral("The document engine reported an error (%1).").arg(typeName(e));
}

void throwIfStopping()
{
    if (StopRequest::requested())
        throw Failure(QStringLiteral("The program is stopping."));
}

QString uniqueSuffix()
{
    return QStringLiteral("%1-%2")
        .arg(::getpid())
        .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

} // namespace

std::shared_ptr<OfficeSession> OfficeSession::start()
{
    throwIfStopping();
    const QString program = findOfficeProgram();
    if (program.isEmpty())
        throw Failure(
            QStringLiteral("The document engine was not found: no %1.").arg(searchDescription()));
    std::shared_ptr<OfficeSession> session(new OfficeSession(program));
    try {
        session->launchAndConnect();
    } catch (const css::uno::Exception& e) {
        session->shutDown();
        throw Failure(describe(e));
    } catch (...) {
        session->shutDown();
        throw;
    }
    return session;
}

OfficeSession::OfficeSession(const QString& program)
    : m_profileFolder(WorkFolder::file(QStringLiteral("office-") + uniqueSuffix())),
      m_pipeName(QStringLiteral("statusmill-") + uniqueSuffix()),
      m_process(program, m_profileFolder, m_pipeName), m_pipeFiles(pipeFilesNamed(m_pipeName))
{}

OfficeSession::~OfficeSession()
{
    shutDown();
}

void OfficeSession::launchAndConnect()
{
    const auto local = localContext();
    writeProfileSettings(m_profileFolder);

    const auto limit = automation::startTimeLimit();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int restarts = 0;
    // The watchdog gets the pid only once the loop below, which reaps a process
    // that ended while starting, is done.
    m_process.start();

    const auto connector = css::connection::Connector::create(local);
    const rtl::OUString description = toOUString(QStringLiteral("pipe,name=") + m_pipeName);
    for (;;) {
        throwIfStopping();
        if (!m_process.running()) {
            const auto code = m_process.exitCode();
            if (code == kProfileCreatedExitCode && restarts++ < 2) {
                m_process.start();
                continue;
            }
            throw Failure(code ? QStringLiteral("The document engine (soffice.bin) ended with exit "
                                                "code %1 while starting.")
                                     .arg(*code)
                               : QStringLiteral("The document engine (soffice.bin) was stopped "
                                                "while starting."));
        }
        try {
            const auto connection = connector->connect(description);
            m_bridge = css::bridge::BridgeFactory::create(local)->createBridge(
                rtl::OUString(), "urp", connection, nullptr);
            break;
        } catch (const css::connection::NoConnectException&) {
        }
        if (std::chrono::steady_clock::now() >= deadline)
            throw Failure(QStringLiteral("The document engine did not accept a connection within "
                                         "%1 and was stopped.")
                              .arg(secondsText(limit)));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_watchdog.setPid(m_process.pid());
    // Its profile's pipe is bound by now, under a name only the office knows.
    for (const QString& path : pipeFilesBoundBy(m_process.pid()))
        if (!m_pipeFiles.contains(path))
            m_pipeFiles << path;
    // Should the program be killed, its next start removes them.
    for (const QString& path : std::as_const(m_pipeFiles))
        WorkFolder::noteOutsideFile(path);

    call([&] {
        m_context.set(m_bridge->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
        m_desktop.set(m_context->getServiceManager()->createInstanceWithContext(
                          "com.sun.star.frame.Desktop", m_context),
                      UNO_QUERY_THROW);
    });
}

void OfficeSession::ensureRunning()
{
    if (m_ended)
        throw Failure(QStringLiteral("The document engine is no longer running."));
}

Failure OfficeSession::failureFor(const css::uno::Exception& e, bool disconnected)
{
    // Seeing whether the office still runs may reap it, and a reaped pid can be
    // reused: the watchdog lets go of it first. Only then is fired() final.
    m_watchdog.setPid(-1);
    if (m_watchdog.fired() || m_timedOut) {
        m_timedOut = true;
        shutDown();
        return Failure(
            QStringLiteral("The document engine did not answer within %1 and was stopped.")
                .arg(secondsText(automation::callTimeLimit())));
    }
    // A broken connection can be noticed before the ended process can be reaped.
    if (!m_process.running() || (disconnected && m_process.waitForExit(500))) {
        shutDown();
        return Failure(QStringLiteral("The document engine stopped unexpectedly."));
    }
    m_watchdog.setPid(m_process.pid());
    return Failure(describe(e));
}

OfficeSession::Armed::Armed(OfficeSession& session) : m_session(session)
{
    if (m_session.m_depth++ == 0)
        m_session.m_watchdog.arm(automation::callTimeLimit());
}

OfficeSession::Armed::~Armed()
{
    if (--m_session.m_depth == 0)
        m_session.m_watchdog.disarm();
}

void OfficeSession::shutDown()
{
    if (m_ended)
        return;
    m_ended = true;
    m_watchdog.setPid(-1);
    if (m_desktop.is() && m_process.running()) {
        m_watchdog.setPid(m_process.pid());
        m_watchdog.arm(std::chrono::seconds(10));
        try {
            m_desktop->terminate();
        } catch (const css::uno::Exception&) {
            // The office often goes before its answer does.
        }
        m_watchdog.setPid(-1);
        m_watchdog.disarm();
        m_process.waitForExit(5000);
    }
    m_process.kill();
    // A killed office cannot remove its pipes; the names are unique to this session.
    removePipeFiles(m_pipeFiles);
    releaseEverything();
    QDir(m_profileFolder).removeRecursively();
}

void OfficeSession::releaseEverything()
{
    m_desktop.clear();
    m_context.clear();
    if (m_bridge.is()) {
        try {
            uno::Reference<css::lang::XComponent>(m_bridge, UNO_QUERY_THROW)->dispose();
        } catch (const css::uno::Exception&) {
        }
        m_bridge.clear();
    }
    // Proxies of a disposed bridge no longer reach the office.
    m_adopted.clear();
}

} // namespace statusmill::office
