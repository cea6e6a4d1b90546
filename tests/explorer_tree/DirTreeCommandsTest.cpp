// The folder tree's menu, keys, folder commands and drops on real folders.

#include "explorer/filelist/FileListView.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/FileOperationTable.h"
#include "explorer/shared/MenuGlyph.h"
#include "explorer/shared/PropertiesDialog.h"
#include "explorer/tree/DirTreeCommands.h"
#include "explorer/tree/TZuDirTree21PopUp.h"
#include "platform/DrivePaths.h"
#include "platform/FileClipboard.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using platform::MessageButton;

namespace {
constexpr int patienceMs = 5000;

class DirTreeCommandsTest : public ::testing::Test {
protected:
    DirTreeCommandsTest()
    {
        QGuiApplication::clipboard()->clear();
        PasteOperation = opCopy;
        fixture.tree.ReloadTree();
    }

    TZuDirTree21 &tree() { return fixture.tree; }
    TempFolder &folder() { return fixture.folder; }
    bool exists(const QString &relative) const { return QFileInfo::exists(fixture.nativePath(relative)); }

    void open(const QString &relative)
    {
        tree().OpenPath(fixture.path(relative));
        ASSERT_NE(tree().currentItem(), nullptr);
    }
    void selectRoot() { tree().OpenPath(tree().topNodeCaption()); }
    void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        tree().setFocus();
        QTest::keyClick(&tree(), Qt::Key(qtKey), modifiers);
    }
    void click(const QString &relative)
    {
        QTreeWidgetItem *node = fixture.node(relative);
        ASSERT_NE(node, nullptr) << relative.toStdString();
        tree().scrollToItem(node);
        const QRect row = tree().visualItemRect(node);
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, QPoint(row.left() + 28, row.center().y()));
    }
    QLineEdit *captionEditor() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QLineEdit *> editors = fixture.tree.viewport()->findChildren<QLineEdit *>();
        for (QLineEdit *editor : editors) {
            if (editor->isVisible())
                return editor;
        }
        return nullptr;
    }
    // Types the text into the open editor and ends the edit with the key.
    void finishEdit(const QString &text, int endKey = Qt::Key_Return)
    {
        QLineEdit *editor = captionEditor();
        ASSERT_NE(editor, nullptr) << "no caption editor";
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key(endKey));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    platform::ScriptedMessageResponder boxes;
    TreeOnFolder fixture{{u"A/inner"_s, u"B"_s, u"C"_s}};
};

} // namespace

TEST_F(DirTreeCommandsTest, TheMenuHasItsElevenCommandsEnabledByTheSelectedNodesLevel)
{
    TZuDirTree21PopUp *menu = tree().popUpMenu();
    ASSERT_NE(menu, nullptr);
    QStringList names;
    QStringList captions;
    for (QAction *action : menu->actions()) {
        names.append(action->isSeparator() ? u"-"_s : action->objectName());
        if (!action->isSeparator())
            captions.append(action->text());
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull()) << action->objectName().toStdString();
    }
    EXPECT_EQ(names, (QStringList{u"AddNode"_s, u"EditNode"_s, u"DelNode"_s, u"-"_s, u"CutNode"_s, u"CopyNode"_s,
                                  u"PasteNode"_s, u"-"_s, u"GetTreeSize"_s, u"ShowFolderContents"_s, u"-"_s,
                                  u"ConnectNetResource"_s, u"DisConnectNetResource"_s, u"-"_s, u"ItemProperty"_s}));
    EXPECT_EQ(captions.first(), u"&New Folder"_s);

    const auto enabledItems = [menu] {
        menu->updateEnabled();
        QStringList enabled;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator() && action->isEnabled())
                enabled.append(action->objectName());
        }
        return enabled;
    };
    const QStringList network{u"ConnectNetResource"_s, u"DisConnectNetResource"_s};
    tree().setCurrentItem(nullptr);
    EXPECT_EQ(enabledItems(), network);
    selectRoot();
    EXPECT_EQ(enabledItems(), network);
    open(QString());
    EXPECT_EQ(enabledItems(), (QStringList{u"AddNode"_s, u"GetTreeSize"_s, u"ShowFolderContents"_s} + network
                               + QStringList{u"ItemProperty"_s}));
    open(u"A"_s);
    EXPECT_FALSE(enabledItems().contains(u"PasteNode"_s));
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(enabledItems().size(), 11);

    // Shift+F10 opens it 10 pixels right of and below the selected node's row.
    key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(menu->isVisible());
    const QRect row = tree().visualItemRect(tree().currentItem());
    EXPECT_EQ(menu->pos(), tree().viewport()->mapToGlobal(QPoint(row.left() + 20, row.bottom())) + QPoint(10, 10));
    menu->hide();

    // A language change builds a new menu in that language.
    tree().SetLanguage(lnItalian);
    ASSERT_NE(tree().popUpMenu(), nullptr);
    EXPECT_EQ(tree().popUpMenu()->item(u"AddNode"_s)->text(), u"&Nuova Cartella"_s);
    EXPECT_EQ(tree().popUpMenu()->item(u"ItemProperty"_s)->text(), u"&Prorietà"_s);
}

TEST_F(DirTreeCommandsTest, MenuItemsTriggerTheActionsTheKeysTrigger)
{
    open(u"A"_s);
    QSignalSpy copies(tree().commands().action(taCopy), &QAction::triggered);
    tree().popUpMenu()->ItemClick(tree().popUpMenu()->item(u"CopyNode"_s));
    EXPECT_EQ(copies.size(), 1);
    EXPECT_EQ(tree().ClipboardFolder(), fixture.path(u"A"_s) + u"\\"_s);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copies.size(), 2);

    // An item without a name, or with a tag outside 1-11, does nothing.
    QAction stray(u"stray"_s);
    stray.setData(12);
    tree().popUpMenu()->ItemClick(&stray);
    stray.setObjectName(u"x"_s);
    tree().popUpMenu()->ItemClick(&stray);
    EXPECT_EQ(copies.size(), 2);

    // Alt+Enter shows the folder's properties.
    QSignalSpy properties(tree().commands().action(taProperties), &QAction::triggered);
    key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(properties.size(), 1);
    const auto shown = [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<PropertiesDialog *>(widget) && widget->isVisible())
                return widget;
        }
        return static_cast<QWidget *>(nullptr);
    };
    QWidget *dialog = shown();
    ASSERT_NE(dialog, nullptr);
    delete dialog;
}

TEST_F(DirTreeCommandsTest, NewFolderOnTheRootIsRefusedAndElsewhereOpensTheEditorOnTheDefaultName)
{
    selectRoot();
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(boxes.texts(), QStringList{u"ERROR - Can't add drives"_s});
    boxes.clear();

    struct Case {
        TLanguage language;
        QString defaultName;
    };
    for (const Case &c : {Case{lnEnglish, u"New Folder"_s}, Case{lnItalian, u"Nuova cartella"_s}}) {
        SCOPED_TRACE(c.defaultName.toStdString());
        tree().SetLanguage(c.language);
        tree().ReloadTree();
        open(u"B"_s);
        key(Qt::Key_N, Qt::ControlModifier);
        EXPECT_TRUE(exists(u"B/"_s + c.defaultName));
        EXPECT_EQ(tree().SelectedPath(), fixture.path(u"B\\"_s + c.defaultName + u"\\"_s));
        ASSERT_NE(captionEditor(), nullptr);
        EXPECT_TRUE(tree().commands().NewFolderMode());
        // The whole default name is selected: the name typed there replaces it, and is
        // taken without a question.
        EXPECT_EQ(captionEditor()->selectedText(), c.defaultName);
        QTest::keyClicks(captionEditor(), u"Dischi "_s + c.defaultName.left(3));
        QTest::keyClick(captionEditor(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !tree().commands().NewFolderMode(); }, patienceMs));
        EXPECT_TRUE(exists(u"B/Dischi "_s + c.defaultName.left(3)));
        EXPECT_FALSE(exists(u"B/"_s + c.defaultName));
        EXPECT_FALSE(tree().commands().NewFolderMode());
    }
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();

    // A second new folder in the same place is numbered; a named one with a colon is refused.
    open(u"C"_s);
    tree().AddNewFolder();
    finishEdit(QString(), Qt::Key_Escape);
    open(u"C"_s);
    tree().AddNewFolder();
    EXPECT_TRUE(exists(u"C/Nuova cartella(2)"_s));
    finishEdit(QString(), Qt::Key_Escape);
    EXPECT_FALSE(tree().AddNewFolder(fixture.node(u"C"_s), u"a:b"_s));
    EXPECT_EQ(boxes.texts(), QStringList{u"Il nome della cartella contiene un carattere non valido"_s});
}

TEST_F(DirTreeCommandsTest, RenameAsksWithBothNamesAndRefusesForbiddenCharacters)
{
    TZuFilelistView28 list;
    list.SetDirTree(&tree());
    open(u"A"_s);

    // A colon: the message with the name on the next line; nothing changes.
    key(Qt::Key_F2);
    finishEdit(u"a:b"_s);
    EXPECT_EQ(boxes.texts(), QStringList{u"Error - Invalid Directory Name\ra:b"_s});
    EXPECT_TRUE(exists(u"A"_s));
    EXPECT_EQ(fixture.node(u"A"_s)->text(0), u"A"_s);
    boxes.clear();

    // Escape only beeps.
    key(Qt::Key_F2);
    finishEdit(u"Other"_s, Qt::Key_Escape);
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_TRUE(exists(u"A"_s));

    // No keeps the folder; Yes renames it, and the tree and the list follow.
    open(u"A"_s);
    boxes.queueAnswer(MessageButton::No);
    key(Qt::Key_F2);
    finishEdit(u"Renamed"_s);
    EXPECT_EQ(boxes.texts(), QStringList{u"Do you want to rename the selected folder\r\r    From  : A\r    To     : Renamed"_s});
    EXPECT_TRUE(exists(u"A"_s));
    boxes.clear();
    boxes.queueAnswer(MessageButton::Yes);
    key(Qt::Key_F2);
    finishEdit(u"Renamed"_s);
    EXPECT_TRUE(exists(u"Renamed/inner"_s));
    EXPECT_FALSE(exists(u"A"_s));
    EXPECT_EQ(tree().SelectedPath(), fixture.path(u"Renamed\\"_s));
    EXPECT_EQ(list.Directory(), fixture.path(u"Renamed\\"_s));

    // Drives, the root and a read-only tree are never edited.
    for (const QString &relative : {QString(), u"Renamed"_s}) {
        tree().SetReadOnly(!relative.isEmpty());
        open(relative);
        key(Qt::Key_F2);
        EXPECT_EQ(captionEditor(), nullptr) << relative.toStdString();
    }
}

TEST_F(DirTreeCommandsTest, DeleteMovesTheFolderToTheTrashAfterAYes)
{
    TZuFilelistView28 list;
    list.SetDirTree(&tree());
    tree().SetLanguage(lnItalian);
    tree().ReloadTree();
    open(u"A/inner"_s);
    boxes.queueAnswer(MessageButton::No);
    EXPECT_FALSE(tree().DeleteFolder(tree().currentItem()));
    EXPECT_EQ(boxes.texts(), QStringList{u"Spostare \"inner\" nel cestino?"_s});
    EXPECT_TRUE(exists(u"A/inner"_s));

    boxes.queueAnswer(MessageButton::Yes);
    EXPECT_TRUE(tree().DeleteFolder(tree().currentItem()));
    EXPECT_FALSE(exists(u"A/inner"_s));
    EXPECT_EQ(tree().currentItem(), fixture.node(u"A"_s));
    EXPECT_EQ(list.Directory(), fixture.path(u"A\\"_s));
    // ... and stays there once the change has been noticed.
    QTest::qWait(400);
    EXPECT_EQ(tree().currentItem(), fixture.node(u"A"_s));
    EXPECT_EQ(tree().SelectedPath(), fixture.path(u"A\\"_s));
    EXPECT_TRUE(tree().currentItem() && tree().currentItem()->parent()->isExpanded());

    // A folder removed behind the tree's back: its path and "not found".
    open(u"B"_s);
    QDir(fixture.nativePath(u"B"_s)).removeRecursively();
    boxes.clear();
    EXPECT_FALSE(tree().DeleteFolder(tree().currentItem()));
    EXPECT_EQ(boxes.texts(), QStringList{fixture.path(u"B"_s) + u"non trovato"_s});
    // Drives are never deleted.
    EXPECT_FALSE(tree().DeleteFolder(fixture.node(QString())));
}

TEST_F(DirTreeCommandsTest, APasteFromTheMenuFollowsEachCopyOnceWhileCtrlVPastesAgain)
{
    folder().write(u"A/song.mp3"_s, "audio");
    open(u"A"_s);
    key(Qt::Key_C, Qt::ControlModifier);
    // The click on the target does not replace the remembered folder.
    click(u"B"_s);
    tree().popUpMenu()->updateEnabled();
    EXPECT_TRUE(tree().popUpMenu()->item(u"PasteNode"_s)->isEnabled());
    tree().popUpMenu()->ItemClick(tree().popUpMenu()->item(u"PasteNode"_s));
    EXPECT_TRUE(exists(u"B/A/song.mp3"_s));
    EXPECT_TRUE(exists(u"A/song.mp3"_s));
    EXPECT_EQ(tree().SelectedPath(), fixture.path(u"B\\"_s));
    tree().popUpMenu()->updateEnabled();
    EXPECT_FALSE(tree().popUpMenu()->item(u"PasteNode"_s)->isEnabled());

    click(u"C"_s);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(exists(u"C/A/song.mp3"_s));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();

    // The folder is on the desktop's clipboard too.
    EXPECT_EQ(platform::filesOnClipboard().nativePaths, QStringList{fixture.nativePath(u"A"_s)});
}

TEST_F(DirTreeCommandsTest, ACutInTheFileListMakesTheTreesNextPasteAMove)
{
    folder().write(u"C/x.txt"_s, "x");
    TZuFilelistView28 list;
    list.SetDirTree(&tree());
    open(u"A"_s);
    key(Qt::Key_C, Qt::ControlModifier);
    list.SetDirectory(fixture.path(u"C"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.itemCount() > 0; }, patienceMs));
    list.selectAll();
    list.CutCopy(opMove);

    open(u"B"_s);
    tree().PasteFolder();
    EXPECT_TRUE(exists(u"B/A/inner"_s));
    EXPECT_FALSE(exists(u"A"_s));
    EXPECT_TRUE(exists(u"C/x.txt"_s));
}

TEST_F(DirTreeCommandsTest, AFolderAnotherProgramCopiedPastesHere)
{
    TempFolder elsewhere;
    elsewhere.write(u"Album/01.mp3"_s, "audio");
    auto *data = new QMimeData;
    data->setData(u"x-special/gnome-copied-files"_s,
                  "copy\n" + QUrl::fromLocalFile(elsewhere.filePath(u"Album"_s)).toEncoded());
    QGuiApplication::clipboard()->setMimeData(data);
    open(u"B"_s);
    tree().popUpMenu()->updateEnabled();
    EXPECT_TRUE(tree().popUpMenu()->item(u"PasteNode"_s)->isEnabled());
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(exists(u"B/Album/01.mp3"_s));
    EXPECT_TRUE(QFileInfo::exists(elsewhere.filePath(u"Album/01.mp3"_s)));
}

// Addresses the tree's paste refuses are named, one box, in the tree's language.
TEST_F(DirTreeCommandsTest, APasteOfRefusedAddressesSaysWhichInTheTreesLanguage)
{
    const struct {
        TLanguage language;
        const char *text;
    } cases[] = {
        {lnItalian, "Non è un file di questo computer, non incollato: file://otherhost/Album"},
        {lnEnglish, "Not a file of this computer, not pasted: file://otherhost/Album"},
    };
    for (const auto &c : cases) {
        tree().SetLanguage(c.language);
        auto *data = new QMimeData;
        data->setData(u"x-special/gnome-copied-files"_s, "copy\nfile://otherhost/Album");
        QGuiApplication::clipboard()->setMimeData(data);
        open(u"B"_s);
        tree().popUpMenu()->updateEnabled();
        EXPECT_TRUE(tree().popUpMenu()->item(u"PasteNode"_s)->isEnabled()) << "offered, to say why it takes nothing";
        boxes.clear();
        key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8(c.text)});
    }
}

TEST_F(DirTreeCommandsTest, CtrlAtThePressMakesADragACopyAndTheDraggedNodeIsNoTarget)
{
    folder().write(u"A/inner/a.txt"_s, "a");
    struct Case {
        Qt::KeyboardModifiers modifiers;
        int operation;
        bool sourceKept;
    };
    for (const Case &c : {Case{Qt::ControlModifier, opCopy, true}, Case{Qt::NoModifier, opMove, false}}) {
        SCOPED_TRACE(c.operation);
        open(u"A/inner"_s);
        QTreeWidgetItem *node = tree().currentItem();
        const QRect row = tree().visualItemRect(node);
        QTest::mousePress(tree().viewport(), Qt::LeftButton, c.modifiers, QPoint(row.left() + 28, row.center().y()));
        QTest::mouseRelease(tree().viewport(), Qt::LeftButton, c.modifiers, QPoint(row.left() + 28, row.center().y()));
        EXPECT_EQ(DragOperation, c.operation);
        EXPECT_EQ(tree().DragSourceFolder(), fixture.path(u"A\\inner"_s));
        EXPECT_FALSE(tree().commands().acceptsDrag(TreeDragSource::FolderTree, node));
        EXPECT_FALSE(tree().commands().acceptsDrag(TreeDragSource::Other, fixture.node(u"B"_s)));
        EXPECT_TRUE(tree().commands().acceptsDrag(TreeDragSource::FolderTree, fixture.node(u"B"_s)));

        tree().commands().dropFolder(tree().DragSourceFolder(), fixture.node(u"B"_s));
        EXPECT_TRUE(exists(u"B/inner/a.txt"_s));
        EXPECT_EQ(exists(u"A/inner/a.txt"_s), c.sourceKept);
        EXPECT_EQ(tree().SelectedPath(), fixture.path(u"B\\"_s));
        QDir(fixture.nativePath(u"B/inner"_s)).removeRecursively();
        QDir().mkpath(fixture.nativePath(u"A/inner"_s));
        folder().write(u"A/inner/a.txt"_s, "a");
        tree().ReloadTree();
    }
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(DirTreeCommandsTest, OnlyTheFilesOfAListSelectionAreDroppedAndNothingOnAReadOnlyTree)
{
    for (const char *name : {"C/1.mp3", "C/2.mp3", "C/3.mp3"})
        folder().write(QString::fromLatin1(name), "audio");
    QDir().mkpath(fixture.nativePath(u"C/sub"_s));
    TZuFilelistView28 list;
    list.SetDirTree(&tree());
    list.SetDirectory(fixture.path(u"C"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.itemCount() >= 4; }, patienceMs));
    EXPECT_FALSE(tree().commands().acceptsDrag(TreeDragSource::FileList, nullptr));
    open(u"B"_s);

    tree().SetReadOnly(true);
    list.selectAll();
    tree().commands().dropFileListSelection(fixture.node(u"B"_s));
    EXPECT_FALSE(exists(u"B/1.mp3"_s));

    tree().SetReadOnly(false);
    DragOperation = opMove;
    list.selectAll();
    tree().commands().dropFileListSelection(fixture.node(u"B"_s));
    for (const char *name : {"1.mp3", "2.mp3", "3.mp3"}) {
        EXPECT_TRUE(exists(u"B/"_s + QLatin1String(name))) << name;
        EXPECT_FALSE(exists(u"C/"_s + QLatin1String(name))) << name;
    }
    EXPECT_FALSE(exists(u"B/sub"_s));
    EXPECT_TRUE(exists(u"C/sub"_s));
    EXPECT_EQ(list.Directory(), fixture.path(u"B\\"_s));

    // Only folders selected: the warning, nothing moved.
    list.SetDirectory(fixture.path(u"C"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.itemCount() >= 1; }, patienceMs));
    list.selectAll();
    boxes.clear();
    tree().commands().dropFileListSelection(fixture.node(u"B"_s));
    EXPECT_EQ(boxes.texts(), QStringList{ExplorerTexts.msgNoSelection});
    EXPECT_TRUE(exists(u"C/sub"_s));
}

TEST(TreeMenuGlyphsTest, EachGlyphIsDrawnAtBothSizes)
{
    for (const char *name : {"NewFolder28", "EditFolder28", "DelFolder28", "Cut28", "Copy28", "Paste28", "TreeSize28",
                             "DirContents28", "NetConnect28", "NetDisConnect28", "Attributes28"}) {
        SCOPED_TRACE(name);
        const QIcon icon = menuGlyph(QLatin1String(name));
        const QList<QSize> sizes = icon.availableSizes();
        ASSERT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)));
        const QImage small = icon.pixmap(QSize(16, 16), 1.0).toImage();
        // The 32 px picture serves screens of twice the density.
        const QImage large = icon.pixmap(QSize(16, 16), 2.0).toImage();
        ASSERT_EQ(large.size(), QSize(32, 32));
        int opaque = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(small.pixel(x, y)) > 160;
        }
        EXPECT_GT(opaque, 20);
        // Drawn for 2x, not the small one blown up.
        EXPECT_NE(large.convertToFormat(QImage::Format_ARGB32),
                  small.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation).convertToFormat(QImage::Format_ARGB32));
    }
}
