#include "explorer/shared/DisplayTexts.h"
#include "platform/DrivePaths.h"
#include "platform/FileTime.h"
#include "tests/explorer_filelist/FileListFixture.h"
#include "tests/explorer_filelist/OtherUser.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using FileListListingTest = FileListFixture;

TEST_F(FileListListingTest, RowsCarryTheEntrysTextsAndTheFolderBecomesCurrent)
{
    folder.write(QStringLiteral("song.mp3"), QByteArray(100, 'x'));
    folder.write(QStringLiteral("empty.txt"), QByteArray());
    makeFolder(QStringLiteral("Album"));
    ::chmod(folder.filePath(QStringLiteral("empty.txt")).toLocal8Bit().constData(), 0444);
    const timespec times[2] = {{1135531800, 0}, {1135531800, 0}}; // 2005-12-25 17:30:00 UTC
    ::utimensat(AT_FDCWD, folder.filePath(QStringLiteral("song.mp3")).toLocal8Bit().constData(), times, 0);

    listFolder();
    EXPECT_EQ(list.Directory(), drivePathOf() + QLatin1Char('\\'));
    EXPECT_EQ(platform::currentFolder(), drivePathOf());

    const FileListItem &song = itemCalled(QStringLiteral("song.mp3"));
    const qint64 songTime = platform::fileTimeFromUnix(1135531800, 0);
    EXPECT_EQ(song.subItem(siSize), QStringLiteral("1 KB"));
    EXPECT_EQ(song.subItem(siType), QStringLiteral("MP3 audio"));
    EXPECT_EQ(song.subItem(siModified), FileTimeToText(songTime, datePicture(df_Customize), timePicture(tfShortFormat)));
    EXPECT_EQ(song.subItem(siAttributes), QStringLiteral("A"));
    EXPECT_EQ(song.subItem(siPath), list.Directory() + QStringLiteral("song.mp3"));
    EXPECT_EQ(song.subItem(siKind), QStringLiteral("file"));
    EXPECT_EQ(song.subItem(siSortKey).toDouble(), 127800054000000000.0);
    EXPECT_GE(song.imageIndex, 0);

    EXPECT_EQ(itemCalled(QStringLiteral("empty.txt")).subItem(siSize), QStringLiteral("0 KB"));
    EXPECT_EQ(itemCalled(QStringLiteral("empty.txt")).subItem(siAttributes), QStringLiteral("AR"));
    const FileListItem &album = itemCalled(QStringLiteral("Album"));
    EXPECT_EQ(album.subItem(siSize), QStringLiteral(" "));
    EXPECT_EQ(album.subItem(siKind), QStringLiteral("dir"));
    EXPECT_EQ(album.subItem(siAttributes), QString());
    EXPECT_EQ(list.ListedTotal(), 100);

    // The view shows the record's texts in columns 1 to 4.
    const QModelIndex sizeCell = list.model()->index(rowOf(QStringLiteral("song.mp3")), 1);
    EXPECT_EQ(sizeCell.data().toString(), QStringLiteral("1 KB"));
    EXPECT_EQ(Qt::Alignment(sizeCell.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignRight, Qt::AlignRight);
}

TEST_F(FileListListingTest, MaskIsTrimmedAndSplitIntoPatternsUsedAsWritten)
{
    for (const char *name : {"a.mp3", "b.MP3", "c.wav", " live.wav", "notes.txt"})
        folder.write(QString::fromUtf8(name), "x");
    makeFolder(QStringLiteral("Disc"));
    listFolder();
    const struct {
        const char *mask;
        QStringList files;
    } cases[] = {
        {"  *.mp3;*.wav  ", {"a.mp3", "b.MP3", "c.wav", " live.wav"}},
        {"*.mp3; *.wav", {"a.mp3", "b.MP3", " live.wav"}},
        {"", {"a.mp3", "b.MP3", "c.wav", " live.wav", "notes.txt"}},
        {"*.mp3;a*", {"a.mp3", "b.MP3", "a.mp3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mask);
        list.SetMask(QString::fromUtf8(c.mask));
        QStringList expected = c.files;
        expected << QStringLiteral("Disc") << list.ParentDirCaption();
        QStringList listed = captions();
        listed.sort();
        expected.sort();
        EXPECT_EQ(listed, expected);
    }
}

TEST_F(FileListListingTest, FileTypeDecidesWhichAttributesAreListed)
{
    folder.write(QStringLiteral(".profile"), "x");
    folder.write(QStringLiteral("song.mp3"), "x");
    makeFolder(QStringLiteral(".config"));
    makeFolder(QStringLiteral("Album"));
    ::mkfifo(folder.filePath(QStringLiteral("pipe")).toLocal8Bit().constData(), 0600);
    listFolder();
    EXPECT_GE(rowOf(QStringLiteral(".profile")), 0);
    EXPECT_GE(rowOf(QStringLiteral(".config")), 0);
    EXPECT_EQ(itemCalled(QStringLiteral("pipe")).subItem(siAttributes), QStringLiteral("S"));

    list.SetFileType(TFileType{ftReadOnly, ftSystem, ftArchive});
    EXPECT_EQ(rowOf(QStringLiteral(".profile")), -1);
    EXPECT_EQ(rowOf(QStringLiteral(".config")), -1);
    EXPECT_GE(rowOf(QStringLiteral("Album")), 0);

    list.SetFileType(TFileType{ftReadOnly, ftHidden, ftArchive});
    EXPECT_EQ(rowOf(QStringLiteral("pipe")), -1);

    const QStringList everything = (list.SetFileType(createdFileType), captions());
    list.SetFileType(TFileType{ftReadOnly, ftHidden, ftSystem});
    EXPECT_EQ(captions(), everything);
}

TEST_F(FileListListingTest, ParentRowComesFromTheFolderPassOnly)
{
    folder.write(QStringLiteral("Music/song.mp3"), "x");
    listFolder(QStringLiteral("Music"));
    ASSERT_EQ(list.itemCount(), 2);
    const FileListItem &parent = list.item(0);
    EXPECT_EQ(parent.caption, QStringLiteral(" Parent"));
    EXPECT_EQ(parent.imageIndex, list.ParentImgIdx());
    for (FileListSubItem column : {siSize, siType, siModified, siAttributes})
        EXPECT_EQ(parent.subItem(column), QStringLiteral(" "));
    EXPECT_EQ(parent.subItem(siPath), list.Directory() + QStringLiteral(".."));
    EXPECT_EQ(parent.subItem(siKind), QStringLiteral("dir"));
    EXPECT_FALSE(parent.subItem(siSortKey).isEmpty());

    list.SetParentDirEnabled(false);
    list.RefreshList();
    EXPECT_EQ(captions(), QStringList{QStringLiteral("song.mp3")});

    list.SetParentDirEnabled(true);
    list.SetShowFolders(false);
    EXPECT_EQ(captions(), QStringList{QStringLiteral("song.mp3")});
}

TEST_F(FileListListingTest, HiddenExtensionsCutAtTheLastDotOfFilesAndFolders)
{
    makeFolder(QStringLiteral("Album.2005"));
    folder.write(QStringLiteral(".profile"), "x");
    folder.write(QStringLiteral("live.at.home.mp3"), "x");
    folder.write(QStringLiteral("readme"), "x");
    list.SetHideFileExt(true);
    listFolder();
    QStringList listed = captions();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{QString(), QStringLiteral(" Parent"), QStringLiteral("Album"),
                                   QStringLiteral("live.at.home"), QStringLiteral("readme")}));
    EXPECT_EQ(list.item(rowOf(QString())).subItem(siPath), list.Directory() + QStringLiteral(".profile"));
}

TEST_F(FileListListingTest, SizesAreSixtyFourBitInKilobytesOrBytes)
{
    folder.write(QStringLiteral("zero"), QByteArray());
    folder.write(QStringLiteral("hundred"), QByteArray(100, 'x'));
    folder.write(QStringLiteral("half"), QByteArray(1536, 'x'));
    makeFolder(QStringLiteral("Album"));
    const qint64 fiveGB = 5LL * 1024 * 1024 * 1024;
    {
        QFile big(folder.filePath(QStringLiteral("big.iso")));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(fiveGB)); // sparse: no disk space used
    }
    listFolder();
    EXPECT_EQ(itemCalled(QStringLiteral("zero")).subItem(siSize), QStringLiteral("0 KB"));
    EXPECT_EQ(itemCalled(QStringLiteral("hundred")).subItem(siSize), QStringLiteral("1 KB"));
    EXPECT_EQ(itemCalled(QStringLiteral("half")).subItem(siSize), QStringLiteral("1 KB"));
    EXPECT_EQ(itemCalled(QStringLiteral("big.iso")).subItem(siSize), QStringLiteral("5242880 KB"));
    EXPECT_EQ(list.ListedTotal(), fiveGB + 1636);

    list.selectItem(rowOf(QStringLiteral("big.iso")));
    EXPECT_EQ(list.SelectedSize(), fiveGB);

    list.SetFileSize(fsByte);
    list.RefreshList();
    EXPECT_EQ(itemCalled(QStringLiteral("half")).subItem(siSize), QStringLiteral("1536"));
    EXPECT_EQ(itemCalled(QStringLiteral("zero")).subItem(siSize), QStringLiteral("0"));
    EXPECT_EQ(itemCalled(QStringLiteral("big.iso")).subItem(siSize), QString::number(fiveGB));
    EXPECT_EQ(itemCalled(QStringLiteral("Album")).subItem(siSize), QStringLiteral(" "));
}

TEST_F(FileListListingTest, UnreadableFolderListsNothingAndTheListKeepsWorking)
{
    ::chmod(folder.path().toLocal8Bit().constData(), 0755);
    folder.write(QStringLiteral("closed/song.mp3"), "x");
    folder.write(QStringLiteral("open/song.mp3"), "x");
    ::chmod(folder.filePath(QStringLiteral("closed")).toLocal8Bit().constData(), 0);
    {
        ActAsOrdinaryUser ordinaryUser;
        listFolder(QStringLiteral("closed"));
        EXPECT_EQ(list.Directory(), drivePathOf(QStringLiteral("closed\\")));
        EXPECT_EQ(list.itemCount(), 0);
        listFolder(QStringLiteral("open"));
    }
    EXPECT_GE(rowOf(QStringLiteral("song.mp3")), 0);
}

TEST_F(FileListListingTest, MissingDirectoryIsIgnoredAndTheListingStays)
{
    folder.write(QStringLiteral("song.mp3"), "x");
    listFolder();
    const QStringList before = captions();
    list.SetDirectory(drivePathOf(QStringLiteral("gone")));
    EXPECT_EQ(list.Directory(), drivePathOf() + QLatin1Char('\\'));
    EXPECT_EQ(captions(), before);
}
