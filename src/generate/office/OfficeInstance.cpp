#include "OfficeInstance.h"

#include "Limits.h"
#include "OfficeComponent.h"
#include "PageSize.h"
#include "PipeFiles.h"
#include "ProfileCopy.h"
#include "TextDocumentLoad.h"
#include "core/FileHelpers.h"
#include "core/SafeRemoval.h"
#include "core/Failure.h"
#include "core/Random.h"
#include "core/StopRequest.h"
#include "core/Threads.h"
#include "core/WorkFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <algorithm>
#include <thread>
#include <unistd.h>

namespace statusmill::office {

using namespace uno;

namespace {

// The office writes its profile on first start and then exits with this code,
// expecting to be started again.
constexpr int kProfileCreatedExitCode = 81;

// "LibreOffice 7.4" in the installation's bootstrap file gives "7.4"; nothing when
// it cannot be read.
QByteArray productVersion(const QString& program)
{
    QFile bootstrap(QFileInfo(program).absolutePath() + QStringLiteral("/bootstraprc"));
    if (!bootstrap.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : bootstrap.readAll().split('\n')) {
        if (!line.startsWith("ProductKey="))
            continue;
        const QByteArray version = line.trimmed().split(' ').last();
        const bool plausible =
            !version.isEmpty() && std::all_of(version.begin(), version.end(), [](char c) {
                return (c >= '0' && c <= '9') || c == '.';
            });
        return plausible ? version : QByteArray();
    }
    return {};
}

// Settings for a new profile, in place before the first start: no lock files (a
// stopped office must not leave a document locked for the next session), no
// recovery data, and no list of recent documents, so nothing of one session's
// documents is kept for the next. And the version the profile was last used with:
// without it every start takes the office for an upgraded one and runs its
// graphics self-tests, most of a second before it takes a connection.
void writeProfileSettings(const QString& profileFolder, const QString& program)
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
    text += item("/org.openoffice.Office.Common/History", "PickListSize", "0");
    if (const QByteArray version = productVersion(program); !version.isEmpty())
        text += item("/org.openoffice.Setup/Product", "ooSetupLastVersion", version.constData());
    text += "</oor:items>\n";
    if (file.write(text) != text.size())
        throw Failure(
            QStringLiteral("Cannot write the office profile: %1").arg(file.errorString()));
}

// Our pid first, so that the pipes of a run can be told by their names.
QString uniqueSuffix()
{
    return QStringLiteral("%1-%2").arg(::getpid()).arg(Random::uniqueSuffix());
}

} // namespace

QString secondsText(std::chrono::milliseconds limit)
{
    const auto seconds = std::max<long long>(1, (limit.count() + 999) / 1000);
    return seconds == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(seconds);
}

std::unique_ptr<OfficeInstance> OfficeInstance::launch(const QString& program,
                                                       const QString& readyProfile)
{
    return launchIn(WorkFolder::path(), program, copyOf(readyProfile));
}

OfficeInstance::ProfileSource OfficeInstance::copyOf(const QString& readyProfile)
{
    return [readyProfile](const QString& profileFolder) {
        if (readyProfile.isEmpty() || !QFileInfo(readyProfile).isDir())
            return false;
        copyProfile(readyProfile, profileFolder);
        return true;
    };
}

std::unique_ptr<OfficeInstance> OfficeInstance::launchIn(const QString& folder,
                                                         const QString& program,
                                                         const ProfileSource& source)
{
    if (StopRequest::requested())
        throw Failure(QStringLiteral("The program is stopping."));
    std::unique_ptr<OfficeInstance> office(
        new OfficeInstance(program, folder + QStringLiteral("/office-") + uniqueSuffix(),
                           QStringLiteral("statusmill-") + uniqueSuffix()));
    office->m_fromCopy = source && source(office->m_profileFolder);
    if (!office->m_fromCopy)
        writeProfileSettings(office->m_profileFolder, program);
    // Without it the office still makes reports; only a fill from data needs it.
    if (const QString component = officeComponentLibrary(); !component.isEmpty())
        registerOfficeComponent(office->m_profileFolder, component);
    // Named before they exist: whatever ends the program, they go.
    for (const QString& path : std::as_const(office->m_pipeFiles))
        WorkFolder::noteOutsideFile(path);
    office->m_launchedAt = Clock::now();
    office->m_process.start();
    return office;
}

OfficeInstance::OfficeInstance(const QString& program, const QString& profileFolder,
                               const QString& pipeName)
    : m_profileFolder(profileFolder), m_pipeName(pipeName),
      m_process(program, m_profileFolder, m_pipeName),
      m_pipeFiles(predictedPipeFiles())
{}

QStringList OfficeInstance::predictedPipeFiles() const
{
    return pipeFilesNamed(m_pipeName) + pipeFilesOfProfile(userInstallationUrl(m_profileFolder));
}

OfficeInstance::~OfficeInstance()
{
    end(false);
}

void OfficeInstance::connect(Clock::time_point deadline, const ProfileMade& profileMade)
{
    const auto local = localContext();
    const auto connector = css::connection::Connector::create(local);
    const rtl::OUString description = toOUString(QStringLiteral("pipe,name=") + m_pipeName);
    for (;;) {
        if (StopRequest::requested())
            throw Failure(QStringLiteral("The program is stopping."));
        if (!m_process.running()) {
            const auto code = m_process.exitCode();
            if (code == kProfileCreatedExitCode && m_restarts++ < 2) {
                if (profileMade)
                    profileMade();
                m_process.start();
                continue;
            }
            m_failedToStart = code.has_value();
            throw Failure(code ? QStringLiteral("The document engine (soffice.bin) ended with exit "
                                                "code %1 while starting.")
                                     .arg(*code)
                               : QStringLiteral("The document engine (soffice.bin) was stopped "
                                                "while starting."));
        }
        if (m_process.stopped())
            throw Failure(QStringLiteral("The document engine (soffice.bin) is stopped."));
        try {
            const auto connection = connector->connect(description);
            m_bridge = css::bridge::BridgeFactory::create(local)->createBridge(
                rtl::OUString(), "urp", connection, nullptr);
            break;
        } catch (const css::connection::NoConnectException&) {
        }
        if (Clock::now() >= deadline) {
            m_failedToStart = true;
            throw Failure(QStringLiteral("The document engine did not accept a connection within "
                                         "%1 and was stopped.")
                              .arg(secondsText(startTimeLimit())));
        }
        // Short naps: this wait is on the way to the main window and to every fresh start.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    noteBoundPipeFiles();

    m_watchdog.arm(callTimeLimit());
    const auto disarm = qScopeGuard([this] { m_watchdog.disarm(); });
    m_context.set(m_bridge->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
    m_desktop.set(m_context->getServiceManager()->createInstanceWithContext(
                      "com.sun.star.frame.Desktop", m_context),
                  UNO_QUERY_THROW);
}

void OfficeInstance::noteBoundPipeFiles()
{
    // The names worked out at launch should be all; should an office bind another
    // pipe, that goes too.
    for (const QString& path : pipeFilesBoundBy(m_process.pid())) {
        if (!m_pipeFiles.contains(path)) {
            m_pipeFiles << path;
            WorkFolder::noteOutsideFile(path);
        }
    }
}

bool OfficeInstance::starting()
{
    if (connected() || !m_process.running())
        return false;
    // Its accept pipe is the first name in the list: bound once it can be connected to.
    return !std::any_of(m_pipeFiles.begin(), m_pipeFiles.begin() + 2,
                        [](const QString& path) { return QFileInfo::exists(path); });
}

bool OfficeInstance::profileIntact() const
{
    // A temp cleaner may have removed the profile, or the temporary folder the
    // office made in its own at start: an office without them fails every save.
    return QFileInfo(QDir(m_profileFolder).filePath(QStringLiteral("user"))).isDir() &&
           !QDir(QDir(m_profileFolder).filePath(QStringLiteral("tmp")))
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

void OfficeInstance::prepareTemplate(TemplateToPrepare what)
{
    // One preparation at a time, and never over one that is still there.
    if (holdsPrepared() || m_ended || !connected())
        return;
    // The built-in template's copy lies beside the profile, which goes with the
    // office: the office may read parts of a document from its file after it has
    // opened it.
    const QString copy =
        what.userFile.isEmpty()
            ? QDir(m_profileFolder)
                  .filePath(QStringLiteral("prepared-%1.%2").arg(Random::uniqueSuffix(), what.suffix))
            : QString();
    std::promise<void> done;
    m_preparingDone = done.get_future();
    try {
        m_preparing = startThread([this, what = std::move(what), copy, done = std::move(done)]() mutable {
            const auto finished = qScopeGuard([&] { done.set_value(); });
            m_watchdog.arm(callTimeLimit());
            const auto disarm = qScopeGuard([this] { m_watchdog.disarm(); });
            try {
                m_prepared = openAhead(what, copy);
            } catch (...) {
                // The press opens the file as ever.
                DeleteFileQuietly(copy);
            }
        });
    } catch (const Failure&) {
        // Without a thread for it, the press opens the template itself.
        m_preparingDone = {};
    }
}

std::optional<OfficeInstance::Prepared> OfficeInstance::openAhead(const TemplateToPrepare& what,
                                                                  const QString& copy)
{
    const QString file = copy.isEmpty() ? what.userFile : copy;
    std::optional<QByteArray> digest;
    if (copy.isEmpty()) {
        digest = contentDigest(file);
    } else {
        writeNewFile(what.builtIn, copy);
        digest = QCryptographicHash::hash(what.builtIn, QCryptographicHash::Sha256);
    }
    if (!digest)
        return std::nullopt;
    const auto component = loadTextDocument(m_desktop, file, /*readOnly=*/true);
    auto closeUnused = qScopeGuard([&]() noexcept {
        try {
            Reference<css::util::XCloseable>(component, UNO_QUERY_THROW)->close(true);
        } catch (const css::uno::Exception&) {
            // An office that failed it goes before it is used again.
        }
    });
    // A file of the user's that changed while it was read is opened at the press.
    if (copy.isEmpty() && contentDigest(file) != digest)
        return std::nullopt;
    if (what.paper)
        setPaperSize(component, *what.paper);
    // And where its text lives, which the fill would look up first.
    Prepared prepared{*digest, what.userFile, Taken{component, lookUp(component), what.paper, copy}};
    closeUnused.dismiss();
    return prepared;
}

void OfficeInstance::finishPreparing(std::chrono::milliseconds patience)
{
    if (!m_preparing.joinable())
        return;
    // Killed, the office fails the load under way at once.
    if (m_preparingDone.valid() &&
        m_preparingDone.wait_for(patience) != std::future_status::ready)
        m_process.killNow();
    m_preparing.join();
}

std::optional<OfficeInstance::Taken> OfficeInstance::takePrepared(const QString& path, bool readOnly)
{
    finishPreparing(callTimeLimit());
    if (!m_prepared || !readOnly ||
        (!m_prepared->openedFrom.isEmpty() && m_prepared->openedFrom != path) ||
        contentDigest(path) != m_prepared->digest)
        return std::nullopt;
    ++s_preparedTaken;
    return std::move(std::exchange(m_prepared, std::nullopt)->document);
}

bool OfficeInstance::answersWithNothingOpen(std::chrono::milliseconds limit)
{
    // A template still opening after this long is as hung as an office that does
    // not answer.
    finishPreparing(limit);
    if (m_ended || !connected() || !m_process.running() || m_process.stopped() ||
        m_watchdog.fired())
        return false;
    bool nothingOpen = false;
    m_watchdog.arm(limit);
    try {
        const auto components = m_desktop->getComponents();
        const auto open = components.is() ? components->createEnumeration() : nullptr;
        nothingOpen = open.is();
        while (nothingOpen && open->hasMoreElements()) {
            const Reference<css::lang::XComponent> component(open->nextElement(), UNO_QUERY);
            nothingOpen = m_prepared && component == m_prepared->document.component;
        }
    } catch (const css::uno::Exception&) {
    }
    m_watchdog.disarm();
    return nothingOpen && !m_watchdog.fired();
}

void OfficeInstance::end(bool orderly)
{
    if (m_ended)
        return;
    m_ended = true;
    // A preparation under way is of no use any more: the office is killed rather
    // than waited for (a hung load would hold the caller until the watchdog's
    // minute is up).
    finishPreparing(std::chrono::milliseconds(0));
    if (m_process.running())
        noteBoundPipeFiles();
    if (orderly && m_desktop.is() && m_process.running() && !m_process.stopped()) {
        m_watchdog.arm(std::chrono::seconds(10));
        try {
            // Its prepared template was changed (made now): closed first, or the
            // office would not end for it.
            if (m_prepared)
                Reference<css::util::XCloseable>(m_prepared->document.component, UNO_QUERY_THROW)
                    ->close(true);
            m_desktop->terminate();
        } catch (const css::uno::Exception&) {
            // The office often goes before its answer does.
        }
        m_watchdog.disarm();
        m_process.waitForExit(5000);
    }
    m_process.kill();
    // A killed office cannot remove its pipes; the names are unique to this office.
    removePipeFiles(m_pipeFiles);
    for (const QString& path : std::as_const(m_pipeFiles))
        WorkFolder::forgetOutsideFile(path);
    releaseEverything();
    SafeRemoval::removeFolder(m_profileFolder);
}

void OfficeInstance::releaseEverything()
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
    m_prepared.reset();
}

} // namespace statusmill::office
