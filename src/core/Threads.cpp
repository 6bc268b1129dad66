#include "Threads.h"

#include <cstdio>

namespace statusmill {

void reportEscapedFromThread(std::exception_ptr escaped) noexcept
{
    try {
        std::rethrow_exception(escaped);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "statusmill: a background task failed: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "statusmill: a background task failed\n");
    }
}

} // namespace statusmill
