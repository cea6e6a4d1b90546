#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include "tests/explorer_filelist/FileListFixture.h"

using FileListSettingsTest = FileListFixture;

namespace {
QStringList headerCaptions(const TZuFilelistView28 &list)
{
    QStringList result;
    for (int column = 0; column < list.model()->columnCount(); ++column)
        result.append(list.model()->headerData(column, Qt::Horizontal).toString());
    return result;
}

QList<int> sectionWidths(const TZuFilelistView28 &list)
{
    QList<int> widths;
    for (int column = 0; column < list.header()->count(); ++column)
        widths.append(list.header()->sectionSize(column));
    return widths;
}
} // namespace

TEST_F(FileListSettingsTest, CreatedWithItsDefaultsAndNothingListed)
{
    EXPECT_EQ(list.About(), QStringLiteral("Version 2.8.8.1"));
    list.SetAbout(QStringLiteral("other"));
    EXPECT_EQ(list.About(), QStringLiteral("Version 2.8.8.1"));
    EXPECT_EQ(list.Directory(), QStringLiteral("Drives"));
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(list.FileType(), createdFileType);
    EXPECT_EQ(list.FileSize(), fsKB);
    EXPECT_EQ(list.DateFormat(), df_Customize);
    EXPECT_EQ(list.TimeFormat(), tfShortFormat);
    EXPECT_EQ(list.Language(), lnEnglish);
    EXPECT_EQ(list.Mask(), QStringLiteral("*.*"));
    EXPECT_EQ(list.ParentDirCaption(), QStringLiteral(" Parent"));
    EXPECT_TRUE(list.ParentDirEnabled() && list.ShowFolders() && list.PopUpMenuEnabled());
    EXPECT_FALSE(list.HideFileExt());
    EXPECT_EQ(list.SelectedItem(), QString());
    EXPECT_EQ(list.SortColumn(), 0);
    EXPECT_TRUE(list.SortDescending());
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(list.FileColumnsActive());
    EXPECT_EQ(headerCaptions(list), (QStringList{"Name", "Size", "Type", "Modified", "Attr"}));
    EXPECT_EQ(sectionWidths(list), (QList<int>{165, 75, 95, 125, 40}));
}

TEST_F(FileListSettingsTest, LanguageSetsColumnsDriveNamesAndMessages)
{
    list.SetLanguage(lnItalian);
    EXPECT_EQ(headerCaptions(list), (QStringList{"Nome", "Capacità", "Tipo", "Modificato", "Attributi"}));
    EXPECT_EQ(ListTextLanguage, lnItalian);
    EXPECT_EQ(ExplorerTexts.msgNoSelection, QStringLiteral("Nessun file selezionato"));

    list.RefreshList(); // the Directory of a new list is "Drives" already
    EXPECT_EQ(headerCaptions(list), (QStringList{"Nome", "Tipo", "Capacità disco", "Disponibile", "Attributi"}));
    EXPECT_EQ(itemCalled(QStringLiteral(" (C:)  File system ")).subItem(siSize), QStringLiteral("Disco locale"));
    // The drive list keeps its own columns when the language changes under it.
    list.SetLanguage(lnEnglish);
    EXPECT_EQ(headerCaptions(list), (QStringList{"Name", "Type", "Disk Size", "Free Space", "Attr"}));
    list.SetLanguage(lnSysDefault);
    EXPECT_NE(list.Language(), lnSysDefault);
}

TEST_F(FileListSettingsTest, DateAndTimeFormatsApplyToLaterListings)
{
    folder.write(QStringLiteral("song.mp3"), "x");
    const timespec noon[2] = {{1135512000, 0}, {1135512000, 0}}; // 2005-12-25 12:00:00 UTC
    ::utimensat(AT_FDCWD, folder.filePath(QStringLiteral("song.mp3")).toLocal8Bit().constData(), noon, 0);
    listFolder();
    const QString before = itemCalled(QStringLiteral("song.mp3")).subItem(siModified);

    list.SetDateFormat(df_yyyyMMdd);
    list.SetTimeFormat(tfLongFormat);
    EXPECT_EQ(itemCalled(QStringLiteral("song.mp3")).subItem(siModified), before);
    list.RefreshList();
    const QString after = itemCalled(QStringLiteral("song.mp3")).subItem(siModified);
    EXPECT_TRUE(after.startsWith(QStringLiteral("2005-12-25 "))) << after.toStdString();
    EXPECT_EQ(after.count(QLatin1Char(':')) + after.count(QLatin1Char('.')), 2) << after.toStdString();
}

TEST_F(FileListSettingsTest, ColumnWidthsApplyToTheFileColumnsOnly)
{
    list.SetColWidth_Name(200);
    list.SetColWidth_Attr(55);
    EXPECT_EQ(sectionWidths(list), (QList<int>{200, 75, 95, 125, 55}));

    list.RefreshList();
    EXPECT_EQ(sectionWidths(list), (QList<int>{160, 110, 90, 90, 40}));
    list.SetColWidth_Size(80);
    EXPECT_EQ(sectionWidths(list), (QList<int>{160, 110, 90, 90, 40}));

    listFolder();
    EXPECT_EQ(sectionWidths(list), (QList<int>{200, 80, 95, 125, 55}));
    // A width the user gave survives a new listing.
    list.setNameColumnWidth(300);
    list.RefreshList();
    EXPECT_EQ(list.header()->sectionSize(0), 300);
}

TEST_F(FileListSettingsTest, ParentCaptionIsStoredWithOneLeadingBlank)
{
    const struct {
        const char *given;
        const char *stored;
    } cases[] = {
        {"Up", " Up"},
        {"  up  ", " Up"},
        {"\tBack ", " Back"},
        {" parent ", " parent"},
    };
    for (const auto &c : cases) {
        list.SetParentDirCaption(QString::fromLatin1(c.given));
        EXPECT_EQ(list.ParentDirCaption(), QString::fromLatin1(c.stored)) << c.given;
    }
    folder.write(QStringLiteral("Music/song.mp3"), "x");
    listFolder(QStringLiteral("Music"));
    EXPECT_EQ(list.item(0).caption, QStringLiteral(" parent"));
}

TEST_F(FileListSettingsTest, ParentPictureIsKeptOnceInTheImageList)
{
    platform::RegistryKey key;
    ASSERT_TRUE(key.openKey(QStringLiteral("Software\\Vorlik\\ZuFileExplorer")));
    EXPECT_EQ(key.readInteger(QStringLiteral("ParentImgIdx")), list.ParentImgIdx());

    const int images = SystemImageList::instance().count();
    TZuFilelistView28 second;
    EXPECT_EQ(second.ParentImgIdx(), list.ParentImgIdx());
    EXPECT_EQ(SystemImageList::instance().count(), images);

    // An index that names another picture is replaced.
    const int folderIcon = SystemImageList::instance().indexOfIcon(QStringLiteral("folder"));
    key.writeInteger(QStringLiteral("ParentImgIdx"), folderIcon);
    TZuFilelistView28 third;
    EXPECT_NE(third.ParentImgIdx(), folderIcon);
    EXPECT_EQ(third.ParentImgIdx(), SystemImageList::instance().count() - 1);
    EXPECT_EQ(key.readInteger(QStringLiteral("ParentImgIdx")), third.ParentImgIdx());

    // A value that is no number is written anew.
    key.writeString(QStringLiteral("ParentImgIdx"), QStringLiteral("not a number"));
    TZuFilelistView28 fourth;
    EXPECT_EQ(key.readInteger(QStringLiteral("ParentImgIdx")), fourth.ParentImgIdx());
}
