// The main window's explorer commands over real folders: the list's paste and new
// folder by key whatever the list holds, and the read-only tree's menu.

#include "tests/app/MainWindowFixture.h"

#include "explorer/filelist/FileListView.h"
#include "explorer/tree/DirTree.h"
#include "explorer/tree/TZuDirTree21PopUp.h"
#include "options/dialog/uOpzioni.h"
#include "platform/FileClipboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTest>

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

    // Ctrl+N in the emptied folder: the tree's editor opens on the new folder, its whole
    // default name selected, and the typed name is the folder made.
    ASSERT_TRUE(QFile::remove(folder->filePath(u"empty/song.txt"_s)));
    list()->RefreshList();
    ASSERT_EQ(list()->itemCount(), 0);
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_N, Qt::ControlModifier);
    QLineEdit *editor = openEditor(tree());
    ASSERT_NE(editor, nullptr) << "no name editor; folders: " << foldersIn(folder->filePath(u"empty"_s)).join(u',').toStdString();
    EXPECT_EQ(editor->text(), u"Nuova cartella"_s);
    EXPECT_EQ(editor->selectedText(), u"Nuova cartella"_s);
    QTest::keyClicks(editor, u"Dischi"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_EQ(foldersIn(folder->filePath(u"empty"_s)), QStringList{u"Dischi"_s});
    EXPECT_TRUE(boxes->texts().isEmpty()) << boxes->texts().join(u'\n').toStdString();
    // Tree and list show the same folder.
    EXPECT_EQ(tree()->SelectedPath(), list()->Directory());
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
