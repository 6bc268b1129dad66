#include "ExitCleanup.h"

#include "SafeRemoval.h"

#include <QFile>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill::ExitCleanup {
namespace {

constexpr int kSlots = 64;
constexpr size_t kLongestPath = 1024;

enum State : int { Free, Writing, Listed };

// A fixed table rather than a container, so that reading it needs no lock and no
// allocation. A slot is written only while it is marked Writing, so a reader never
// takes a half-written path for a listed one. Every change of a slot counts up its
// generation: a reader that copied a path while the slot was freed and listed
// again (a torn mix of two paths) sees the count moved and leaves it.
struct Slot
{
    std::atomic<int> state = Free;
    std::atomic<unsigned> generation = 0;
    Kind kind = Kind::Folder;
    char path[kLongestPath] = {};
};
Slot g_slots[kSlots];
std::atomic<bool> g_atExitSet = false;

void removeListed(const char* path, Kind kind)
{
    switch (kind) {
    case Kind::Folder:
        SafeRemoval::removeFolder(path);
        break;
    case Kind::Socket:
        SafeRemoval::removeOfficeSocket(path);
        break;
    case Kind::Link: {
        struct stat info;
        if (::lstat(path, &info) == 0 && S_ISLNK(info.st_mode) && info.st_uid == ::getuid())
            ::unlink(path);
        break;
    }
    }
}

void removeAtExit()
{
    removeNow();
}

} // namespace

void add(const QString& path, Kind kind)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || size_t(name.size()) >= kLongestPath)
        return;
    if (!g_atExitSet.exchange(true))
        std::atexit(removeAtExit);
    for (Slot& slot : g_slots) {
        int expected = Free;
        if (!slot.state.compare_exchange_strong(expected, Writing))
            continue;
        slot.generation.fetch_add(1);
        std::memcpy(slot.path, name.constData(), size_t(name.size()) + 1);
        slot.kind = kind;
        slot.state.store(Listed);
        return;
    }
}

void forget(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    for (Slot& slot : g_slots) {
        if (slot.state.load() != Listed || std::strcmp(slot.path, name.constData()) != 0)
            continue;
        int expected = Listed;
        if (!slot.state.compare_exchange_strong(expected, Writing))
            continue;
        slot.generation.fetch_add(1);
        slot.path[0] = '\0';
        slot.state.store(Free);
    }
}

void removeNow() noexcept
{
    // Sockets and links first: the folders may be what a link leads to.
    for (const bool folders : {false, true}) {
        for (Slot& slot : g_slots) {
            const unsigned generation = slot.generation.load();
            if (slot.state.load() != Listed || (slot.kind == Kind::Folder) != folders)
                continue;
            char path[kLongestPath];
            std::memcpy(path, slot.path, kLongestPath);
            path[kLongestPath - 1] = '\0';
            const Kind kind = slot.kind;
            // Still listed, and the same listing as when the copy began.
            if (slot.state.load() == Listed && slot.generation.load() == generation)
                removeListed(path, kind);
        }
    }
}

} // namespace statusmill::ExitCleanup
