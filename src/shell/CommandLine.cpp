#include "CommandLine.h"

#include "core/Product.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace statusmill {

namespace {

// The answer went out whole, or the caller hears why not: a status of 0 would
// tell a script that it has the version when it has nothing.
int finishAnswer()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    const int error = errno;
    std::fprintf(stderr, "statusmill: cannot write the answer: %s\n", std::strerror(error));
    return 1;
}

} // namespace

std::optional<int> answerInfoRequest(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("statusmill %s\n", STATUSMILL_VERSION);
            return finishAnswer();
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: statusmill [Qt options]\n"
                        "%s makes a project status report from four values.\n"
                        "\n"
                        "  --help     show this help and end\n"
                        "  --version  show the version and end\n"
                        "\n"
                        "Any other option is Qt's own (for example -platform or -display);\n"
                        "see statusmill(1).\n",
                        kProductName);
            return finishAnswer();
        }
    }
    return std::nullopt;
}

} // namespace statusmill
