#include "explorer/tree/DirTree.h"
#include "explorer/combo/TZuDirTreeCombo28.h"
#include "platform/DrivePaths.h"
#include "tests/explorer_filelist/FileListFixture.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// Partners that note every folder the list asks them to show.
template <typename Partner>
class NotingPartner : public Partner {
public:
    NotingPartner(const QString &name, QStringList &calls)
        : m_name(name)
        , m_calls(calls)
    {
    }
    void OpenPath(const QString &path) override
    {
        m_calls.append(m_name + QLatin1Char(' ') + path);
        Partner::OpenPath(path);
    }

private:
    QString m_name;
    QStringList &m_calls;
};

class FileListNavigationTest : public FileListFixture {
protected:
    void SetUp() override
    {
        folder.write(QStringLiteral("Music/Rock/song.mp3"), "x");
        folder.write(QStringLiteral("Music/Jazz/tune.mp3"), "x");
        folder.write(QStringLiteral("Music/cover.jpg"), "x");
        list.SetDirTree(&tree);
        list.SetDirTreeCombo(&combo);
        list.resize(600, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QPoint centreOf(int row) const { return list.visualRect(list.model()->index(row, 0)).center(); }

    QStringList calls;
    NotingPartner<TZuDirTree21> tree{QStringLiteral("tree"), calls};
    NotingPartner<TZuDirTreeCombo28> combo{QStringLiteral("combo"), calls};
};
} // namespace

TEST_F(FileListNavigationTest, DrivesInAnyLetterCaseListTheDrives)
{
    for (const char *value : {"drives", "DRIVES", "Drives"}) {
        SCOPED_TRACE(value);
        listFolder(QStringLiteral("Music"));
        list.SetDirectory(QString::fromLatin1(value));
        EXPECT_EQ(list.Directory(), QString::fromLatin1(value));
        EXPECT_FALSE(list.FileColumnsActive());
        EXPECT_EQ(list.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Disk Size"));
        const FileListItem &c = itemCalled(QStringLiteral(" (C:)  File System "));
        EXPECT_EQ(c.subItem(siSize), QStringLiteral("Fixed Disk"));
        EXPECT_TRUE(c.subItem(siType).endsWith(QStringLiteral(" Mb")));
        EXPECT_EQ(c.subItem(siPath), QStringLiteral("C:\\"));
        EXPECT_EQ(c.subItem(siKind), QStringLiteral("drv"));
    }
    // Setting it again while the drives are shown leaves the list as it is.
    list.selectItem(0);
    list.SetDirectory(QStringLiteral("Drives"));
    EXPECT_EQ(list.selectedIndex(), 0);
    EXPECT_EQ(list.DriveFreeSpace(), 0);
}

TEST_F(FileListNavigationTest, GoUpFromAFolderListsTheParentAndSelectsTheFolderLeft)
{
    listFolder(QStringLiteral("Music\\Rock"));
    calls.clear();
    QSignalSpy changes(&list, &TZuFilelistView28::OnItemChange);
    list.GoUp();
    const QString music = drivePathOf(QStringLiteral("Music\\"));
    EXPECT_EQ(list.Directory(), music);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("tree ") + music, QStringLiteral("combo ") + music}));
    EXPECT_EQ(list.selectedCaption(), QStringLiteral("Rock"));
    EXPECT_EQ(list.currentIndex().row(), list.selectedIndex());
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.first().at(1).toString(), music + QStringLiteral("Rock"));
    EXPECT_EQ(list.SelectedItem(), music + QStringLiteral("Rock"));
    EXPECT_EQ(tree.SelectedPath(), music);
}

TEST_F(FileListNavigationTest, GoUpFromADriveRootShowsTheDrivesAndTheTopNodes)
{
    list.SetDirectory(QStringLiteral("C:\\"));
    EXPECT_EQ(rowOf(list.ParentDirCaption()), -1);
    calls.clear();
    list.GoUp();
    EXPECT_EQ(list.Directory(), QStringLiteral("Drives"));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("combo ") + combo.topNodeCaption(),
                                  QStringLiteral("tree ") + tree.topNodeCaption()}));
    EXPECT_EQ(tree.SelectedPath(), QStringLiteral("Drives"));
    calls.clear();
    list.GoUp();
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(list.Directory(), QStringLiteral("Drives"));
}

TEST_F(FileListNavigationTest, OpeningRowsNavigatesAndTellsThePartners)
{
    listFolder(QStringLiteral("Music"));
    list.selectItem(rowOf(QStringLiteral("Jazz")));
    calls.clear();
    list.OpenSelected();
    const QString jazz = drivePathOf(QStringLiteral("Music\\Jazz\\"));
    EXPECT_EQ(list.Directory(), jazz);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("tree ") + jazz, QStringLiteral("combo ") + jazz}));
    EXPECT_EQ(platform::currentFolder(), platform::toDrivePath(folder.filePath(QStringLiteral("Music/Jazz"))));

    list.selectItem(rowOf(list.ParentDirCaption()));
    list.OpenSelected();
    EXPECT_EQ(list.Directory(), drivePathOf(QStringLiteral("Music\\")));
    EXPECT_EQ(list.selectedCaption(), QStringLiteral("Jazz"));

    list.SetDirectory(QStringLiteral("Drives"));
    list.selectItem(rowOf(QStringLiteral(" (C:)  File System ")));
    list.OpenSelected();
    EXPECT_EQ(list.Directory(), QStringLiteral("C:\\"));
}

TEST_F(FileListNavigationTest, DoubleClickOpensAFolderOrGoesUp)
{
    listFolder(QStringLiteral("Music"));
    const int rock = rowOf(QStringLiteral("Rock"));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(rock));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(rock));
    EXPECT_EQ(list.Directory(), drivePathOf(QStringLiteral("Music\\Rock\\")));

    list.ShortCuts().DblClickToOpen = false;
    QSignalSpy doubleClicks(&list, &TZuFilelistView28::OnDblClick);
    const int song = rowOf(QStringLiteral("song.mp3"));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(song));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(song));
    EXPECT_EQ(doubleClicks.size(), 1);
    const int parent = rowOf(list.ParentDirCaption());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(parent));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(parent));
    EXPECT_EQ(list.Directory(), drivePathOf(QStringLiteral("Music\\")));
    EXPECT_EQ(doubleClicks.size(), 1);
}

TEST_F(FileListNavigationTest, ClicksAndArrowKeysReportTheSelectedRow)
{
    listFolder(QStringLiteral("Music"));
    QSignalSpy changes(&list, &TZuFilelistView28::OnItemChange);
    QSignalSpy clicks(&list, &TZuFilelistView28::OnClick);
    // Nothing selected: a click on the empty area reports nothing.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, list.viewport()->height() - 5));
    EXPECT_EQ(clicks.size(), 0);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(1));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.last().at(1).toString(), list.item(1).path());
    EXPECT_EQ(clicks.size(), 1);

    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(changes.last().at(1).toString(), list.item(2).path());
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(changes.size(), 2);
    EXPECT_EQ(list.SelectedItem(), list.item(2).path());
}

TEST_F(FileListNavigationTest, SelectionOperationsOfTheMainWindow)
{
    listFolder(QStringLiteral("Music"));
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.SelectedNumber(), list.itemCount());
    EXPECT_EQ(list.SelectedSize(), 0);

    list.selectItem(rowOf(QStringLiteral("cover.jpg")));
    list.selectItem(rowOf(QStringLiteral("Rock")));
    EXPECT_EQ(list.SelectedNumber(), 1);
    EXPECT_EQ(list.selectedCaption(), QStringLiteral("Rock"));
    EXPECT_EQ(list.SelectedSize(), 0);

    list.selectionModel()->select(list.model()->index(rowOf(QStringLiteral("cover.jpg")), 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(list.SelectedNumber(), 2);
    EXPECT_EQ(list.SelectedSize(), 1);

    list.setNameColumnWidth(226);
    EXPECT_EQ(list.header()->sectionSize(0), 226);
}

TEST_F(FileListNavigationTest, ScrollingBringsALateRowIntoView)
{
    for (int i = 0; i < 60; ++i)
        folder.write(QStringLiteral("Many/file%1.txt").arg(i, 2, 10, QLatin1Char('0')), "x");
    listFolder(QStringLiteral("Many"));
    const QModelIndex last = list.model()->index(list.itemCount() - 1, 0);
    EXPECT_FALSE(list.viewport()->rect().intersects(list.visualRect(last)));
    list.selectItem(list.itemCount() - 1);
    list.scrollItemIntoView(list.itemCount() - 1);
    EXPECT_TRUE(list.viewport()->rect().intersects(list.visualRect(last)));
}

TEST_F(FileListNavigationTest, PartnersAreLinkedBothWaysAndForgottenWhenGone)
{
    EXPECT_EQ(tree.FileList(), &list);
    EXPECT_EQ(combo.FileList(), &list);

    TZuDirTree21 other;
    list.SetDirTree(&other);
    EXPECT_EQ(tree.FileList(), nullptr);
    EXPECT_EQ(other.FileList(), &list);

    tree.SetFileList(&list);
    EXPECT_EQ(list.DirTree(), &tree);
    EXPECT_EQ(other.FileList(), nullptr);

    {
        TZuDirTreeCombo28 shortLived;
        shortLived.SetFileList(&list);
        EXPECT_EQ(list.DirTreeCombo(), &shortLived);
        EXPECT_EQ(combo.FileList(), nullptr);
    }
    EXPECT_EQ(list.DirTreeCombo(), nullptr);
    listFolder(QStringLiteral("Music"));
    list.GoUp(); // no partner left to call
    EXPECT_EQ(list.Directory(), drivePathOf() + QLatin1Char('\\'));
}
