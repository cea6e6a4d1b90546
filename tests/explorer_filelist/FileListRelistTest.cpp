// A re-listing of the shown folder keeps the list's place; another folder starts at the top.

#include "tests/explorer_filelist/FileListFixture.h"

#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

TEST_F(FileListFixture, RelistingKeepsSelectionCurrentRowAndScrollWhereTheyStillExist)
{
    for (int number = 1; number <= 200; ++number)
        folder.write(u"f%1.txt"_s.arg(number, 3, 10, QLatin1Char('0')), "x");
    makeFolder(u"other"_s);
    list.resize(300, 200);
    list.show();
    listFolder();
    list.selectItem(rowOf(u"f150.txt"_s));
    list.scrollItemIntoView(rowOf(u"f150.txt"_s));
    const int scrolled = list.verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    QFile::remove(folder.filePath(u"f001.txt"_s));
    list.RefreshList();
    EXPECT_EQ(list.selectedCaption(), u"f150.txt"_s);
    EXPECT_EQ(list.currentIndex().row(), rowOf(u"f150.txt"_s));
    EXPECT_EQ(list.verticalScrollBar()->value(), scrolled);

    QFile::remove(folder.filePath(u"f150.txt"_s));
    list.RefreshList();
    EXPECT_EQ(list.selectedIndex(), -1) << "a removed entry is not selected again";

    list.selectItem(rowOf(u"f100.txt"_s));
    listFolder(u"other"_s);
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.verticalScrollBar()->value(), 0);
}

TEST_F(FileListFixture, AChangeWhileTheFolderIsBeingReadIsShownAfterTheRead)
{
    for (int number = 0; number < 3000; ++number)
        folder.write(u"listed/f%1.txt"_s.arg(number, 4, 10, QLatin1Char('0')), "");
    listFolder(u"listed"_s);
    ASSERT_TRUE(list.isListing()) << "the folder is read in the background";
    folder.write(u"listed/late.txt"_s, "late");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowOf(u"late.txt"_s) >= 0; }, 10000));
    EXPECT_EQ(list.itemCount(), 3002); // with the parent row
}
