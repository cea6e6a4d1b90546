#include "platform/FileRewrite.h"
#include "platform/InternalFiles.h"
#include "platform/RegionJournal.h"

#include "tests/common/TempFolder.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
QByteArray native(const TempFolder &folder, const QString &name)
{
    return QFile::encodeName(folder.filePath(name));
}

QStringList entries(const TempFolder &folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

ino_t inodeOf(const QByteArray &path)
{
    struct stat info {};
    ::stat(path.constData(), &info);
    return info.st_ino;
}
} // namespace

TEST(InternalFilesTest, NamesOfJournalsAndTemporariesAreRecognised)
{
    using platform::internalfiles::journalName;
    using platform::internalfiles::temporaryName;
    EXPECT_EQ(journalName("song.mp3"), ".song.mp3.kestrava-journal");
    EXPECT_EQ(temporaryName("song.mp3", 0), ".song.mp3.kestrava-tmp");
    EXPECT_EQ(temporaryName("song.mp3", 12), ".song.mp3.kestrava-tmp12");
    EXPECT_EQ(platform::internalfiles::partialCopyName(0xbeef), ".kestrava-0000beef.part");
    // A name at the length limit leaves no room for the marks: a hash stands for it.
    const QByteArray longName(255, 'n');
    EXPECT_LE(journalName(longName).size(), 255);
    EXPECT_LE(temporaryName(longName, 9999).size(), 255);
    EXPECT_NE(journalName(longName), journalName(QByteArray(254, 'n') + 'm'));

    const struct {
        const char *name;
        bool internal;
    } cases[] = {
        {".song.mp3.kestrava-journal", true}, {".song.mp3.kestrava-tmp", true}, {".song.mp3.kestrava-tmp7", true},
        {"song.mp3.kestrava-journal", false}, {".song.mp3.kestrava-tmpx", false}, {".song.mp3", false},
        {"song.mp3~", false},                 {".kestrava-tmp", false},
        {".kestrava-0123abcd.part", true},    {".kestrava-0123abc.part", false},
        {"kestrava-0123abcd.part", false},    {".kestrava-0123abcg.part", false},
        {".kestrava-0123abcd.partx", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(platform::isInternalTemporaryName(QString::fromLatin1(c.name)), c.internal) << c.name;
        EXPECT_EQ(platform::isInternalTemporaryName(QByteArray(c.name)), c.internal) << c.name;
    }
}

TEST(InternalFilesTest, StaleFilesAreRemovedAndOnesInUseKept)
{
    TempFolder folder;
    folder.write("song.mp3", "ID3 old bytes and audio");
    folder.write(".other.mp3.kestrava-tmp3", "a copy a killed save left");
    folder.write(".busy.mp3.kestrava-tmp", "a copy a running save holds");
    folder.write(".kestrava-0000beef.part", "a copy a killed move left");
    // A journal cut short: its save never touched the file, which stays as it is.
    folder.write(".song.mp3.kestrava-journal", "KSTJRN01 cut");
    const int busy = ::open(native(folder, ".busy.mp3.kestrava-tmp").constData(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    platform::internalfiles::removeStale(QFile::encodeName(folder.path()));
    EXPECT_EQ(entries(folder), (QStringList{".busy.mp3.kestrava-tmp", "song.mp3"}));
    EXPECT_EQ(folder.read("song.mp3"), "ID3 old bytes and audio");
    ::close(busy);
}

TEST(InternalFilesTest, OverwriteInPlaceKeepsTheFileItsLinksAndLeavesNoJournal)
{
    TempFolder folder;
    folder.write("song.mp3", "ID3 old tag|audio");
    ASSERT_EQ(::link(native(folder, "song.mp3").constData(), native(folder, "linked.mp3").constData()), 0);
    const ino_t inode = inodeOf(native(folder, "song.mp3"));
    EXPECT_EQ(platform::RegionJournal::overwrite(native(folder, "song.mp3"), 4, "new"),
              platform::RegionJournal::Result::Written);
    EXPECT_EQ(folder.read("linked.mp3"), "ID3 new tag|audio");
    EXPECT_EQ(inodeOf(native(folder, "song.mp3")), inode);
    EXPECT_EQ(entries(folder), (QStringList{"linked.mp3", "song.mp3"}));
    // A region beyond the end is refused.
    EXPECT_EQ(platform::RegionJournal::overwrite(native(folder, "song.mp3"), 16, "xyz"),
              platform::RegionJournal::Result::Failed);
    EXPECT_EQ(folder.read("song.mp3"), "ID3 new tag|audio");
}

TEST(InternalFilesTest, RewriteKeepsExtendedAttributesAndAcls)
{
    TempFolder folder;
    const QByteArray song = native(folder, "song.mp3");
    folder.write("song.mp3", "OLDSTART|audio");
    if (::setxattr(song.constData(), "user.kestrava.note", "kept", 4, 0) != 0)
        GTEST_SKIP() << "the temporary folder's file system has no user extended attributes";
    // An access ACL: owner rw, user 4242 r, group r, mask r, others none.
    QByteArray acl = QByteArray::fromHex("02000000"
                                         "01000600ffffffff"
                                         "02000400" "92100000"
                                         "04000400ffffffff"
                                         "10000400ffffffff"
                                         "20000000ffffffff");
    const bool hasAcl = ::setxattr(song.constData(), "system.posix_acl_access", acl.constData(), size_t(acl.size()), 0) == 0;

    ASSERT_TRUE(platform::filerewrite::replaceFileStart(song, "NEW", 8));
    EXPECT_EQ(folder.read("song.mp3"), "NEW|audio");
    char value[16] = {};
    EXPECT_EQ(::getxattr(song.constData(), "user.kestrava.note", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
    if (hasAcl) {
        QByteArray kept(256, '\0');
        const ssize_t size = ::getxattr(song.constData(), "system.posix_acl_access", kept.data(), size_t(kept.size()));
        EXPECT_EQ(kept.first(std::max<ssize_t>(size, 0)), acl);
    }
}

TEST(InternalFilesTest, RewriteRefusesRatherThanChangingTheOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        GTEST_SKIP() << "no user 'nobody'";
    TempFolder folder;
    ::chmod(QFile::encodeName(folder.path()).constData(), 0777);
    const QByteArray song = native(folder, "song.mp3");
    folder.write("song.mp3", "OLDSTART|audio");
    ::chmod(song.constData(), 0666); // anyone may write it, only root owns it
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            ::_exit(3);
        const bool replaced = platform::filerewrite::replaceFileStart(song, "NEW", 8);
        ::_exit(replaced ? 1 : errno == EPERM ? 0 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(folder.read("song.mp3"), "OLDSTART|audio");
    struct stat info {};
    ::stat(song.constData(), &info);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(entries(folder), QStringList{"song.mp3"});
}
