#include "shell/Application.h"
#include "shell/CommandLine.h"

int main(int argc, char* argv[])
{
    if (const auto answered = statusmill::answerInfoRequest(argc, argv))
        return *answered;
    return statusmill::runApplication(argc, argv);
}
