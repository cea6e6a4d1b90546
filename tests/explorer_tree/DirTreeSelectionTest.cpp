#include "explorer/tree/DirTree.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QPoint onLabel(const TZuDirTree21 &tree, const QTreeWidgetItem *node)
{
    const QRect row = tree.visualItemRect(node);
    return QPoint(row.left() + 28, row.center().y());
}

void click(TZuDirTree21 &tree, QTreeWidgetItem *node)
{
    tree.scrollToItem(node);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onLabel(tree, node));
}

} // namespace

TEST(DirTreeSelectionTest, AClickSelectsTheFolderPathBeforeTheClickEvent)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock"), QStringLiteral("Music/Jazz")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    QStringList pathsSeenByClick;
    QObject::connect(&fixture.tree, &TZuDirTree21::OnClick, [&](QObject *sender) {
        EXPECT_EQ(sender, &fixture.tree);
        pathsSeenByClick.append(fixture.tree.SelectedPath());
    });
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    click(fixture.tree, fixture.node(QStringLiteral("Music/Rock")));

    const QString rock = fixture.path(QStringLiteral("Music/Rock"));
    EXPECT_EQ(fixture.tree.SelectedPath(), rock);
    EXPECT_EQ(pathsSeenByClick, QStringList{rock});
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.front().at(1).toString(), rock);
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music/Rock")));
    EXPECT_FALSE(fixture.selected()->isExpanded());
}

TEST(DirTreeSelectionTest, AClickOnTheRootGivesDrivesAndLoadsThemWhenMissing)
{
    TreeOnFolder fixture({QStringLiteral("Music")});
    fixture.tree.LoadRootNode();
    QTreeWidgetItem *root = fixture.tree.topLevelItem(0);
    ASSERT_EQ(root->childCount(), 0);
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    click(fixture.tree, root);

    EXPECT_EQ(fixture.tree.SelectedPath(), QStringLiteral("Drives"));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.front().at(1).toString(), QStringLiteral("Drives"));
    EXPECT_GT(root->childCount(), 0);
}

TEST(DirTreeSelectionTest, APressBesideALabelOrOnAnExpandButtonSelectsNothing)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock/Live"), QStringLiteral("Music/Jazz")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    const QString before = fixture.tree.SelectedPath();
    QTreeWidgetItem *rock = fixture.node(QStringLiteral("Music/Rock"));
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    fixture.tree.scrollToItem(rock);
    const QRect row = fixture.tree.visualItemRect(rock);
    ASSERT_TRUE(fixture.tree.viewport()->rect().contains(row));
    QTest::mouseClick(fixture.tree.viewport(), Qt::LeftButton, {}, QPoint(row.right() - 4, row.center().y()));
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music")));

    // The expand button loads and opens the folder, and selects nothing.
    QTest::mouseClick(fixture.tree.viewport(), Qt::LeftButton, {}, QPoint(row.left() - fixture.tree.indentation() / 2, row.center().y()));
    EXPECT_TRUE(rock->isExpanded());
    EXPECT_EQ(childCaptions(rock), QStringList{QStringLiteral("Live")});
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music")));
    EXPECT_EQ(fixture.tree.SelectedPath(), before);
    EXPECT_TRUE(changes.isEmpty());
}

TEST(DirTreeSelectionTest, ArrowKeysSelectPathsAndF5Rebuilds)
{
    TreeOnFolder fixture({QStringLiteral("Music/Jazz"), QStringLiteral("Music/Rock")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    fixture.tree.setFocus();
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    QTest::keyClick(&fixture.tree, Qt::Key_Down);
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music/Jazz")));
    QTest::keyClick(&fixture.tree, Qt::Key_Down);
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music/Rock")));
    QTest::keyClick(&fixture.tree, Qt::Key_Left); // to the parent
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")));
    ASSERT_EQ(changes.size(), 3);
    EXPECT_EQ(changes.back().at(1).toString(), fixture.path(QStringLiteral("Music")));

    // Other keys move nothing; F5 rebuilds and shows a folder made since the load.
    QTest::keyClick(&fixture.tree, Qt::Key_A);
    EXPECT_EQ(changes.size(), 3);
    QDir(fixture.nativePath(QStringLiteral("Music"))).mkdir(QStringLiteral("Blues"));
    QTest::keyClick(&fixture.tree, Qt::Key_F5);
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")) + QLatin1Char('\\'));
    EXPECT_EQ(childCaptions(fixture.node(QStringLiteral("Music"))),
              (QStringList{QStringLiteral("Blues"), QStringLiteral("Jazz"), QStringLiteral("Rock")}));

    // The root reached by the keys gives "Drives", its drives loaded when missing.
    fixture.tree.LoadRootNode();
    fixture.tree.setCurrentItem(fixture.tree.topLevelItem(0));
    QTest::keyClick(&fixture.tree, Qt::Key_Up);
    EXPECT_EQ(fixture.tree.SelectedPath(), QStringLiteral("Drives"));
    EXPECT_GT(fixture.tree.topLevelItem(0)->childCount(), 0);
}
