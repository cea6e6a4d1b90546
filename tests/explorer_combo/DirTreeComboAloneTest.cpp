// The folder combo alone, its file list stood in for by a fake through the partner
// interface.

#include "explorer/combo/TZuDirTreeCombo28.h"
#include "explorer/shared/PathUtils.h"
#include "tests/explorer/FakePartners.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <gtest/gtest.h>

TEST(DirTreeComboAloneTest, TalksToAFakeListThroughTheInterface)
{
    TempFolder folder;
    QDir(folder.path()).mkpath(QStringLiteral("Music/Rock"));
    MappedDrive drive(QLatin1Char('K'), folder.path());
    const QString music = QStringLiteral("K:\\Music");
    TZuDirTreeCombo28 combo;
    combo.OpenPath(music);
    FakeListPartner list;
    combo.linkListPartner(&list);
    EXPECT_EQ(list.folderPartner(FolderPartner::Kind::Combo), &combo);
    // Linked, the list shows the chosen folder, read afresh.
    ASSERT_FALSE(list.calls.isEmpty());
    EXPECT_EQ(DelSlash(list.calls.first()), QStringLiteral("reread ") + music);

    list.calls.clear();
    combo.SetSelectedPath(QStringLiteral("K:\\Music\\Rock"));
    EXPECT_EQ(list.calls, QStringList{QStringLiteral("follow K:\\Music\\Rock")});

    // What the list asks of a combo, it gets through the interface.
    FolderPartner &partner = combo;
    partner.reloadKeeping(music);
    EXPECT_EQ(DelSlash(partner.followedFolder()), music);
    EXPECT_EQ(partner.topCaption(), combo.topNodeCaption());
    EXPECT_FALSE(partner.isDroppedDown());

    combo.linkListPartner(nullptr);
    EXPECT_EQ(list.folderPartner(FolderPartner::Kind::Combo), nullptr);
}
