#pragma once

// Threads of ours. An exception that leaves a thread, or a thread object that goes
// while its thread runs, ends the whole program, and a system out of threads
// (a process limit, a container's) throws from the very start of one: every
// thread of the program is started here, owned by the std::jthread returned, which
// joins it when it goes, and its body runs under a catch-all.

#include "Failure.h"

#include <QString>

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace statusmill {

// What a thread's body let out, on standard error: it has nobody else to tell.
void reportEscapedFromThread(std::exception_ptr escaped) noexcept;

// Starts `body` on a thread of its own. Throws Failure, saying why, when the
// system will not start one.
template <class Body> std::jthread startThread(Body&& body)
{
    try {
        return std::jthread([body = std::forward<Body>(body)]() mutable noexcept {
            try {
                body();
            } catch (...) {
                reportEscapedFromThread(std::current_exception());
            }
        });
    } catch (const std::system_error& error) {
        throw Failure(QStringLiteral("The program cannot start another thread: %1")
                          .arg(QString::fromLocal8Bit(error.code().message().c_str())));
    }
}

} // namespace statusmill
