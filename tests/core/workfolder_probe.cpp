// A run of the program as far as the working folder goes: makes its folder, notes
// a socket of its own outside it when asked, prints the folder and waits to be
// killed, as a run that is killed would leave things. Or, with "sweep", a start
// that only removes what earlier runs left.
//   workfolder_probe [SOCKET_PATH | sweep]

#include "core/WorkFolder.h"

#include <QFile>

#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "sweep") == 0) {
        statusmill::WorkFolder::removeLeftovers();
        return 0;
    }
    const QString folder = statusmill::WorkFolder::path();
    if (argc > 1) {
        const int handle = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, argv[1], sizeof address.sun_path - 1);
        if (handle < 0 ||
            ::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return 2;
        statusmill::WorkFolder::noteOutsideFile(QFile::decodeName(argv[1]));
    }
    std::printf("%s\n", QFile::encodeName(folder).constData());
    std::fflush(stdout);
    for (;;)
        ::pause();
}
