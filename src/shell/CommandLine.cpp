#include "CommandLine.h"

#include "core/Product.h"

#include <cstdio>
#include <cstring>

namespace statusmill {

std::optional<int> answerInfoRequest(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("statusmill %s\n", STATUSMILL_VERSION);
            return 0;
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
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace statusmill
