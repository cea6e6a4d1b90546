// The tree's Folder Contents window over a real folder.

#include "explorer/tree/FolderContentsWindow.h"
#include "explorer/shared/ExplorerTexts.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/EventLoopPauses.h"
#include "tests/common/SambaShare.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <iostream>

using namespace Qt::StringLiterals;

// Receives what the desktop would open with the file's program, noting whether the
// watched window was on screen then.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    explicit OpenedFiles(const QWidget *watched = nullptr)
        : m_watched(watched)
    {
        QDesktopServices::setUrlHandler(u"file"_s, this, "open");
    }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler(u"file"_s); }
    QList<QUrl> urls;
    QList<bool> watchedShown;

public slots:
    void open(const QUrl &url)
    {
        urls.append(url);
        watchedShown.append(m_watched && m_watched->isVisible());
    }

private:
    const QWidget *m_watched;
};

namespace {
constexpr int patienceMs = 5000;

class FolderContentsWindowTest : public ::testing::Test {
protected:
    FolderContentsWindowTest()
    {
        fixture.folder.write(u"Music/b.mp3"_s, "b");
        fixture.folder.write(u"Music/a.txt"_s, "a");
        fixture.folder.write(u"Music/.hidden"_s, "h");
        fixture.folder.write(u"Music/C.doc"_s, "c");
        fixture.tree.ReloadTree();
    }

    // Opens the window on the folder and waits until its files are listed.
    FolderContentsWindow *show(const QString &relative)
    {
        fixture.tree.OpenPath(fixture.path(relative));
        fixture.tree.ShowFolderContentsWindow();
        auto *window = fixture.tree.findChild<FolderContentsWindow *>();
        if (window && !QTest::qWaitFor([window] { return window->listed(); }, patienceMs))
            return nullptr;
        return window;
    }
    static QStringList captions(const FolderContentsWindow *window)
    {
        QStringList names;
        for (int i = 0; i < window->list()->count(); ++i)
            names.append(window->list()->item(i)->text());
        return names;
    }

    TreeOnFolder fixture{{u"Music/Sub"_s}};
    platform::ScriptedMessageResponder boxes;
};
} // namespace

TEST_F(FolderContentsWindowTest, ListsTheFolderSFilesOverTheWholeTree)
{
    FolderContentsWindow *window = show(u"Music"_s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(captions(window), (QStringList{u".hidden"_s, u"a.txt"_s, u"b.mp3"_s, u"C.doc"_s}));
    EXPECT_EQ(window->list()->currentRow(), 0);
    EXPECT_EQ(window->windowTitle(), u"Files in \" ..\\Music \""_s);
    EXPECT_FALSE(fixture.tree.topLevelItem(0)->isExpanded());
    EXPECT_EQ(window->geometry(), fixture.tree.contentsRect());
    EXPECT_EQ(window->okButton()->size(), QSize(60, 22));
    fixture.tree.resize(300, 450);
    EXPECT_EQ(window->geometry(), fixture.tree.contentsRect());
    delete window;

    window = show(QString());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), u"Files in \" K:\\ \""_s);
    EXPECT_TRUE(captions(window).isEmpty());
}

TEST_F(FolderContentsWindowTest, DoubleClickOpensTheFileAndOkReportsTheSelectedOne)
{
    FolderContentsWindow *window = show(u"Music"_s);
    ASSERT_NE(window, nullptr);
    OpenedFiles opened(window);
    QListWidgetItem *song = window->list()->item(2);
    // The list view's double click, as the find window's test gives it.
    emit window->list()->itemDoubleClicked(song);
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile(fixture.nativePath(u"Music/b.mp3"_s))});
    EXPECT_EQ(opened.watchedShown, QList<bool>{false}); // out of the way while the program starts
    EXPECT_TRUE(window->isVisible());
    // A file gone since the listing: the open's own message, and the window comes back.
    QFile::remove(fixture.nativePath(u"Music/C.doc"_s));
    emit window->list()->itemDoubleClicked(window->list()->item(3));
    EXPECT_EQ(boxes.texts(), QStringList{u"ERROR - Can't Open file "_s + fixture.path(u"Music\\C.doc"_s)});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(opened.urls.size(), 1);
    boxes.clear();

    QSignalSpy fileChanges(&fixture.tree, &TZuDirTree21::OnFileChange);
    window->list()->setCurrentItem(song);
    QTest::mouseClick(window->okButton(), Qt::LeftButton);
    ASSERT_EQ(fileChanges.size(), 1);
    EXPECT_EQ(fileChanges.at(0).at(1).toString(), fixture.path(u"Music\\b.mp3"_s));
    EXPECT_EQ(fixture.tree.SelectedFile(), fixture.path(u"Music\\b.mp3"_s));
    // The tree opens the folder again.
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(u"Music\\"_s));
    EXPECT_EQ(fixture.tree.currentItem(), fixture.node(u"Music"_s));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(fixture.tree.findChild<FolderContentsWindow *>(), nullptr);

    // OK with nothing selected reports nothing.
    window = show(u"Music"_s);
    ASSERT_NE(window, nullptr);
    window->list()->clearSelection();
    QTest::mouseClick(window->okButton(), Qt::LeftButton);
    EXPECT_EQ(fileChanges.size(), 1);
    EXPECT_EQ(fixture.tree.SelectedFile(), QString());
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST(FolderContentsWindowShareTest, ASilentShareHoldsTheListNotTheProgramAndIsGivenUpAfterTheLimit)
{
    constexpr int networkPatienceMs = 60000;
    SambaShare server;
    const QString mounted = server.mountGuestHolding(u"song.mp3"_s);
    if (mounted.isEmpty())
        GTEST_SKIP() << "no SMB share on loopback: " << server.failure().toStdString();
    const MappedDrive drive(u'S', mounted, server.guestAddress());
    platform::refreshDrives(); // as the tree does when it lists the drives
    platform::ScriptedMessageResponder boxes;
    QTreeWidget tree;
    tree.resize(300, 400);
    tree.show();
    EventLoopPauses pauses;

    // Silent for a while: the window answers, and shows the files once the server does.
    server.freezeServer();
    auto thaw = qScopeGuard([&] { server.thawServer(); });
    {
        FolderContentsWindow window(&tree, u"S:\\"_s, u"\" S:\\ \""_s);
        EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
        QTest::qWait(500);
        EXPECT_FALSE(window.listed());
        // The program's end waits for the shared pool: the silent share holds none of it.
        EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
        server.thawServer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.listed(); }, networkPatienceMs));
        ASSERT_EQ(window.list()->count(), 1);
        EXPECT_EQ(window.list()->item(0)->text(), u"song.mp3"_s);
        EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    }

    // Silent past the limit: the file list's message, an empty list, the window answering.
    server.freezeServer();
    const auto language = qScopeGuard([previous = TreeTextLanguage] { TreeTextLanguage = previous; });
    TreeTextLanguage = lnItalian;
    QElapsedTimer clock;
    clock.start();
    pauses.restart();
    FolderContentsWindow window(&tree, u"S:\\"_s, u"\" S:\\ \""_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.texts().isEmpty(); }, networkPatienceMs));
    const qint64 givenUpAfter = clock.elapsed();
    std::cout << "[          ] given up after " << givenUpAfter << " ms; longest event-loop pause " << pauses.longestMs()
              << " ms\n";
    EXPECT_GE(givenUpAfter, 5000);
    EXPECT_LT(pauses.longestMs(), 1000);
    EXPECT_EQ(boxes.texts(), QStringList{u"L'unità di rete \"S:\\\" non risponde."_s});
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    // The server back: the abandoned read's late result is dropped.
    server.thawServer();
    QTest::qWait(1000);
    EXPECT_FALSE(window.listed());
    EXPECT_EQ(window.list()->count(), 0);
}

#include "FolderContentsWindowTest.moc"
