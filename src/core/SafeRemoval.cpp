#include "SafeRemoval.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace statusmill::SafeRemoval {
namespace {

// A folder of ours is a few levels deep (an office profile); deeper is not ours.
constexpr int kDeepestFolder = 32;

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

// Empties the open folder, depth first. Entries removed while a folder is read
// may make the reading skip others, so it is read again until a pass removes
// nothing.
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
                // unlinkat without AT_REMOVEDIR never follows a link: it removes it.
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

bool startsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

} // namespace

bool removeFolder(const char* path) noexcept
{
    struct stat info;
    if (::lstat(path, &info) != 0)
        return errno == ENOENT;
    if (S_ISLNK(info.st_mode))
        return ::unlink(path) == 0;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    const int folder = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return false;
    // Swapped between the check and the open: what was opened is checked again.
    struct stat opened;
    const bool ours = ::fstat(folder, &opened) == 0 && opened.st_uid == ::getuid();
    // rmdir refuses a link and a folder that is not empty; a file may still be put
    // in by a thread that is ending, so the folder is emptied again a few times.
    bool removed = false;
    for (int attempt = 0; ours && attempt < 3 && !removed; ++attempt) {
        emptyFolder(folder, 0);
        removed = ::rmdir(path) == 0 || errno == ENOENT;
        if (!removed && errno != ENOTEMPTY)
            break;
    }
    ::close(folder);
    return removed;
}

bool removeFolder(const QString& path)
{
    return !path.isEmpty() && removeFolder(QFile::encodeName(path).constData());
}

bool isOfficeSocketName(const char* path) noexcept
{
    const char* name = nullptr;
    if (startsWith(path, "/tmp/"))
        name = path + 5;
    else if (startsWith(path, "/var/tmp/"))
        name = path + 9;
    if (!name)
        return false;
    if (!startsWith(name, "OSL_PIPE_"))
        return false;
    name += 9;
    // Our uid in decimal, then '_' and a name of at least one character.
    char digits[16];
    int count = 0;
    for (unsigned uid = unsigned(::getuid()); count == 0 || uid > 0; uid /= 10)
        digits[count++] = char('0' + uid % 10);
    while (count > 0)
        if (*name++ != digits[--count])
            return false;
    return name[0] == '_' && name[1] != '\0' && !std::strchr(name, '/');
}

void removeOfficeSocket(const char* path) noexcept
{
    struct stat info;
    if (isOfficeSocketName(path) && ::lstat(path, &info) == 0 && S_ISSOCK(info.st_mode) &&
        info.st_uid == ::getuid())
        ::unlink(path);
}

void removeOfficeSocket(const QString& path)
{
    removeOfficeSocket(QFile::encodeName(path).constData());
}

} // namespace statusmill::SafeRemoval
