#include "platform/DrivePaths.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer_filelist/OtherUser.h"

#include <QMap>
#include <QSet>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {
QMap<QString, FoundEntry> listAll(const QString &pattern, EntryKinds kinds = EntryKinds::All)
{
    QMap<QString, FoundEntry> entries;
    FindFiles find(pattern, kinds);
    FoundEntry entry;
    while (find.next(entry))
        entries.insert(entry.name, entry);
    return entries;
}

QSet<QString> names(const QMap<QString, FoundEntry> &entries)
{
    const QStringList keys = entries.keys();
    return QSet<QString>(keys.begin(), keys.end());
}
} // namespace

TEST(FindFilesTest, WildcardRules)
{
    const struct {
        const char *pattern;
        const char *name;
        bool matches;
    } cases[] = {
        {"*.*", "readme", true},
        {"*.*", ".profile", true},
        {"*", "a.b.c", true},
        {"*.MP3", "song.mp3", true},
        {"*.mp3", "song.mp3.txt", false},
        {"*.mp3", "song.mp", false},
        {"?.txt", "a.txt", true},
        {"?.txt", "ab.txt", false},
        {"a*.*", "abc", true},
        {"a*.*", "bac", false},
        {"*a*b", "xaxab", true},
        {"*a*b", "xaxba", false},
        {" *.wav", "x.wav", false},
        {" *.wav", " x.wav", true},
        {"\xc3\x88*", "\xc3\xa8lite.mp3", true},
        {"song.mp3", "SONG.MP3", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
        EXPECT_EQ(wildcardMatches(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.matches);
    }
}

TEST(FindFilesTest, EntriesCarryAttributesSizeAndTime)
{
    TempFolder folder;
    folder.write(QStringLiteral("song.mp3"), QByteArray(1536, 'x'));
    folder.write(QStringLiteral(".hidden"), "x");
    folder.write(QStringLiteral("Album/inner.txt"), "x");
    folder.write(QStringLiteral("locked.txt"), "");
    ::chmod("locked.txt", 0444);
    ::mkfifo("pipe", 0600);
    ::symlink("Album", "link-to-album");
    ::symlink("nowhere", "dangling");
    ::symlink("loop", "loop");
    // 2005-12-25 17:30:00 UTC
    const timespec times[2] = {{1135531800, 0}, {1135531800, 500}};
    ::utimensat(AT_FDCWD, "song.mp3", times, 0);

    const QMap<QString, FoundEntry> entries = listAll(folder.drivePath() + QStringLiteral("\\*.*"));
    EXPECT_EQ(names(entries), (QSet<QString>{QStringLiteral("."), QStringLiteral(".."), QStringLiteral("song.mp3"),
                                             QStringLiteral(".hidden"), QStringLiteral("Album"),
                                             QStringLiteral("locked.txt"), QStringLiteral("pipe"),
                                             QStringLiteral("link-to-album"), QStringLiteral("dangling"),
                                             QStringLiteral("loop")}));

    const FoundEntry song = entries.value(QStringLiteral("song.mp3"));
    EXPECT_EQ(song.attributes, faArchive);
    EXPECT_EQ(song.size, 1536);
    EXPECT_EQ(song.lastWriteTime, 127800054000000005LL);
    EXPECT_EQ(entries.value(QStringLiteral(".hidden")).attributes, faArchive | faHidden);
    EXPECT_EQ(entries.value(QStringLiteral("Album")).attributes, faDirectory);
    EXPECT_EQ(entries.value(QStringLiteral("Album")).size, 0);
    EXPECT_EQ(entries.value(QStringLiteral("link-to-album")).attributes, faDirectory);
    EXPECT_EQ(entries.value(QStringLiteral("locked.txt")).attributes, faArchive | faReadOnly);
    EXPECT_EQ(entries.value(QStringLiteral("pipe")).attributes, faSystem);
    EXPECT_EQ(entries.value(QStringLiteral("dangling")).attributes, faSystem);
    EXPECT_EQ(entries.value(QStringLiteral("loop")).attributes, faSystem);
    EXPECT_EQ(entries.value(QStringLiteral("..")).attributes, faDirectory);

    FoundEntry single;
    ASSERT_TRUE(findEntry(QStringLiteral("song.mp3"), single));
    EXPECT_EQ(single.size, 1536);
    EXPECT_EQ(single.lastWriteTime, song.lastWriteTime);
    EXPECT_FALSE(findEntry(QStringLiteral("SONG.MP3"), single));
    EXPECT_FALSE(findEntry(QStringLiteral("*.mp3"), single));
}

TEST(FindFilesTest, PatternsAndKindsSelectEntries)
{
    TempFolder folder;
    folder.write(QStringLiteral("a.MP3"), "x");
    folder.write(QStringLiteral("b.wav"), "x");
    folder.write(QStringLiteral("readme"), "x");
    folder.write(QStringLiteral("Disc.mp3/inner"), "x");
    ::symlink("Disc.mp3", "shortcut");
    const QString base = folder.drivePath() + QLatin1Char('\\');

    EXPECT_EQ(names(listAll(base + QStringLiteral("*.mp3"))),
              (QSet<QString>{QStringLiteral("a.MP3"), QStringLiteral("Disc.mp3")}));
    EXPECT_EQ(names(listAll(base + QStringLiteral("*.*"), EntryKinds::FoldersOnly)),
              (QSet<QString>{QStringLiteral("."), QStringLiteral(".."), QStringLiteral("Disc.mp3"),
                             QStringLiteral("shortcut")}));
    EXPECT_EQ(names(listAll(base + QStringLiteral("*.*"), EntryKinds::NonFolders)),
              (QSet<QString>{QStringLiteral("a.MP3"), QStringLiteral("b.wav"), QStringLiteral("readme")}));
    EXPECT_TRUE(listAll(base + QStringLiteral("*.ogg")).isEmpty());
    EXPECT_TRUE(listAll(base + QStringLiteral("missing\\*.*")).isEmpty());
}

TEST(FindFilesTest, DriveRootHasNoDotEntries)
{
    TempFolder folder;
    folder.write(QStringLiteral("back\\slash.txt"), "x");
    registerDriveRoot(QLatin1Char('K'), folder.path());
    const QSet<QString> atRoot = names(listAll(QStringLiteral("K:\\*.*")));
    unregisterDriveRoot(QLatin1Char('K'));
    EXPECT_EQ(atRoot, (QSet<QString>{QStringLiteral("back") + nativeBackslashStandIn + QStringLiteral("slash.txt")}));
    EXPECT_TRUE(names(listAll(folder.drivePath() + QStringLiteral("\\*"))).contains(QStringLiteral("..")));
}

TEST(FindFilesTest, EntriesThatVanishWhileListingAreSkipped)
{
    TempFolder folder;
    for (int i = 0; i < 20; ++i)
        folder.write(QStringLiteral("file%1.txt").arg(i), "x");

    FindFiles find(folder.drivePath() + QStringLiteral("\\*.txt"));
    FoundEntry first;
    ASSERT_TRUE(find.next(first));
    for (int i = 0; i < 20; ++i) {
        if (QStringLiteral("file%1.txt").arg(i) != first.name)
            ::unlink(QStringLiteral("file%1.txt").arg(i).toLocal8Bit().constData());
    }
    FoundEntry later;
    EXPECT_FALSE(find.next(later)) << later.name.toStdString();
}

TEST(FindFilesTest, UnreadableFolderYieldsNothingAndUnexaminableEntriesAreSkipped)
{
    TempFolder folder;
    ::chmod(folder.path().toLocal8Bit().constData(), 0755);
    folder.write(QStringLiteral("closed/song.mp3"), "x");
    folder.write(QStringLiteral("namesOnly/song.mp3"), "x");
    ::chmod("closed", 0);
    ::chmod("namesOnly", 0444); // names can be read, entries cannot be examined
    const QString base = folder.drivePath() + QLatin1Char('\\');

    ActAsOrdinaryUser ordinaryUser;
    FindFiles closed(base + QStringLiteral("closed\\*.*"));
    FoundEntry entry;
    EXPECT_FALSE(closed.isOpen());
    EXPECT_FALSE(closed.next(entry));
    EXPECT_TRUE(listAll(base + QStringLiteral("namesOnly\\*.*")).isEmpty());
}
