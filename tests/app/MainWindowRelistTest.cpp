// The file in work and the list's place survive a re-listing of the shown folder.

#include "tests/app/MainWindowFixture.h"

#include "explorer/filelist/FileListView.h"
#include "options/dialog/uOpzioni.h"

#include <QDir>
#include <QTest>
#include <QDeadlineTimer>

using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, FolderCreatedInTheShownBranchKeepsTheSelectionAndTheNextStep)
{
    for (int number = 1; number <= 10; ++number)
        folder->write(u"f%1.txt"_s.arg(number, 2, 10, QLatin1Char('0')), "x");
    createWindow();
    clickFolder(folder->path());
    int fifth = -1;
    for (int row = 0; row < list()->itemCount(); ++row) {
        if (list()->item(row).caption == u"f05.txt"_s)
            fifth = row;
    }
    ASSERT_GE(fifth, 0);
    clickListItem(fifth);
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"f05.txt"_s);

    // The list shows no folders: it reads the changed folder and finds its rows as they were.
    const quint64 readsBefore = list()->readsStarted();
    ASSERT_TRUE(QDir(folder->path()).mkdir(u"new folder"_s));
    QDeadlineTimer deadline(10000);
    while ((list()->readsStarted() == readsBefore || list()->isListing()) && !deadline.hasExpired())
        QTest::qWait(20);
    ASSERT_GT(list()->readsStarted(), readsBefore) << "the list was not read again";

    EXPECT_EQ(list()->selectedCaption(), u"f05.txt"_s);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"f05.txt"_s);
    press("btnAvanti");
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"f06.txt"_s);
    EXPECT_EQ(list()->selectedCaption(), u"f06.txt"_s);
}
