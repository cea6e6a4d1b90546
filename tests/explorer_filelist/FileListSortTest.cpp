#include "tests/explorer_filelist/FileListFixture.h"

#include <QTest>

namespace {
class FileListSortTest : public FileListFixture {
protected:
    void SetUp() override
    {
        folder.write(QStringLiteral("Music/small.mp3"), QByteArray(10, 'x'));
        folder.write(QStringLiteral("Music/large.mp3"), QByteArray(5000, 'x'));
        folder.write(QStringLiteral("Music/middle.mp3"), QByteArray(2100, 'x'));
        makeFolder(QStringLiteral("Music/Beta"));
        makeFolder(QStringLiteral("Music/alpha"));
        folder.write(QStringLiteral("Other/b.txt"), "x");
        folder.write(QStringLiteral("Other/A.txt"), "x");
        makeFolder(QStringLiteral("Other/c"));
        list.resize(600, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    void clickHeader(int column)
    {
        QHeaderView *header = list.header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
    }
};
} // namespace

TEST_F(FileListSortTest, SizeClicksSortFilesAndFoldersBothWaysWithArrows)
{
    listFolder(QStringLiteral("Music"));
    EXPECT_EQ(list.headerArrow(0), SortArrow::Up);

    clickHeader(1);
    EXPECT_EQ(captions(), (QStringList{" Parent", "large.mp3", "middle.mp3", "small.mp3", "alpha", "Beta"}));
    EXPECT_EQ(list.headerArrow(1), SortArrow::Down);
    EXPECT_EQ(FileListHeader::arrowBitmapName(list.headerArrow(1)), QStringLiteral("Bmp_Down28"));
    EXPECT_EQ(list.headerArrow(0), SortArrow::None);

    clickHeader(1);
    const QStringList ascending = captions();
    ASSERT_EQ(ascending.size(), 6);
    EXPECT_EQ(ascending.first(), QStringLiteral(" Parent"));
    EXPECT_EQ(QSet<QString>(ascending.begin() + 1, ascending.begin() + 3), (QSet<QString>{"alpha", "Beta"}));
    EXPECT_EQ(ascending.mid(3), (QStringList{"small.mp3", "middle.mp3", "large.mp3"}));
    EXPECT_EQ(FileListHeader::arrowBitmapName(list.headerArrow(1)), QStringLiteral("Bmp_Up28"));
}

TEST_F(FileListSortTest, NameOrderIgnoresLetterCaseAndKeepsTheParentFirst)
{
    listFolder(QStringLiteral("Music"));
    EXPECT_EQ(captions(), (QStringList{" Parent", "alpha", "Beta", "large.mp3", "middle.mp3", "small.mp3"}));
    clickHeader(0);
    EXPECT_EQ(captions(), (QStringList{" Parent", "small.mp3", "middle.mp3", "large.mp3", "Beta", "alpha"}));
}

TEST_F(FileListSortTest, NavigationSortsByNameAgain)
{
    listFolder(QStringLiteral("Music"));
    clickHeader(1);
    // Another sort column: names come descending (files first), as the column-click rule gives.
    listFolder(QStringLiteral("Other"));
    EXPECT_EQ(list.SortColumn(), 0);
    EXPECT_EQ(captions(), (QStringList{" Parent", "b.txt", "A.txt", "c"}));
    EXPECT_EQ(list.headerArrow(0), SortArrow::Down);
    EXPECT_EQ(list.headerArrow(1), SortArrow::None);
    // Name already the sort column: ascending.
    listFolder(QStringLiteral("Music"));
    EXPECT_EQ(captions(), (QStringList{" Parent", "alpha", "Beta", "large.mp3", "middle.mp3", "small.mp3"}));
}

TEST_F(FileListSortTest, SelectionFollowsItsRowThroughASort)
{
    listFolder(QStringLiteral("Music"));
    list.selectItem(rowOf(QStringLiteral("middle.mp3")));
    clickHeader(1);
    clickHeader(3);
    EXPECT_EQ(list.selectedCaption(), QStringLiteral("middle.mp3"));
    EXPECT_EQ(list.SelectedNumber(), 1);
}

TEST_F(FileListSortTest, DriveListIgnoresColumnClicks)
{
    list.SetDirectory(QStringLiteral("Drives"));
    const QStringList before = captions();
    clickHeader(1);
    EXPECT_FALSE(list.SortingEnabled());
    EXPECT_EQ(captions(), before);
    EXPECT_EQ(list.headerArrow(1), SortArrow::None);
}

TEST_F(FileListSortTest, ByteSizesSortAsNumbers)
{
    folder.write(QStringLiteral("Bytes/nine-hundred"), QByteArray(900, 'x'));
    folder.write(QStringLiteral("Bytes/ten-thousand"), QByteArray(10000, 'x'));
    list.SetFileSize(fsByte);
    listFolder(QStringLiteral("Bytes"));
    clickHeader(1);
    EXPECT_EQ(captions(), (QStringList{" Parent", "ten-thousand", "nine-hundred"}));
}
