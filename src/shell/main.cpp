#include "shell/Application.h"

int main(int argc, char* argv[])
{
    return statusmill::runApplication(argc, argv);
}
