#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/ShellFileInfo.h"
#include "explorer/shared/KnownFolders.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/DrivePaths.h"
#include "platform/Registry.h"
#include "tests/common/TempFolder.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

TEST(ShellFileInfoTest, TypeNamesComeFromTheNameOnly)
{
    TempFolder folder;
    // contents that say otherwise are never read
    folder.write("fake.mp3", QByteArray("\x89PNG\r\n\x1a\n", 8));
    folder.write("picture.png", "plain text");
    const QString mp3 = fileTypeNameOf("fake.mp3", false);
    EXPECT_TRUE(mp3.contains("MP3")) << mp3.toStdString();
    EXPECT_EQ(fileTypeNameOf("SONG.MP3", false), mp3);
    EXPECT_TRUE(fileTypeNameOf("picture.png", false).contains("PNG"));
    EXPECT_EQ(fileTypeNameOf("data.qqz", false), "QQZ File");
    EXPECT_EQ(fileTypeNameOf("blob_without_dot", false), "File");
    EXPECT_NE(fileTypeNameOf("Album.2005", true), fileTypeNameOf("Album.2005", false));
}

TEST(ShellFileInfoTest, IconIndexesShareOneEntryPerIcon)
{
    TempFolder folder;
    folder.write("a.mp3", "x");
    folder.write("b.mp3", "x");
    folder.write("Album/c.txt", "x");
    const QString base = folder.drivePath() + "\\";
    const int song = SmallIconIndex(base + "a.mp3");
    EXPECT_EQ(SmallIconIndex(base + "b.mp3"), song);
    EXPECT_EQ(OpenIconIndex(base + "a.mp3"), song);
    const int album = SmallIconIndex(base + "Album");
    EXPECT_NE(album, song);
    EXPECT_NE(OpenIconIndex(base + "Album\\"), album);
    EXPECT_EQ(fileIconIndex("Album", true), album);
    const ShellFileEntry entry = shellFileEntry("c.mp3", false);
    EXPECT_EQ(entry.iconIndex, song);
    EXPECT_EQ(entry.typeName, fileTypeNameOf("c.mp3", false));
    EXPECT_NE(SmallIconIndex("C:\\"), album);
    EXPECT_EQ(SmallIconIndex("c:"), SmallIconIndex("C:\\"));

    SystemImageList &list = SystemImageList::instance();
    for (int index : {song, album, SmallIconIndex("C:\\"), computerIconIndex()}) {
        EXPECT_FALSE(list.smallPixmap(index).isNull()) << index;
        EXPECT_FALSE(list.largePixmap(index).isNull()) << index;
    }
    QPixmap own(16, 16);
    own.fill(Qt::red);
    const int appended = list.append(QIcon(own));
    EXPECT_EQ(appended, list.count() - 1);
    list.removeLast();
    EXPECT_EQ(list.count(), appended);
    EXPECT_TRUE(list.icon(appended).isNull());
}

TEST(ShellFileInfoTest, DisplayNames)
{
    DialogTextLanguage = lnEnglish;
    EXPECT_EQ(shellDisplayName("C:\\"), "File System (C:)");
    DialogTextLanguage = lnItalian;
    EXPECT_EQ(shellDisplayName("C:\\"), "File system (C:)");
    EXPECT_EQ(shellDisplayName("C:\\Music\\Rock\\"), "Rock");
    EXPECT_EQ(shellDisplayName("C:\\Music\\a.mp3"), "a.mp3");
    EXPECT_TRUE(isDriveRoot("d:"));
    EXPECT_FALSE(isDriveRoot("D:\\x"));
    EXPECT_FALSE(isDriveRoot("1:\\"));
}

TEST(SpecialFoldersTest, FoldersOfTheDesktopWithATrailingSlash)
{
    const QString sendTo = SpecialFolderPath(5);
    const QString dataHome = platform::toDrivePath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    EXPECT_EQ(sendTo, dataHome + "\\kestrava\\SendTo\\");
    EXPECT_TRUE(QFileInfo(platform::toNativePath(sendTo)).isDir());
    EXPECT_EQ(SpecialFolderPath(0),
              platform::toDrivePath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)) + "\\");
    EXPECT_EQ(SpecialFolderPath(1), "");
    EXPECT_EQ(SpecialFolderPath(8), "C:\\usr\\bin\\");
    EXPECT_EQ(SpecialFolderPath(9), "C:\\usr\\lib\\");
    EXPECT_EQ(SpecialFolderPath(10), "");
    EXPECT_EQ(SpecialFolderPath(-1), "");
}

TEST(SpecialFoldersTest, TheUsersValuesWin)
{
    platform::RegistryKey key;
    ASSERT_TRUE(key.openKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"));
    key.writeString("Personal", "C:\\data\\docs");
    key.writeString("Favorites", "C:\\data\\fav\\");
    key.writeInteger("NetHood", 5);
    key.closeKey();
    EXPECT_EQ(SpecialFolderPath(3), "C:\\data\\docs\\");
    EXPECT_EQ(SpecialFolderPath(1), "C:\\data\\fav\\");
    EXPECT_EQ(SpecialFolderPath(2), ""); // a value of another type names no folder
}
