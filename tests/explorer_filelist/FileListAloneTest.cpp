// The file list alone, its tree and combo stood in for by fakes through the partner
// interface.

#include "tests/explorer/FakePartners.h"
#include "tests/explorer_filelist/FileListFixture.h"

#include <QTest>

TEST_F(FileListFixture, AloneTalksToFakePartnersThroughTheInterface)
{
    folder.write(QStringLiteral("Music/Rock/song.mp3"), "x");
    FakeFolderPartner tree(FolderPartner::Kind::Tree);
    FakeFolderPartner combo(FolderPartner::Kind::Combo);
    list.linkFolderPartner(&tree, FolderPartner::Kind::Tree);
    list.linkFolderPartner(&combo, FolderPartner::Kind::Combo);
    EXPECT_EQ(tree.listPartner(), &list);
    EXPECT_EQ(combo.listPartner(), &list);

    // Going up moves both partners first, then the list.
    listFolder(QStringLiteral("Music\\Rock"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list.isListing(); }));
    list.GoUp();
    const QString music = drivePathOf(QStringLiteral("Music\\"));
    EXPECT_EQ(tree.calls, QStringList{QStringLiteral("follow ") + music});
    EXPECT_EQ(combo.calls, QStringList{QStringLiteral("follow ") + music});

    // F4 drops the combo down and closes it; Escape closes only an open one.
    combo.calls.clear();
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_F4);
    QTest::keyClick(&list, Qt::Key_Escape);
    QTest::keyClick(&list, Qt::Key_Escape);
    EXPECT_EQ(combo.calls, QStringList{QStringLiteral("toggle")} + QStringList{QStringLiteral("toggle")});

    // A partner gone is no longer asked.
    {
        FakeFolderPartner shortLived(FolderPartner::Kind::Tree);
        list.linkFolderPartner(&shortLived, FolderPartner::Kind::Tree);
        EXPECT_EQ(tree.listPartner(), nullptr);
    }
    EXPECT_EQ(list.folderPartner(FolderPartner::Kind::Tree), nullptr);
}
