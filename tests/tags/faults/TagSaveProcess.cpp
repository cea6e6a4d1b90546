// Saves the tags of one file as the window does (ID3v2, then ID3v1), with the preloaded
// fault shim armed around the save when one is there.
//   tag_save_process FILE TITLE COMMENT FAIL_AT ERROR KILL
// Prints the number of system calls the save made; exit status 0 when saved, 1 when the
// save reported a failure.

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tags/TagSession.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <cstdio>
#include <dlfcn.h>

namespace {
using Arm = void (*)(long, int, int);
using Disarm = long (*)();

bool save(const QString &file, const QString &title, const QString &comment)
{
    // One session, as the window holds one from the load to the save.
    TagSession session(file);
    TID3v2 v2;
    TID3TagInfo v1;
    v2.ReadFromFile(session);
    try {
        v1.ReadFromFile(session);
    } catch (const platform::Error &) {
        return false;
    }
    v2.SetTitle(title);
    v2.SetComment(comment);
    v1.SetTitle(title);
    v1.SetComment(comment);
    const auto arm = reinterpret_cast<Arm>(::dlsym(RTLD_DEFAULT, "faultShimArm"));
    const auto disarm = reinterpret_cast<Disarm>(::dlsym(RTLD_DEFAULT, "faultShimDisarm"));
    const QStringList args = QCoreApplication::arguments();
    if (arm)
        arm(args.at(4).toLong(), args.at(5).toInt(), args.at(6).toInt());
    bool saved = v2.SaveToFile(session).saved();
    if (saved) {
        try {
            v1.WriteToFile(session);
        } catch (const platform::Error &) {
            saved = false;
        }
    }
    const long calls = disarm ? disarm() : 0;
    std::printf("%ld\n", calls);
    return saved;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 7)
        return 2;
    return save(args.at(1), args.at(2), args.at(3)) ? 0 : 1;
}
