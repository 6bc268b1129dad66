#include "shell/Application.h"
#include "shell/CommandLine.h"

#include <csignal>

int main(int argc, char* argv[])
{
    // A reader of our output that went away (`statusmill ... | head`) makes a write
    // fail, not the program end on the spot with its working files left behind.
    std::signal(SIGPIPE, SIG_IGN);
    if (const auto answered = statusmill::answerInfoRequest(argc, argv))
        return *answered;
    return statusmill::runApplication(argc, argv);
}
