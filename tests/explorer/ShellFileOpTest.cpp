#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/FileOperationProgressDialog.h"
#include "explorer/shared/ShellFileOp.h"
#include "platform/DrivePaths.h"
#include "platform/FileOperation.h"
#include "platform/MessageBox.h"
#include "tests/common/EnglishTexts.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer/ScratchMount.h"
#include "tests/explorer_filelist/OtherUser.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::MessageButton;

namespace {

// Answers the operation's progress calls through a test's own function.
class ScriptedProgress : public platform::FileOperationProgress {
public:
    explicit ScriptedProgress(std::function<bool(const QString &, qint64)> onAdvance) : m_onAdvance(std::move(onAdvance)) {}
    void start(platform::FileOperationKind, qint64) override {}
    bool advance(const QString &name, qint64 done) override { return m_onAdvance(name, done); }
    void finish() override {}

private:
    std::function<bool(const QString &, qint64)> m_onAdvance;
};

class ShellFileOpTest : public ::testing::Test {
protected:
    ShellFileOpTest()
    {
        DialogTextLanguage = lnEnglish;
        m_previous = setFileOperationProgressFactory([this] {
            return std::unique_ptr<platform::FileOperationProgress>(std::make_unique<ScriptedProgress>(
                [this](const QString &name, qint64 done) { return onAdvance ? onAdvance(name, done) : true; }));
        });
    }
    ~ShellFileOpTest() override { setFileOperationProgressFactory(std::move(m_previous)); }

    QString drive(const QString &name) const { return folder.drivePath() + "\\" + name; }

    bool run(int operation, const QString &sources, const QString &targets)
    {
        bool aborted = false;
        return ShellFileOp(nullptr, operation, sources, targets, aborted);
    }

    // Every file below `root`, relative, with its contents.
    static QMap<QString, QByteArray> tree(const QString &root)
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            files.insert(QDir(root).relativeFilePath(path), file.readAll());
        }
        return files;
    }

    static QStringList leftovers(const QString &root)
    {
        return QDir(root).entryList({".kestrava-*"}, QDir::AllEntries | QDir::Hidden);
    }

    TempFolder folder;
    platform::ScriptedMessageResponder boxes;
    std::function<bool(const QString &, qint64)> onAdvance;

private:
    FileOperationProgressFactory m_previous;
};

QByteArray bytes(int size, char fill)
{
    return QByteArray(size, fill);
}

mode_t modeOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

constexpr qint64 gigabyte = qint64(1) << 30;

// A file of one gigabyte that takes no room on the disk.
void makeSparseGigabyte(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(gigabyte));
}

// A window that counts its paintings.
class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

TEST_F(ShellFileOpTest, CopiesAndMovesFilesAndTrees)
{
    folder.write("src/a.mp3", "song a");
    folder.write("src/b.txt", "text b");
    folder.write("src/Album/1.mp3", "one");
    folder.write("src/Album/Disc 2/.hidden", "hidden");
    QDir().mkpath(folder.filePath("dst"));
    const QDateTime old = QDateTime::currentDateTime().addDays(-400);
    QFile aFile(folder.filePath("src/a.mp3"));
    aFile.open(QIODevice::ReadWrite);
    aFile.setFileTime(old, QFileDevice::FileModificationTime);
    aFile.close();
    const QMap<QString, QByteArray> album = tree(folder.filePath("src/Album"));

    // a copy keeps the permission bits the umask lets through
    ::chmod(QFile::encodeName(folder.filePath("src/a.mp3")).constData(), 0646);
    const mode_t previousMask = ::umask(022);
    EXPECT_TRUE(run(FO_COPY, drive("src\\a.mp3"), drive("dst\\")));
    ::umask(previousMask);
    EXPECT_EQ(folder.read("dst/a.mp3"), "song a");
    EXPECT_EQ(modeOf(folder.filePath("dst/a.mp3")), 0644);
    // a file whose size the system gives as 0 is copied whole
    QFile version("/proc/version");
    ASSERT_TRUE(version.open(QIODevice::ReadOnly));
    EXPECT_TRUE(run(FO_COPY, "/proc/version", drive("dst\\version")));
    EXPECT_EQ(folder.read("dst/version"), version.readAll());
    EXPECT_EQ(QFileInfo(folder.filePath("dst/a.mp3")).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    EXPECT_TRUE(run(FO_COPY, drive("src\\Album"), drive("dst")));
    EXPECT_EQ(tree(folder.filePath("dst/Album")), album);
    EXPECT_TRUE(run(FO_COPY, drive("src\\b.txt") + QChar(0) + drive("src\\a.mp3") + QChar(0), drive("many")));
    EXPECT_EQ(tree(folder.filePath("many")).keys(), QStringList({"a.mp3", "b.txt"}));

    EXPECT_TRUE(run(FO_MOVE, drive("src\\b.txt"), drive("dst\\renamed.txt")));
    EXPECT_FALSE(folder.exists("src/b.txt"));
    EXPECT_EQ(folder.read("dst/renamed.txt"), "text b");
    EXPECT_TRUE(run(FO_MOVE, drive("src\\Album"), drive("moved\\")));
    EXPECT_FALSE(folder.exists("src/Album"));
    EXPECT_EQ(tree(folder.filePath("moved/Album")), album);
    EXPECT_TRUE(boxes.requests().isEmpty());
    EXPECT_TRUE(leftovers(folder.filePath("dst")).isEmpty());
}

TEST_F(ShellFileOpTest, CopyOntoItselfGetsANewNameAndMoveOntoItselfIsRefused)
{
    folder.write("a.mp3", "song");
    folder.write("Album/x", "x");
    EXPECT_TRUE(run(FO_COPY, drive("a.mp3"), drive("a.mp3")));
    EXPECT_TRUE(run(FO_COPY, drive("a.mp3"), folder.drivePath() + "\\"));
    EXPECT_TRUE(run(FO_COPY, drive("Album"), drive("Album")));
    EXPECT_EQ(folder.read("a - Copy.mp3"), "song");
    EXPECT_EQ(folder.read("a - Copy (2).mp3"), "song");
    EXPECT_EQ(folder.read("Album - Copy/x"), "x");
    EXPECT_TRUE(boxes.requests().isEmpty());

    EXPECT_FALSE(run(FO_MOVE, drive("a.mp3"), drive("a.mp3")));
    EXPECT_FALSE(run(FO_COPY, drive("Album"), drive("Album\\Inner\\")));
    EXPECT_EQ(folder.read("a.mp3"), "song");
    EXPECT_FALSE(folder.exists("Album/Inner"));
    ASSERT_EQ(boxes.requests().size(), 2);
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Error);
}

TEST_F(ShellFileOpTest, ALinkNeverTakesThePlaceOfTheFileItPointsAt)
{
    folder.write("dst/song.mp3", "music");
    QDir().mkpath(folder.filePath("src"));
    ASSERT_EQ(::symlink(QFile::encodeName(folder.filePath("dst/song.mp3")).constData(),
                        QFile::encodeName(folder.filePath("src/song.mp3")).constData()),
              0);
    boxes.queueAnswer(MessageButton::Yes);
    EXPECT_FALSE(run(FO_MOVE, drive("src\\song.mp3"), drive("dst\\")));
    EXPECT_EQ(folder.read("dst/song.mp3"), "music");
    EXPECT_TRUE(QFileInfo(folder.filePath("src/song.mp3")).isSymLink());

    boxes.queueAnswer(MessageButton::Yes);
    EXPECT_TRUE(run(FO_COPY, drive("src\\song.mp3"), drive("dst\\")));
    EXPECT_EQ(folder.read("dst/song.mp3"), "music");
    EXPECT_TRUE(QFileInfo(folder.filePath("dst/song - Copy.mp3")).isSymLink());
    ASSERT_EQ(boxes.requests().size(), 1);
    EXPECT_EQ(boxes.texts().at(0), "Cannot move \"song.mp3\": the source and destination are the same.");
}

TEST_F(ShellFileOpTest, AFolderThatCannotBeReadIsReportedAndNotCopiedEmpty)
{
    ::chmod(QFile::encodeName(folder.path()).constData(), 0755);
    folder.write("Locked/song.mp3", "x");
    QDir().mkpath(folder.filePath("dst"));
    ::chmod(QFile::encodeName(folder.filePath("dst")).constData(), 0777);
    ::chmod(QFile::encodeName(folder.filePath("Locked")).constData(), 0311); // entered, not read
    bool copied = true;
    {
        ActAsOrdinaryUser ordinaryUser;
        copied = run(FO_COPY, drive("Locked"), drive("dst\\"));
    }
    ::chmod(QFile::encodeName(folder.filePath("Locked")).constData(), 0755);
    EXPECT_FALSE(copied);
    EXPECT_FALSE(folder.exists("dst/Locked"));
    ASSERT_EQ(boxes.requests().size(), 1);
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Error);
    EXPECT_TRUE(boxes.texts().at(0).startsWith("Cannot copy \"Locked\": ")) << boxes.texts().at(0).toStdString();
}

TEST_F(ShellFileOpTest, NothingIsReplacedWithoutAYes)
{
    folder.write("src/a.mp3", "new");
    folder.write("dst/a.mp3", "old");
    folder.write("src/Album/1.mp3", "new one");
    folder.write("src/Album/2.mp3", "new two");
    folder.write("dst/Album/1.mp3", "old one");
    folder.write("dst/Album/3.mp3", "old three");

    boxes.queueAnswer(MessageButton::No);
    EXPECT_FALSE(run(FO_MOVE, drive("src\\a.mp3"), drive("dst\\a.mp3")));
    EXPECT_EQ(folder.read("dst/a.mp3"), "old");
    EXPECT_EQ(folder.read("src/a.mp3"), "new");
    ASSERT_EQ(boxes.requests().size(), 1);
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Question);
    EXPECT_TRUE(boxes.texts().at(0).startsWith("This folder already contains a file named \"a.mp3\"."));

    boxes.queueAnswer(MessageButton::Cancel);
    EXPECT_FALSE(run(FO_COPY, drive("src\\a.mp3"), drive("dst\\")));
    EXPECT_EQ(folder.read("dst/a.mp3"), "old");

    // a folder merge asks once; Yes to all then replaces without asking again
    boxes.clear();
    boxes.queueAnswer(MessageButton::Yes);
    boxes.queueAnswer(MessageButton::YesToAll);
    EXPECT_TRUE(run(FO_COPY, drive("src\\Album"), drive("dst\\")));
    EXPECT_EQ(boxes.requests().size(), 2);
    EXPECT_EQ(tree(folder.filePath("dst/Album")),
              (QMap<QString, QByteArray>{{"1.mp3", "new one"}, {"2.mp3", "new two"}, {"3.mp3", "old three"}}));
    EXPECT_TRUE(leftovers(folder.filePath("dst")).isEmpty());
}

TEST_F(ShellFileOpTest, Rename)
{
    folder.write("a.mp3", "a");
    folder.write("b.mp3", "b");
    EXPECT_TRUE(run(FO_RENAME, drive("a.mp3"), drive("c.mp3")));
    EXPECT_EQ(folder.read("c.mp3"), "a");
    EXPECT_FALSE(run(FO_RENAME, drive("c.mp3"), drive("b.mp3")));
    EXPECT_EQ(folder.read("b.mp3"), "b");
    EXPECT_EQ(folder.read("c.mp3"), "a");
    EXPECT_FALSE(run(FO_RENAME, drive("c.mp3"), drive("sub\\c.mp3")));
    EXPECT_FALSE(run(FO_RENAME, drive("c.mp3"), drive("AC/DC.mp3")));
    EXPECT_EQ(folder.read("c.mp3"), "a");
    EXPECT_FALSE(folder.exists("ACDC.mp3"));
    EXPECT_FALSE(run(FO_RENAME, drive("missing.mp3"), drive("d.mp3")));
    EXPECT_EQ(boxes.texts(),
              QStringList({"Cannot rename \"c.mp3\": a file with the name you specified already exists. Specify a "
                           "different file name.",
                           "Cannot rename \"c.mp3\": the new name is not valid.",
                           "Cannot rename \"c.mp3\": the new name is not valid.",
                           "Cannot rename \"missing.mp3\": it was not found."}));
}

TEST_F(ShellFileOpTest, DeleteMovesToTheTrashAfterAYes)
{
    folder.write("a.mp3", "a");
    folder.write("Album/1.mp3", "1");
    boxes.queueAnswer(MessageButton::No);
    EXPECT_FALSE(run(FO_DELETE, drive("a.mp3"), QString()));
    EXPECT_TRUE(folder.exists("a.mp3"));
    EXPECT_EQ(boxes.texts().at(0), "Are you sure you want to move \"a.mp3\" to the trash?");

    EXPECT_TRUE(run(FO_DELETE, drive("a.mp3") + QChar(0) + drive("Album") + QChar(0), QString()));
    EXPECT_EQ(boxes.texts().at(1), "Are you sure you want to move these 2 items to the trash?");
    EXPECT_FALSE(folder.exists("a.mp3"));
    EXPECT_FALSE(folder.exists("Album"));
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    QFile trashed(trash + "/files/a.mp3");
    ASSERT_TRUE(trashed.open(QIODevice::ReadOnly));
    EXPECT_EQ(trashed.readAll(), "a");
    EXPECT_TRUE(QFileInfo::exists(trash + "/files/Album/1.mp3"));
    QFile info(trash + "/info/a.mp3.trashinfo");
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QByteArray text = info.readAll();
    EXPECT_TRUE(text.startsWith("[Trash Info]\n"));
    EXPECT_TRUE(text.contains("Path=" + QUrl::toPercentEncoding(folder.filePath("a.mp3"), "/")));
    EXPECT_TRUE(text.contains("DeletionDate="));
    EXPECT_TRUE(QFileInfo::exists(trash + "/info/Album.trashinfo"));
}

TEST_F(ShellFileOpTest, CancelReportsAbortedAndLeavesNoPartialFile)
{
    folder.write("big.bin", bytes(3 << 20, 'x'));
    QDir().mkpath(folder.filePath("dst"));
    onAdvance = [](const QString &, qint64 done) { return done < (1 << 20); };
    EXPECT_FALSE(run(FO_COPY, drive("big.bin"), drive("dst\\")));
    EXPECT_FALSE(folder.exists("dst/big.bin"));
    EXPECT_TRUE(leftovers(folder.filePath("dst")).isEmpty());
    EXPECT_EQ(folder.read("big.bin").size(), 3 << 20);
    EXPECT_TRUE(boxes.requests().isEmpty());
}

TEST_F(ShellFileOpTest, AGigabyteCopyCancelledAfterItsFirstChunkLeavesNothingBehind)
{
    makeSparseGigabyte(folder.filePath("huge.bin"));
    QDir().mkpath(folder.filePath("dst"));
    qint64 copiedWhenCancelled = 0;
    onAdvance = [&](const QString &, qint64 done) {
        copiedWhenCancelled = done;
        return done == 0;
    };
    EXPECT_FALSE(run(FO_COPY, drive("huge.bin"), drive("dst\\")));
    EXPECT_GT(copiedWhenCancelled, 0);
    EXPECT_LT(copiedWhenCancelled, gigabyte);
    EXPECT_FALSE(folder.exists("dst/huge.bin"));
    EXPECT_TRUE(leftovers(folder.filePath("dst")).isEmpty());
    EXPECT_EQ(QFileInfo(folder.filePath("huge.bin")).size(), gigabyte);
    EXPECT_TRUE(boxes.requests().isEmpty());
}

TEST_F(ShellFileOpTest, ALargeTreeCanBeCancelledWhileItIsCounted)
{
    for (int i = 0; i < 600; ++i)
        folder.write(QString("Tree/%1.mp3").arg(i), "x");
    int calls = 0;
    onAdvance = [&](const QString &, qint64) {
        ++calls;
        return false;
    };
    EXPECT_FALSE(run(FO_COPY, drive("Tree"), drive("dst\\")));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(folder.exists("dst/Tree"));
}

TEST_F(ShellFileOpTest, TheWindowRepaintsDuringALongCopyAndItsDialogCancels)
{
    setFileOperationProgressFactory([] {
        return std::unique_ptr<platform::FileOperationProgress>(std::make_unique<FileOperationProgressDialog>(0));
    });
    makeSparseGigabyte(folder.filePath("huge.bin"));
    QDir().mkpath(folder.filePath("dst"));
    PaintCounter window;
    window.resize(200, 100);
    window.show();
    QCoreApplication::processEvents();
    const int paintsBefore = window.paints;
    // the timer asks for a repaint; once the window has repainted, it presses Cancel
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        window.update();
        if (window.paints <= paintsBefore)
            return;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<QProgressDialog *>(widget); dialog && dialog->objectName() == "FileOperationProgress")
                dialog->cancel();
        }
    });
    timer.start();
    EXPECT_FALSE(run(FO_COPY, drive("huge.bin"), drive("dst\\")));
    timer.stop();
    EXPECT_GT(ticks, 0);
    EXPECT_GT(window.paints, paintsBefore);
    EXPECT_FALSE(folder.exists("dst/huge.bin"));
    EXPECT_TRUE(leftovers(folder.filePath("dst")).isEmpty());
}

TEST_F(ShellFileOpTest, MoveAcrossFileSystemsRemovesEachSourceOnlyAfterItsCopy)
{
    ScratchMount volume("move", 16384);
    if (!volume.mounted())
        GTEST_SKIP() << volume.whyNotMounted().toStdString();
    for (const char *name : {"Album/1.mp3", "Album/2.mp3", "Album/Disc 2/3.mp3"})
        folder.write(name, bytes(2 << 20, name[6]));
    const QMap<QString, QByteArray> album = tree(folder.filePath("Album"));
    const QString target = platform::toDrivePath(volume.root());
    // at every step a source that is gone has its complete copy at the target
    int checks = 0;
    onAdvance = [&](const QString &, qint64) {
        for (auto it = album.cbegin(); it != album.cend(); ++it) {
            if (!folder.exists("Album/" + it.key())) {
                QFile copy(volume.root() + "/Album/" + it.key());
                EXPECT_TRUE(copy.open(QIODevice::ReadOnly) && copy.readAll() == it.value()) << it.key().toStdString();
            }
        }
        ++checks;
        return true;
    };
    ::chmod(QFile::encodeName(folder.filePath("Album/1.mp3")).constData(), 0646);
    EXPECT_TRUE(run(FO_MOVE, drive("Album"), target + "\\"));
    EXPECT_GT(checks, 3);
    EXPECT_FALSE(folder.exists("Album"));
    EXPECT_EQ(tree(volume.root() + "/Album"), album);
    EXPECT_EQ(modeOf(volume.root() + "/Album/1.mp3"), 0646); // a move keeps every mode bit

    // cancelled in the middle of the second file: the first is moved, the rest untouched
    EXPECT_TRUE(run(FO_MOVE, target + "\\Album", folder.drivePath() + "\\"));
    onAdvance = [&](const QString &, qint64 done) { return done < (3 << 20); };
    EXPECT_FALSE(run(FO_MOVE, drive("Album"), target + "\\"));
    QMap<QString, QByteArray> moved = tree(volume.root() + "/Album");
    QMap<QString, QByteArray> kept = tree(folder.filePath("Album"));
    EXPECT_EQ(moved.size(), 1);
    EXPECT_EQ(moved.size() + kept.size(), album.size());
    for (auto it = album.cbegin(); it != album.cend(); ++it)
        EXPECT_EQ(moved.contains(it.key()) ? moved.value(it.key()) : kept.value(it.key()), it.value());
    EXPECT_TRUE(leftovers(volume.root() + "/Album").isEmpty());

    // a source that another program changes after its copy is kept
    folder.write("live.mp3", "first take");
    onAdvance = [&](const QString &name, qint64) {
        if (name == "live.mp3" && QFile::exists(volume.root() + "/live.mp3"))
            folder.write("live.mp3", "second take, longer");
        return true;
    };
    EXPECT_FALSE(run(FO_MOVE, drive("live.mp3"), target + "\\"));
    EXPECT_EQ(folder.read("live.mp3"), "second take, longer");
    EXPECT_EQ(boxes.texts().value(0), "\"live.mp3\" was changed while it was moved: the original was kept.");
}

// A move across file systems killed in the middle (kill -9, no clean-up of its own): the
// sources are whole, the folder it made has its mode, and the partial copy it left is
// gone after the next operation in that folder.
TEST_F(ShellFileOpTest, AMoveKilledMidwayLeavesNoPartialCopyAfterTheNextOperation)
{
    ScratchMount volume("killed", 16384);
    if (!volume.mounted())
        GTEST_SKIP() << volume.whyNotMounted().toStdString();
    const QString source = volume.root();
    const QByteArray song = bytes(3 << 20, 's');
    const auto write = [&](const QString &name, const QByteArray &content) {
        QDir().mkpath(QFileInfo(source + "/" + name).path());
        QFile file(source + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write("Album/big.mp3", song);
    write("single.mp3", song);
    ::chmod(QFile::encodeName(source + "/Album").constData(), 0755);
    QDir().mkpath(folder.filePath("dst"));

    // Each move runs in a child process that kills itself once bytes have been copied.
    const auto moveKilled = [&](const QString &name) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::umask(022);
            ScriptedProgress killer([](const QString &, qint64 done) {
                if (done > 0)
                    ::raise(SIGKILL);
                return true;
            });
            platform::performFileOperation(platform::FileOperationKind::Move, {source + "/" + name},
                                           {folder.filePath("dst") + "/"}, &killer, englishFileOperationTexts());
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the move was not killed midway";
    };
    moveKilled("single.mp3");
    ASSERT_EQ(leftovers(folder.filePath("dst")).size(), 1) << "the kill left no partial copy to clean up";
    // the next move into dst is the next operation there: it takes that one away first
    moveKilled("Album");
    EXPECT_TRUE(leftovers(folder.filePath("dst")).isEmpty());
    ASSERT_EQ(leftovers(folder.filePath("dst/Album")).size(), 1);
    EXPECT_EQ(modeOf(folder.filePath("dst/Album")), 0755) << "the folder the move made is not as open as its source";
    QFile whole(source + "/Album/big.mp3");
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    EXPECT_EQ(whole.readAll(), song);

    // the next operation in Album: the move again, into the folder it made
    boxes.queueAnswer(MessageButton::Yes);
    EXPECT_TRUE(run(FO_MOVE, platform::toDrivePath(source + "/Album"), drive("dst\\")));
    EXPECT_TRUE(leftovers(folder.filePath("dst/Album")).isEmpty());
    EXPECT_EQ(folder.read("dst/Album/big.mp3"), song);
    EXPECT_EQ(modeOf(folder.filePath("dst/Album")), 0755);
    EXPECT_EQ(boxes.texts().size(), 1) << boxes.texts().join('\n').toStdString(); // "already contains a folder"
    QFile single(source + "/single.mp3");
    ASSERT_TRUE(single.open(QIODevice::ReadOnly));
    EXPECT_EQ(single.readAll(), song);
}

// A folder a move stops in (a cancel) still gets its own mode.
TEST_F(ShellFileOpTest, AStoppedFolderMoveGivesTheFolderItsMode)
{
    ScratchMount volume("stopped", 16384);
    if (!volume.mounted())
        GTEST_SKIP() << volume.whyNotMounted().toStdString();
    for (const char *name : {"Album/1.mp3", "Album/2.mp3", "Album/3.mp3"})
        folder.write(name, bytes(2 << 20, name[6]));
    ::chmod(QFile::encodeName(folder.filePath("Album")).constData(), 0750);
    onAdvance = [](const QString &, qint64 done) { return done < (3 << 20); };
    EXPECT_FALSE(run(FO_MOVE, drive("Album"), platform::toDrivePath(volume.root()) + "\\"));
    EXPECT_EQ(modeOf(volume.root() + "/Album"), 0750);
}

TEST_F(ShellFileOpTest, AFullDiskRemovesThePartialCopyAndReports)
{
    ScratchMount small("full", 256);
    if (!small.mounted())
        GTEST_SKIP() << small.whyNotMounted().toStdString();
    folder.write("big.bin", bytes(1 << 20, 'x'));
    EXPECT_FALSE(run(FO_MOVE, drive("big.bin"), platform::toDrivePath(small.root()) + "\\"));
    EXPECT_EQ(folder.read("big.bin").size(), 1 << 20);
    EXPECT_TRUE(QDir(small.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    ASSERT_EQ(boxes.requests().size(), 1);
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Error);
    EXPECT_TRUE(boxes.texts().at(0).startsWith("Cannot move \"big.bin\": ")) << boxes.texts().at(0).toStdString();
}

TEST(FileOperationProgressDialogTest, ShowsTheWorkAndCancels)
{
    DialogTextLanguage = lnEnglish;
    FileOperationProgressDialog progress(0);
    progress.start(platform::FileOperationKind::Copy, 100);
    EXPECT_TRUE(progress.advance("a.mp3", 50));
    ASSERT_NE(progress.dialog(), nullptr);
    EXPECT_TRUE(progress.dialog()->isVisible());
    EXPECT_EQ(progress.dialog()->labelText(), "Copying \"a.mp3\"");
    EXPECT_EQ(progress.dialog()->value(), 500);
    progress.dialog()->cancel();
    EXPECT_FALSE(progress.advance("a.mp3", 60));
    progress.finish();
    EXPECT_EQ(progress.dialog(), nullptr);
}
