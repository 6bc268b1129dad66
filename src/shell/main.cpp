#include "cli/CommandLine.h"
#include "shell/Application.h"

#include <csignal>

int main(int argc, char* argv[])
{
    // A reader of our output that went away (`statusmill ... | head`) makes a write
    // fail, not the program end on the spot with its working files left behind.
    std::signal(SIGPIPE, SIG_IGN);
    const auto decision = statusmill::cli::decide(argc, argv);
    if (decision.exitStatus)
        return *decision.exitStatus;
    if (decision.options.mode == statusmill::cli::Mode::Window)
        return statusmill::runApplication(argc, argv, {}, decision.options.templateFile,
                                          decision.options.dataFile, decision.options.previous);
    return statusmill::cli::run(argc, argv, decision.options);
}
