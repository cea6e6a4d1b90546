#include "TagBytes.h"

#include "platform/FileRewrite.h"
#include "tags/ID3v2Tag.h"
#include "tags/TID3v2.h"

#include "tests/common/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tagbytes;
using platform::filerewrite::Step;

namespace {
QByteArray original()
{
    return id3v2Tag(3, frameV23("TIT2", latin1Text("Old")) + frameV23("APIC", QByteArray(3000, 'p')), 0, 100) +
           silentAudio(30) + id3v1("Old", "", 1, 2);
}

QStringList entries(const TempFolder &folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A title too long for the old tag's space (frames and padding): the file is rewritten.
const QString LongTitle(4000, QLatin1Char('N'));

bool writeTitle(const QString &fileName, const QString &title)
{
    TID3v2 tag;
    tag.ReadFromFile(fileName);
    tag.SetTitle(title);
    return tag.WriteToFile(fileName);
}

// Runs `body` in a child process and gives its exit status as waitpid reports it.
template <typename Body>
int inChildProcess(Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

struct FaultHookGuard {
    ~FaultHookGuard() { platform::filerewrite::setFaultHookForTesting(nullptr); }
};
} // namespace

TEST(ReplaceTagTest, TemporaryIsCreatedBesideWithoutReplacingAnythingAndGetsThePermissions)
{
    TempFolder folder;
    const QString song = folder.write("song.mp3", original());
    ::chmod(QFile::encodeName(song).constData(), 0640);
    folder.write("victim", "must stay");
    QFile::link(folder.filePath("victim"), folder.filePath(".song.mp3.kestrava-tmp"));

    ASSERT_TRUE(writeTitle("song.mp3", LongTitle));
    EXPECT_EQ(folder.read("victim"), "must stay");
    EXPECT_TRUE(QFileInfo(folder.filePath(".song.mp3.kestrava-tmp")).isSymLink());
    EXPECT_EQ(entries(folder), (QStringList{".song.mp3.kestrava-tmp", "song.mp3", "victim"}));
    struct stat info {};
    ::stat(QFile::encodeName(song).constData(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(afterTag(folder.read("song.mp3")), afterTag(original()));
}

TEST(ReplaceTagTest, SymbolicLinkIsWrittenThroughToItsTarget)
{
    TempFolder folder;
    folder.write("music/real.mp3", original());
    QFile::link("music/real.mp3", folder.filePath("link.mp3"));
    ASSERT_TRUE(writeTitle("link.mp3", "New"));
    EXPECT_TRUE(QFileInfo(folder.filePath("link.mp3")).isSymLink());
    TID3v2 tag;
    tag.ReadFromFile(folder.filePath("music/real.mp3"));
    EXPECT_EQ(tag.Title(), "New");
    EXPECT_EQ(QDir(folder.filePath("music")).entryList(QDir::Files | QDir::Hidden), QStringList{"real.mp3"});
}

TEST(ReplaceTagTest, AFailureAtAnyStepLeavesTheOriginalIntact)
{
    const FaultHookGuard guard;
    for (const Step failing : {Step::CreateTemporary, Step::WriteStart, Step::CopyRest, Step::CopyPermissions,
                               Step::SyncToDisk, Step::Rename}) {
        TempFolder folder;
        folder.write("song.mp3", original());
        platform::filerewrite::setFaultHookForTesting([failing](Step step) { return step == failing ? EIO : 0; });
        EXPECT_FALSE(writeTitle("song.mp3", LongTitle)) << int(failing);
        EXPECT_EQ(folder.read("song.mp3"), original()) << int(failing);
        EXPECT_EQ(entries(folder), QStringList{"song.mp3"}) << int(failing);
    }
}

TEST(ReplaceTagTest, NoSpaceLeftLeavesTheOriginalIntact)
{
    TempFolder folder;
    folder.write("song.mp3", original());
    // The file size limit makes writes fail as a full disk does.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(original().size() / 2);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const bool written = writeTitle("song.mp3", LongTitle);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.read("song.mp3"), original());
    EXPECT_EQ(entries(folder), QStringList{"song.mp3"});
}

TEST(ReplaceTagTest, FullFileSystemLeavesTheOriginalIntact)
{
    // A small file system of its own, in a mount namespace of the child's own.
    TempFolder folder;
    enum { Intact = 0, Written = 1, Changed = 2, NoMount = 77 };
    const QByteArray mountPoint = QFile::encodeName(folder.path());
    const int status = inChildProcess([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(NoMount);
        QDir::setCurrent(folder.path());
        folder.write("song.mp3", original());
        folder.write("filler", QByteArray(64 * 1024 - 2 * 4096 - original().size(), 'f'));
        const bool written = writeTitle("song.mp3", LongTitle);
        const bool intact = folder.read("song.mp3") == original() && entries(folder) == QStringList{"filler", "song.mp3"};
        ::_exit(written ? Written : intact ? Intact : Changed);
    });
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == NoMount)
        GTEST_SKIP() << "no file system can be mounted here";
    EXPECT_EQ(WEXITSTATUS(status), Intact) << "1: written although full, 2: original or folder changed";
}

TEST(ReplaceTagTest, ReadOnlyFolderLeavesTheOriginalIntact)
{
    TempFolder folder;
    const QString song = folder.write("song.mp3", original());
    const QByteArray folderName = QFile::encodeName(folder.path());
    // Root passes every permission check: the write runs as an ordinary user.
    constexpr uid_t nobody = 65534;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folderName.constData(), nobody, nobody), 0);
        ASSERT_EQ(::chown(QFile::encodeName(song).constData(), nobody, nobody), 0);
    }
    ::chmod(folderName.constData(), 0555);
    const int status = inChildProcess([] {
        if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(3);
        ::_exit(writeTitle("song.mp3", LongTitle) ? 1 : 0);
    });
    ::chmod(folderName.constData(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written, 3: no ordinary user";
    EXPECT_EQ(folder.read("song.mp3"), original());
    EXPECT_EQ(entries(folder), QStringList{"song.mp3"});
}

TEST(ReplaceTagTest, RenameRefusedLeavesTheOriginalIntact)
{
    TempFolder folder;
    const QString song = folder.write("song.mp3", original());
    // An immutable file cannot be replaced, not even by root.
    const int fd = ::open(QFile::encodeName(song).constData(), O_RDONLY);
    int flags = 0;
    const bool immutable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        ::close(fd);
        GTEST_SKIP() << "this file system or user cannot make a file immutable";
    }
    const bool written = writeTitle("song.mp3", LongTitle);
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.read("song.mp3"), original());
    EXPECT_EQ(entries(folder), QStringList{"song.mp3"});
}

TEST(ReplaceTagTest, ProcessKilledMidCopyLeavesTheOriginalIntact)
{
    TempFolder folder;
    const QByteArray large = id3v2Tag(3, frameV23("TIT2", latin1Text("Old")), 0, 10) + silentAudio(50000);
    folder.write("song.mp3", large);
    const int status = inChildProcess([] {
        int chunks = 0;
        platform::filerewrite::setFaultHookForTesting([&chunks](Step step) {
            if (step == Step::CopyRest && ++chunks == 2)
                ::raise(SIGKILL);
            return 0;
        });
        writeTitle("song.mp3", LongTitle);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(folder.read("song.mp3"), large);
    // What the killed process left, only partly copied, is hidden from listings and
    // removed by the next save in the folder, which completes.
    ASSERT_EQ(entries(folder), (QStringList{".song.mp3.kestrava-tmp", "song.mp3"}));
    EXPECT_LT(folder.read(".song.mp3.kestrava-tmp").size(), large.size());
    ASSERT_TRUE(writeTitle("song.mp3", LongTitle + "2"));
    EXPECT_EQ(afterTag(folder.read("song.mp3")), afterTag(large));
    EXPECT_EQ(entries(folder), QStringList{"song.mp3"});
}

TEST(ReplaceTagTest, MissingFileIsNotCreated)
{
    TempFolder folder;
    TID3v2 tag;
    tag.SetTitle("New");
    EXPECT_FALSE(tag.WriteToFile("missing.mp3"));
    EXPECT_TRUE(entries(folder).isEmpty());
}

TEST(ReplaceTagTest, DrivePathsNameTheSameFiles)
{
    TempFolder folder;
    folder.write("song.mp3", original());
    const QString drivePath = folder.drivePath() + QLatin1String("\\song.mp3");
    ASSERT_TRUE(writeTitle(drivePath, "By drive path"));
    TID3v2 tag;
    tag.ReadFromFile("song.mp3");
    EXPECT_EQ(tag.Title(), "By drive path");
}

TEST(ReplaceTagTest, AlignedTagKeepsWhatFollowsAtItsOffsetWithinABlock)
{
    const QByteArray small = id3v2Tag(3, frameV23("TIT2", latin1Text("Title")));        // 26 bytes
    const QByteArray large = id3v2Tag(3, frameV23("APIC", QByteArray(5000, 'p')));      // 5020 bytes
    const struct {
        QByteArray tag;
        qint64 oldTagSize;
        int alignment;
        qsizetype size;
    } cases[] = {
        {small, 0, 4096, 4096},   // no tag before: the audio stays block-aligned
        {small, 5000, 4096, 904}, // shrinks only by whole blocks
        {large, 904, 4096, 9096}, // grows by whole blocks
        {large, 5020 + 4096, 4096, 5020},
        {small, 5000, 0, 26}, // a file system that copies: no padding
    };
    for (const auto &c : cases) {
        const QByteArray aligned = id3v2::alignedTag(c.tag, c.oldTagSize, c.alignment);
        EXPECT_EQ(aligned.size(), c.size) << c.oldTagSize;
        EXPECT_EQ(framesOf(aligned + silentAudio(1)), framesOf(c.tag + silentAudio(1))) << c.oldTagSize;
        EXPECT_EQ(afterTag(aligned + silentAudio(1)), silentAudio(1)) << c.oldTagSize;
        EXPECT_EQ(aligned.mid(c.tag.size()), QByteArray(aligned.size() - c.tag.size(), '\0')) << c.oldTagSize;
    }
}

TEST(ReplaceTagTest, OnAFileSystemThatSharesBlocksTheAudioIsSharedNotCopied)
{
    // A small XFS or btrfs file system of its own, mounted in the child's own namespace.
    TempFolder folder;
    enum { Shared = 0, NotWritten = 1, AudioChanged = 2, NotShared = 3, NoFileSystem = 77 };
    const QString image = folder.filePath("disk.img");
    const QString mountPoint = folder.filePath("mnt");
    QDir().mkpath(mountPoint);
    const QByteArray audio = silentAudio(12000); // 5 MB
    const QByteArray song = id3v2Tag(3, frameV23("TIT2", latin1Text("Old")), 0, 1000) + audio;
    const int status = inChildProcess([&] {
        const auto run = [](const QByteArray &command) {
            return std::system((command + " >/dev/null 2>&1").constData()) == 0;
        };
        const QByteArray img = QFile::encodeName(image);
        const QByteArray mnt = QFile::encodeName(mountPoint);
        const bool made = run("truncate -s 320M " + img) && (run("mkfs.xfs -q " + img) || run("mkfs.btrfs -q " + img));
        if (!made || ::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            !run("mount -o loop " + img + " " + mnt) || platform::filerewrite::blockSharingAlignment(mnt) == 0)
            ::_exit(NoFileSystem);
        QDir::setCurrent(mountPoint);
        QFile file("song.mp3");
        file.open(QIODevice::WriteOnly);
        file.write(song);
        file.close();
        ::sync();
        ::link("song.mp3", "kept.mp3"); // the old data stays, so sharing can be seen
        if (!writeTitle("song.mp3", LongTitle))
            ::_exit(NotWritten);
        file.open(QIODevice::ReadOnly);
        if (afterTag(file.readAll()) != audio)
            ::_exit(AudioChanged);
        ::_exit(run("filefrag -v song.mp3 | grep -q shared") ? Shared : NotShared);
    });
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == NoFileSystem)
        GTEST_SKIP() << "no XFS or btrfs file system can be made and mounted here";
    EXPECT_EQ(WEXITSTATUS(status), Shared) << "1: not written, 2: audio changed, 3: audio copied, not shared";
}
