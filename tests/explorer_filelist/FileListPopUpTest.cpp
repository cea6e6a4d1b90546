// The file list's pop-up menu over real folders: which items a selection enables,
// what each item runs, the links of the send-to folder and the rebuild per language.

#include "tests/explorer_filelist/FileListFixture.h"

#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/SendToAnyDialog.h"
#include "explorer/filelist/TZuFilelistView28PopUp.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/FileOperationTable.h"
#include "platform/DrivePaths.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
const QString shellFoldersKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"_s;

void setShellFolder(const QString &name, const QString &drivePath)
{
    platform::RegistryKey key;
    ASSERT_TRUE(key.openKey(shellFoldersKey));
    ASSERT_TRUE(key.writeString(name, drivePath));
}

// Answers the next modal dialog of that class, once it is shown.
template <typename Dialog>
void whenShown(std::function<void(Dialog *)> answer)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(10);
}
} // namespace

class FileListPopUpTest : public FileListFixture {
protected:
    FileListPopUpTest()
    {
        for (const QString &name : {u"a.mp3"_s, u"b.mp3"_s, u"page.htm"_s, u"note.txt"_s})
            folder.write(u"list/"_s + name, name.toUtf8());
        makeFolder(u"list/sub"_s);
        folder.write(u"list/sub/inner.txt"_s, "inner");
        makeFolder(u"sendto"_s);
        makeFolder(u"desktop"_s);
        setShellFolder(u"SendTo"_s, drivePathOf(u"sendto"_s));
        setShellFolder(u"DeskTop"_s, drivePathOf(u"desktop"_s));
        QGuiApplication::clipboard()->clear();
        list.resize(500, 400);
        list.show();
    }

    // Reads the send-to folder again: the menu is rebuilt by a language change.
    void rebuildMenu(TLanguage language = lnEnglish)
    {
        list.SetLanguage(language == lnEnglish ? lnItalian : lnEnglish);
        list.SetLanguage(language);
        listFolder(u"list"_s);
    }
    // A link in the send-to folder.
    void addLink(const QString &fileName, const QString &target, const QString &name)
    {
        ASSERT_TRUE(platform::saveShellLink(folder.filePath(u"sendto/"_s + fileName), {target, QString(), name}));
    }
    void select(const QStringList &names)
    {
        list.clearSelection();
        for (const QString &name : names)
            if (!name.isEmpty())
                list.selectionModel()->select(list.model()->index(rowOf(name), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    TZuFilelistView28PopUp &menu() const { return *list.popUpMenu(); }
    void click(const QString &name)
    {
        QAction *item = menu().item(name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        item->trigger();
    }

    platform::ScriptedMessageResponder boxes;
};

TEST_F(FileListPopUpTest, SelectionDecidesWhichItemsAreEnabled)
{
    addLink(u"music.desktop"_s, drivePathOf(u"desktop"_s), u"Music"_s);
    rebuildMenu();
    const QStringList items = {u"ItemOpen"_s,    u"ItemView"_s,   u"SubMenuSend"_s,  u"ItemOpCut"_s, u"ItemOpCopy"_s,
                               u"ItemOpPaste"_s, u"ItemRename"_s, u"ItemDelete"_s,   u"ItemProperty"_s,
                               u"ItemFolder"_s,  u"Send_To0"_s,   u"Send_To1"_s,     u"Send_To2"_s, u"Send_To3"_s,
                               u"Send_To4"_s};
    const QStringList allForSelection = {u"ItemOpen"_s,     u"SubMenuSend"_s, u"ItemOpCut"_s, u"ItemOpCopy"_s,
                                         u"ItemDelete"_s,   u"ItemProperty"_s, u"ItemFolder"_s, u"Send_To0"_s,
                                         u"Send_To2"_s,     u"Send_To3"_s,     u"Send_To4"_s};
    struct Case {
        const char *what;
        QStringList selected;
        bool holdFiles;
        QStringList enabled;
    };
    const Case cases[] = {
        {"nothing selected", {}, false, {u"ItemFolder"_s, u"Send_To4"_s}},
        {"nothing selected, files held", {}, true, {u"ItemOpPaste"_s, u"ItemFolder"_s, u"Send_To4"_s}},
        {"two files", {u"a.mp3"_s, u"b.mp3"_s}, false, allForSelection},
        {"one .htm file", {u"page.htm"_s}, false, allForSelection + QStringList{u"ItemView"_s, u"ItemRename"_s}},
        {"one text file", {u"note.txt"_s}, false,
         allForSelection + QStringList{u"ItemView"_s, u"ItemRename"_s, u"Send_To1"_s}},
        {"a folder", {u"sub"_s}, false, allForSelection + QStringList{u"ItemRename"_s}},
    };
    for (const Case &c : cases) {
        select({c.holdFiles ? u"note.txt"_s : QString()});
        list.CutCopy(opCopy); // with nothing selected the held list empties
        if (!c.holdFiles)
            QGuiApplication::clipboard()->clear();
        select(c.selected);
        menu().Popup(0, 0);
        QStringList enabled;
        for (const QString &name : items) {
            if (menu().item(name)->isEnabled())
                enabled.append(name);
        }
        menu().hide();
        enabled.sort();
        QStringList expected = c.enabled;
        expected.sort();
        EXPECT_EQ(enabled, expected) << c.what;
    }
}

TEST_F(FileListPopUpTest, ItemsRunTheCommandsTheKeysRun)
{
    listFolder(u"list"_s);
    select({u"a.mp3"_s});
    QSignalSpy copiesSpy(list.commands().action(vaCopy), &QAction::triggered);
    click(u"ItemOpCopy"_s);
    EXPECT_EQ(copiesSpy.count(), 1);
    EXPECT_EQ(list.commands().ClipboardList(), QStringList{drivePathOf(u"list\\a.mp3"_s)});

    click(u"ItemFolder"_s);
    EXPECT_TRUE(QFileInfo(folder.filePath(u"list/New Folder"_s)).isDir());
}

TEST_F(FileListPopUpTest, SendToLinksCopyToTheirFolderOrStartTheirProgram)
{
    // Eight links to folders make entries Send_To4 ... Send_To11; one more starts a program.
    for (int n = 0; n < 8; ++n) {
        makeFolder(u"dest%1"_s.arg(n));
        addLink(u"link%1.desktop"_s.arg(n), drivePathOf(u"dest%1"_s.arg(n)), u"Destination %1"_s.arg(n));
    }
    const QString record = folder.filePath(u"record.txt"_s);
    const QString script = folder.write(u"tools/record-args"_s,
                                        "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > '" + record.toUtf8() + "'\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    addLink(u"zprogram.desktop"_s, platform::toDrivePath(script), u"Recorder"_s);
    folder.write(u"sendto/readme.txt"_s, "not a link");
    rebuildMenu();

    ASSERT_EQ(menu().SendToList().size(), 9);
    EXPECT_EQ(menu().item(u"Send_To11"_s)->text(), u"Destination 7"_s);
    EXPECT_EQ(menu().item(u"Send_To11"_s)->data().toInt(), 41);
    EXPECT_FALSE(menu().item(u"Send_To11"_s)->icon().isNull());

    select({u"a.mp3"_s, u"sub"_s});
    click(u"Send_To11"_s);
    EXPECT_EQ(folder.read(u"dest7/a.mp3"_s), "a.mp3");
    EXPECT_EQ(folder.read(u"dest7/sub/inner.txt"_s), "inner");
    EXPECT_FALSE(folder.exists(u"dest6/a.mp3"_s));
    EXPECT_TRUE(list.commands().ClipboardList().isEmpty());

    select({u"b.mp3"_s, u"a.mp3"_s});
    click(u"Send_To12"_s);
    QDeadlineTimer deadline(10000);
    while (!QFileInfo::exists(record) && !deadline.hasExpired())
        QTest::qWait(20);
    QFile recorded(record);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly)) << "the program did not start";
    QTest::qWait(100);
    const QStringList lines = QString::fromUtf8(recorded.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines[0], folder.filePath(u"list"_s));
    EXPECT_TRUE(lines[1].endsWith(u"a.mp3"_s)) << lines[1].toStdString();
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

TEST_F(FileListPopUpTest, ASendToProgramThatIsNotThereIsNamedInTheListsLanguage)
{
    folder.write(u"sendto/missing.desktop"_s,
                 "[Desktop Entry]\nType=Application\nName=Mancante\nExec=kestrava-no-such-program %F\n");
    const struct {
        TLanguage language;
        const char *text;
    } cases[] = {
        {lnItalian, "Invia a \"Mancante\": il programma \"kestrava-no-such-program\" non è stato trovato."},
        {lnEnglish, "Send To \"Mancante\": the program \"kestrava-no-such-program\" was not found."},
    };
    for (const auto &c : cases) {
        rebuildMenu(c.language);
        ASSERT_EQ(menu().SendToList().size(), 1);
        select({u"a.mp3"_s});
        boxes.clear();
        click(u"Send_To4"_s);
        EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8(c.text)});
    }
}

TEST_F(FileListPopUpTest, NamesThatAreNoEntryDoNothing)
{
    addLink(u"only.desktop"_s, drivePathOf(u"desktop"_s), u"Only"_s);
    rebuildMenu();
    select({u"a.mp3"_s});
    for (const QString &name : {u"Send_To5"_s, u"Send_ToX"_s, u"Send_To"_s, u"Other"_s}) {
        QAction stray(name);
        stray.setObjectName(name);
        stray.setData(40);
        menu().ItemClick(&stray);
    }
    QAction noTag(u"Send_To4"_s);
    noTag.setObjectName(u"Send_To4"_s);
    menu().ItemClick(&noTag);
    EXPECT_FALSE(folder.exists(u"desktop/a.mp3"_s));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

TEST_F(FileListPopUpTest, DesktopShortcutPointsAtTheSelectedFile)
{
    listFolder(u"list"_s);
    select({});
    click(u"Send_To3"_s);
    EXPECT_EQ(boxes.texts(), QStringList{ExplorerTexts.msgNoSelection});
    boxes.clear();

    folder.write(u"desktop/note.desktop"_s, "someone's own file");
    select({u"note.txt"_s});
    click(u"Send_To3"_s);
    EXPECT_EQ(folder.read(u"desktop/note.desktop"_s), "someone's own file");
    const QString linkFile = folder.filePath(u"desktop/note (2).desktop"_s);
    const auto link = platform::loadShellLink(linkFile);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->target, drivePathOf(u"list\\note.txt"_s));
    EXPECT_EQ(link->description, u"note"_s);
    EXPECT_TRUE(QFileInfo(linkFile).permissions() & QFile::ExeOwner);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();

    // A desktop that is a file cannot take the link.
    setShellFolder(u"DeskTop"_s, drivePathOf(u"list\\a.mp3"_s));
    click(u"Send_To3"_s);
    EXPECT_EQ(boxes.texts(), QStringList{ExplorerTexts.msgShortcutFailed});
}

TEST_F(FileListPopUpTest, AnyFolderCopiesIntoTheTypedFolderAndCancelCopiesNothing)
{
    makeFolder(u"typed"_s);
    listFolder(u"list"_s);
    select({u"a.mp3"_s, u"b.mp3"_s});

    whenShown<SendToAnyDialog>([](SendToAnyDialog *dialog) {
        EXPECT_EQ(dialog->size(), QSize(333, 135));
        dialog->findChild<QPushButton *>(u"btnCancel"_s)->click();
    });
    click(u"Send_To0"_s);
    EXPECT_FALSE(folder.exists(u"typed/a.mp3"_s));

    const QString typed = drivePathOf(u"typed"_s);
    whenShown<SendToAnyDialog>([typed](SendToAnyDialog *dialog) {
        dialog->findChild<QLineEdit *>(u"edtSendTo"_s)->setText(typed);
        dialog->findChild<QPushButton *>(u"btnOK"_s)->click();
    });
    click(u"Send_To0"_s);
    EXPECT_EQ(folder.read(u"typed/a.mp3"_s), "a.mp3");
    EXPECT_EQ(folder.read(u"typed/b.mp3"_s), "b.mp3");
}

TEST_F(FileListPopUpTest, AnyFolderBrowseShowsTheDialogAgainWithTheChosenFolder)
{
    makeFolder(u"chosen"_s);
    listFolder(u"list"_s);
    select({u"a.mp3"_s});
    const QString chosen = folder.filePath(u"chosen"_s);
    QString reshownText;
    whenShown<SendToAnyDialog>([&](SendToAnyDialog *dialog) {
        whenShown<QFileDialog>([&](QFileDialog *browse) {
            whenShown<SendToAnyDialog>([&](SendToAnyDialog *again) {
                reshownText = again->text();
                again->findChild<QPushButton *>(u"btnOK"_s)->click();
            });
            browse->setDirectory(chosen);
            static_cast<QDialog *>(browse)->accept();
        });
        dialog->findChild<QPushButton *>(u"btnBrowse"_s)->click();
    });
    click(u"Send_To0"_s);
    EXPECT_EQ(reshownText, drivePathOf(u"chosen\\"_s));
    EXPECT_EQ(folder.read(u"chosen/a.mp3"_s), "a.mp3");

    // A browse dialog closed without a folder ends it all: nothing is copied.
    folder.write(u"list/c.mp3"_s, "c");
    listFolder(u"list"_s);
    select({u"c.mp3"_s});
    whenShown<SendToAnyDialog>([&](SendToAnyDialog *dialog) {
        whenShown<QFileDialog>([](QFileDialog *browse) { browse->reject(); });
        dialog->findChild<QPushButton *>(u"btnBrowse"_s)->click();
    });
    click(u"Send_To0"_s);
    EXPECT_FALSE(folder.exists(u"chosen/c.mp3"_s));
}

TEST_F(FileListPopUpTest, LanguageChangeBuildsTheMenuAgainInThatLanguage)
{
    addLink(u"music.desktop"_s, drivePathOf(u"desktop"_s), u"Music"_s);
    rebuildMenu(lnEnglish);
    const QPointer<TZuFilelistView28PopUp> english = list.popUpMenu();
    EXPECT_EQ(menu().item(u"ItemOpen"_s)->text(), u"&Open"_s);
    list.SetLanguage(lnItalian);
    EXPECT_TRUE(english.isNull());
    EXPECT_EQ(menu().item(u"ItemOpen"_s)->text(), u"&Apri"_s);
    EXPECT_EQ(menu().item(u"ItemView"_s)->text(), u"&An&teprima"_s);
    EXPECT_EQ(menu().sendToMenu()->title(), u"In&via a"_s);
    EXPECT_EQ(menu().item(u"Send_To1"_s)->text(), u"Copia il contenuto negli appunti"_s);
    EXPECT_EQ(menu().item(u"Send_To4"_s)->text(), u"Music"_s);
    // Fifteen top-level positions, separators included.
    EXPECT_EQ(menu().actions().size(), 15);
    EXPECT_TRUE(menu().actions()[2]->isSeparator());
    EXPECT_EQ(menu().actions()[14]->objectName(), u"ItemFolder"_s);
}

TEST_F(FileListPopUpTest, OpensOverAFolderByMouseAndKeysNeverOverTheDrives)
{
    listFolder(u"list"_s);
    select({u"a.mp3"_s});
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20), list.viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(list.viewport(), &rightClick);
    EXPECT_TRUE(menu().isVisible());
    EXPECT_EQ(menu().pos(), list.viewport()->mapToGlobal(QPoint(30, 30)));
    menu().hide();

    for (auto [key, modifiers] : {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        QTest::keyClick(&list, key, modifiers);
        EXPECT_TRUE(menu().isVisible()) << key;
        menu().hide();
    }

    list.SetDirectory(u"Drives"_s);
    QApplication::sendEvent(list.viewport(), &rightClick);
    QTest::keyClick(&list, Qt::Key_Menu);
    EXPECT_FALSE(menu().isVisible());
}

TEST_F(FileListPopUpTest, SendToFollowsLinksAddedAndRemovedWhileTheProgramRuns)
{
    makeFolder(u"first"_s);
    makeFolder(u"second"_s);
    addLink(u"first.desktop"_s, drivePathOf(u"first"_s), u"First"_s);
    rebuildMenu();
    const auto openSendTo = [this] {
        menu().sendToMenu()->popup(QPoint(0, 0));
        menu().sendToMenu()->hide();
    };
    openSendTo();
    ASSERT_EQ(menu().SendToList().size(), 1);
    const QPointer<QAction> firstItem = menu().item(u"Send_To4"_s);

    // An unchanged folder keeps its items; a link added shows the next time the submenu opens.
    openSendTo();
    EXPECT_EQ(menu().item(u"Send_To4"_s), firstItem.data()) << "links read again with no change";
    addLink(u"second.desktop"_s, drivePathOf(u"second"_s), u"Second"_s);
    openSendTo();
    ASSERT_EQ(menu().SendToList().size(), 2);
    EXPECT_EQ(menu().item(u"Send_To5"_s)->text(), u"Second"_s);
    EXPECT_EQ(menu().sendToMenu()->actions().size(), 6);
    select({u"a.mp3"_s});
    click(u"Send_To5"_s);
    EXPECT_EQ(folder.read(u"second/a.mp3"_s), "a.mp3");

    // A link removed goes, its item with it.
    ASSERT_TRUE(QFile::remove(folder.filePath(u"sendto/first.desktop"_s)));
    openSendTo();
    ASSERT_EQ(menu().SendToList().size(), 1);
    EXPECT_EQ(menu().item(u"Send_To4"_s)->text(), u"Second"_s);
    EXPECT_EQ(menu().item(u"Send_To5"_s), nullptr);
}
