// The trash of a volume other than the home one: the administrator's shared .Trash is
// used only where what is trashed stays ours alone, else .Trash-$uid.

#include "platform/Trash.h"
#include "tests/explorer/ScratchMount.h"

#include <QByteArray>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr uid_t otherUser = 4242;

bool exists(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

bool makeFolder(const QByteArray &path, mode_t mode, uid_t owner = ::getuid())
{
    return ::mkdir(path.constData(), 0700) == 0 && ::chown(path.constData(), owner, owner) == 0
           && ::chmod(path.constData(), mode) == 0;
}
} // namespace

TEST(TrashTest, TheSharedTrashIsUsedOnlyWhereItStaysOurs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making folders of another user needs root";
    const QByteArray uid = QByteArray::number(::getuid());
    const struct Case {
        const char *name;
        std::function<bool(const QByteArray &root)> prepare;
        const char *trash; // the trash folder used, below the root; nullptr: not trashed
    } cases[] = {
        {"no shared trash", [](const QByteArray &) { return true; }, "/.Trash-"},
        {"ours in a sticky shared trash",
         [&](const QByteArray &root) { return makeFolder(root + "/.Trash", 01777) && makeFolder(root + "/.Trash/" + uid, 0700); },
         "/.Trash/"},
        {"made for us in a sticky shared trash", [](const QByteArray &root) { return makeFolder(root + "/.Trash", 01777); },
         "/.Trash/"},
        {"another user's", [&](const QByteArray &root) {
             return makeFolder(root + "/.Trash", 01777) && makeFolder(root + "/.Trash/" + uid, 0777, otherUser);
         }, "/.Trash-"},
        {"ours but writable by all", [&](const QByteArray &root) {
             return makeFolder(root + "/.Trash", 01777) && makeFolder(root + "/.Trash/" + uid, 0777);
         }, "/.Trash-"},
        {"ours but writable by the group", [&](const QByteArray &root) {
             return makeFolder(root + "/.Trash", 01777) && makeFolder(root + "/.Trash/" + uid, 0770);
         }, "/.Trash-"},
        {"shared trash without the sticky bit", [](const QByteArray &root) { return makeFolder(root + "/.Trash", 0777); },
         "/.Trash-"},
        {"shared trash is a link", [](const QByteArray &root) {
             return makeFolder(root + "/elsewhere", 01777) && ::symlink("elsewhere", root + "/.Trash") == 0;
         }, "/.Trash-"},
        {"our fallback made by another user", [&](const QByteArray &root) {
             return makeFolder(root + "/.Trash-" + uid, 0777, otherUser);
         }, nullptr},
        {"our fallback is a link", [&](const QByteArray &root) {
             return makeFolder(root + "/elsewhere", 0700) && ::symlink("elsewhere", root + "/.Trash-" + uid) == 0;
         }, nullptr},
    };
    for (const Case &c : cases) {
        ScratchMount volume(QStringLiteral("trash"));
        if (!volume.mounted())
            GTEST_SKIP() << volume.whyNotMounted().toStdString();
        const QByteArray root = QFile::encodeName(volume.root());
        ASSERT_TRUE(c.prepare(root)) << c.name;
        ASSERT_TRUE(QFile(volume.root() + "/song.mp3").open(QIODevice::WriteOnly)) << c.name;

        const bool trashed = platform::moveNativeToTrash(volume.root() + "/song.mp3");
        EXPECT_EQ(trashed, c.trash != nullptr) << c.name;
        EXPECT_NE(exists(root + "/song.mp3"), trashed) << c.name;
        if (c.trash) {
            const QByteArray folder = root + c.trash + uid;
            EXPECT_TRUE(exists(folder + "/files/song.mp3")) << c.name << ": not in " << folder.constData();
            EXPECT_TRUE(exists(folder + "/info/song.mp3.trashinfo")) << c.name;
            struct stat info {};
            ASSERT_EQ(::lstat(folder.constData(), &info), 0);
            EXPECT_EQ(info.st_uid, ::getuid()) << c.name;
            EXPECT_EQ(info.st_mode & 077, 0u) << c.name;
        }
        if (!c.trash || QByteArray(c.trash) != "/.Trash/") {
            EXPECT_FALSE(exists(root + "/.Trash/" + uid + "/files/song.mp3")) << c.name << ": trashed where others reach";
        }
    }
}
