// The folder tree alone, its file list stood in for by a fake through the partner
// interface.

#include "explorer/shared/PathUtils.h"
#include "tests/explorer/FakePartners.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(DirTreeAloneTest, TalksToAFakeListThroughTheInterface)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    FakeListPartner list;
    fixture.tree.linkListPartner(&list);
    EXPECT_EQ(list.folderPartner(FolderPartner::Kind::Tree), &fixture.tree);
    // Linked, the list is moved to the chosen folder.
    ASSERT_FALSE(list.calls.isEmpty());
    EXPECT_EQ(list.calls.first(), QStringLiteral("follow ") + fixture.tree.SelectedPath());

    // A folder chosen by click is shown in the list.
    list.calls.clear();
    QTreeWidgetItem *rock = fixture.node(QStringLiteral("Music/Rock"));
    ASSERT_NE(rock, nullptr);
    fixture.tree.scrollToItem(rock);
    // On the label: a click left of it only moves the selection.
    const QRect row = fixture.tree.visualItemRect(rock);
    QTest::mouseClick(fixture.tree.viewport(), Qt::LeftButton, {}, QPoint(row.left() + 28, row.center().y()));
    ASSERT_FALSE(list.calls.isEmpty());
    EXPECT_EQ(DelSlash(list.calls.last()), QStringLiteral("show ") + fixture.path(QStringLiteral("Music\\Rock")));

    // What the list asks of a tree, it gets through the interface.
    FolderPartner &partner = fixture.tree;
    partner.reloadKeeping(fixture.path(QStringLiteral("Music")));
    EXPECT_EQ(DelSlash(partner.followedFolder()), fixture.path(QStringLiteral("Music")));
    EXPECT_EQ(partner.topCaption(), fixture.tree.topNodeCaption());
    EXPECT_FALSE(partner.isDroppedDown());

    fixture.tree.linkListPartner(nullptr);
    EXPECT_EQ(list.folderPartner(FolderPartner::Kind::Tree), nullptr);
}
