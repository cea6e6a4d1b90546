// The tree's size command on real folders: what is counted, the message, the window.

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/tree/TreeSizeDialog.h"
#include "explorer/tree/TreeSizeMessage.h"
#include "platform/FolderSizeCounter.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// What `find DIR -type f -printf '%i %s\n' | sort -u` adds up: each regular file's
// inode once.
qint64 findSum(const QString &folder)
{
    QProcess find;
    find.start(u"sh"_s, {u"-c"_s, u"find \"$1\" -type f -printf '%i %s\\n' | sort -u"_s, u"sh"_s, folder});
    find.waitForFinished(60000);
    qint64 sum = 0;
    for (const QByteArray &line : find.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            sum += line.split(' ').value(1).toLongLong();
    }
    return sum;
}

void writeBytes(const QString &path, qint64 size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
}

class ItalianLocale {
public:
    ItalianLocale() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    ~ItalianLocale() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

} // namespace

TEST(TreeSizeTest, LinksAreNotFollowedAndAHardLinkedFileCountsOnce)
{
    TempFolder elsewhere;
    writeBytes(elsewhere.filePath(u"big.bin"_s), 100000);
    TempFolder folder;
    QDir(folder.path()).mkpath(u"Music/Rock"_s);
    writeBytes(folder.filePath(u"Music/a.mp3"_s), 1000);
    writeBytes(folder.filePath(u"Music/Rock/b.mp3"_s), 2345);
    ASSERT_EQ(::link(QFile::encodeName(folder.filePath(u"Music/a.mp3"_s)).constData(),
                     QFile::encodeName(folder.filePath(u"Music/Rock/a again.mp3"_s)).constData()), 0);
    // A loop back to the top, a link to a big folder elsewhere, a link to a file, a pipe.
    QFile::link(folder.path(), folder.filePath(u"Music/Rock/loop"_s));
    QFile::link(elsewhere.path(), folder.filePath(u"Music/elsewhere"_s));
    QFile::link(elsewhere.filePath(u"big.bin"_s), folder.filePath(u"Music/big link.bin"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(u"Music/pipe"_s)).constData(), 0600), 0);

    platform::FolderSizeCounter counter;
    const platform::FolderSizeResult result = counter.count(folder.path());
    EXPECT_EQ(qint64(result.bytes), findSum(folder.path()));
    EXPECT_EQ(result.bytes, 3345u);
    EXPECT_EQ(result.folders, 3u);
    EXPECT_EQ(result.unreadableFolders, 0u);
    EXPECT_FALSE(result.cancelled);
}

TEST(TreeSizeTest, AnUnreadableFolderAddsNothingAndIsCounted)
{
    TempFolder folder;
    QDir(folder.path()).mkpath(u"open"_s);
    QDir(folder.path()).mkpath(u"closed/inner"_s);
    writeBytes(folder.filePath(u"open/a.bin"_s), 10);
    writeBytes(folder.filePath(u"closed/inner/b.bin"_s), 20);
    for (const QString &relative : {QString(), u"open"_s})
        ::chmod(QFile::encodeName(folder.filePath(relative)).constData(), 0755);
    ::chmod(QFile::encodeName(folder.filePath(u"open/a.bin"_s)).constData(), 0644);
    ::chmod(QFile::encodeName(folder.filePath(u"closed"_s)).constData(), 0);

    // Root reads every folder: the count then runs as nobody in a child process.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        platform::FolderSizeCounter counter;
        const platform::FolderSizeResult result = counter.count(folder.path(), 1);
        const std::uint64_t figures[] = {result.bytes, result.folders, result.unreadableFolders};
        const bool written = ::write(pipeEnds[1], figures, sizeof figures) == ssize_t(sizeof figures);
        ::_exit(written ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    std::uint64_t figures[3] = {};
    const ssize_t got = ::read(pipeEnds[0], figures, sizeof figures);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(QFile::encodeName(folder.filePath(u"closed"_s)).constData(), 0755);
    ASSERT_EQ(got, ssize_t(sizeof figures)) << "the counting child failed, status " << status;
    EXPECT_EQ(figures[0], 10u);
    EXPECT_EQ(figures[1], 2u);
    EXPECT_EQ(figures[2], 1u);

    TZuDirTree21 tree;
    tree.SetLanguage(lnItalian);
    EXPECT_TRUE(treeSizeMessage(QString(), 10, 3, lnItalian)
                    .endsWith(u"\r\r3 cartelle non si sono potute leggere: i loro file non sono contati."_s));
}

TEST(TreeSizeTest, PseudoFileSystemsInsideTheFolderAreNotEntered)
{
    TempFolder folder;
    writeBytes(folder.filePath(u"a.bin"_s), 77);
    QDir(folder.path()).mkpath(u"proc"_s);
    const QByteArray mountPoint = QFile::encodeName(folder.filePath(u"proc"_s));
    if (::mount("proc", mountPoint.constData(), "proc", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount a proc file system here (needs root): " << std::strerror(errno);
    platform::FolderSizeCounter counter;
    const platform::FolderSizeResult result = counter.count(folder.path());
    ::umount2(mountPoint.constData(), MNT_DETACH);
    // Entered, its kcore alone would add terabytes.
    EXPECT_EQ(result.bytes, 77u);
    EXPECT_EQ(result.folders, 1u);
}

TEST(TreeSizeTest, PseudoFileSystemsAreSkippedAlsoAskedForDirectlyOrThroughALink)
{
    // Asked for directly, the kernel's own views count nothing either.
    for (const QString &pseudo : {u"/proc"_s, u"/sys"_s}) {
        const platform::FolderSizeResult result = platform::FolderSizeCounter().count(pseudo);
        EXPECT_EQ(result.bytes, 0u) << pseudo.toStdString();
        EXPECT_EQ(result.folders, 0u) << pseudo.toStdString();
    }
    // A file system of real files mounted inside the folder is counted; a proc file
    // system is passed over also when the folder is asked for through a link.
    TempFolder folder;
    writeBytes(folder.filePath(u"a.bin"_s), 1234);
    QDir(folder.path()).mkpath(u"ram"_s);
    QDir(folder.path()).mkpath(u"proc"_s);
    const QByteArray ram = QFile::encodeName(folder.filePath(u"ram"_s));
    const QByteArray proc = QFile::encodeName(folder.filePath(u"proc"_s));
    if (::mount("tmpfs", ram.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a RAM file system here (needs root): " << std::strerror(errno);
    const bool procMounted = ::mount("proc", proc.constData(), "proc", 0, nullptr) == 0;
    writeBytes(folder.filePath(u"ram/b.bin"_s), 4321);
    TempFolder links;
    QFile::link(folder.path(), links.filePath(u"to folder"_s));
    const platform::FolderSizeResult direct = platform::FolderSizeCounter().count(folder.path());
    const platform::FolderSizeResult linked = platform::FolderSizeCounter().count(links.filePath(u"to folder"_s));
    if (procMounted)
        ::umount2(proc.constData(), MNT_DETACH);
    ::umount2(ram.constData(), MNT_DETACH);
    ASSERT_TRUE(procMounted);
    for (const platform::FolderSizeResult &result : {direct, linked}) {
        EXPECT_EQ(result.bytes, 1234u + 4321u);
        EXPECT_EQ(result.folders, 2u);
        EXPECT_EQ(result.unreadableFolders, 0u);
    }
}

TEST(TreeSizeTest, TwoWorkersOnAWideTreeAddUpWhatFindLists)
{
    TempFolder folder;
    for (int album = 0; album < 60; ++album) {
        const QString sub = u"A/%1/%2"_s.arg(album % 5).arg(album);
        QDir(folder.path()).mkpath(sub);
        for (int track = 0; track < album % 7; ++track)
            writeBytes(folder.filePath(sub + u"/t%1.mp3"_s.arg(track)), album * 13 + track);
    }
    platform::FolderSizeCounter counter;
    for (int run = 0; run < 3; ++run) { // the same counter counts again from the start
        const platform::FolderSizeResult result = counter.count(folder.path());
        EXPECT_EQ(qint64(result.bytes), findSum(folder.path()));
        EXPECT_EQ(result.folders, 1u + 1u + 5u + 60u);
        EXPECT_FALSE(result.cancelled);
    }
}

TEST(TreeSizeTest, CancelStopsACountOfTheWholeDiskAndTheNextCountStartsAfresh)
{
    platform::FolderSizeCounter counter;
    platform::FolderSizeResult result;
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        result = counter.count(u"/"_s);
        ended = true;
    });
    while (counter.foldersSoFar() < 100 && !ended)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    counter.cancel();
    worker.join();
    if (!result.cancelled && counter.foldersSoFar() < 100)
        GTEST_SKIP() << "the root file system holds too few folders to cancel its count";
    EXPECT_TRUE(result.cancelled);

    TempFolder folder;
    writeBytes(folder.filePath(u"a.bin"_s), 5);
    result = counter.count(folder.path());
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.bytes, 5u);
}

TEST(TreeSizeTest, TheMessageUsesTheTreesTextsAndTheLocalesNumbers)
{
    ItalianLocale italian;
    TZuDirTree21 tree;
    tree.SetLanguage(lnItalian);
    EXPECT_EQ(treeSizeMessage(treeSizeLabel(u"C:\\Musica"_s, 2), 1536, 0, lnItalian),
              u"===== Capacità =====\r\rCartella \"Musica\"\re tutte le sotto-cartelle \r =  1.536 Bytes\r     (i.e. 1,50 KB )"_s);
    EXPECT_EQ(treeSizeLabel(u"C:\\"_s, 1), u"Unità C:\\"_s);
    EXPECT_EQ(treeSizeLabel(QString(), 0), QString());

    struct Case {
        double bytes;
        QString byteText;
        QString sizeText;
    };
    for (const Case &c : {Case{5000000000.0, u"5.000.000.000 Bytes"_s, u"4.768,37 MB"_s},
                          Case{100, u"100 Bytes"_s, u"1,00 KB"_s}, Case{0, u"0 Bytes"_s, u"0,00 KB"_s},
                          Case{102398976, u"102.398.976 Bytes"_s, u"99.999,00 KB"_s}}) {
        EXPECT_EQ(treeSizeByteText(c.bytes), c.byteText);
        EXPECT_EQ(treeSizeText(c.bytes), c.sizeText);
    }
}

TEST(TreeSizeTest, TheTreeCountsItsSelectedFolderAndShowsTheMessage)
{
    ItalianLocale italian;
    TreeOnFolder fixture({u"Big"_s, u"Empty"_s});
    fixture.tree.SetLanguage(lnItalian);
    fixture.tree.ReloadTree();
    {
        QFile sparse(fixture.nativePath(u"Big/sparse.bin"_s));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(5000000000));
    }
    platform::ScriptedMessageResponder boxes;
    fixture.tree.OpenPath(fixture.path(u"Big"_s));
    EXPECT_EQ(fixture.tree.ShowTreeSize(), 5000000000.0);
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts().first().contains(u"Cartella \"Big\"\re tutte le sotto-cartelle \r =  5.000.000.000 Bytes\r     (i.e. 4.768,37 MB )"_s))
        << boxes.texts().first().toStdString();
    EXPECT_EQ(fixture.tree.FolderBytes(fixture.path(u"Big"_s)), 5000000000.0);

    boxes.clear();
    fixture.tree.OpenPath(fixture.path(u"Empty"_s));
    EXPECT_EQ(fixture.tree.ShowTreeSize(), 0.0);
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts().first().endsWith(u" =  0 Bytes\r     (i.e. 0,00 KB )"_s));
}

TEST(TreeSizeTest, TheWindowKeepsAnsweringAndCancelStopsTheCountWithoutAMessage)
{
    // Enough folders that the count outlasts the window's delay.
    TempFolder folder;
    for (int i = 0; i < 3000; ++i) {
        const QString sub = u"f%1/g%2"_s.arg(i % 60).arg(i);
        QDir(folder.path()).mkpath(sub);
        writeBytes(folder.filePath(sub + u"/x"_s), 1);
    }
    TZuDirTree21 tree;
    TreeSizeDialog dialog(&tree, u"K:\\big"_s, lnEnglish);
    dialog.setShowDelay(0);
    // Each tick of a 10 ms timer: the longest gap tells whether the thread was held.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ticker.start(10);
    // Cancel as soon as the window shows, as the user would.
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (dialog.isVisible())
            dialog.cancelButton()->click();
    });
    cancel.start(5);
    // From the page cache the count may end before the first tick: it runs again until
    // a Cancel lands.
    platform::FolderSizeResult result;
    for (int round = 0; round < 200 && !result.cancelled; ++round)
        result = dialog.count(folder.path());
    EXPECT_TRUE(result.cancelled) << "Cancel never stopped a count";
    EXPECT_LT(longestGap, 500) << "the window's thread was held";
}
