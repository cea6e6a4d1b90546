// The file list linked with a folder tree on a disk where other programs work: changes in
// other folders leave the list alone, a change in the listed folder moves only its rows,
// and in-place editors survive both.

#include "explorer/filelist/FileListView.h"
#include "explorer/shared/ExplorerTexts.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
constexpr int patienceMs = 5000;
constexpr int churnMs = 5000;

// Another program making and removing a folder every 50 ms in `where`, while it lives.
class Churn {
public:
    explicit Churn(const QString &where)
    {
        m_process.setWorkingDirectory(where);
        m_process.start(u"sh"_s, {u"-c"_s, u"while :; do mkdir d; sleep 0.05; rmdir d; sleep 0.05; done"_s});
        m_process.waitForStarted();
    }
    ~Churn()
    {
        m_process.kill();
        m_process.waitForFinished();
        QDir(m_process.workingDirectory()).rmdir(u"d"_s);
    }
    bool running() const { return m_process.state() == QProcess::Running; }

private:
    QProcess m_process;
};

class FileListOnLivingDiskTest : public ::testing::Test {
protected:
    FileListOnLivingDiskTest()
    {
        for (int number = 1; number <= 300; ++number)
            fixture.folder.write(u"Music/Rock/f%1.txt"_s.arg(number, 3, 10, QLatin1Char('0')), "x");
        list.SetLanguage(lnEnglish);
        list.SetParentDirEnabled(false);
        list.SetDirTree(&fixture.tree);
        list.resize(300, 200);
        list.show();
        // The tree shows Busy collapsed beside the open Music; the list shows Rock.
        fixture.tree.OpenPath(fixture.path(u"Music/Rock"_s));
        list.SetDirectory(fixture.path(u"Music/Rock"_s));
        EXPECT_TRUE(fixture.node(u"Busy"_s) && !fixture.node(u"Busy"_s)->isExpanded());
    }

    int rowOf(const QString &caption) const
    {
        for (int row = 0; row < list.itemCount(); ++row)
            if (list.item(row).caption == caption)
                return row;
        return -1;
    }
    void select(const QStringList &captions, const QString &current)
    {
        list.clearSelection();
        for (const QString &caption : captions)
            list.selectionModel()->select(list.model()->index(rowOf(caption), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list.selectionModel()->setCurrentIndex(list.model()->index(rowOf(current), 0), QItemSelectionModel::NoUpdate);
    }
    QStringList selectedCaptions() const
    {
        QStringList captions;
        for (int row : list.selectedRows())
            captions.append(list.item(row).caption);
        return captions;
    }
    QString currentCaption() const { return list.item(list.currentIndex().row()).caption; }
    QLineEdit *captionEditor() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QLineEdit *> editors = list.viewport()->findChildren<QLineEdit *>();
        return editors.isEmpty() ? nullptr : editors.last();
    }
    // Types the letters of `text` into the editor, one every `everyMs`, while it lives.
    static void typeSlowly(QLineEdit *editor, const QString &text, int everyMs)
    {
        const QPointer<QLineEdit> alive(editor);
        for (QChar letter : text) {
            ASSERT_TRUE(alive) << "the editor was closed while typing";
            QTest::keyClicks(editor, QString(letter));
            QTest::qWait(everyMs);
        }
    }
    QStringList entries(const QString &relative) const
    {
        return QDir(fixture.nativePath(relative)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    TreeOnFolder fixture{{u"Music/Rock"_s, u"Music/Jazz"_s, u"Busy"_s}};
    TZuFilelistView28 list;
};
} // namespace

TEST_F(FileListOnLivingDiskTest, ChurnInAnotherFolderLeavesTheListAndItsEditorAlone)
{
    select({u"f150.txt"_s, u"f152.txt"_s}, u"f150.txt"_s);
    list.scrollItemIntoView(rowOf(u"f150.txt"_s));
    const int scrolled = list.verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(list.model(), &QAbstractItemModel::rowsInserted);
    const quint64 readsBefore = list.readsStarted();

    // F2, Home, then a letter every half second while another program works in Busy.
    QTest::keyClick(&list, Qt::Key_F2);
    QLineEdit *editor = captionEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), u"f150.txt"_s);
    QTest::keyClick(editor, Qt::Key_Home);
    Churn churn(fixture.nativePath(u"Busy"_s));
    ASSERT_TRUE(churn.running());
    QElapsedTimer clock;
    clock.start();
    ASSERT_NO_FATAL_FAILURE(typeSlowly(editor, u"Live "_s, churnMs / 5));
    EXPECT_GE(clock.elapsed(), churnMs - 100);
    EXPECT_TRUE(churn.running());

    EXPECT_EQ(captionEditor(), editor) << "the editor was not re-created";
    EXPECT_EQ(editor->text(), u"Live f150.txt"_s);
    EXPECT_EQ(editor->cursorPosition(), 5);
    EXPECT_LE(list.readsStarted() - readsBefore, 1u);
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(inserted.size(), 0);
    EXPECT_EQ(selectedCaptions(), (QStringList{u"f150.txt"_s, u"f152.txt"_s}));
    EXPECT_EQ(currentCaption(), u"f150.txt"_s);
    EXPECT_EQ(list.verticalScrollBar()->value(), scrolled);

    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowOf(u"Live f150.txt"_s) >= 0; }, patienceMs));
    EXPECT_TRUE(QFile::exists(fixture.nativePath(u"Music/Rock/Live f150.txt"_s)));
    EXPECT_FALSE(QFile::exists(fixture.nativePath(u"Music/Rock/f150.txt"_s)));
    EXPECT_EQ(entries(u"Music/Rock"_s).size(), 300);
}

TEST_F(FileListOnLivingDiskTest, AChangeInTheListedFolderMovesOnlyItsRows)
{
    select({u"f010.txt"_s, u"f150.txt"_s, u"f200.txt"_s}, u"f150.txt"_s);
    list.scrollItemIntoView(rowOf(u"f150.txt"_s));
    const int scrolled = list.verticalScrollBar()->value();
    // An editor open on another row meanwhile.
    list.selectionModel()->setCurrentIndex(list.model()->index(rowOf(u"f150.txt"_s), 0), QItemSelectionModel::NoUpdate);
    list.editCaption(rowOf(u"f150.txt"_s));
    QLineEdit *editor = captionEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClicks(editor, u"A"_s);
    QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(list.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(list.model(), &QAbstractItemModel::rowsRemoved);
    const quint64 readsBefore = list.readsStarted();

    // One burst: a folder and a file appear, a file goes, one is rewritten.
    ASSERT_TRUE(QDir(fixture.nativePath(u"Music/Rock"_s)).mkdir(u"Live"_s));
    fixture.folder.write(u"Music/Rock/f100b.txt"_s, "new");
    ASSERT_TRUE(QFile::remove(fixture.nativePath(u"Music/Rock/f005.txt"_s)));
    fixture.folder.write(u"Music/Rock/f020.txt"_s, QByteArray(5120, 'y'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowOf(u"Live"_s) >= 0 && rowOf(u"f100b.txt"_s) >= 0; }, patienceMs));
    QTest::qWait(300);

    EXPECT_EQ(list.readsStarted() - readsBefore, 1u);
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(inserted.size(), 2);
    EXPECT_EQ(removed.size(), 1);
    EXPECT_EQ(rowOf(u"f005.txt"_s), -1);
    EXPECT_EQ(rowOf(u"Live"_s), 0) << "folders come first";
    EXPECT_EQ(rowOf(u"f100b.txt"_s), rowOf(u"f100.txt"_s) + 1);
    EXPECT_EQ(list.item(rowOf(u"f020.txt"_s)).columnTexts[siSize], u"5 KB"_s);
    EXPECT_EQ(selectedCaptions(), (QStringList{u"f010.txt"_s, u"f150.txt"_s, u"f200.txt"_s}));
    EXPECT_EQ(currentCaption(), u"f150.txt"_s);
    EXPECT_EQ(list.verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(captionEditor(), editor);
    EXPECT_EQ(editor->text(), u"Af150.txt"_s);
    EXPECT_EQ(editor->cursorPosition(), 1);
    QTest::keyClick(editor, Qt::Key_Escape);
}

TEST_F(FileListOnLivingDiskTest, CtrlNNamesExactlyTheNewFolderWhileAnotherFolderChurns)
{
    Churn churn(fixture.nativePath(u"Busy"_s));
    select({u"f001.txt"_s}, u"f001.txt"_s);
    QTest::qWait(300);
    QTest::keyClick(&list, Qt::Key_N, Qt::ControlModifier);
    QLineEdit *editor = captionEditor();
    ASSERT_NE(editor, nullptr);
    const QString defaultName = ExplorerTexts.msgNewFolder;
    EXPECT_EQ(editor->text(), defaultName);
    EXPECT_EQ(editor->selectedText(), defaultName) << "the whole default name is selected";
    ASSERT_NO_FATAL_FAILURE(typeSlowly(editor, u"Dischi"_s, 150));
    EXPECT_EQ(captionEditor(), editor);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowOf(u"Dischi"_s) >= 0; }, patienceMs));
    EXPECT_TRUE(QDir(fixture.nativePath(u"Music/Rock/Dischi"_s)).exists());
    EXPECT_FALSE(QDir(fixture.nativePath(u"Music/Rock/"_s + defaultName)).exists());
    EXPECT_EQ(entries(u"Music/Rock"_s).size(), 301);
    EXPECT_EQ(entries(u"Music"_s), (QStringList{u"Jazz"_s, u"Rock"_s}));
}
