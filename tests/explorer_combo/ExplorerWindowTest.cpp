#include "explorer/combo/TZuDirTreeCombo28.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/tree/DirTree.h"
#include "tests/common/QtPrinters.h"
#include "tests/common/TempFolder.h"
#include "tools/kestrava-explorer/ExplorerWindow.h"

#include <QComboBox>
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
