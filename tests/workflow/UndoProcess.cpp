// Takes back the last change of the undo log, with the preloaded fault shim armed around
// the undo when one is there.
//   undo_process FAIL_AT ERROR KILL
// Prints the number of system calls the undo made; exit status 0 when done, 1 when refused.

#include "workflow/UndoLog.h"

#include <QCoreApplication>
#include <cstdio>
#include <dlfcn.h>

int main(int argc, char *argv[])
{
    using Arm = void (*)(long, int, int);
    using Disarm = long (*)();
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 4)
        return 2;
    UndoLog log;
    const auto arm = reinterpret_cast<Arm>(::dlsym(RTLD_DEFAULT, "faultShimArm"));
    const auto disarm = reinterpret_cast<Disarm>(::dlsym(RTLD_DEFAULT, "faultShimDisarm"));
    if (arm)
        arm(args.at(1).toLong(), args.at(2).toInt(), args.at(3).toInt());
    const UndoLog::UndoResult result = log.undoLast();
    const long calls = disarm ? disarm() : 0;
    std::printf("%ld\n", calls);
    std::fprintf(stderr, "%s\n", result.message.toLocal8Bit().constData());
    return result.done ? 0 : 1;
}
