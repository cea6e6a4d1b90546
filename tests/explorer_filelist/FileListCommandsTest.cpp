// The file list's keys and file operations on real folders.

#include "tests/explorer_filelist/FileListFixture.h"

#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FindFileWindow.h"
#include "explorer/shared/FileOperationTable.h"
#include "platform/FileClipboard.h"
#include "tests/common/ScriptedMessageResponder.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFile>
#include <QListWidget>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QDir>

using namespace Qt::StringLiterals;
using platform::MessageButton;

class FileListCommandsTest : public FileListFixture {
protected:
    FileListCommandsTest()
    {
        list.SetLanguage(lnEnglish);
        list.resize(500, 400);
        list.show();
        list.setFocus();
        QGuiApplication::clipboard()->clear();
        PasteOperation = opCopy;
    }

    void select(const QStringList &names)
    {
        list.clearSelection();
        for (const QString &name : names)
            list.selectionModel()->select(list.model()->index(rowOf(name), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&list, Qt::Key(qtKey), modifiers);
    }
    // The open editor: closed ones linger until deleted, the newest comes last.
    QLineEdit *captionEditor() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QLineEdit *> editors = list.viewport()->findChildren<QLineEdit *>();
        return editors.isEmpty() ? nullptr : editors.last();
    }
    void confirmEdit(const QString &text)
    {
        QLineEdit *editor = captionEditor();
        ASSERT_NE(editor, nullptr) << "no in-place edit";
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The view commits the edit from its queue, and the rename follows from it.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(captionEditor(), nullptr) << "the editor is closed";
    }

    platform::ScriptedMessageResponder boxes;
};

// Which keys act with and without a selection, and what Actions turns off.
TEST_F(FileListCommandsTest, ShortcutsNeedASelectionWhereTheyShouldAndFollowActions)
{
    folder.write(u"sub/a.txt"_s, "a");
    folder.write(u"sub/b.txt"_s, "b");
    listFolder(u"sub"_s);

    list.clearSelection();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(list.commands().ClipboardList().isEmpty()) << "Ctrl+C without a selection";
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_FALSE(QFile::exists(folder.filePath(u"sub/New Folder"_s))) << "Ctrl+N without a selection";
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(boxes.texts().isEmpty()) << "Ctrl+V without a selection asks nothing";

    select({u"a.txt"_s});
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(list.commands().ClipboardList(), QStringList{drivePathOf(u"sub\\a.txt"_s)});
    EXPECT_EQ(PasteOperation, opCopy);
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(PasteOperation, opMove);

    list.clearSelection();
    key(Qt::Key_Backspace);
    EXPECT_EQ(list.Directory(), drivePathOf() + u"\\"_s) << "Backspace goes up without a selection";

    listFolder(u"sub"_s);
    select({u"a.txt"_s});
    list.ShortCuts().Actions.remove(vaRename);
    key(Qt::Key_F2);
    EXPECT_EQ(captionEditor(), nullptr) << "F2 with vaRename off";
    EXPECT_FALSE(list.CanEdit(rowOf(u"a.txt"_s)));
    list.ShortCuts().Actions.remove(vaCopy);
    list.commands().CutCopy(opCopy);
    list.commands().CutCopy(opMove);
    list.ShortCuts().Actions.remove(vaCut);
    PasteOperation = opCopy;
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(PasteOperation, opCopy) << "Ctrl+X with vaCut off";
}

TEST_F(FileListCommandsTest, ShiftDeleteAsksPerFileAndStopsAtAFolder)
{
    folder.write(u"a.txt"_s, "a");
    folder.write(u"b.txt"_s, "b");
    folder.write(u"c.txt"_s, "c");
    makeFolder(u"dir"_s);
    list.SetParentDirEnabled(false);
    listFolder();

    select({u"a.txt"_s, u"b.txt"_s});
    boxes.queueAnswer(MessageButton::Yes);
    boxes.queueAnswer(MessageButton::No);
    key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(boxes.texts(), QStringList({u"Are you sure you want to permanently delete file\r  \"a.txt\"?"_s,
                                          u"Are you sure you want to permanently delete file\r  \"b.txt\"?"_s}));
    EXPECT_FALSE(folder.exists(u"a.txt"_s));
    EXPECT_TRUE(folder.exists(u"b.txt"_s));

    // Folders come first in the list: a selection holding one stops at once.
    boxes.clear();
    select({u"dir"_s, u"b.txt"_s, u"c.txt"_s});
    key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_TRUE(folder.exists(u"b.txt"_s));
    EXPECT_TRUE(QDir(folder.filePath(u"dir"_s)).exists());

    list.clearSelection();
    key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(FileListCommandsTest, CopyPasteAndCutPasteIntoAnotherFolder)
{
    folder.write(u"from/a.txt"_s, "a");
    folder.write(u"from/b.txt"_s, "b");
    folder.write(u"from/c.txt"_s, "c");
    makeFolder(u"to"_s);
    listFolder(u"from"_s);
    select({u"a.txt"_s, u"b.txt"_s});
    key(Qt::Key_C, Qt::ControlModifier);
    listFolder(u"to"_s);
    list.Paste();
    EXPECT_EQ(folder.read(u"to/a.txt"_s), "a");
    EXPECT_EQ(folder.read(u"to/b.txt"_s), "b");
    EXPECT_TRUE(folder.exists(u"from/a.txt"_s));
    EXPECT_TRUE(list.commands().ClipboardList().isEmpty());
    EXPECT_GE(rowOf(u"b.txt"_s), 0) << "the list shows the pasted files";

    listFolder(u"from"_s);
    select({u"c.txt"_s});
    key(Qt::Key_X, Qt::ControlModifier);
    listFolder(u"to"_s);
    select({u"a.txt"_s});
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(folder.read(u"to/c.txt"_s), "c");
    EXPECT_FALSE(folder.exists(u"from/c.txt"_s)) << "a cut pasted is a move";
    EXPECT_EQ(list.selectedCaption(), u"a.txt"_s) << "the selection is kept";

    // Nothing on either clipboard.
    QGuiApplication::clipboard()->clear();
    list.Paste();
    EXPECT_EQ(boxes.texts(), QStringList{u"No file(s) selected"_s});
}

TEST_F(FileListCommandsTest, CancelInTheReplaceQuestionStopsThePasteAndSaysSo)
{
    QStringList names;
    for (int i = 1; i <= 5; ++i) {
        names.append(u"%1.txt"_s.arg(i));
        folder.write(u"from/"_s + names.last(), "new");
        folder.write(u"to/"_s + names.last(), "old");
    }
    listFolder(u"from"_s);
    select(names);
    key(Qt::Key_C, Qt::ControlModifier);
    listFolder(u"to"_s);
    boxes.queueAnswer(MessageButton::Yes);
    boxes.queueAnswer(MessageButton::Cancel);
    list.Paste();
    EXPECT_EQ(folder.read(u"to/1.txt"_s), "new");
    for (int i = 2; i <= 5; ++i)
        EXPECT_EQ(folder.read(u"to/%1.txt"_s.arg(i)), "old") << i;
    ASSERT_EQ(boxes.requests().size(), 3) << boxes.texts().join(u" | "_s).toStdString();
    EXPECT_EQ(boxes.requests().at(2).kind, platform::MessageKind::Information);
    EXPECT_EQ(boxes.texts().at(2), u"Stopped: 3 items were left as they were."_s);
    EXPECT_TRUE(list.commands().ClipboardList().isEmpty());

    // the same in Italian, Cancel on the fourth: one left
    list.SetLanguage(lnItalian);
    listFolder(u"from"_s);
    select(names);
    key(Qt::Key_C, Qt::ControlModifier);
    listFolder(u"to"_s);
    boxes.clear();
    for (const MessageButton answer : {MessageButton::No, MessageButton::No, MessageButton::No, MessageButton::Cancel})
        boxes.queueAnswer(answer);
    list.Paste();
    ASSERT_EQ(boxes.requests().size(), 5);
    EXPECT_EQ(boxes.texts().at(4), u"Operazione annullata: 1 elemento è rimasto com'era."_s);
    EXPECT_EQ(folder.read(u"to/5.txt"_s), "old");
}

// A paste that takes nothing, by the menu or by Ctrl+V with no row selected, says why
// in one box in the list's language, naming what it refused (Ctrl+V with nothing held
// at all stays silent).
TEST_F(FileListCommandsTest, APasteThatTakesNothingSaysWhyInOneBox)
{
    makeFolder(u"empty"_s);
    list.bindKeysWithoutSelection();
    const QByteArray hidden = "file://" + QUrl::toPercentEncoding(folder.filePath(u"a.mp3"_s), "/") + "%00.txt";
    const struct {
        TLanguage language;
        QByteArray held; // x-special/gnome-copied-files; empty for nothing held
        bool byKey;
        const char *text;
    } cases[] = {
        {lnEnglish, "copy\nfile://otherhost/music/a.mp3", true,
         "Not a file of this computer, not pasted: file://otherhost/music/a.mp3"},
        {lnItalian, "copy\nfile://otherhost/music/a.mp3", false,
         "Non è un file di questo computer, non incollato: file://otherhost/music/a.mp3"},
        {lnGerman, "copy\n" + hidden, true, nullptr},
        {lnFrench, QByteArray(), false, "Aucun fichier sélectionné"},
        {lnItalian, QByteArray(), false, "Nessun file selezionato"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.held.toStdString());
        list.SetLanguage(c.language);
        listFolder(u"empty"_s);
        list.clearSelection();
        if (c.held.isEmpty()) {
            QGuiApplication::clipboard()->clear();
        } else {
            auto *data = new QMimeData;
            data->setData(u"x-special/gnome-copied-files"_s, c.held);
            QGuiApplication::clipboard()->setMimeData(data);
            EXPECT_TRUE(list.commands().canPaste()) << "Paste is offered, to say why it takes nothing";
        }
        boxes.clear();
        if (c.byKey)
            key(Qt::Key_V, Qt::ControlModifier);
        else
            list.Paste();
        ASSERT_EQ(boxes.requests().size(), 1) << boxes.texts().join(u" | "_s).toStdString();
        if (c.text)
            EXPECT_EQ(boxes.texts().first(), QString::fromUtf8(c.text));
        else
            EXPECT_EQ(boxes.texts().first(), u"Keine Datei dieses Computers, nicht eingefügt: "_s + QString::fromUtf8(hidden));
    }
    // Ctrl+V with nothing held does nothing, as in the main window
    QGuiApplication::clipboard()->clear();
    boxes.clear();
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_TRUE(QDir(folder.filePath(u"empty"_s)).isEmpty());
}

TEST_F(FileListCommandsTest, DeleteAsksInTheListsLanguageAndMovesToTheTrash)
{
    folder.write(u"work/a.txt"_s, "a");
    folder.write(u"work/b.txt"_s, "b");
    listFolder(u"work"_s);
    list.SetLanguage(lnItalian);
    select({u"a.txt"_s, u"b.txt"_s});
    boxes.queueAnswer(MessageButton::No);
    key(Qt::Key_Delete);
    EXPECT_EQ(boxes.texts(), QStringList{u"Spostare 2 elementi nel cestino?"_s});
    EXPECT_TRUE(folder.exists(u"work/a.txt"_s));

    select({u"a.txt"_s});
    boxes.queueAnswer(MessageButton::Yes);
    list.DeleteSelected();
    EXPECT_FALSE(folder.exists(u"work/a.txt"_s));
    EXPECT_LT(rowOf(u"a.txt"_s), 0);
}

TEST_F(FileListCommandsTest, NewFolderTakesTheNextNumberAndOpensTheEditor)
{
    makeFolder(u"New Folder"_s);
    makeFolder(u"New Folder(2)"_s);
    folder.write(u"a.txt"_s, "a");
    listFolder();
    select({u"a.txt"_s});
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(QDir(folder.filePath(u"New Folder(3)"_s)).exists());
    EXPECT_EQ(list.selectedCaption(), u"New Folder(3)"_s);
    // A re-listing meanwhile (the tree learning of the new folder) keeps the edit going.
    captionEditor()->setText(u"Alb"_s);
    list.RefreshList();
    ASSERT_NE(captionEditor(), nullptr);
    EXPECT_EQ(captionEditor()->text(), u"Alb"_s);
    confirmEdit(u"Album"_s);
    EXPECT_TRUE(QDir(folder.filePath(u"Album"_s)).exists());
    EXPECT_FALSE(QDir(folder.filePath(u"New Folder(3)"_s)).exists());
}

TEST_F(FileListCommandsTest, NewFolderInABigFolderOpensTheEditorOnceTheFolderIsShown)
{
    // Enough entries that the re-listing runs in the background.
    for (int i = 0; i < 2000; ++i)
        folder.write(u"f%1.txt"_s.arg(i, 4, 10, QLatin1Char('0')), "");
    listFolder();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list.isListing(); }, 60000));
    select({u"f0001.txt"_s});
    key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(QDir(folder.filePath(u"New Folder"_s)).exists());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list.isListing(); }, 60000));
    EXPECT_EQ(list.selectedCaption(), u"New Folder"_s);
    confirmEdit(u"Album"_s);
    EXPECT_TRUE(QDir(folder.filePath(u"Album"_s)).exists());
}

struct RenameCase {
    const char *from;
    const char *to;
    const char *expectedName; // the file's name afterwards
    const char *message;      // the box shown, if any
};

inline void PrintTo(const RenameCase &c, std::ostream *out)
{
    *out << c.from << " -> " << c.to;
}

class FileListRenameTest : public FileListCommandsTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(FileListRenameTest, InPlaceRename)
{
    const RenameCase &c = GetParam();
    folder.write(QString::fromUtf8(c.from), "x");
    folder.write(u"other.mp3"_s, "o");
    listFolder();
    select({QString::fromUtf8(c.from)});
    key(Qt::Key_F2);
    confirmEdit(QString::fromUtf8(c.to));
    const QStringList names = QDir(folder.path()).entryList(QDir::Files);
    EXPECT_TRUE(names.contains(QString::fromUtf8(c.expectedName))) << names.join(u',').toStdString();
    EXPECT_EQ(names.size(), 2);
    EXPECT_EQ(boxes.texts(), c.message[0] ? QStringList{QString::fromUtf8(c.message)} : QStringList());
    EXPECT_GE(rowOf(QString::fromUtf8(c.expectedName)), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileListRenameTest,
                         ::testing::Values(RenameCase{"song.mp3", "tune.mp3", "tune.mp3", ""},
                                           RenameCase{"song.mp3", "Song.mp3", "Song.mp3", ""},
                                           RenameCase{"song.mp3", "other.mp3", "song.mp3",
                                                      "\"other.mp3\" already exists !"},
                                           RenameCase{"song.mp3", "song.mp3", "song.mp3", ""}));

TEST_F(FileListCommandsTest, ReadOnlyFolderIsNotRenamed)
{
    makeFolder(u"locked"_s);
    QFile::setPermissions(folder.filePath(u"locked"_s), QFile::ReadOwner | QFile::ExeOwner);
    listFolder();
    select({u"locked"_s});
    key(Qt::Key_F2);
    EXPECT_EQ(boxes.texts(), QStringList{u"It's ReadOnly"_s});
    EXPECT_EQ(captionEditor(), nullptr);
    QFile::setPermissions(folder.filePath(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(FileListCommandsTest, DroppedFilesAreCopiedAndDraggedItemsGiveUris)
{
    folder.write(u"outside/song.mp3"_s, "s");
    makeFolder(u"music"_s);
    listFolder(u"music"_s);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder.filePath(u"outside/song.mp3"_s))});
    const QPoint where = list.viewport()->rect().center();
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);
    QDeadlineTimer deadline(5000);
    while (!folder.exists(u"music/song.mp3"_s) && !deadline.hasExpired())
        QTest::qWait(10);
    EXPECT_EQ(folder.read(u"music/song.mp3"_s), "s");
    EXPECT_TRUE(folder.exists(u"outside/song.mp3"_s));

    std::unique_ptr<QMimeData> out(platform::fileListMimeData({folder.filePath(u"music/song.mp3"_s)}, false));
    EXPECT_EQ(out->data(u"text/uri-list"_s).trimmed(), QUrl::fromLocalFile(folder.filePath(u"music/song.mp3"_s)).toEncoded());
}

TEST_F(FileListCommandsTest, ViewOpensOnlyTheTableExtensionsAndFindFileSearchesInTheBackground)
{
    EXPECT_EQ(FileListCommands::viewExtensions().size(), 25);
    folder.write(u"song.mp3"_s, "s");
    folder.write(u"deep/er/Song.MP3"_s, "s");
    folder.write(u"deep/notes.txt"_s, "n");
    listFolder();
    select({u"song.mp3"_s});
    list.ViewSelected();
    EXPECT_TRUE(boxes.texts().isEmpty()) << "an .mp3 is not viewed";

    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", folder.filePath(u"no-tools"_s).toLocal8Bit());
    list.FindFile();
    qputenv("PATH", path);
    FindFileWindow *window = list.commands().findFileWindow();
    ASSERT_NE(window, nullptr);
    window->findChild<QLineEdit *>(u"edtPattern"_s)->setText(u"s?ng.*"_s);
    window->startSearch();
    QDeadlineTimer deadline(10000);
    while (window->isSearching() && !deadline.hasExpired())
        QTest::qWait(10);
    QStringList found = window->results();
    found.sort();
    EXPECT_EQ(found, QStringList({drivePathOf(u"deep\\er\\Song.MP3"_s), drivePathOf(u"song.mp3"_s)}));

    auto *results = window->findChild<QListWidget *>(u"lstResults"_s);
    const QList<QListWidgetItem *> deep = results->findItems(drivePathOf(u"deep\\er\\Song.MP3"_s), Qt::MatchExactly);
    ASSERT_EQ(deep.size(), 1);
    emit results->itemDoubleClicked(deep.first());
    EXPECT_EQ(list.Directory(), drivePathOf(u"deep\\er"_s) + u"\\"_s);
    EXPECT_EQ(list.selectedCaption(), u"Song.MP3"_s);
}
