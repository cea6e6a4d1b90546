// Takes back the last change of the undo log, or makes "Rinomina" of a file recorded in
// it, with the preloaded fault shim armed around that when one is there.
//   undo_process FAIL_AT ERROR KILL [FILE ARTIST TITLE]
// Prints the number of system calls made; exit status 0 when done, 1 when refused.

#include "workflow/RenamingWorkflow.h"
#include "workflow/UndoLog.h"

#include "naming/TKestrava.h"
#include "platform/DrivePaths.h"
#include "tags/TID3TagInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <dlfcn.h>

namespace {
// The window's "Rinomina" of `path` with the artist and title given; false when refused.
bool renameFile(const QString &path, const QString &artist, const QString &title)
{
    TKestrava engine;
    TID3TagInfo id3v1;
    RenamingWorkflow workflow(engine, id3v1);
    UndoLog log;
    workflow.setUndoLog(&log);
    const QFileInfo file(path);
    workflow.setFile(platform::toDrivePath(file.absolutePath()) + QLatin1Char('\\'), file.fileName());
    workflow.readTags();
    TagFieldValues fields = workflow.loadedFields({}, [](TagField) { return false; });
    fields[TagField::Artist] = artist;
    fields[TagField::Title] = title;
    workflow.proposeFromTags(fields);
    try {
        return workflow.renameAndWriteTags(fields, [](const QString &) { return true; });
    } catch (...) {
        return false;
    }
}
} // namespace

int main(int argc, char *argv[])
{
    using Arm = void (*)(long, int, int);
    using Disarm = long (*)();
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 4 && args.size() != 7)
        return 2;
    const auto arm = reinterpret_cast<Arm>(::dlsym(RTLD_DEFAULT, "faultShimArm"));
    const auto disarm = reinterpret_cast<Disarm>(::dlsym(RTLD_DEFAULT, "faultShimDisarm"));
    if (args.size() == 7) {
        if (arm)
            arm(args.at(1).toLong(), args.at(2).toInt(), args.at(3).toInt());
        const bool done = renameFile(args.at(4), args.at(5), args.at(6));
        const long calls = disarm ? disarm() : 0;
        std::printf("%ld\n", calls);
        return done ? 0 : 1;
    }
    UndoLog log;
    if (arm)
        arm(args.at(1).toLong(), args.at(2).toInt(), args.at(3).toInt());
    const UndoLog::UndoResult result = log.undoLast();
    const long calls = disarm ? disarm() : 0;
    std::printf("%ld\n", calls);
    std::fprintf(stderr, "%s\n", result.message.toLocal8Bit().constData());
    return result.done ? 0 : 1;
}
