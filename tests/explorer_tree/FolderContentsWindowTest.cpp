#include "explorer/tree/FolderContentsWindow.h"
#include "platform/MessageBox.h"
#include "tests/common/SambaShare.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

// Takes what the desktop would open with an associated program, noting whether the
// window was on screen at that moment.
class DesktopOpener : public QObject {
    Q_OBJECT
public:
    explicit DesktopOpener(const QWidget &window)
        : m_window(window)
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
    }
    ~DesktopOpener() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> urls;
    QList<bool> windowShown;

public slots:
    void open(const QUrl &url)
    {
        urls.append(url);
        windowShown.append(m_window.isVisible());
    }

private:
    const QWidget &m_window;
};

namespace {

QStringList captions(const QListWidget &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.item(i)->text());
    return texts;
}

// A tree over a folder "Music" holding files, a hidden file and a subfolder.
class FolderContentsWindowTest : public ::testing::Test {
protected:
    FolderContentsWindowTest()
    {
        for (const char *name : {"b.txt", "A song.mp3", ".hidden", "C.doc", "Rock/inside.mp3"})
            fixture.folder.write(QStringLiteral("Music/") + QLatin1String(name), "data");
    }

    static QRect itemRect(const QListWidget &list, int row) { return list.visualItemRect(list.item(row)); }
    // As a user does: the first press selects, the second opens.
    static void doubleClick(QListWidget &list, int row)
    {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, itemRect(list, row).center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, itemRect(list, row).center());
    }

    TreeOnFolder fixture{{QStringLiteral("Music/Rock")}};
    platform::ScriptedMessageResponder boxes;
};

} // namespace

TEST_F(FolderContentsWindowTest, ListsTheFolderFilesSortedWithTheFirstOneCurrent)
{
    FolderContentsWindow window(&fixture.tree, fixture.path(QStringLiteral("Music")), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isFilled(); }, 5000));
    const QListWidget &list = *window.listView();
    EXPECT_EQ(captions(list), (QStringList{".hidden", "A song.mp3", "b.txt", "C.doc"}));
    EXPECT_EQ(list.item(2)->data(Qt::UserRole).toString(), fixture.path(QStringLiteral("Music/b.txt")));
    EXPECT_FALSE(list.item(0)->icon().isNull());
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_TRUE(list.selectedItems().isEmpty()); // the focus mark only
    EXPECT_EQ(list.viewMode(), QListView::ListMode);
    EXPECT_EQ(list.toolTip(), QStringLiteral("LeftClick - Select\nDblClick  - Open"));
    EXPECT_EQ(list.palette().color(QPalette::Base), fixture.tree.palette().color(QPalette::Base));
    EXPECT_EQ(list.palette().color(QPalette::Inactive, QPalette::Highlight),
              list.palette().color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window.focusPolicy(), Qt::NoFocus);

    FolderContentsWindow empty(&fixture.tree, fixture.path(QStringLiteral("Music/Rock/Empty")), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return empty.isFilled(); }, 5000));
    EXPECT_EQ(empty.listView()->count(), 0);
}

TEST_F(FolderContentsWindowTest, CaptionNamesTheDriveOrTheFolder)
{
    const struct {
        QString folder;
        int level;
        QString caption;
    } cases[] = {
        {fixture.path(), 1, QStringLiteral("Files in \" K:\\ \"")},
        {fixture.path(QStringLiteral("Music")), 2, QStringLiteral("Files in \" ..\\Music \"")},
        {fixture.path(QStringLiteral("Music/Rock")) + QLatin1Char('\\'), 3, QStringLiteral("Files in \" ..\\Rock \"")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        FolderContentsWindow window(&fixture.tree, c.folder, c.level);
        EXPECT_EQ(window.windowTitle(), c.caption);
        EXPECT_TRUE(window.findChild<QLabel *>(QStringLiteral("caption"))->isVisible());
    }
}

TEST_F(FolderContentsWindowTest, FillsTheTreeAndFollowsItsSize)
{
    FolderContentsWindow window(&fixture.tree, fixture.path(QStringLiteral("Music")), 2);
    for (const QSize size : {QSize(400, 600), QSize(250, 300)}) {
        fixture.tree.resize(size);
        EXPECT_EQ(window.geometry(), fixture.tree.contentsRect());
        const QRect client = window.contentsRect();
        const QWidget *panel = window.findChild<QWidget *>(QStringLiteral("panel"));
        EXPECT_EQ(panel->geometry(), QRect(client.left(), client.bottom() - 21, client.width(), 22));
        EXPECT_EQ(window.listView()->geometry().bottom() + 1, panel->geometry().top());
        EXPECT_EQ(window.listView()->width(), client.width());
        EXPECT_EQ(window.okButton()->parentWidget()->geometry(), QRect(client.width() - 80, 0, 80, 22));
        EXPECT_EQ(window.okButton()->geometry(), QRect(1, 1, 60, 22));
    }
    EXPECT_EQ(window.okButton()->text(), QStringLiteral("&OK"));
    EXPECT_FALSE(window.okButton()->icon().isNull());
}

TEST_F(FolderContentsWindowTest, OkHandsBackTheSelectedFileAndCloses)
{
    for (const bool select : {true, false}) {
        SCOPED_TRACE(select);
        QPointer<FolderContentsWindow> window =
            new FolderContentsWindow(&fixture.tree, fixture.path(QStringLiteral("Music")), 2);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->isFilled(); }, 5000));
        QSignalSpy chosen(window.data(), &FolderContentsWindow::fileChosen);
        QSignalSpy finished(window.data(), &FolderContentsWindow::finished);
        if (select)
            QTest::mouseClick(window->listView()->viewport(), Qt::LeftButton, {},
                              itemRect(*window->listView(), 3).center());
        QTest::mouseClick(window->okButton(), Qt::LeftButton);
        EXPECT_EQ(chosen.count(), select ? 1 : 0);
        if (select) {
            EXPECT_EQ(chosen.at(0).at(0).toString(), fixture.path(QStringLiteral("Music/C.doc")));
        }
        EXPECT_EQ(finished.count(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
    }
}

TEST_F(FolderContentsWindowTest, DoubleClickOpensTheFileWhileTheWindowIsHidden)
{
    FolderContentsWindow window(&fixture.tree, fixture.path(QStringLiteral("Music")), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isFilled(); }, 5000));
    DesktopOpener opener(window);
    doubleClick(*window.listView(), 2);
    EXPECT_EQ(opener.urls, QList<QUrl>{QUrl::fromLocalFile(fixture.nativePath(QStringLiteral("Music/b.txt")))});
    EXPECT_EQ(opener.windowShown, QList<bool>{false});
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(boxes.requests().isEmpty());

    // A file gone since the listing: the open's own message, and the window comes back.
    QFile::remove(fixture.nativePath(QStringLiteral("Music/C.doc")));
    doubleClick(*window.listView(), 3);
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("ERROR - Can't Open file C.doc")});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(opener.urls.size(), 1);
}

TEST(FolderContentsWindowShareTest, AServerThatDoesNotAnswerHoldsTheListNotTheProgram)
{
    constexpr int networkPatienceMs = 60000;
    SambaShare server;
    if (!server.failure().isEmpty())
        GTEST_SKIP() << "no SMB share on loopback: " << server.failure().toStdString();
    QFile seed(server.guestFolder() + QStringLiteral("/song.mp3"));
    ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
    seed.close();
    const QString mounted = server.mountGuest();
    if (mounted.isEmpty())
        GTEST_SKIP() << "the share could not be mounted: " << server.failure().toStdString();
    const MappedDrive drive(QLatin1Char('S'), mounted, server.guestAddress());
    QTreeWidget tree;
    tree.resize(300, 400);
    tree.show();

    server.freezeServer();
    auto thaw = qScopeGuard([&] { server.thawServer(); });
    FolderContentsWindow window(&tree, QStringLiteral("S:\\"), 1);
    EXPECT_FALSE(window.isFilled());
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    // Ticks of a timer while the server is silent: the event loop is answering.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks += window.isFilled() ? 0 : 1; });
    ticker.start(20);
    QTest::qWait(500);
    EXPECT_GE(ticks, 10);
    EXPECT_FALSE(window.isFilled());

    thaw.dismiss();
    server.thawServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isFilled(); }, networkPatienceMs));
    EXPECT_EQ(captions(*window.listView()), QStringList{QStringLiteral("song.mp3")});
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

#include "FolderContentsWindowTest.moc"
