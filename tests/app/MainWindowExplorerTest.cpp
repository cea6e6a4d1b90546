// The main window's explorer commands over real folders: the list's paste and new
// folder by key whatever the list holds, and the read-only tree's menu.

#include "tests/app/MainWindowFixture.h"

#include "explorer/filelist/FileListView.h"
#include "explorer/tree/DirTree.h"
#include "explorer/tree/DirTreeCommands.h"
#include "explorer/filelist/TZuFilelistView28PopUp.h"
#include "explorer/tree/TZuDirTree21PopUp.h"
#include "options/dialog/uOpzioni.h"
#include "platform/DrivePaths.h"
#include "platform/FileClipboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {
QStringList foldersIn(const QString &path)
{
    return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QLineEdit *openEditor(QAbstractItemView *view)
{
    const QList<QLineEdit *> editors = view->viewport()->findChildren<QLineEdit *>();
    return editors.isEmpty() ? nullptr : editors.first();
}
} // namespace

TEST_F(MainWindowTest, CtrlVAndCtrlNWorkInAnEmptyFolderAndTheNewFolderGetsTheTypedName)
{
    folder->write(u"source/song.txt"_s, "song");
    QDir(folder->path()).mkpath(u"empty"_s);
    QGuiApplication::clipboard()->clear();
    createWindow();
    clickFolder(folder->filePath(u"empty"_s));
    ASSERT_EQ(list()->itemCount(), 0);
    list()->setFocus();

    // Nothing to paste: the key does nothing and says nothing.
    QTest::keyClick(list(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(boxes->texts().isEmpty()) << boxes->texts().join(u'\n').toStdString();
    platform::putFilesOnClipboard({folder->filePath(u"source/song.txt"_s)}, false);
    QTest::keyClick(list(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(folder->read(u"empty/song.txt"_s), "song");
    EXPECT_EQ(list()->itemCount(), 1);

    // Ctrl+N in the emptied folder, the list's menu item and the read-only tree's Ctrl+N:
    // the tree's editor opens on the new folder, its whole default name selected, and the
    // typed name is the folder made.
    ASSERT_TRUE(QFile::remove(folder->filePath(u"empty/song.txt"_s)));
    const QString empty = platform::toDrivePath(folder->filePath(u"empty"_s));
    const struct {
        const char *how;
        std::function<void()> newFolder;
        QString name;
    } ways[] = {
        {"Ctrl+N", [this] { QTest::keyClick(list(), Qt::Key_N, Qt::ControlModifier); }, u"Dischi"_s},
        {"menu", [this] { list()->popUpMenu()->item(u"ItemFolder"_s)->trigger(); }, u"Nastri"_s},
        {"the tree's Ctrl+N", [this] {
             tree()->setFocus();
             QTest::keyClick(tree(), Qt::Key_N, Qt::ControlModifier);
         }, u"Vinili"_s},
    };
    QStringList made;
    for (const auto &way : ways) {
        tree()->OpenPath(empty);
        ASSERT_EQ(tree()->SelectedPath(), empty + u'\\') << way.how << ": the walk stopped elsewhere";
        list()->SetDirectory(empty);
        ASSERT_EQ(list()->itemCount(), 0) << way.how;
        list()->setFocus();
        way.newFolder();
        QLineEdit *editor = openEditor(tree());
        ASSERT_NE(editor, nullptr) << way.how << ": no name editor; folders: "
                                   << foldersIn(folder->filePath(u"empty"_s)).join(u',').toStdString();
        EXPECT_EQ(editor->text(), u"Nuova cartella"_s) << way.how;
        EXPECT_EQ(editor->selectedText(), u"Nuova cartella"_s) << way.how;
        EXPECT_EQ(list()->Directory(), tree()->SelectedPath()) << way.how;
        QTest::keyClicks(editor, way.name);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(50);
        made.append(way.name);
        made.sort();
        EXPECT_EQ(foldersIn(folder->filePath(u"empty"_s)), made) << way.how;
        EXPECT_EQ(list()->Directory(), tree()->SelectedPath()) << way.how;
        EXPECT_EQ(tree()->SelectedPath().toStdString(), (empty + u'\\' + way.name + u'\\').toStdString()) << way.how;
    }
    EXPECT_TRUE(boxes->texts().isEmpty()) << boxes->texts().join(u'\n').toStdString();
}

TEST_F(MainWindowTest, TheReadOnlyTreeOffersNoRename)
{
    QDir(folder->path()).mkpath(u"album"_s);
    createWindow();
    clickFolder(folder->filePath(u"album"_s));
    TZuDirTree21PopUp *menu = tree()->popUpMenu();
    ASSERT_NE(menu, nullptr);
    menu->updateEnabled();
    EXPECT_FALSE(menu->item(u"EditNode"_s)->isEnabled());
    EXPECT_TRUE(menu->item(u"AddNode"_s)->isEnabled());
    EXPECT_TRUE(menu->item(u"DelNode"_s)->isEnabled());

    tree()->SetReadOnly(false);
    menu->updateEnabled();
    EXPECT_TRUE(menu->item(u"EditNode"_s)->isEnabled());
}

TEST_F(MainWindowTest, OnlyTheNewFolderIsNamedWithoutAQuestion)
{
    QDir(folder->path()).mkpath(u"album"_s);
    QDir(folder->path()).mkpath(u"other"_s);
    createWindow();
    clickFolder(folder->filePath(u"album"_s));
    tree()->setFocus();
    QTest::keyClick(tree(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_NE(openEditor(tree()), nullptr);
    QTest::keyClick(openEditor(tree()), Qt::Key_Escape);
    QCoreApplication::processEvents();

    // A name that reaches another folder while the new one waits for its name renames
    // nothing in the read-only tree, and asks first where renaming is allowed.
    const QString other = platform::toDrivePath(folder->filePath(u"other"_s));
    tree()->commands().FolderEdited(other, u"Dischi"_s);
    EXPECT_TRUE(boxes->texts().isEmpty()) << boxes->texts().join(u'\n').toStdString();
    tree()->SetReadOnly(false);
    boxes->queueAnswer(platform::MessageButton::No);
    tree()->commands().FolderEdited(other, u"Dischi"_s);
    EXPECT_EQ(boxes->texts().size(), 1);
    EXPECT_EQ(foldersIn(folder->path()), (QStringList{u"album"_s, u"other"_s}));
}
