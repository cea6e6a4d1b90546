#include "tests/app/MainWindowFixture.h"

#include "app/ClickableImage.h"
#include "app/PicturePreview.h"
#include "explorer/tree/DirTree.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/filelist/TZuFilelistView28PopUp.h"
#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "options/dialog/uOpzioni.h"
#include "platform/DrivePaths.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/common/StateHome.h"
#include "tests/common/SystemCallTrace.h"
#include "tests/tags/TagBytes.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, AUserRenamesAFolderOfMp3FilesEndToEnd)
{
    writeMp3(u"01.mp3"_s, {u"Bohemian rhapsody"_s, u"Queen"_s, u"Opera"_s, u"Rock"_s, u"1975"_s, {}, {}, 11});
    writeMp3(u"02.mp3"_s, {u"Who wants to live forever"_s, u"Someone else"_s, {}, {}, {}, {}, {}, 4});
    writeMp3(u"03.mp3"_s, {}, {u"Radio ga ga"_s, u"Queen"_s, {}, u"Pop"_s, u"1984"_s, {}, {}, 2});
    createWindow();

    clickFolder(folder->path());
    EXPECT_EQ(list()->itemCount(), 3);
    EXPECT_EQ(page(), 1);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"01.mp3"_s);
    EXPECT_EQ(edit("edtArtista")->text(), u"Queen"_s);
    EXPECT_EQ(edit("edtTraccia")->text(), u"11"_s);
    EXPECT_EQ(proposedName(), u"[Queen] - Bohemian rhapsody"_s);

    // Editing the title shows the new name at once.
    edit("edtTitolo")->clear();
    type("edtTitolo", u"Killer queen"_s);
    EXPECT_EQ(proposedName(), u"[Queen] - Killer queen"_s);

    // The artist is locked, then "Avanti" loads the next file without renaming.
    QTest::mouseClick(image("imgArtistaA"), Qt::LeftButton);
    press("btnAvanti");
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"02.mp3"_s);
    EXPECT_EQ(edit("edtArtista")->text(), u"Queen"_s);
    EXPECT_EQ(edit("edtTitolo")->text(), u"Who wants to live forever"_s);
    EXPECT_TRUE(folder->exists(u"01.mp3"_s));

    // Enter presses "Rinomina": the file gets its new name and both tags the fields.
    type("edtAnno", u"1986"_s);
    QTest::keyClick(edit("edtTitolo"), Qt::Key_Return);
    const QString renamed = u"[Queen] - Who wants to live forever.mp3"_s;
    ASSERT_TRUE(folder->exists(renamed));
    EXPECT_FALSE(folder->exists(u"02.mp3"_s));
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder->filePath(renamed)));
    EXPECT_EQ(v2.Artist(), u"Queen"_s);
    EXPECT_EQ(v2.Year(), u"1986"_s);
    EXPECT_EQ(v2.Track(), 4);
    TID3TagInfo v1;
    v1.ReadFromFile(folder->filePath(renamed));
    EXPECT_TRUE(v1.HasTag());
    EXPECT_EQ(v1.GetTitle(), u"Who wants to live forever"_s);
    EXPECT_EQ(v1.GetArtist(), u"Queen"_s);
    EXPECT_EQ(v1.GetTrack(), 4);
    EXPECT_EQ(list()->item(1).caption, renamed);

    // The next file is loaded: it has only an ID3v1 tag, which fills the fields.
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"03.mp3"_s);
    EXPECT_EQ(edit("edtTitolo")->text(), u"Radio ga ga"_s);
    EXPECT_EQ(edit("edtGenere")->text(), u"Pop"_s);
    EXPECT_EQ(edit("edtTraccia")->text(), u"2"_s);
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
}

TEST_F(MainWindowTest, LetterCaseAppliesAsYouTypeAndKeepsTheCaret)
{
    storeOptions(u"301132"_s); // TUTTO MAIUSCOLO
    writeMp3(u"song.mp3"_s, {});
    createWindow();
    clickFolder(folder->path());

    type("edtTitolo", u"a"_s);
    EXPECT_EQ(edit("edtTitolo")->text(), u"A"_s);
    EXPECT_EQ(edit("edtTitolo")->cursorPosition(), 1);
    EXPECT_EQ(proposedName(), u"[] - A"_s);

    QLineEdit *title = edit("edtTitolo");
    title->setText(QString(300, u'X'));
    title->setCursorPosition(280);
    QTest::keyClicks(title, u"yz"_s);
    EXPECT_EQ(title->text().mid(280, 2), u"YZ"_s);
    EXPECT_EQ(title->cursorPosition(), 282);

    // Track and year take part in no change rule: the name waits for a tag field edit.
    const QString before = proposedName();
    edit("edtTraccia")->clear();
    type("edtTraccia", u"7"_s);
    type("edtAnno", u"2001"_s);
    EXPECT_EQ(proposedName(), before);
}

TEST_F(MainWindowTest, DigitFieldsAcceptDigitsOnly)
{
    writeMp3(u"song.mp3"_s, {});
    createWindow();
    clickFolder(folder->path());
    QLineEdit *track = edit("edtTraccia");
    track->clear();
    QGuiApplication::clipboard()->setText(u"99"_s);
    type("edtTraccia", u"x"_s);
    QTest::keyClick(track, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(track->text(), QString());
    type("edtTraccia", u"78"_s);
    QTest::keyClick(track, Qt::Key_Backspace);
    type("edtTraccia", u"12"_s);
    EXPECT_EQ(track->text(), u"712"_s); // three characters at most
}

TEST_F(MainWindowTest, PadlockChangesTheLookAndTheTabOrder)
{
    createWindow();
    QLineEdit *album = edit("edtAlbum");
    const QColor unlockedColour = album->palette().color(QPalette::Base);
    QTest::mouseClick(image("imgAlbumA"), Qt::LeftButton);
    EXPECT_TRUE(image("imgAlbumA")->isHidden());
    EXPECT_FALSE(image("imgAlbumC")->isHidden());
    EXPECT_EQ(album->palette().color(QPalette::Base), QColor(255, 0, 255));
    EXPECT_TRUE(album->font().bold() && album->font().italic());
    EXPECT_FALSE(album->focusPolicy() & Qt::TabFocus);
    QTest::mouseClick(image("imgAlbumC"), Qt::LeftButton);
    EXPECT_FALSE(image("imgAlbumA")->isHidden());
    EXPECT_EQ(album->palette().color(QPalette::Base), unlockedColour);
    EXPECT_FALSE(album->font().bold());
    EXPECT_TRUE(album->focusPolicy() & Qt::TabFocus);
}

TEST_F(MainWindowTest, RefusedRenameKeepsSelectionFieldsAndFiles)
{
    writeMp3(u"a.mp3"_s, {u"Same"_s, u"Band"_s});
    writeMp3(u"b.mp3"_s, {u"Other"_s, u"Band"_s});
    folder->write(u"[Band] - Same.mp3"_s, "someone else's file");
    createWindow();
    clickFolder(folder->path());
    clickListItem(0); // a.mp3 sorts before "[Band] - Same.mp3"
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"a.mp3"_s);

    press("btnRinomina");
    EXPECT_EQ(boxes->texts(), QStringList{u"Nome file gia' esistente; specificare un altro nome."_s});
    EXPECT_EQ(folder->read(u"[Band] - Same.mp3"_s), QByteArray("someone else's file"));
    EXPECT_TRUE(folder->exists(u"a.mp3"_s));
    EXPECT_EQ(list()->selectedIndex(), 0);
    EXPECT_EQ(edit("edtTitolo")->text(), u"Same"_s);
    EXPECT_EQ(proposedName(), u"[Band] - Same"_s);
}

TEST_F(MainWindowTest, AnyFileIsCleanedRenamedAndGetsNoTag)
{
    storeOptions(u"301002"_s); // cleaning on, new-name field filled
    folder->write(u"My.Song (live) [x] {y}.doc"_s, "plain text, no tag");
    folder->write(u"zz.txt"_s, "z");
    createWindow();
    clickFolder(folder->path());
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(edit("edtRinomina")->text(), u"My song"_s);
    type("edtPrima", u"01 "_s);
    type("edtDopo", u" (ok)"_s);
    EXPECT_EQ(proposedName(), u"01 My song (ok)"_s);

    press("btnRinomina");
    EXPECT_EQ(folder->read(u"01 My song (ok).doc"_s), QByteArray("plain text, no tag"));
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"zz.txt"_s);
    EXPECT_EQ(edit("edtPrima")->text(), u"01 "_s); // kept from file to file
}

TEST_F(MainWindowTest, StepsStopAtBothEndsOfTheList)
{
    folder->write(u"a.txt"_s, "a");
    folder->write(u"b.txt"_s, "b");
    createWindow();
    clickFolder(folder->path());
    press("btnIndietro");
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"a.txt"_s);
    press("btnAvanti");
    press("btnAvanti");
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"b.txt"_s);
    EXPECT_EQ(list()->selectedIndex(), 1);
    EXPECT_TRUE(edit("edtRinomina")->hasFocus());
}

TEST_F(MainWindowTest, EmptyFolderLoadsTheEmptyName)
{
    folder->write(u"sub/inner.txt"_s, "x");
    createWindow();
    clickFolder(folder->filePath(u"sub"_s));
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"inner.txt"_s);
    QFile::remove(folder->filePath(u"sub/inner.txt"_s));
    clickFolder(folder->filePath(u"sub"_s));
    EXPECT_EQ(page(), 0);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), QString());
    EXPECT_EQ(edit("edtRinomina")->text(), QString());
}

TEST_F(MainWindowTest, RinominaWithNoFileLoadedTouchesNothingOnDisk)
{
    const StateHome stateHome(folder->filePath(u"state"_s));
    ASSERT_TRUE(QDir(folder->path()).mkpath(u"empty"_s));
    const QByteArray empty = QFile::encodeName(folder->filePath(u"empty"_s));
    ASSERT_EQ(::chmod(empty.constData(), 0555), 0);
    const auto state = [&] {
        struct stat info {};
        ::lstat(empty.constData(), &info);
        return QStringList{QString::number(info.st_mode, 8), QString::number(info.st_ino),
                           QDir(folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u'/'),
                           QDir(folder->filePath(u"empty"_s)).entryList(QDir::AllEntries | QDir::Hidden).join(u'/')};
    };
    createWindow();
    ASSERT_NO_FATAL_FAILURE(clickFolder(folder->filePath(u"empty"_s)));
    ASSERT_EQ(edit("edtNomeOriginale")->text(), QString());
    const QStringList before = state();

    SystemCallTrace trace({u"rename"_s, u"renameat"_s, u"renameat2"_s, u"chmod"_s, u"fchmod"_s, u"fchmodat"_s,
                           u"link"_s, u"linkat"_s, u"unlink"_s, u"unlinkat"_s});
    type("edtPrima", u"text"_s);
    QTest::keyClick(edit("edtPrima"), Qt::Key_Return);
    const QStringList calls = trace.stop();

    EXPECT_EQ(boxes->texts(), QStringList{u"Nessun file da rinominare."_s});
    EXPECT_EQ(state(), before);
    if (!trace.unavailable().isEmpty())
        GTEST_SKIP() << "the folder is unchanged; its system calls were not traced: " << trace.unavailable().toStdString();
    EXPECT_EQ(calls, QStringList()) << "no rename, mode change, link or removal may be made";
}

TEST_F(MainWindowTest, BadFilesShowTheirErrorAndLeaveTheWindowUsable)
{
    folder->write(u"a-short.mp3"_s, "ID3");
    writeMp3(u"b-gone.mp3"_s, {u"Gone"_s, u"Band"_s});
    writeMp3(u"c-fine.mp3"_s, {u"Fine"_s, u"Band"_s});
    folder->write(u"d-bad.jpg"_s, "not a picture at all");
    createWindow();
    clickFolder(folder->path());
    EXPECT_EQ(boxes->texts(), QStringList{u"Stream read error"_s});
    EXPECT_EQ(folder->read(u"a-short.mp3"_s), QByteArray("ID3"));

    QFile::remove(folder->filePath(u"b-gone.mp3"_s));
    boxes->clear();
    press("btnAvanti");
    ASSERT_EQ(boxes->requests().size(), 1);
    EXPECT_TRUE(boxes->texts().at(0).startsWith(u"Cannot open file \"b-gone.mp3\""_s)) << boxes->texts().at(0).toStdString();

    boxes->clear();
    press("btnAvanti");
    EXPECT_TRUE(boxes->requests().isEmpty());
    EXPECT_EQ(edit("edtTitolo")->text(), u"Fine"_s);

    press("btnAvanti");
    window->findChild<PicturePreview *>(u"imgAnteprima"_s)->waitForDecoding(); // the error shows once decoded
    ASSERT_EQ(boxes->requests().size(), 1);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"d-bad.jpg"_s);
    EXPECT_EQ(folder->read(u"d-bad.jpg"_s), QByteArray("not a picture at all"));
}

TEST_F(MainWindowTest, ConfirmedOptionsReloadTheFileAndCancelChangesNothing)
{
    writeMp3(u"song.mp3"_s, {u"hello world"_s, u"band"_s});
    createWindow();
    clickFolder(folder->path());
    ASSERT_EQ(edit("edtTitolo")->text(), u"Hello world"_s);
    edit("edtTitolo")->setText(u"Unsaved edit"_s);

    const auto answerDialog = [](bool confirm) {
        QTimer::singleShot(0, [confirm] {
            auto *dialog = qobject_cast<TfrmOpzioni *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QButtonGroup *>(u"RadioGroup1Buttons"_s)->button(3)->click(); // TUTTO MAIUSCOLO
            dialog->findChild<QPushButton *>(confirm ? u"btnOk"_s : u"btnAnnulla"_s)->click();
        });
    };
    answerDialog(false);
    press("btnOpzioni");
    EXPECT_EQ(edit("edtTitolo")->text(), u"Unsaved edit"_s);
    EXPECT_EQ(window->Opzioni()->Maiuscole(), 0);

    answerDialog(true);
    press("btnOpzioni");
    EXPECT_EQ(window->Opzioni()->Maiuscole(), 3);
    EXPECT_EQ(edit("edtTitolo")->text(), u"HELLO WORLD"_s); // re-read from the file, then re-cased
    EXPECT_EQ(proposedName(), u"[BAND] - HELLO WORLD"_s);
}

TEST_F(MainWindowTest, ResizingFollowsTheAnchors)
{
    createWindow();
    EXPECT_EQ(window->minimumSize(), QSize(790, 550));
    QWidget *files = window->findChild<QWidget *>(u"flsFile"_s);
    QWidget *folders = window->findChild<QWidget *>(u"dtrDirectory"_s);
    QWidget *rename = window->findChild<QWidget *>(u"btnRinomina"_s);
    const QRect listBefore = files->geometry(), treeBefore = folders->geometry(), buttonBefore = rename->geometry();
    window->resize(window->width() + 100, window->height() + 50);
    QCoreApplication::processEvents();
    EXPECT_EQ(files->width(), listBefore.width() + 100);
    EXPECT_EQ(files->height(), listBefore.height() + 50);
    EXPECT_EQ(folders->width(), treeBefore.width());
    EXPECT_EQ(folders->height(), treeBefore.height() + 50);
    EXPECT_EQ(rename->geometry().topLeft(), buttonBefore.topLeft() + QPoint(100, 50));
    EXPECT_EQ(rename->size(), buttonBefore.size());
}

TEST_F(MainWindowTest, ArrowKeysInTheListLoadOtherKeysOnlyMove)
{
    for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        folder->write(QString::fromLatin1(name), "x");
    createWindow();
    clickFolder(folder->path());
    TZuFilelistView28 *files = list();
    files->setFocus();
    QTest::keyClick(files, Qt::Key_Down);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"b.txt"_s);
    QTest::keyClick(files, Qt::Key_End);
    EXPECT_EQ(files->selectedIndex(), 3);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"b.txt"_s);
    press("btnIndietro"); // steps from the item the keys moved to
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"c.txt"_s);
}

TEST_F(MainWindowTest, PictureIsLoadedEvenWhenThePreviewIsHidden)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(folder->filePath(u"photo.JPG"_s), "JPEG");
    createWindow(); // preview off by default
    clickFolder(folder->path());
    auto *preview = window->findChild<PicturePreview *>(u"imgAnteprima"_s);
    EXPECT_TRUE(preview->isHidden());
    preview->waitForDecoding();
    EXPECT_TRUE(preview->hasPicture());
    EXPECT_EQ(edit("edtRinomina")->text(), u"Photo"_s);
}

TEST_F(MainWindowTest, EmptyTrackFieldKeepsTheTracksTheFileHad)
{
    writeMp3(u"song.mp3"_s, {u"Title"_s, u"Band"_s, {}, {}, {}, {}, {}, 7}, {u"Title"_s, u"Band"_s, {}, {}, {}, {}, {}, 7});
    createWindow();
    clickFolder(folder->path());
    edit("edtTraccia")->clear();
    press("btnRinomina");
    const QString renamed = folder->filePath(u"[Band] - Title.mp3"_s);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(renamed));
    EXPECT_EQ(v2.Track(), 7);
    TID3TagInfo v1;
    v1.ReadFromFile(renamed);
    EXPECT_EQ(v1.GetTrack(), 7);
}

TEST_F(MainWindowTest, EnterPressesRinominaOnlyWhereNoControlTakesItItself)
{
    for (const char *name : {"a.txt", "b.txt", "c.txt"})
        folder->write(QString::fromLatin1(name), "x");
    storeOptions(u"300002"_s); // new-name field filled, no cleaning
    createWindow();
    clickFolder(folder->path());
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"a.txt"_s);
    edit("edtRinomina")->setText(u"Renamed"_s);

    // Enter in the file list belongs to the list: the loaded file keeps its name.
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_TRUE(folder->exists(u"a.txt"_s));
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"a.txt"_s);
    boxes->clear(); // the list opens the file with its program, which no offscreen desktop has

    // Enter on a focused button clicks that button.
    auto *next = window->findChild<QPushButton *>(u"btnAvanti"_s);
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Return);
    EXPECT_TRUE(folder->exists(u"a.txt"_s));
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"b.txt"_s);

    // Enter of the numeric keypad acts as Enter.
    edit("edtRinomina")->setText(u"Renamed"_s);
    QTest::keyClick(edit("edtRinomina"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(folder->exists(u"Renamed.txt"_s));
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"c.txt"_s);
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
}

// Folders a and b each hold an "01.mp3"; a's file is loaded, then the tree's arrow
// key moves the list to b, which loads nothing.
class ListMovedOnTest : public MainWindowTest {
protected:
    void loadAThenMoveListToB()
    {
        writeMp3(u"a/01.mp3"_s, {u"Song a"_s, u"Band"_s});
        writeMp3(u"b/01.mp3"_s, {u"Song b"_s, u"Other"_s});
        untouched = folder->read(u"b/01.mp3"_s);
        createWindow();
        clickFolder(folder->filePath(u"a"_s));
        ASSERT_EQ(edit("edtTitolo")->text(), u"Song a"_s);
        tree()->setFocus();
        QTest::keyClick(tree(), Qt::Key_Down);
        ASSERT_EQ(list()->Directory(), platform::toDrivePath(folder->filePath(u"b"_s)) + u'\\');
        ASSERT_EQ(edit("edtTitolo")->text(), u"Song a"_s);
    }
    QByteArray untouched;
};

TEST_F(ListMovedOnTest, RinominaActsOnTheLoadedFile)
{
    loadAThenMoveListToB();
    press("btnRinomina");
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
    EXPECT_TRUE(folder->exists(u"a/[Band] - Song a.mp3"_s));
    EXPECT_FALSE(folder->exists(u"a/01.mp3"_s));
    EXPECT_EQ(folder->read(u"b/01.mp3"_s), untouched);
    EXPECT_FALSE(folder->exists(u"b/[Band] - Song a.mp3"_s));
}

TEST_F(ListMovedOnTest, RinominaRenamesNothingElseWhenTheLoadedFileFolderIsGone)
{
    loadAThenMoveListToB();
    ASSERT_TRUE(QDir(folder->filePath(u"a"_s)).removeRecursively());
    press("btnRinomina");
    EXPECT_EQ(boxes->texts(),
              QStringList{u"La cartella \"%1\" non esiste più."_s.arg(platform::toDrivePath(folder->filePath(u"a"_s)) + u'\\')});
    EXPECT_EQ(folder->read(u"b/01.mp3"_s), untouched);
    EXPECT_FALSE(folder->exists(u"b/[Band] - Song a.mp3"_s));
}

TEST_F(MainWindowTest, FileWithoutExtensionRenamedToAnMp3NameGetsNoTag)
{
    storeOptions(u"300042"_s); // new-name field filled, letter case left as typed
    folder->write(u"notes"_s, "plain text, no tag");
    folder->write(u"zz.txt"_s, "z");
    createWindow();
    clickFolder(folder->path());
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"notes"_s);
    edit("edtRinomina")->setText(u"Tune.mp3"_s);

    press("btnRinomina");
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
    EXPECT_EQ(folder->read(u"Tune.mp3"_s), QByteArray("plain text, no tag"));
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"zz.txt"_s);
}

TEST_F(MainWindowTest, UndoTakesBackTypingInTheFields)
{
    writeMp3(u"song.mp3"_s, {u"Title"_s, u"Band"_s});
    createWindow();
    clickFolder(folder->path());
    QLineEdit *title = edit("edtTitolo");
    title->setFocus();
    title->end(false);
    QTest::keyClicks(title, u" two"_s);
    ASSERT_EQ(title->text(), u"Title two"_s);
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(title->text(), u"Title"_s);
    EXPECT_EQ(proposedName(), u"[Band] - Title"_s);
}

TEST_F(MainWindowTest, GenreRowStaysApartAndTakesClicksAtAnySize)
{
    writeMp3(u"song.mp3"_s, {u"Title"_s, u"Band"_s, {}, u"Rock"_s, u"1975"_s, {}, {}, 11});
    createWindow();
    clickFolder(folder->path());
    ASSERT_EQ(page(), 1);
    const auto clickThroughWindow = [this](QWidget *target) {
        const QPoint centre = target->mapTo(window.get(), target->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
    };
    for (const int widthGrowth : {0, 300}) {
        SCOPED_TRACE(widthGrowth);
        window->resize(window->minimumSize() + QSize(widthGrowth, 0));
        QCoreApplication::processEvents();

        // Left to right, each control ends before the next begins (labels included).
        const QStringList row = {u"edtGenere"_s, u"imgGenereA"_s, u"lblTraccia"_s, u"edtTraccia"_s,
                                 u"lblAnno"_s,   u"edtAnno"_s,    u"imgAnnoA"_s};
        for (qsizetype i = 0; i + 1 < row.size(); ++i) {
            const QRect left = window->findChild<QWidget *>(row[i])->geometry();
            const QRect right = window->findChild<QWidget *>(row[i + 1])->geometry();
            EXPECT_LT(left.right(), right.left()) << row[i].toStdString() << " / " << row[i + 1].toStdString();
        }

        // A click on a field or a padlock reaches it.
        for (const char *name : {"edtTraccia", "edtAnno"}) {
            clickThroughWindow(edit(name));
            EXPECT_TRUE(edit(name)->hasFocus()) << name;
        }
        for (const auto &[open, closed] : {std::pair{"imgGenereA", "imgGenereC"}, std::pair{"imgAnnoA", "imgAnnoC"}}) {
            clickThroughWindow(image(open));
            EXPECT_TRUE(image(open)->isHidden()) << open;
            clickThroughWindow(image(closed));
            EXPECT_FALSE(image(open)->isHidden()) << open;
        }
    }
}

TEST_F(MainWindowTest, EnterInTheFolderTreeRenamesNothing)
{
    storeOptions(u"300002"_s); // new-name field filled, no cleaning
    writeMp3(u"01.mp3"_s, {u"Song"_s, u"Band"_s});
    folder->write(u"b.txt"_s, "b");
    const QByteArray untouched = folder->read(u"01.mp3"_s);
    createWindow();
    clickFolder(folder->path());
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"01.mp3"_s);
    tree()->setFocus();

    QTest::keyClick(tree(), Qt::Key_Return);
    QTest::keyClick(tree(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(folder->read(u"01.mp3"_s), untouched);
    EXPECT_FALSE(folder->exists(u"[Band] - Song.mp3"_s));
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"01.mp3"_s);
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
}

TEST_F(MainWindowTest, FirstProposalShowsTheTrackAndTheLinkKeepsItsCase)
{
    storeOptions(u"301132"_s, u"%5 - %2"_s); // TUTTO MAIUSCOLO
    folder->write(u"01.mp3"_s, tagbytes::silentAudio(3));
    TID3v2 tag;
    tag.SetTitle(u"song"_s);
    tag.SetTrack(300);
    tag.SetLink(u"https://Example.com/My-Page"_s);
    ASSERT_TRUE(tag.WriteToFile(folder->filePath(u"01.mp3"_s)));
    createWindow();
    clickFolder(folder->path());
    EXPECT_EQ(edit("edtTraccia")->text(), u"300"_s);
    EXPECT_EQ(proposedName(), u"300 - SONG"_s);
    EXPECT_EQ(edit("edtLink")->text(), u"https://Example.com/My-Page"_s);

    press("btnRinomina");
    TID3v2 renamed;
    ASSERT_TRUE(renamed.ReadFromFile(folder->filePath(u"300 - SONG.mp3"_s)));
    EXPECT_EQ(renamed.Track(), 300);
    EXPECT_EQ(renamed.Link(), u"https://Example.com/My-Page"_s);
}

TEST_F(MainWindowTest, PathGivenAtStartShowsItsFolderAndLoadsTheFile)
{
    writeMp3(u"music/a.mp3"_s, {u"First"_s, u"Band"_s});
    writeMp3(u"music/b.mp3"_s, {u"Second"_s, u"Band"_s});
    createWindow();
    QDir::setCurrent(folder->path());
    window->openPath(u"music/b.mp3"_s);
    EXPECT_EQ(list()->Directory(), platform::toDrivePath(folder->filePath(u"music"_s)) + u'\\');
    EXPECT_EQ(tree()->SelectedPath(), platform::toDrivePath(folder->filePath(u"music"_s)) + u'\\');
    EXPECT_EQ(list()->selectedIndex(), 1);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"b.mp3"_s);
    EXPECT_EQ(edit("edtTitolo")->text(), u"Second"_s);

    // A folder is shown and nothing is loaded; a path that is not there is reported.
    window->openPath(folder->path());
    EXPECT_EQ(list()->Directory(), folder->drivePath() + u'\\');
    EXPECT_EQ(edit("edtTitolo")->text(), u"Second"_s);
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
    window->openPath(u"/no/such/place.mp3"_s);
    EXPECT_EQ(boxes->texts(), QStringList{u"Il percorso \"/no/such/place.mp3\" non esiste."_s});
}

TEST_F(MainWindowTest, RinominaAsksBeforeLosingPartsOfATagThatCannotBeRead)
{
    using namespace tagbytes;
    const QByteArray damaged = id3v2Tag(3, frameV23("TIT2", latin1Text("Title")) + QByteArray("\x01\x02garbage", 9) +
                                               frameV23("TPE1", latin1Text("Band")),
                                       0, 20) +
                               silentAudio(2);
    const QString renamed = folder->filePath(u"[Band] - Title.mp3"_s);
    // No: nothing changes on disk, neither the name nor a byte; no second box.
    folder->write(u"song.mp3"_s, damaged);
    createWindow();
    clickFolder(folder->path());
    boxes->queueAnswer(platform::MessageButton::No);
    press("btnRinomina");
    ASSERT_EQ(boxes->requests().size(), 1) << boxes->texts().join(u'\n').toStdString();
    EXPECT_EQ(boxes->requests().first().kind, platform::MessageKind::Question);
    EXPECT_EQ(boxes->requests().first().text, TID3v2::unreadablePartsQuestion());
    EXPECT_EQ(folder->read(u"song.mp3"_s), damaged);
    EXPECT_FALSE(QFile::exists(renamed));
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"song.mp3"_s);

    // Yes: renamed and written without the bytes it could not read.
    boxes->clear();
    clickFolder(folder->path());
    boxes->queueAnswer(platform::MessageButton::Yes);
    press("btnRinomina");
    ASSERT_EQ(boxes->requests().size(), 1) << boxes->texts().join(u'\n').toStdString();
    EXPECT_EQ(framesOf(folder->read(u"[Band] - Title.mp3"_s)).size(), 2);
}

TEST_F(MainWindowTest, TheFileListIsReadOnly)
{
    writeMp3(u"a.mp3"_s, {u"Song"_s, u"Band"_s});
    folder->write(u"b.txt"_s, "b");
    const auto snapshot = [this] {
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(folder->path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot))
            files.insert(name, folder->read(name));
        return files;
    };
    const QMap<QString, QByteArray> before = snapshot();
    createWindow();
    clickFolder(folder->path());
    clickListItem(0);

    QTest::keyClick(list(), Qt::Key_F2);
    QAction *rename = list()->popUpMenu() ? list()->popUpMenu()->item(u"ItemRename"_s) : nullptr;
    if (rename && rename->isEnabled())
        rename->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(list()->viewport()->findChildren<QLineEdit *>().isEmpty()) << "no caption editor opens";
    ASSERT_FALSE(boxes->texts().isEmpty());
    for (const QString &text : boxes->texts())
        EXPECT_EQ(text, u"E' in sola lettura"_s);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"a.mp3"_s);
}

TEST_F(MainWindowTest, CtrlZTakesBackTheLastRinominaAndTheFormFollows)
{
    QTemporaryDir stateFolder;
    const StateHome stateHome(stateFolder.path());
    writeMp3(u"01.mp3"_s, {u"Bohemian rhapsody"_s, u"Queen"_s, u"Opera"_s, u"Rock"_s, u"1975"_s, {}, {}, 11},
             {u"Bohemian rhapsody"_s, u"Queen"_s});
    writeMp3(u"02.mp3"_s, {u"Radio ga ga"_s, u"Queen"_s});
    const QByteArray original = folder->read(u"01.mp3"_s);
    createWindow();
    const QAction *undo = window->findChild<QAction *>(u"actAnnulla"_s);
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_TRUE(window->actions().contains(undo)); // the form's context menu
    EXPECT_TRUE(window->findChild<QWidget *>(u"btnRinomina"_s)->toolTip().contains(u"Ctrl+Z"_s));

    clickFolder(folder->path());
    edit("edtTitolo")->clear();
    type("edtTitolo", u"Killer queen"_s);
    QTest::keyClick(edit("edtTitolo"), Qt::Key_Return);
    ASSERT_TRUE(folder->exists(u"[Queen] - Killer queen.mp3"_s));
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"02.mp3"_s);

    // Ctrl+Z in a field just loaded (no typing of its own to undo).
    QWidget *focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(folder->exists(u"[Queen] - Killer queen.mp3"_s));
    EXPECT_EQ(folder->read(u"01.mp3"_s), original);
    EXPECT_EQ(list()->item(0).caption, u"01.mp3"_s);
    EXPECT_EQ(list()->selectedIndex(), 0);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"01.mp3"_s);
    EXPECT_EQ(edit("edtTitolo")->text(), u"Bohemian rhapsody"_s);
    EXPECT_EQ(edit("edtTraccia")->text(), u"11"_s);
    ASSERT_FALSE(boxes->texts().isEmpty());
    EXPECT_TRUE(boxes->texts().last().startsWith(u"Ripristinati il nome e i tag precedenti"_s))
        << boxes->texts().last().toStdString();

    // Typing is undone in the field first; nothing is left to take back after that.
    type("edtTitolo", u"x"_s);
    QTest::keyClick(edit("edtTitolo"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit("edtTitolo")->text(), u"Bohemian rhapsody"_s);
    const qsizetype shown = boxes->texts().size();
    QTest::keyClick(edit("edtTitolo"), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(boxes->texts().size(), shown + 1);
    EXPECT_EQ(boxes->texts().last(), u"Non c'è nessuna modifica da annullare."_s);
}

TEST_F(MainWindowTest, ARinominaThatCannotBeRecordedIsMadeAndTheUserIsTold)
{
    QTemporaryDir stateFolder;
    const QString notAFolder = stateFolder.filePath(u"file"_s);
    QFile(notAFolder).open(QIODevice::WriteOnly);
    const StateHome stateHome(notAFolder);
    writeMp3(u"01.mp3"_s, {u"Bohemian rhapsody"_s, u"Queen"_s});
    createWindow();
    clickFolder(folder->path());
    press("btnRinomina");
    EXPECT_TRUE(folder->exists(u"[Queen] - Bohemian rhapsody.mp3"_s));
    ASSERT_EQ(boxes->texts().size(), 1);
    EXPECT_TRUE(boxes->texts().first().endsWith(u"La modifica non si potrà annullare."_s))
        << boxes->texts().first().toStdString();
}
