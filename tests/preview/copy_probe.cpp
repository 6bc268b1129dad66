// Copies a file into place the way "Save Results To Word File" does, for tests
// that must run it as another user than the test itself.
//   copy_probe SOURCE TARGET REPLACE [FILE_SIZE_LIMIT]
// Exits 0 when the copy succeeded, 1 with the failure on stderr, 2 on bad use.

#include "core/CopyIntoPlace.h"
#include "core/Failure.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4)
        return 2;
    if (args.size() > 4) {
        // Writes past the limit fail as on a full disk, instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = args[4].toULongLong();
        const rlimit limited{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &limited) != 0)
            return 2;
    }
    try {
        statusmill::copyFileIntoPlace(args[1], args[2], args[3] == QLatin1String("1"));
        return 0;
    } catch (const statusmill::Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.description().toLocal8Bit().constData());
        return 1;
    }
}
