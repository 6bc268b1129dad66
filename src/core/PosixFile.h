#pragma once

// Small pieces for the places that work on a file descriptor directly, where Qt's
// file classes cannot do what is needed (open without blocking, keep a file's
// identity across a check and a read, write where a file stands).

#include <QtGlobal>

#include <cerrno>
#include <unistd.h>

namespace statusmill {

// A file descriptor, closed when this goes.
class OpenFile
{
public:
    explicit OpenFile(int handle) : m_handle(handle) {}
    ~OpenFile()
    {
        if (m_handle >= 0)
            ::close(m_handle);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int handle() const { return m_handle; }
    bool isOpen() const { return m_handle >= 0; }

private:
    int m_handle;
};

// Reads from the handle's current offset until `size` bytes are in or the file
// ends; the number read, or -1 with errno set.
inline qsizetype readUpTo(int handle, char* into, qsizetype size)
{
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::read(handle, into + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

} // namespace statusmill
