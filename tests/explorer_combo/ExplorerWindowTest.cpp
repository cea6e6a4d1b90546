#include "explorer/combo/TZuDirTreeCombo28.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/tree/DirTree.h"
#include "tests/common/QtPrinters.h"
#include "explorer/combo/TZuDirTreeView.h"
#include "explorer/shared/DirTreeNodes.h"
#include "explorer/shared/PathUtils.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer_tree/TreeOnFolder.h"
#include "tools/kestrava-explorer/ExplorerWindow.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QCoreApplication>
#include <QSplitter>
#include <gtest/gtest.h>

namespace {
QStringList columnCaptions(const TZuFilelistView28 *list)
{
    QStringList captions;
    for (int column = 0; column < list->model()->columnCount(); ++column)
        captions.append(list->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    return captions;
}
} // namespace

TEST(ExplorerWindowTest, TheControlsAreLinkedAtTheirOwnSettings)
{
    TempFolder folder;
    ExplorerWindow window;
    EXPECT_EQ(window.fileList()->DirTree(), window.tree());
    EXPECT_EQ(window.fileList()->DirTreeCombo(), window.combo());
    EXPECT_TRUE(window.fileList()->ShowFolders());
    EXPECT_TRUE(window.fileList()->FileType().contains(ftHidden));
    EXPECT_TRUE(window.fileList()->ParentDirEnabled());
    EXPECT_EQ(window.languageBox()->count(), 13);

    window.openFolder(folder.drivePath());
    const QString shown = window.fileList()->Directory();
    EXPECT_EQ(window.tree()->SelectedPath(), shown);
    EXPECT_EQ(window.combo()->SelectedPath(), shown);
}

TEST(ExplorerWindowTest, TheLanguageBoxSwitchesTheThreeControlsAtOnce)
{
    TempFolder folder;
    ExplorerWindow window;
    window.openFolder(folder.drivePath());
    const QString shown = window.tree()->SelectedPath();
    for (const TLanguage language : {lnJapanese, lnItalian, lnChinese_Sim}) {
        window.languageBox()->setCurrentIndex(window.languageBox()->findData(int(language)));
        EXPECT_EQ(window.fileList()->Language(), language);
        EXPECT_EQ(window.tree()->Language(), language);
        EXPECT_EQ(window.combo()->Language(), language);
        EXPECT_EQ(columnCaptions(window.fileList()), languageRow(language)->fileColumns);
        EXPECT_EQ(TreeTextLanguage, language);
        // The tree is back on its folder in the new language.
        EXPECT_EQ(window.tree()->SelectedPath(), shown);
    }
}

// Driven through the widgets as a user does: a choice in the combo's drop-down, then a
// click in the tree; each shows the folder in the other two, reading it once.
TEST(ExplorerWindowTest, AChoiceInTheComboOrTheTreeShowsTheFolderInTheOtherTwoOnce)
{
    TempFolder folder;
    for (const char *path : {"Music/Rock", "Music/Pop"})
        QDir(folder.path()).mkpath(QLatin1String(path));
    folder.write(QStringLiteral("Music/Rock/01 a.mp3"), "audio");
    MappedDrive drive(QLatin1Char('K'), folder.path());
    ExplorerWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.openFolder(QStringLiteral("K:\\Music"));
    TZuFilelistView28 *list = window.fileList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isListing(); }, 5000));
    QSignalSpy listReads(list->model(), &QAbstractItemModel::modelAboutToBeReset);

    window.combo()->ToggleDropDown();
    TZuDirTreeView *dropDown = window.combo()->dropDown();
    QTreeWidgetItem *rock = dropDown->nodeOfPath(QStringLiteral("K:\\Music\\Rock"));
    ASSERT_TRUE(rock);
    const QRect rockRow = dropDown->visualItemRect(rock);
    QTest::mouseClick(dropDown->viewport(), Qt::LeftButton, {},
                      QPoint(rockRow.left() + dropDown->iconSize().width() + 12, rockRow.center().y()));
    const QString rockPath = QStringLiteral("K:\\Music\\Rock\\");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isListing() && list->Directory() == rockPath; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(AddSlash(window.combo()->SelectedPath()), rockPath);
    EXPECT_EQ(window.tree()->SelectedPath(), rockPath);
    EXPECT_EQ(listReads.size(), 1);

    TZuDirTree21 *tree = window.tree();
    QTreeWidgetItem *pop = tree->nodeOfPath(QStringLiteral("K:\\Music\\Pop"));
    ASSERT_TRUE(pop);
    tree->scrollToItem(pop);
    const QRect popRow = tree->visualItemRect(pop);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(popRow.left() + 28, popRow.center().y()));
    const QString popPath = QStringLiteral("K:\\Music\\Pop\\");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isListing() && list->Directory() == popPath; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(AddSlash(tree->SelectedPath()), popPath);
    EXPECT_EQ(AddSlash(window.combo()->SelectedPath()), popPath);
    EXPECT_EQ(window.combo()->text(), QStringLiteral("Pop"));
    EXPECT_EQ(listReads.size(), 2);
}

TEST(ExplorerWindowTest, TheTreeGetsAShareOfAWideWindow)
{
    ExplorerWindow window;
    window.show();
    auto *splitter = window.findChild<QSplitter *>(QStringLiteral("splExplorer"));
    ASSERT_NE(splitter, nullptr);
    const int narrow = window.tree()->width();
    EXPECT_GE(narrow, 200);

    window.resize(1900, 1000); // a maximised window on a common screen
    QCoreApplication::processEvents();
    const double share = double(window.tree()->width()) / splitter->width();
    EXPECT_GT(window.tree()->width(), narrow + 150);
    EXPECT_GT(share, 0.2);
    EXPECT_LT(share, 0.4);
}
