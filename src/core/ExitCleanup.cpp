#include "ExitCleanup.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace statusmill::ExitCleanup {
namespace {

constexpr int kSlots = 64;
constexpr size_t kLongestPath = 1024;
// A folder of ours is a few levels deep (an office profile); a deeper one is not ours.
constexpr int kDeepestFolder = 32;

enum State : int { Free, Writing, Listed };

// A fixed table rather than a container, so that reading it needs no lock and no
// allocation. A slot is written only while it is marked Writing, so a reader never
// takes a half-written path for a listed one.
struct Slot
{
    std::atomic<int> state = Free;
    Kind kind = Kind::Folder;
    char path[kLongestPath] = {};
};
Slot g_slots[kSlots];
std::atomic<bool> g_atExitSet = false;

struct FolderEntry
{
    ino64_t inode;
    off64_t next;
    unsigned short length;
    unsigned char type;
    char name[];
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Empties the open folder, depth first, with system calls only. Entries removed
// while a folder is read may make the reading skip others, so it is read again
// until a pass removes nothing.
void emptyFolder(int folder, int depth)
{
    if (depth > kDeepestFolder)
        return;
    for (bool removedSome = true; removedSome;) {
        removedSome = false;
        ::lseek(folder, 0, SEEK_SET);
        alignas(8) char buffer[4096];
        long got = 0;
        while ((got = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0) {
            for (long at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const FolderEntry*>(buffer + at);
                at += entry->length;
                if (isDotOrDotDot(entry->name))
                    continue;
                if (::unlinkat(folder, entry->name, 0) == 0) {
                    removedSome = true;
                    continue;
                }
                if (errno != EISDIR)
                    continue;
                const int inner =
                    ::openat(folder, entry->name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (inner < 0)
                    continue;
                emptyFolder(inner, depth + 1);
                ::close(inner);
                removedSome |= ::unlinkat(folder, entry->name, AT_REMOVEDIR) == 0;
            }
        }
    }
}

void removeListed(const char* path, Kind kind)
{
    struct stat info;
    if (::lstat(path, &info) != 0 || info.st_uid != ::getuid())
        return;
    switch (kind) {
    case Kind::Folder:
        if (S_ISDIR(info.st_mode)) {
            const int folder = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (folder >= 0) {
                emptyFolder(folder, 0);
                ::close(folder);
            }
            ::rmdir(path);
        }
        break;
    case Kind::Socket:
        if (S_ISSOCK(info.st_mode))
            ::unlink(path);
        break;
    case Kind::Link:
        if (S_ISLNK(info.st_mode))
            ::unlink(path);
        break;
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
        slot.path[0] = '\0';
        slot.state.store(Free);
    }
}

void removeNow() noexcept
{
    // Sockets and links first: the folders may be what a link leads to.
    for (const bool folders : {false, true}) {
        for (Slot& slot : g_slots) {
            if (slot.state.load() != Listed || (slot.kind == Kind::Folder) != folders)
                continue;
            char path[kLongestPath];
            std::memcpy(path, slot.path, kLongestPath);
            path[kLongestPath - 1] = '\0';
            const Kind kind = slot.kind;
            if (slot.state.load() == Listed)
                removeListed(path, kind);
        }
    }
}

} // namespace statusmill::ExitCleanup
