#include "explorer/tree/DirTree.h"

#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/DirTreeNodes.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/ShellFileInfo.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/FileTypes.h"
#include "platform/MessageBox.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer_tree/TreeOnFolder.h"
#include "tests/explorer/LocaleGuard.h"

#include <QDir>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>


TEST(DirTreeTest, DriveCaptionKeepsTheLetterThirdAndTheNameBeforeItsBracket)
{
    const struct {
        QChar letter;
        const char *displayName;
        const char *caption;
    } cases[] = {
        {QLatin1Char('C'), "Local Disk (C:)", " (C:)  Local Disk "},
        {QLatin1Char('D'), "(D:)", " (D:)  "},
        {QLatin1Char('E'), "Music", " (E:)  "},
        {QLatin1Char('F'), "USB (1) (F:)", " (F:)  USB "},
    };
    for (const auto &testCase : cases) {
        const QString caption = driveCaption(testCase.letter, QString::fromUtf8(testCase.displayName));
        EXPECT_EQ(caption, QString::fromUtf8(testCase.caption));
        EXPECT_EQ(caption.at(2), testCase.letter);
        EXPECT_EQ(caption.at(3), QLatin1Char(':'));
    }
    EXPECT_EQ(driveCaption(QLatin1Char('C'), QStringLiteral("Local Disk (C:)")).size(), 18);
}

TEST(DirTreeTest, RootHoldsThePresentDrivesInLetterOrderWithTheirPaths)
{
    TempFolder music;
    TempFolder share;
    MappedDrive mappedM(QLatin1Char('M'), music.path());
    MappedDrive mappedN(QLatin1Char('N'), share.path(), QStringLiteral("\\\\server\\share"));
    TZuDirTree21 tree;

    ASSERT_EQ(tree.topLevelItemCount(), 1);
    const QTreeWidgetItem *root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), dialogText("computer"));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(tree.GetNodePath(root), QString());
    EXPECT_EQ(tree.GetNodePath(nullptr), QString());

    QString letters;
    for (int i = 0; i < root->childCount(); ++i) {
        const QTreeWidgetItem *drive = root->child(i);
        const QChar letter = drive->text(0).at(2);
        letters += letter;
        EXPECT_TRUE(drive->text(0).startsWith(QStringLiteral(" (") + letter + QStringLiteral(":)  ")));
        EXPECT_EQ(tree.GetNodePath(drive), QString(letter) + QStringLiteral(":\\"));
        EXPECT_TRUE(hasChildren(drive)) << qPrintable(drive->text(0));
    }
    for (const char letter : {'C', 'M', 'N'})
        EXPECT_TRUE(letters.contains(QLatin1Char(letter))) << qPrintable(letters);
    QString sorted = letters;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(letters, sorted);
    const qsizetype m = letters.indexOf(QLatin1Char('M'));
    EXPECT_EQ(root->child(int(m))->text(0), driveCaption(QLatin1Char('M'), platform::driveDisplayName(QLatin1Char('M'), dialogText("rootVolume"))));
}

TEST(DirTreeTest, OpenPathWalksDownAndEndsWithASeparator)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock/Live"), QStringLiteral("Music/Jazz")});
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Rock")));

    const QString expected = fixture.path(QStringLiteral("Music/Rock")) + QLatin1Char('\\');
    EXPECT_EQ(fixture.tree.SelectedPath(), expected);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.front().at(0).value<QObject *>(), &fixture.tree);
    EXPECT_EQ(changes.front().at(1).toString(), expected);
    ASSERT_TRUE(fixture.selected());
    EXPECT_EQ(fixture.tree.GetNodePath(fixture.selected()), fixture.path(QStringLiteral("Music/Rock")));
    EXPECT_TRUE(fixture.selected()->isExpanded());
    EXPECT_EQ(childCaptions(fixture.selected()), QStringList{QStringLiteral("Live")});
    EXPECT_EQ(childCaptions(fixture.selected()->parent()), (QStringList{QStringLiteral("Jazz"), QStringLiteral("Rock")}));
    EXPECT_TRUE(fixture.tree.updatesEnabled());

    // Opened again, the same path raises the event again.
    fixture.tree.OpenPath(expected);
    EXPECT_EQ(changes.size(), 2);
}

TEST(DirTreeTest, OpenPathPrefersTheExactLetterCaseAndKeepsThePathAsGiven)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock"), QStringLiteral("Music/rock")});

    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/rock")));
    EXPECT_EQ(fixture.selected()->text(0), QStringLiteral("rock"));
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Rock")));
    EXPECT_EQ(fixture.selected()->text(0), QStringLiteral("Rock"));

    // The drive letter matches in either case; SelectedPath keeps the path as given.
    QString lowerDrive = fixture.path(QStringLiteral("Music/rock"));
    lowerDrive[0] = QLatin1Char('k');
    fixture.tree.OpenPath(lowerDrive);
    EXPECT_EQ(fixture.selected()->text(0), QStringLiteral("rock"));
    EXPECT_EQ(fixture.tree.SelectedPath(), lowerDrive + QLatin1Char('\\'));
}

TEST(DirTreeTest, OpenPathIgnoresWhatIsNotAnExistingFolder)
{
    TreeOnFolder fixture({QStringLiteral("Music")});
    fixture.folder.write(QStringLiteral("Music/song.mp3"), "audio");
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    const QString before = fixture.tree.SelectedPath();
    QTreeWidgetItem *selectedBefore = fixture.selected();
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    for (const QString &path : {QString(), QStringLiteral("C"), QStringLiteral("\\"), fixture.path(QStringLiteral("Missing")),
                                fixture.path(QStringLiteral("Music/song.mp3")), QStringLiteral("Q:\\")}) {
        SCOPED_TRACE(qPrintable(path));
        fixture.tree.OpenPath(path);
        EXPECT_EQ(fixture.tree.SelectedPath(), before);
        EXPECT_EQ(fixture.selected(), selectedBefore);
    }
    EXPECT_TRUE(changes.isEmpty());
}

TEST(DirTreeTest, OpenPathBelowAHiddenFolderStopsAtItsParent)
{
    TreeOnFolder fixture({QStringLiteral("Music/.private/Demos")});
    fixture.tree.SetSelectedPath(QStringLiteral("C:\\before\\"));
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/.private/Demos")));

    EXPECT_EQ(fixture.tree.GetNodePath(fixture.selected()), fixture.path(QStringLiteral("Music")));
    EXPECT_TRUE(fixture.selected()->isExpanded());
    EXPECT_EQ(fixture.selected()->childCount(), 0);
    EXPECT_EQ(fixture.tree.SelectedPath(), QStringLiteral("C:\\before\\"));
    EXPECT_TRUE(changes.isEmpty());
    EXPECT_TRUE(fixture.tree.updatesEnabled());
}

TEST(DirTreeTest, ExpandButtonsFollowTheFolderFilter)
{
    const QStringList folders{QStringLiteral("Music/OnlyHidden/.cache"), QStringLiteral("Music/Visible/Album"),
                              QStringLiteral("Music/Empty")};
    const struct {
        const char *what;
        TFileType folderType;
        bool onlyHiddenHasButton;
    } cases[] = {
        {"hidden folders left out", withoutHidden, false},
        {"hidden folders listed", TFileType{ftReadOnly, ftHidden, ftSystem, ftArchive}, true},
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.what);
        TreeOnFolder fixture(folders, testCase.folderType);
        fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
        const QTreeWidgetItem *music = fixture.selected();
        ASSERT_EQ(childCaptions(music), (QStringList{QStringLiteral("Empty"), QStringLiteral("OnlyHidden"), QStringLiteral("Visible")}));
        EXPECT_FALSE(hasChildren(music->child(0)));
        EXPECT_EQ(hasChildren(music->child(1)), testCase.onlyHiddenHasButton);
        EXPECT_TRUE(hasChildren(music->child(2)));
    }
}

TEST(DirTreeTest, FoldersOfANetworkDriveAreNeverProbed)
{
    TempFolder share;
    QDir(share.path()).mkpath(QStringLiteral("Empty"));
    QDir(share.path()).mkpath(QStringLiteral("Full/Inner"));
    MappedDrive mappedN(QLatin1Char('N'), share.path(), QStringLiteral("\\\\server\\share"));
    TZuDirTree21 tree;
    tree.OpenPath(QStringLiteral("N:\\"));

    // A network drive's folders are read in the background.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree.currentItem() && tree.currentItem()->childCount() == 2; }, 5000));
    ASSERT_EQ(childCaptions(tree.currentItem()), (QStringList{QStringLiteral("Empty"), QStringLiteral("Full")}));
    EXPECT_TRUE(hasChildren(tree.currentItem()->child(0)));
    EXPECT_TRUE(hasChildren(tree.currentItem()->child(1)));
}

TEST(DirTreeTest, ChildrenAreSortedByCaptionAndLoadedOnce)
{
    const struct {
        QLocale locale;
        QStringList sorted;
    } cases[] = {
        {QLocale::c(), {"Alpha", "alpha2", "beta", "Delta", "gamma", "Zeta", "\u00c9cole"}},
        {QLocale(QLocale::Italian, QLocale::Italy), {"Alpha", "alpha2", "beta", "Delta", "\u00c9cole", "gamma", "Zeta"}},
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(qPrintable(testCase.locale.name()));
        LocaleGuard locale(testCase.locale);
        TreeOnFolder fixture({QStringLiteral("Music/beta"), QStringLiteral("Music/Alpha"), QStringLiteral("Music/gamma"),
                              QStringLiteral("Music/Zeta"), QStringLiteral("Music/\u00c9cole"), QStringLiteral("Music/Delta"),
                              QStringLiteral("Music/alpha2")});
        fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
        QTreeWidgetItem *music = fixture.selected();
        EXPECT_EQ(childCaptions(music), testCase.sorted);

        // A folder made afterwards shows only after a rebuild: expanding again lists nothing twice.
        QDir(fixture.folder.filePath(QStringLiteral("Music"))).mkdir(QStringLiteral("Epsilon"));
        music->setExpanded(false);
        music->setExpanded(true);
        EXPECT_EQ(childCaptions(music), testCase.sorted);
    }
}

TEST(DirTreeTest, SelectedPathSetFromOutsideSelectsNothing)
{
    TreeOnFolder fixture({QStringLiteral("Music")});
    fixture.tree.OpenPath(fixture.path());
    QTreeWidgetItem *selected = fixture.selected();
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    fixture.tree.SetSelectedPath(fixture.path(QStringLiteral("Music")));

    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")));
    EXPECT_EQ(fixture.selected(), selected);
    EXPECT_TRUE(changes.isEmpty());
    fixture.tree.SetAbout(QStringLiteral("Version 9"));
    EXPECT_EQ(fixture.tree.About(), QStringLiteral("Version 2.1.8.1"));
}

TEST(DirTreeTest, LanguageSwitchLoadsTheTreeTextsAndLeavesTheRootAlone)
{
    TreeOnFolder fixture({QStringLiteral("Music")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));

    fixture.tree.SetLanguage(lnEnglish);
    EXPECT_EQ(fixture.tree.GetNodePath(fixture.selected()), fixture.path(QStringLiteral("Music")));

    fixture.tree.SetLanguage(lnItalian);
    EXPECT_EQ(fixture.tree.Language(), lnItalian);
    EXPECT_EQ(TreeTextLanguage, lnItalian);
    EXPECT_EQ(ExplorerTexts.msgNoDisk, QStringLiteral("Nessun disco nell'unità o unità non pronta"));
    ASSERT_EQ(fixture.tree.topLevelItemCount(), 1);
    EXPECT_EQ(fixture.tree.topLevelItem(0)->childCount(), 0);

    // The path opens again from the root alone.
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    EXPECT_EQ(fixture.tree.GetNodePath(fixture.selected()), fixture.path(QStringLiteral("Music")));
    fixture.tree.SetLanguage(lnEnglish);
}

TEST(DirTreeTest, ADeepLongNameIsShownWholeAtTheDefaultWidth)
{
    const QString deep = QStringLiteral("Musica/Collezione di dischi in vinile/Concerti registrati dal vivo nel 1978");
    TreeOnFolder place({deep});
    place.tree.resize(180, 120); // the tree's own size, as a form places it
    place.tree.OpenPath(place.path(deep));
    QCoreApplication::processEvents();
    QTreeWidgetItem *selected = place.selected();
    ASSERT_NE(selected, nullptr);
    const int needed = place.tree.fontMetrics().horizontalAdvance(selected->text(0)) + place.tree.iconSize().width();
    const QRect shown = place.tree.visualItemRect(selected);
    EXPECT_GE(shown.width(), needed) << "the name is cut";
    EXPECT_GT(place.tree.horizontalScrollBar()->maximum(), 0) << "the tree scrolls sideways to it";
}
