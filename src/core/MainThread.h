#pragma once

#include <sys/syscall.h>
#include <unistd.h>

namespace statusmill {

// Whether the caller runs on the process's main thread: on Linux, the thread whose
// id is the process's. Objects that belong to the main thread check it in debug
// builds; the office launch asks it because a child's parent-death signal is tied
// to the thread that forked it.
inline bool onMainThread()
{
    return ::syscall(SYS_gettid) == ::getpid();
}

} // namespace statusmill
