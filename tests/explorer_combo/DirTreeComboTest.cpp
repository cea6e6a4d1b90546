#include "explorer/combo/DropDownPlacement.h"
#include "tests/common/QtPrinters.h"
#include "tests/explorer_combo/ComboOnFolder.h"

#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
constexpr int patienceMs = 5000;

QString senderName(const QList<QVariant> &report)
{
    return report.at(0).value<QObject *>()->metaObject()->className();
}
} // namespace

TEST(DirTreeComboTest, AClickOnAFolderChoosesItMovesTheListAndRaisesOnPathChangeOnce)
{
    ComboOnFolder fixture({QStringLiteral("Music/Rock"), QStringLiteral("Music/Pop/Live")});
    fixture.combo->OpenPath(fixture.path(QStringLiteral("Music")));
    QSignalSpy changes(fixture.combo, &TZuDirTreeCombo28::OnPathChange);
    fixture.combo->ToggleDropDown();
    ASSERT_TRUE(fixture.combo->isDroppedDown());

    // An expand button opens the folder and keeps the drop-down open.
    QTreeWidgetItem *pop = fixture.node(QStringLiteral("Music/Pop"));
    ASSERT_NE(pop, nullptr);
    QTest::mouseClick(fixture.dropDown()->viewport(), Qt::LeftButton, {}, fixture.onExpandButton(pop));
    EXPECT_TRUE(pop->isExpanded());
    EXPECT_TRUE(fixture.combo->isDroppedDown());
    EXPECT_EQ(changes.count(), 0);

    // The selection follows the pointer; a click on a caption chooses the folder.
    QTreeWidgetItem *rock = fixture.node(QStringLiteral("Music/Rock"));
    ASSERT_NE(rock, nullptr);
    QTest::mouseMove(fixture.dropDown()->viewport(), fixture.onCaption(rock));
    EXPECT_EQ(fixture.dropDown()->currentItem(), rock);
    QTest::mouseClick(fixture.dropDown()->viewport(), Qt::LeftButton, {}, fixture.onCaption(rock));

    EXPECT_FALSE(fixture.combo->isDroppedDown());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(senderName(changes.at(0)), QStringLiteral("TZuDirTreeView"));
    EXPECT_EQ(changes.at(0).at(1).toString(), fixture.path(QStringLiteral("Music\\Rock")));
    EXPECT_EQ(fixture.combo->SelectedPath(), fixture.path(QStringLiteral("Music\\Rock")));
    EXPECT_EQ(fixture.list->Directory(), fixture.path(QStringLiteral("Music\\Rock\\")));
    EXPECT_EQ(fixture.combo->text(), QStringLiteral("Rock"));
    EXPECT_EQ(fixture.combo->IconIndex(), nodeImageIndex(rock));
}

TEST(DirTreeComboTest, EnterChoosesTheSelectedFolder)
{
    ComboOnFolder fixture({QStringLiteral("Music/Pop"), QStringLiteral("Music/Rock")});
    fixture.combo->OpenPath(fixture.path(QStringLiteral("Music")));
    QSignalSpy changes(fixture.combo, &TZuDirTreeCombo28::OnPathChange);

    QTest::keyClick(fixture.combo, Qt::Key_F4);
    ASSERT_TRUE(fixture.combo->isDroppedDown());
    QTest::keyClick(fixture.dropDown(), Qt::Key_Down);
    QTest::keyClick(fixture.dropDown(), Qt::Key_Down);
    QTest::keyClick(fixture.dropDown(), Qt::Key_Return);

    EXPECT_FALSE(fixture.combo->isDroppedDown());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(senderName(changes.at(0)), QStringLiteral("TZuDirTreeCombo28"));
    EXPECT_EQ(fixture.combo->SelectedPath(), fixture.path(QStringLiteral("Music\\Rock")));
    EXPECT_EQ(fixture.list->Directory(), fixture.path(QStringLiteral("Music\\Rock\\")));
    EXPECT_EQ(fixture.combo->text(), QStringLiteral("Rock"));
}

TEST(DirTreeComboTest, KeysAndTheWheelMoveTheSelectionWithinItsLimits)
{
    ComboOnFolder fixture({QStringLiteral("Music")});
    TZuDirTreeView *dropDown = fixture.dropDown();
    EXPECT_EQ(fixture.combo->hintText(), QStringLiteral("Selected = nil"));

    // Down in the closed combo opens the drop-down, the root selected.
    QTest::keyClick(fixture.combo, Qt::Key_Down);
    ASSERT_TRUE(fixture.combo->isDroppedDown());
    QTreeWidgetItem *root = dropDown->topLevelItem(0);
    EXPECT_EQ(dropDown->currentItem(), root);

    // Up on the root does nothing; Left on the first drive does not reach the root.
    QTest::keyClick(dropDown, Qt::Key_Up);
    EXPECT_EQ(dropDown->currentItem(), root);
    QTest::keyClick(dropDown, Qt::Key_Down);
    QTreeWidgetItem *firstDrive = root->child(0);
    EXPECT_EQ(dropDown->currentItem(), firstDrive);
    QTest::keyClick(dropDown, Qt::Key_Left);
    EXPECT_EQ(dropDown->currentItem(), firstDrive);

    // Over the closed combo a wheel turn away from the user acts as Up, toward the user
    // as Down. (While the drop-down is open, the wheel turns reach the drop-down alone.)
    QTest::keyClick(dropDown, Qt::Key_Escape);
    ASSERT_FALSE(fixture.combo->isDroppedDown());
    QTreeWidgetItem *last = root->child(root->childCount() - 1);
    dropDown->setCurrentItem(last);
    const QPoint centre = fixture.combo->rect().center();
    QWheelEvent away(centre, fixture.combo->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(fixture.combo, &away);
    EXPECT_EQ(dropDown->currentItem(), dropDown->itemAbove(last));
    EXPECT_EQ(fixture.combo->hintText(), QStringLiteral("SelectedPath =\rDrives"));
    QWheelEvent toward(centre, fixture.combo->mapToGlobal(centre), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(fixture.combo, &toward);
    EXPECT_TRUE(fixture.combo->isDroppedDown());
}

TEST(DirTreeComboTest, TheDropDownOpensAboveWhenTheScreenHasNoRoomBelow)
{
    // A 768-pixel screen: a field whose bottom is at 600 opens upward, at 400 downward.
    EXPECT_EQ(dropDownTopLeft(QRect(50, 579, 216, 21), 240, 768), QPoint(50, 339));
    EXPECT_EQ(dropDownTopLeft(QRect(50, 379, 216, 21), 240, 768), QPoint(50, 400));

    ComboOnFolder fixture({QStringLiteral("Music")});
    const QRect screen = fixture.combo->screen()->geometry();
    for (const bool nearBottom : {true, false}) {
        fixture.window.move(screen.left() + 20, nearBottom ? screen.bottom() - 80 : screen.top() + 20);
        QCoreApplication::processEvents();
        const QRect field(fixture.combo->mapToGlobal(QPoint(0, 0)), fixture.combo->size());
        fixture.combo->ToggleDropDown();
        ASSERT_TRUE(fixture.combo->isDroppedDown());
        const QRect dropped = fixture.dropDown()->geometry();
        EXPECT_EQ(dropped.height(), 240);
        EXPECT_EQ(dropped.left(), field.left());
        if (nearBottom)
            EXPECT_EQ(dropped.bottom() + 1, field.top());
        else
            EXPECT_EQ(dropped.top(), field.bottom() + 1);
        fixture.combo->ToggleDropDown();
        EXPECT_FALSE(fixture.combo->isDroppedDown());
    }
}

TEST(DirTreeComboTest, ASelectedPathInOtherLetterCaseDoesNotReadTheFolderAgain)
{
    ComboOnFolder fixture({QStringLiteral("Music"), QStringLiteral("Beta"), QStringLiteral("beta")});
    fixture.combo->SetSelectedPath(fixture.path(QStringLiteral("Music\\")));
    ASSERT_EQ(fixture.list->Directory(), fixture.path(QStringLiteral("Music\\")));
    QSignalSpy readings(fixture.list->model(), &QAbstractItemModel::modelReset);

    fixture.combo->SetSelectedPath(fixture.path(QStringLiteral("MUSIC\\")));
    EXPECT_EQ(fixture.combo->SelectedPath(), fixture.path(QStringLiteral("Music\\")));
    EXPECT_EQ(readings.count(), 0);

    // Where letter case tells two existing folders apart, the other one is chosen.
    fixture.combo->SetSelectedPath(fixture.path(QStringLiteral("Beta\\")));
    fixture.combo->SetSelectedPath(fixture.path(QStringLiteral("beta\\")));
    EXPECT_EQ(fixture.combo->SelectedPath(), fixture.path(QStringLiteral("beta\\")));
    EXPECT_EQ(fixture.list->Directory(), fixture.path(QStringLiteral("beta\\")));
}

TEST(DirTreeComboTest, AFolderMadeByAnotherProcessAppearsInTheOpenDropDown)
{
    // Hidden folders are listed too.
    ComboOnFolder fixture({QStringLiteral("Music/Rock"), QStringLiteral("Music/.covers")});
    fixture.combo->OpenPath(fixture.path(QStringLiteral("Music")));
    fixture.combo->ToggleDropDown();
    ASSERT_TRUE(fixture.combo->isDroppedDown());
    const QString listed = fixture.list->Directory();

    ASSERT_EQ(QProcess::execute(QStringLiteral("mkdir"), {fixture.nativePath(QStringLiteral("Music/Jazz"))}), 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.node(QStringLiteral("Music/Jazz")) != nullptr; }, patienceMs));
    EXPECT_EQ(childCaptions(fixture.node(QStringLiteral("Music"))), (QStringList{QStringLiteral(".covers"), QStringLiteral("Jazz"), QStringLiteral("Rock")}));
    EXPECT_TRUE(fixture.combo->isDroppedDown());
    EXPECT_EQ(fixture.combo->SelectedPath(), fixture.path(QStringLiteral("Music\\")));
    EXPECT_EQ(fixture.dropDown()->currentItem(), fixture.node(QStringLiteral("Music")));
    // A change elsewhere moves no linked control.
    EXPECT_EQ(fixture.list->Directory(), listed);
}

TEST(DirTreeComboTest, TheDropDownClosesByF4AndEscapeFromTheListAndByAClickOutside)
{
    ComboOnFolder fixture({QStringLiteral("Music")});
    QTest::keyClick(fixture.list, Qt::Key_F4);
    EXPECT_TRUE(fixture.combo->isDroppedDown());
    QTest::keyClick(fixture.list, Qt::Key_Escape);
    EXPECT_FALSE(fixture.combo->isDroppedDown());

    QSignalSpy changes(fixture.combo, &TZuDirTreeCombo28::OnPathChange);
    fixture.combo->ToggleDropDown();
    ASSERT_TRUE(fixture.combo->isDroppedDown());
    // A press as the window system delivers it, to the window under the pointer.
    const QPoint outside = fixture.list->viewport()->mapTo(&fixture.window, QPoint(350, 100));
    QTest::mouseClick(fixture.window.windowHandle(), Qt::LeftButton, {}, outside);
    EXPECT_FALSE(fixture.combo->isDroppedDown());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(fixture.combo->SelectedPath(), QStringLiteral("Drives"));
}
