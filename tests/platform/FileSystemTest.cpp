#include "platform/FileSystem.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer_filelist/OtherUser.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

TEST(FileSystemTest, AttributesOfFilesFoldersAndSpecialFiles)
{
    TempFolder folder;
    folder.write(QStringLiteral("song.mp3"), "x");
    folder.write(QStringLiteral(".hidden"), "x");
    folder.write(QStringLiteral("sub/inner"), "x");
    ::mkfifo("pipe", 0600);
    ::symlink("sub", "link-to-sub");

    EXPECT_EQ(fileAttributes(QStringLiteral("song.mp3")), faArchive);
    EXPECT_EQ(fileAttributes(QStringLiteral(".hidden")), faArchive | faHidden);
    EXPECT_EQ(fileAttributes(QStringLiteral("sub")), faDirectory);
    EXPECT_EQ(fileAttributes(QStringLiteral("link-to-sub")), faDirectory);
    EXPECT_EQ(fileAttributes(QStringLiteral("pipe")), faSystem);
    EXPECT_EQ(fileAttributes(QStringLiteral("missing")), invalidFileAttributes);
    EXPECT_TRUE(fileExists(QStringLiteral("song.mp3")));
    EXPECT_FALSE(fileExists(QStringLiteral("sub")));
    EXPECT_TRUE(folderExists(QStringLiteral("sub")));

    ::chmod("song.mp3", 0444);
    EXPECT_EQ(fileAttributes(QStringLiteral("song.mp3")), faArchive | faReadOnly);
    EXPECT_TRUE(setAttributesNormal(QStringLiteral("song.mp3")));
    EXPECT_EQ(fileAttributes(QStringLiteral("song.mp3")), faArchive);
    EXPECT_EQ(QFileInfo(QStringLiteral("song.mp3")).permissions() & QFile::ReadOther, QFile::ReadOther);
}

TEST(FileSystemTest, RenameNeverReplacesAnExistingTarget)
{
    TempFolder folder;
    folder.write(QStringLiteral("a.mp3"), "first");
    folder.write(QStringLiteral("b.mp3"), "second");

    EXPECT_EQ(renameNoReplace(QStringLiteral("a.mp3"), QStringLiteral("b.mp3")), RenameResult::TargetExists);
    EXPECT_EQ(folder.read(QStringLiteral("a.mp3")), QByteArray("first"));
    EXPECT_EQ(folder.read(QStringLiteral("b.mp3")), QByteArray("second"));

    EXPECT_EQ(renameNoReplace(QStringLiteral("a.mp3"), QStringLiteral("c.mp3")), RenameResult::Done);
    EXPECT_EQ(folder.read(QStringLiteral("c.mp3")), QByteArray("first"));
    EXPECT_FALSE(folder.exists(QStringLiteral("a.mp3")));

    EXPECT_EQ(renameNoReplace(QStringLiteral("gone.mp3"), QStringLiteral("d.mp3")), RenameResult::SourceMissing);
    EXPECT_EQ(renameNoReplace(QStringLiteral("c.mp3"), QString(300, QLatin1Char('n'))), RenameResult::NameTooLong);
}

TEST(FileSystemTest, SameFileIsOneEntryOfTheFolderNeverAnother)
{
    TempFolder folder;
    folder.write(QStringLiteral("song.mp3"), "one");
    folder.write(QStringLiteral("Song.mp3"), "two");
    folder.write(QStringLiteral("sub/tune.mp3"), "three");
    ::link("song.mp3", "alias.mp3");
    ::link("song.mp3", "SONG.MP3");
    EXPECT_TRUE(isSameFile(QStringLiteral("song.mp3"), QStringLiteral("song.mp3")));
    EXPECT_FALSE(isSameFile(QStringLiteral("song.mp3"), QStringLiteral("Song.mp3")));
    EXPECT_FALSE(isSameFile(QStringLiteral("song.mp3"), QStringLiteral("SONG.MP3"))); // a hard link, but another entry
    EXPECT_FALSE(isSameFile(QStringLiteral("song.mp3"), QStringLiteral("alias.mp3")));
    EXPECT_FALSE(isSameFile(QStringLiteral("song.mp3"), QStringLiteral("missing.mp3")));
    EXPECT_FALSE(isSameFile(QStringLiteral("sub/tune.mp3"), QStringLiteral("sub/Tune.mp3")));
}

TEST(FileSystemTest, NameLimitIsCountedInBytes)
{
    TempFolder folder;
    EXPECT_TRUE(nameFitsFileSystem(QStringLiteral("."), QString(255, QLatin1Char('a'))));
    EXPECT_FALSE(nameFitsFileSystem(QStringLiteral("."), QString(200, QChar(0x00E8)))); // 400 bytes
}

TEST(FileSystemTest, PathLookupErrorTellsWhyAPathCannotBeLookedAt)
{
    TempFolder folder;
    folder.write(QStringLiteral("song.mp3"), "x");
    folder.write(QStringLiteral("locked/inner.mp3"), "x");
    ::symlink("nowhere", "dangling");
    const struct {
        QString path;
        int expected;
    } cases[] = {
        {folder.filePath(QStringLiteral("song.mp3")), 0},
        {folder.filePath(QStringLiteral("dangling")), 0},
        {folder.path(), 0},
        {folder.filePath(QStringLiteral("missing.mp3")), 2},
        {folder.filePath(QStringLiteral("gone/missing.mp3")), 3},
        {QString(), 3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pathLookupError(c.path), c.expected) << qPrintable(c.path);

    ::chmod("locked", 0);
    const auto unlock = qScopeGuard([] { ::chmod("locked", 0700); });
    const ActAsOrdinaryUser ordinary;
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder and could not act as an ordinary user";
    EXPECT_EQ(pathLookupError(folder.filePath(QStringLiteral("locked/inner.mp3"))), 5);
}
