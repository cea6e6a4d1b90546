#include "platform/FolderSizeCounter.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer_filelist/OtherUser.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QScopeGuard>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using platform::FolderSizeCounter;
using platform::FolderSizeResult;

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// What `find DIR -type f` lists, each file (device and inode) counted once.
quint64 bytesListedByFind(const QString &folder)
{
    QProcess find;
    find.start(QStringLiteral("find"), {folder, QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("-printf"),
                                        QStringLiteral("%D %i %s\\n")});
    find.waitForFinished(-1);
    QSet<QByteArray> seen;
    quint64 total = 0;
    for (const QByteArray &line : find.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 3 && !seen.contains(fields[0] + ' ' + fields[1])) {
            seen.insert(fields[0] + ' ' + fields[1]);
            total += fields[2].toULongLong();
        }
    }
    return total;
}

// A file system mounted on a folder for the guard's lifetime (root only).
class Mount {
public:
    Mount(const char *type, const QString &target) : m_target(native(target))
    {
        m_mounted = ::mount(type, m_target.constData(), type, 0, nullptr) == 0;
    }
    ~Mount()
    {
        if (m_mounted)
            ::umount2(m_target.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_target;
    bool m_mounted = false;
};

} // namespace

TEST(FolderSizeCounterTest, EachRegularFileCountsOnceAndNoLinkIsFollowed)
{
    TempFolder folder;
    TempFolder elsewhere(false);
    elsewhere.write(QStringLiteral("big/huge.bin"), QByteArray(300000, 'b'));
    folder.write(QStringLiteral("Music/a.mp3"), QByteArray(1000, 'a'));
    folder.write(QStringLiteral("Music/Rock/b.mp3"), QByteArray(2345, 'b'));
    QDir(folder.path()).mkpath(QStringLiteral("Music/Empty"));
    const QString music = folder.filePath(QStringLiteral("Music"));
    ASSERT_EQ(::symlink("..", native(music + QStringLiteral("/Rock/up")).constData()), 0);    // a loop
    ASSERT_EQ(::symlink(native(elsewhere.filePath(QStringLiteral("big"))).constData(),
                        native(music + QStringLiteral("/big")).constData()), 0);                // a big folder elsewhere
    ASSERT_EQ(::symlink("a.mp3", native(music + QStringLiteral("/a-link.mp3")).constData()), 0); // a file link
    ASSERT_EQ(::link(native(music + QStringLiteral("/a.mp3")).constData(),
                     native(music + QStringLiteral("/Rock/a-again.mp3")).constData()), 0);     // a hard link
    ASSERT_EQ(::mkfifo(native(music + QStringLiteral("/pipe")).constData(), 0600), 0);

    const FolderSizeResult result = FolderSizeCounter().count(music);

    EXPECT_EQ(result.bytes, 1000u + 2345u);
    EXPECT_EQ(result.bytes, bytesListedByFind(music));
    EXPECT_EQ(result.folders, 3u);
    EXPECT_EQ(result.unreadableFolders, 0u);
    EXPECT_FALSE(result.cancelled);
}

TEST(FolderSizeCounterTest, AWideTreeMatchesFind)
{
    TempFolder folder;
    for (int album = 0; album < 60; ++album) {
        QDir(folder.path()).mkpath(QStringLiteral("A/%1/%2").arg(album % 5).arg(album));
        for (int track = 0; track < album % 7; ++track)
            folder.write(QStringLiteral("A/%1/%2/t%3.mp3").arg(album % 5).arg(album).arg(track), QByteArray(album * 13 + track, 'x'));
    }
    FolderSizeCounter counter;
    for (int run = 0; run < 3; ++run) { // the same counter counts again from the start
        const FolderSizeResult result = counter.count(folder.path());
        EXPECT_EQ(result.bytes, bytesListedByFind(folder.path()));
        EXPECT_EQ(result.folders, 1u + 1u + 5u + 60u);
    }
}

TEST(FolderSizeCounterTest, UnreadableFoldersAddNothingAndAreCounted)
{
    TempFolder folder;
    ::chmod(native(folder.path()).constData(), 0755);
    folder.write(QStringLiteral("Open/a.mp3"), QByteArray(700, 'a'));
    folder.write(QStringLiteral("Locked/b.mp3"), QByteArray(800, 'b'));
    folder.write(QStringLiteral("Open/Locked too/c.mp3"), QByteArray(900, 'c'));
    ::chmod(native(folder.filePath(QStringLiteral("Locked"))).constData(), 0);
    ::chmod(native(folder.filePath(QStringLiteral("Open/Locked too"))).constData(), 0);
    const auto unlock = qScopeGuard([&folder] {
        ::chmod(native(folder.filePath(QStringLiteral("Locked"))).constData(), 0755);
        ::chmod(native(folder.filePath(QStringLiteral("Open/Locked too"))).constData(), 0755);
    });

    FolderSizeResult result;
    {
        // root reads every folder: count as an ordinary user
        ActAsOrdinaryUser ordinaryUser;
        if (::geteuid() == 0)
            GTEST_SKIP() << "root reads folders of mode 000, and cannot act as an ordinary user here";
        result = FolderSizeCounter().count(folder.path());
    }
    EXPECT_EQ(result.bytes, 700u);
    EXPECT_EQ(result.folders, 2u);
    EXPECT_EQ(result.unreadableFolders, 2u);
    EXPECT_EQ(FolderSizeCounter().count(folder.filePath(QStringLiteral("missing"))).folders, 0u);
}

TEST(FolderSizeCounterTest, PseudoFileSystemsAreNeverEntered)
{
    // the kernel's own views count nothing, even when asked for directly
    for (const char *pseudo : {"/proc", "/sys"}) {
        const FolderSizeResult result = FolderSizeCounter().count(QString::fromLatin1(pseudo));
        EXPECT_EQ(result.bytes, 0u) << pseudo;
        EXPECT_EQ(result.folders, 0u) << pseudo;
    }

    // inside a folder: a proc mount is passed over, a RAM file system holding files is counted
    TempFolder folder;
    folder.write(QStringLiteral("a.mp3"), QByteArray(1234, 'a'));
    QDir(folder.path()).mkpath(QStringLiteral("proc"));
    QDir(folder.path()).mkpath(QStringLiteral("ram"));
    Mount proc("proc", folder.filePath(QStringLiteral("proc")));
    Mount ram("tmpfs", folder.filePath(QStringLiteral("ram")));
    if (!proc.mounted() || !ram.mounted())
        GTEST_SKIP() << "mounting needs root";
    folder.write(QStringLiteral("ram/b.mp3"), QByteArray(4321, 'b'));

    const FolderSizeResult result = FolderSizeCounter().count(folder.path());

    EXPECT_EQ(result.bytes, 1234u + 4321u);
    EXPECT_EQ(result.folders, 2u);
}

TEST(FolderSizeCounterTest, CancelStopsTheCount)
{
    // the whole root file system takes a good part of a second at least
    FolderSizeCounter counter;
    FolderSizeResult result;
    std::thread worker([&] { result = counter.count(QStringLiteral("/")); });
    while (counter.foldersSoFar() < 100)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    counter.cancel();
    worker.join();

    EXPECT_TRUE(result.cancelled);
    // the next count starts afresh
    TempFolder folder;
    folder.write(QStringLiteral("a"), "12345");
    result = counter.count(folder.path());
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.bytes, 5u);
}
