// Files on a real X clipboard, with xclip as the other program: what it copies or
// cuts pastes into the file list, and what the list copies it reads back.

#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/filelist/TZuFilelistView28PopUp.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/FileOperationTable.h"
#include "explorer/tree/DirTree.h"
#include "platform/DrivePaths.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer_clipboard/XClipboard.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QClipboard>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <gmock/gmock.h>
#include <memory>

using namespace Qt::StringLiterals;

QString skipReason; // why no X server runs; empty when one does

namespace {

// Starts Xvfb on a free display; the reason it could not, otherwise.
QString startXvfb(QProcess &server)
{
    if (QStandardPaths::findExecutable(u"Xvfb"_s).isEmpty())
        return u"Xvfb is not installed (scripts/install-deps.sh installs it)"_s;
    if (QStandardPaths::findExecutable(u"xclip"_s).isEmpty())
        return u"xclip is not installed (scripts/install-deps.sh installs it)"_s;
    for (int display = 90 + QCoreApplication::applicationPid() % 400, tries = 0; tries < 20; ++display, ++tries) {
        const QString socket = u"/tmp/.X11-unix/X%1"_s.arg(display);
        if (QFileInfo::exists(socket) || QFileInfo::exists(u"/tmp/.X%1-lock"_s.arg(display)))
            continue;
        server.start(u"Xvfb"_s, {u":%1"_s.arg(display), u"-nolisten"_s, u"tcp"_s, u"-screen"_s, u"0"_s, u"640x480x24"_s});
        if (!server.waitForStarted(5000))
            return u"Xvfb did not start: "_s + server.errorString();
        QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(socket) && server.state() == QProcess::Running && !deadline.hasExpired())
            QThread::msleep(20);
        if (QFileInfo::exists(socket)) {
            qputenv("DISPLAY", u":%1"_s.arg(display).toLatin1());
            return QString();
        }
        server.kill();
        server.waitForFinished();
    }
    return u"Xvfb found no free display"_s;
}

} // namespace

// Runs xclip while the application keeps answering the clipboard requests.
QByteArray runXclip(const QStringList &arguments, const QByteArray &input)
{
    QProcess xclip;
    xclip.start(u"xclip"_s, QStringList{u"-selection"_s, u"clipboard"_s} + arguments);
    xclip.waitForStarted();
    if (!input.isNull()) {
        xclip.write(input);
        xclip.closeWriteChannel();
    }
    QDeadlineTimer deadline(10000);
    while (!xclip.waitForFinished(10) && !deadline.hasExpired())
        QCoreApplication::processEvents();
    return xclip.readAllStandardOutput();
}

namespace {

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!skipReason.isEmpty())
            GTEST_SKIP() << skipReason.toStdString();
        QDir(folder.path()).mkpath(u"from"_s);
        QDir(folder.path()).mkpath(u"to"_s);
        folder.write(u"from/a.mp3"_s, "a");
        folder.write(u"from/b.mp3"_s, "b");
        list.SetLanguage(lnEnglish);
        list.show();
    }

    QByteArray uriOf(const QString &relative) const { return QUrl::fromLocalFile(folder.filePath(relative)).toEncoded(); }
    void otherProgramPuts(const QByteArray &verb, const QStringList &relatives = {u"from/a.mp3"_s, u"from/b.mp3"_s})
    {
        // The X server tells the application of the new owner by an event: wait for it.
        QSignalSpy changed(QGuiApplication::clipboard(), &QClipboard::dataChanged);
        QByteArray data = verb;
        for (const QString &relative : relatives)
            data += '\n' + uriOf(relative);
        runXclip({u"-t"_s, u"x-special/gnome-copied-files"_s, u"-i"_s}, data);
        QDeadlineTimer deadline(5000);
        while (changed.isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    void listFolder(const QString &relative) { list.SetDirectory(platform::toDrivePath(folder.filePath(relative))); }

    TempFolder folder;
    TZuFilelistView28 list;
    platform::ScriptedMessageResponder boxes;
};

TEST_F(ClipboardTest, FilesCopiedByAnotherProgramPasteHereAsCopies)
{
    otherProgramPuts("copy");
    PasteOperation = opMove;
    listFolder(u"to"_s);
    list.Paste();
    EXPECT_EQ(folder.read(u"to/a.mp3"_s), "a");
    EXPECT_EQ(folder.read(u"to/b.mp3"_s), "b");
    EXPECT_TRUE(folder.exists(u"from/a.mp3"_s));
    EXPECT_TRUE(folder.exists(u"from/b.mp3"_s));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

TEST_F(ClipboardTest, FilesCutByAnotherProgramAreMovedHere)
{
    otherProgramPuts("cut");
    PasteOperation = opCopy;
    listFolder(u"to"_s);
    list.Paste();
    EXPECT_EQ(folder.read(u"to/a.mp3"_s), "a");
    EXPECT_EQ(folder.read(u"to/b.mp3"_s), "b");
    EXPECT_FALSE(folder.exists(u"from/a.mp3"_s));
    EXPECT_FALSE(folder.exists(u"from/b.mp3"_s));
}

// Only an explicit cut moves: after a cut and paste inside the list, a bare URI list or
// a path copied from a terminal is still a copy.
TEST_F(ClipboardTest, AfterAnInternalCutOtherProgramsListsWithoutACutAreCopies)
{
    folder.write(u"from/c.mp3"_s, "c");
    const struct {
        const char *target;
        QByteArray data;
    } offers[] = {
        {"text/uri-list", uriOf(u"from/a.mp3"_s) + "\r\n"},
        {"UTF8_STRING", QFile::encodeName(folder.filePath(u"from/b.mp3"_s)) + "\n"},
    };
    for (const auto &offer : offers) {
        listFolder(u"from"_s);
        list.clearSelection();
        for (int row = 0; row < list.itemCount(); ++row) {
            if (list.item(row).caption == u"c.mp3"_s)
                list.selectionModel()->select(list.model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        list.CutCopy(opMove);
        listFolder(u"to"_s);
        list.Paste();
        ASSERT_TRUE(folder.exists(u"to/c.mp3"_s));
        QFile::rename(folder.filePath(u"to/c.mp3"_s), folder.filePath(u"from/c.mp3"_s));

        QSignalSpy changed(QGuiApplication::clipboard(), &QClipboard::dataChanged);
        runXclip({u"-t"_s, QString::fromLatin1(offer.target), u"-i"_s}, offer.data);
        QDeadlineTimer deadline(5000);
        while (changed.isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        list.Paste();
    }
    EXPECT_EQ(folder.read(u"to/a.mp3"_s), "a");
    EXPECT_EQ(folder.read(u"to/b.mp3"_s), "b");
    EXPECT_TRUE(folder.exists(u"from/a.mp3"_s)) << "a URI list without the cut flag moved the file";
    EXPECT_TRUE(folder.exists(u"from/b.mp3"_s)) << "a path as plain text moved the file";
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

// Thousands of missing or refused files are told in one box.
TEST_F(ClipboardTest, ManyFailuresOfAPasteAreToldInOneBox)
{
    QByteArray data = "copy\nfile://otherhost/etc/passwd\nfile:../from/a.mp3\nfile://" +
                      QUrl::toPercentEncoding(folder.filePath(u"from/a.mp3"_s), "/") + "%00.txt";
    for (int n = 0; n < 2000; ++n)
        data += '\n' + uriOf(u"from/gone%1.mp3"_s.arg(n));
    QSignalSpy changed(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    runXclip({u"-t"_s, u"x-special/gnome-copied-files"_s, u"-i"_s}, data);
    QDeadlineTimer deadline(5000);
    while (changed.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    listFolder(u"to"_s);
    list.Paste();
    ASSERT_EQ(boxes.requests().size(), 1) << boxes.texts().mid(0, 5).join(u'\n').toStdString();
    const QStringList lines = boxes.texts().first().split(u'\n');
    ASSERT_EQ(lines.size(), 11);
    EXPECT_TRUE(lines[0].contains(u"file://otherhost/etc/passwd"_s));
    EXPECT_TRUE(lines[1].contains(u"file:../from/a.mp3"_s));
    EXPECT_TRUE(lines[2].contains(u"%00"_s));
    EXPECT_TRUE(lines[3].contains(u"gone0.mp3"_s));
    EXPECT_EQ(lines[10], u"... and 1993 more."_s);
    EXPECT_FALSE(folder.exists(u"to/a.mp3"_s));
    EXPECT_FALSE(folder.exists(u"to/a.mp3%00.txt"_s));
}

TEST_F(ClipboardTest, FilesCopiedOrCutHereAreReadByAnotherProgram)
{
    listFolder(u"from"_s);
    list.selectAll();
    list.CutCopy(opCopy);
    const QByteArray uris = uriOf(u"from/a.mp3"_s) + "\r\n" + uriOf(u"from/b.mp3"_s);
    EXPECT_EQ(runXclip({u"-o"_s, u"-t"_s, u"text/uri-list"_s}).trimmed(), uris);
    EXPECT_EQ(runXclip({u"-o"_s, u"-t"_s, u"x-special/gnome-copied-files"_s}),
              "copy\n" + uriOf(u"from/a.mp3"_s) + '\n' + uriOf(u"from/b.mp3"_s));
    EXPECT_EQ(runXclip({u"-o"_s, u"-t"_s, u"application/x-kde-cutselection"_s}), "0");

    list.CutCopy(opMove);
    EXPECT_TRUE(runXclip({u"-o"_s, u"-t"_s, u"x-special/gnome-copied-files"_s}).startsWith("cut\n"));
    EXPECT_EQ(runXclip({u"-o"_s, u"-t"_s, u"application/x-kde-cutselection"_s}), "1");
}
TEST_F(ClipboardTest, AFolderCopiedInTheTreeIsReadByAnotherProgramAndOneCopiedThereIsPastedByTheTree)
{
    TZuDirTree21 tree;
    tree.show();
    tree.OpenPath(platform::toDrivePath(folder.filePath(u"from"_s)));
    ASSERT_EQ(tree.SelectedPath(), platform::toDrivePath(folder.filePath(u"from"_s)) + u'\\');
    tree.MarkClipboardFolder(opMove);
    EXPECT_EQ(runXclip({u"-o"_s, u"-t"_s, u"x-special/gnome-copied-files"_s}), "cut\n" + uriOf(u"from"_s));

    folder.write(u"album/01.mp3"_s, "1");
    otherProgramPuts("copy", {u"album"_s});
    tree.OpenPath(platform::toDrivePath(folder.filePath(u"to"_s)));
    ASSERT_EQ(tree.SelectedPath(), platform::toDrivePath(folder.filePath(u"to"_s)) + u'\\');
    tree.PasteFolder();
    EXPECT_EQ(folder.read(u"to/album/01.mp3"_s), "1");
    EXPECT_TRUE(folder.exists(u"album/01.mp3"_s));
    EXPECT_TRUE(folder.exists(u"from/a.mp3"_s));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

// The pop-up menu's clipboard destinations, read back by another program.
class SendToClipboardTest : public ClipboardTest {
protected:
    void send(const QStringList &names, const QString &entry)
    {
        listFolder(u"from"_s);
        list.clearSelection();
        for (int row = 0; row < list.itemCount(); ++row) {
            if (names.contains(list.item(row).caption))
                list.selectionModel()->select(list.model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        list.popUpMenu()->item(entry)->trigger();
    }
};

TEST_F(SendToClipboardTest, FileNamesGoAsTheSystemsPathsOneALine)
{
    folder.write(u"from/x:--output=PWNED y.mp3"_s, "x");
    list.SetLanguage(lnItalian);
    ASSERT_EQ(list.popUpMenu()->item(u"Send_To2"_s)->text(), u"Copia il nome negli appunti"_s);
    send({u"a.mp3"_s, u"b.mp3"_s, u"x:--output=PWNED y.mp3"_s}, u"Send_To2"_s);
    const QString expected = folder.filePath(u"from/a.mp3"_s) + u'\n' + folder.filePath(u"from/b.mp3"_s) + u'\n'
                             + folder.filePath(u"from/x:--output=PWNED y.mp3"_s);
    EXPECT_EQ(QString::fromUtf8(runXclip({u"-o"_s, u"-t"_s, u"UTF8_STRING"_s})), expected);
}

TEST_F(SendToClipboardTest, ContentsOfAPictureGoAsAnImageAndOfATextFileAsText)
{
    QImage picture(24, 16, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 40));
    ASSERT_TRUE(picture.save(folder.filePath(u"from/photo.jpg"_s), "JPEG", 95));
    folder.write(u"from/words.txt"_s, "Città\nsecond line\n");

    send({u"photo.jpg"_s}, u"Send_To1"_s);
    const QByteArray png = runXclip({u"-o"_s, u"-t"_s, u"image/png"_s});
    const QImage pasted = QImage::fromData(png, "PNG");
    ASSERT_FALSE(pasted.isNull()) << "no PNG on the clipboard";
    EXPECT_EQ(pasted.size(), QSize(24, 16));
    EXPECT_NEAR(qRed(pasted.pixel(12, 8)), 200, 12);
    EXPECT_TRUE(runXclip({u"-o"_s, u"-t"_s, u"UTF8_STRING"_s}).isEmpty());

    send({u"words.txt"_s}, u"Send_To1"_s);
    EXPECT_EQ(runXclip({u"-o"_s, u"-t"_s, u"UTF8_STRING"_s}), "Città\nsecond line\n");
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();

    // A file gone since it was listed: one message, its prefix once.
    folder.write(u"from/gone.txt"_s, "x");
    const auto listed = [&] {
        for (int row = 0; row < list.itemCount(); ++row) {
            if (list.item(row).caption == u"gone.txt"_s)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor(listed, 5000));
    ASSERT_TRUE(QFile::remove(folder.filePath(u"from/gone.txt"_s)));
    list.clearSelection();
    for (int row = 0; row < list.itemCount(); ++row) {
        if (list.item(row).caption == u"gone.txt"_s)
            list.selectItem(row);
    }
    list.popUpMenu()->item(u"Send_To1"_s)->trigger();
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts().constFirst().startsWith(ExplorerTexts.msgCant + u"Copy"_s + ExplorerTexts.msgFile))
        << boxes.texts().constFirst().toStdString();
    EXPECT_FALSE(boxes.texts().constFirst().startsWith(ExplorerTexts.msgError + ExplorerTexts.msgCant));
    EXPECT_TRUE(boxes.texts().constFirst().endsWith(u"gone.txt"_s)) << boxes.texts().constFirst().toStdString();
}
} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    const bool listing = ::testing::GTEST_FLAG(list_tests);
    QProcess server;
    skipReason = listing ? u"listing"_s : startXvfb(server);
    qputenv("QT_QPA_PLATFORM", skipReason.isEmpty() ? "xcb" : "offscreen");
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (server.state() == QProcess::Running) {
        server.terminate();
        server.waitForFinished(5000);
    }
    return result;
}
