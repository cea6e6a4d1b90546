// Names that look like drives, options, paths or other names, names with control
// characters, bytes that are not UTF-8, and the longest name: each goes through every
// operation of the explorer and arrives with exactly its own bytes, nothing else
// touched, its path on the real X clipboard as its bytes.

#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/filelist/TZuFilelistView28PopUp.h"
#include "explorer/shared/FileOperationTable.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/tree/DirTree.h"
#include "explorer/tree/DirTreeCommands.h"
#include "platform/DrivePaths.h"
#include "platform/FileClipboard.h"
#include "platform/NativeNames.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer_clipboard/XClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
using Names = QList<QByteArray>;

Names namesIn(const QByteArray &folder)
{
    Names names;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

Names sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

void writeBytes(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, content.constData(), content.size()), content.size());
    ::close(fd);
}

QByteArray readBytes(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "(missing)";
    QByteArray content(4096, Qt::Uninitialized);
    const ssize_t got = ::read(fd, content.data(), content.size());
    ::close(fd);
    return content.left(std::max<ssize_t>(got, 0));
}

QString drive(const QByteArray &native)
{
    return platform::toDrivePath(platform::decodeNativeName(native));
}

// Printable for a failure message.
std::string shown(const QByteArray &bytes)
{
    return bytes.toPercentEncoding("/:.-_ ").toStdString();
}

std::string shown(const Names &names)
{
    std::string text;
    for (const QByteArray &name : names)
        text += shown(name) + " | ";
    return text;
}

const Names hostileNames = {
    "x:y.txt", ":lead", "trail:", "C:x", "C:\\x", "a\\b", "-rf", "..x", "new\nline", "tab\there",
    "Caf\xe8.mp3",
    QByteArray(251, 'n') + ".txt", // 255 bytes
    "\xef\x81\x9c",                // U+F05C, the stand-in of a "\"
};

// The folder names the tree refuses to give (its rename asks for a plain name).
const QString treeRefuses = u"\\*?/=\"<>|:,;+^"_s;

class HostileNamesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!skipReason.isEmpty())
            GTEST_SKIP() << skipReason.toStdString();
        base = QFile::encodeName(folder.path());
        ::mkdir(base + "/sendto", 0755);
        ::mkdir(base + "/linked", 0755);
        platform::RegistryKey key;
        ASSERT_TRUE(key.openKey(u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"_s));
        ASSERT_TRUE(key.writeString(u"SendTo"_s, drive(base + "/sendto")));
        record = base + "/record";
        const QByteArray script = base + "/record-args";
        writeBytes(script, "#!/bin/sh\nprintf '%s\\0' \"$PWD\" \"$@\" > '" + record + "'\n");
        ::chmod(script.constData(), 0755);
        ASSERT_TRUE(platform::saveShellLink(drive(base + "/sendto/1folder.desktop"),
                                            {drive(base + "/linked"), QString(), u"Folder"_s}));
        ASSERT_TRUE(platform::saveShellLink(drive(base + "/sendto/2program.desktop"),
                                            {drive(script), QString(), u"Program"_s}));
        writeBytes(base + "/sendto/3opens.desktop",
                   "[Desktop Entry]\nType=Link\nName=Opens\nURL=file://" + script.toPercentEncoding("/") + "\n");
        for (TZuFilelistView28 *view : {&list, &other}) {
            view->SetLanguage(lnItalian);
            view->SetLanguage(lnEnglish); // reads the send-to folder
            view->resize(400, 300);
            view->show();
        }
        tree.show();
    }

    // A fresh pair of folders: src holding the name (a file, or a folder with a file in
    // it) beside keep.txt, dst holding an unrelated y.txt.
    void prepare(const QByteArray &name, bool asFolder, const QByteArray &target = QByteArray())
    {
        run = base + "/run" + QByteArray::number(++runs);
        src = run + "/src";
        dst = target.isEmpty() ? run + "/dst" : target;
        ::mkdir(run.constData(), 0755);
        ::mkdir(src.constData(), 0755);
        ::mkdir(dst.constData(), 0755);
        writeBytes(src + "/keep.txt", "keep");
        writeBytes(dst + "/y.txt", "unrelated");
        if (asFolder) {
            ASSERT_EQ(::mkdir(src + '/' + name, 0755), 0) << shown(name);
            writeBytes(src + '/' + name + "/inner.txt", name);
        } else {
            writeBytes(src + '/' + name, name);
        }
        boxes.clear();
    }

    // Lists the folder in the view and selects the entry of that name alone.
    void selectIn(TZuFilelistView28 &view, const QByteArray &folder, const QByteArray &name)
    {
        view.SetDirectory(drive(folder));
        const QString path = drive(folder + '/' + name);
        int found = -1;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            for (int row = 0; row < view.itemCount(); ++row) {
                if (view.itemPath(row) == path || view.itemPath(row) == AddSlash(path))
                    found = row;
            }
            return found >= 0;
        }, 5000)) << "not listed: " << shown(name);
        view.clearSelection();
        view.selectItem(found);
    }

    void expectArrived(const QByteArray &name, bool sourceKept, bool asFolder = false)
    {
        EXPECT_EQ(namesIn(dst), sorted({name, "y.txt"})) << shown(namesIn(dst));
        EXPECT_EQ(readBytes(dst + "/y.txt"), "unrelated");
        EXPECT_EQ(readBytes(dst + '/' + name + (asFolder ? "/inner.txt" : "")), name);
        EXPECT_EQ(namesIn(src), sourceKept ? sorted({name, "keep.txt"}) : Names{"keep.txt"}) << shown(namesIn(src));
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();
    }

    void expectRenamedTo(const QByteArray &name)
    {
        EXPECT_EQ(namesIn(src), sorted({name, "keep.txt"})) << shown(namesIn(src));
        EXPECT_EQ(namesIn(dst), Names{"y.txt"});
    }

    // Opens the folder in the tree once the tree has seen it made.
    void openInTree(const QByteArray &folder)
    {
        const QString path = drive(folder);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            tree.OpenPath(path);
            return DelSlash(tree.SelectedPath()) == path;
        }, 5000)) << "the tree does not open " << shown(folder);
    }

    QByteArray clipboardText() { return runXclip({u"-o"_s, u"-t"_s, u"UTF8_STRING"_s}); }

    // Types the text into the in-place editor of the selected row and presses Enter.
    void renameInPlace(const QString *typed)
    {
        list.commands().BeginRename();
        QLineEdit *editor = list.findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr) << "no editor";
        if (typed)
            editor->setText(*typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(50);
    }

    void sendTo(const QString &entry)
    {
        QAction *item = list.popUpMenu()->item(entry);
        ASSERT_NE(item, nullptr) << entry.toStdString();
        item->trigger();
    }

    QByteArray recorded()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(QString::fromLocal8Bit(record)); }, 10000))
            << "the program did not start";
        QTest::qWait(100);
        const QByteArray content = readBytes(record);
        ::unlink(record.constData());
        return content;
    }

    TempFolder folder;
    QByteArray base, run, src, dst, record;
    int runs = 0;
    TZuFilelistView28 list;
    TZuFilelistView28 other; // another window of the program
    TZuDirTree21 tree;
    platform::ScriptedMessageResponder boxes;
};

TEST_F(HostileNamesTest, EveryOperationKeepsEveryByteOfTheName)
{
    for (const QByteArray &name : hostileNames) {
        SCOPED_TRACE(shown(name));
        const QString shownName = drive(base + '/' + name).mid(drive(base).size() + 1);
        ASSERT_FALSE(shownName.contains(u'\\')) << "a name holds no separator";

        {
            SCOPED_TRACE("F2, Enter without a change");
            prepare(name, false);
            selectIn(list, src, name);
            renameInPlace(nullptr);
            expectRenamedTo(name);
        }
        {
            SCOPED_TRACE("F2, typed");
            prepare(name, false);
            ::rename(src + '/' + name, src + "/plain.bin");
            selectIn(list, src, "plain.bin");
            renameInPlace(&shownName);
            expectRenamedTo(name);
        }
        {
            SCOPED_TRACE("copy here, paste in another window");
            prepare(name, false);
            selectIn(list, src, name);
            list.CutCopy(opCopy);
            EXPECT_EQ(clipboardText(), src + '/' + name);
            other.SetDirectory(drive(dst));
            other.Paste();
            expectArrived(name, true);
        }
        {
            SCOPED_TRACE("cut and paste");
            prepare(name, false);
            selectIn(list, src, name);
            list.CutCopy(opMove);
            list.SetDirectory(drive(dst));
            list.Paste();
            expectArrived(name, false);
        }
        {
            SCOPED_TRACE("dropped on a list");
            prepare(name, false);
            other.SetDirectory(drive(dst));
            std::unique_ptr<QMimeData> data(platform::fileListMimeData({platform::decodeNativeName(src + '/' + name)}, false));
            const QPoint where = other.viewport()->rect().center();
            QDragEnterEvent enter(where, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(other.viewport(), &enter);
            QDropEvent drop(where, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(other.viewport(), &drop);
            EXPECT_TRUE(QTest::qWaitFor([&] { return namesIn(dst).size() == 2; }, 5000)) << "nothing dropped";
            expectArrived(name, true);
        }
        {
            SCOPED_TRACE("dragged from the list onto a tree folder");
            prepare(name, false);
            list.SetDirTree(&tree);
            openInTree(dst);
            QTreeWidgetItem *target = tree.currentItem();
            ASSERT_NE(target, nullptr);
            selectIn(list, src, name);
            DragOperation = opMove;
            tree.commands().dropFileListSelection(target);
            list.SetDirTree(nullptr);
            expectArrived(name, false);
        }
        {
            SCOPED_TRACE("Send To a folder link");
            ::rename(base + "/linked", run + "/linked-before");
            prepare(name, false, base + "/linked");
            selectIn(list, src, name);
            sendTo(u"Send_To4"_s);
            expectArrived(name, true);
            ::rename(dst, run + "/linked");
            ::mkdir(base + "/linked", 0755);
        }
        {
            SCOPED_TRACE("Send To a program");
            prepare(name, false);
            selectIn(list, src, name);
            sendTo(u"Send_To5"_s); // its Exec line
            EXPECT_EQ(shown(recorded()), shown(src + '\0' + src + '/' + name + '\0'));
            sendTo(u"Send_To6"_s); // a link to the program itself
            EXPECT_EQ(shown(recorded()), shown(src + '\0' + src + '/' + name + '\0'));
            expectRenamedTo(name);
            EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();
        }
        {
            SCOPED_TRACE("Send To the clipboard as its name");
            prepare(name, false);
            selectIn(list, src, name);
            sendTo(u"Send_To2"_s);
            EXPECT_EQ(shown(clipboardText()), shown(src + '/' + name));
        }
        for (const int operation : {opCopy, opMove}) {
            SCOPED_TRACE(operation == opCopy ? "tree: copy and paste a folder" : "tree: cut and paste a folder");
            prepare(name, true);
            openInTree(src + '/' + name);
            tree.MarkClipboardFolder(operation);
            EXPECT_EQ(shown(clipboardText()), shown(src + '/' + name));
            openInTree(dst);
            tree.PasteFolder();
            expectArrived(name, operation == opCopy, true);
        }
        {
            SCOPED_TRACE("tree: rename a folder");
            prepare(name, true);
            openInTree(src);
            boxes.queueAnswer(platform::MessageButton::Yes);
            tree.commands().FolderEdited(drive(src + '/' + name), u"renamed"_s);
            EXPECT_EQ(namesIn(src), sorted({"keep.txt", "renamed"})) << shown(namesIn(src));
            if (!HasAnyChar(shownName, treeRefuses)) {
                boxes.queueAnswer(platform::MessageButton::Yes);
                tree.commands().FolderEdited(drive(src + "/renamed"), shownName);
                expectRenamedTo(name);
                EXPECT_EQ(readBytes(src + '/' + name + "/inner.txt"), name);
            }
        }
    }
}

// A colon in a name is no drive: "x:y.txt" pasted beside an unrelated "y.txt" leaves
// that file alone and asks nothing about it.
TEST_F(HostileNamesTest, APasteNeverReplacesTheFileAfterAColon)
{
    for (const int operation : {opCopy, opMove}) {
        prepare("x:y.txt", false);
        selectIn(list, src, "x:y.txt");
        list.CutCopy(operation);
        other.SetDirectory(drive(dst));
        other.Paste();
        EXPECT_EQ(readBytes(dst + "/y.txt"), "unrelated");
        expectArrived("x:y.txt", operation == opCopy);
    }
}
} // namespace
