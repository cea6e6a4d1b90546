// A folder too big to be read before the click returns still has its first file loaded.

#include "tests/app/MainWindowFixture.h"

#include "explorer/filelist/FileListView.h"
#include "options/dialog/uOpzioni.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, TheFirstFileOfABigFolderIsLoadedOnceTheFolderIsShown)
{
    constexpr int count = 5000;
    QDir(folder->path()).mkpath(u"big"_s);
    for (int number = count; number >= 1; --number)
        QFile(folder->filePath(u"big/song %1.txt"_s.arg(number, 5, 10, QLatin1Char('0')))).open(QIODevice::WriteOnly);
    createWindow();

    clickFolder(folder->filePath(u"big"_s));

    ASSERT_TRUE(list()->isListing()) << "read before the click returned: the folder is too small for this test";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list()->isListing(); }, 60000));
    EXPECT_EQ(list()->itemCount(), count);
    EXPECT_EQ(list()->selectedIndex(), 0);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"song 00001.txt"_s);
}
