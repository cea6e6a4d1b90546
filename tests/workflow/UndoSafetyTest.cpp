// The undo log against hostile or damaged state files, changes cut short before their
// fingerprint, and refused entries: every refusal says why and changes nothing.

#include "workflow/UndoLog.h"

#include "platform/MessageBox.h"
#include "tags/TagSession.h"
#include "tests/common/Confinement.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/StateHome.h"
#include "tests/common/TempFolder.h"
#include "tests/workflow/UndoFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <functional>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class UndoSafetyTest : public ::testing::Test {
public:
    UndoSafetyTest() { QDir(folder.path()).mkdir(u"music"_s); }

    QString state(const QString &name) const { return folder.filePath(u"state/kestrava/"_s + name); }
    QString music(const QString &name) const { return u"music/"_s + name; }
    QString rename(const QString &name, const QString &title)
    {
        undofiles::writeCovered(folder, music(name), 4, true);
        // Each file's cover of its own: their saved bytes differ.
        QByteArray bytes = folder.read(music(name));
        bytes[500] = name.at(0).toLatin1();
        folder.write(music(name), bytes);
        return undofiles::rename(folder, u"music"_s, name, u"Bob"_s, title);
    }
    // The change of `oldName` to `newName` recorded as the window records it, but cut
    // short before its fingerprint.
    void recordIntent(const QString &oldName, const QString &newName, const QByteArray &id3v2, const QByteArray &id3v1)
    {
        UndoLog::Change change;
        change.oldPath = folder.filePath(music(oldName));
        change.newPath = folder.filePath(music(newName));
        change.tagsWritten = true;
        change.oldId3v2 = id3v2;
        change.oldId3v1 = id3v1;
        UndoLog log;
        ASSERT_TRUE(log.recordBefore(change)) << log.problem().toStdString();
    }

    TempFolder folder;
    StateHome stateHome{folder.filePath(u"state"_s)};
    platform::ScriptedMessageResponder boxes;
};

TEST_F(UndoSafetyTest, HostileStateFilesAreRefusedQuicklyWithAMessageAndNothingChanges)
{
    struct Case {
        const char *what;
        std::function<void(UndoSafetyTest &)> damage;
        QString refusal;
    };
    const auto forge = [](UndoSafetyTest &test, const QString &oldPath) {
        UndoLog::Change change;
        change.oldPath = oldPath;
        change.newPath = test.folder.filePath(test.music(u"[Bob] - Two.mp3"_s));
        UndoLog log;
        ASSERT_TRUE(log.recordBefore(change));
        log.recordAfter(change.newPath);
    };
    const QList<Case> cases = {
        {"flipped bit in the saved bytes",
         [](UndoSafetyTest &test) {
             QByteArray bytes = test.folder.read(u"state/kestrava/undo/2.tags"_s);
             bytes[1000] = char(bytes[1000] ^ 0x08);
             test.folder.write(u"state/kestrava/undo/2.tags"_s, bytes);
         },
         u"danneggiati"_s},
        {"byte files swapped",
         [](UndoSafetyTest &test) {
             QFile::rename(test.state(u"undo/1.tags"_s), test.state(u"undo/x"_s));
             QFile::rename(test.state(u"undo/2.tags"_s), test.state(u"undo/1.tags"_s));
             QFile::rename(test.state(u"undo/x"_s), test.state(u"undo/2.tags"_s));
         },
         u"danneggiati"_s},
        {"byte file a link to a text file",
         [](UndoSafetyTest &test) {
             QFile::remove(test.state(u"undo/2.tags"_s));
             QFile::link(test.folder.filePath(u"decoy.txt"_s), test.state(u"undo/2.tags"_s));
         },
         u"non è un file normale"_s},
        {"byte file a FIFO",
         [](UndoSafetyTest &test) {
             QFile::remove(test.state(u"undo/2.tags"_s));
             ASSERT_EQ(::mkfifo(QFile::encodeName(test.state(u"undo/2.tags"_s)).constData(), 0600), 0);
         },
         u"non è un file normale"_s},
        {"byte file of 3 GB",
         [](UndoSafetyTest &test) {
             ASSERT_EQ(::truncate(QFile::encodeName(test.state(u"undo/2.tags"_s)).constData(), 3LL << 30), 0);
         },
         u"troppo grande"_s},
        {"log a FIFO",
         [](UndoSafetyTest &test) {
             QFile::remove(test.state(u"undo.log"_s));
             ASSERT_EQ(::mkfifo(QFile::encodeName(test.state(u"undo.log"_s)).constData(), 0600), 0);
         },
         u"danneggiato"_s},
        {"log of 200 GB",
         [](UndoSafetyTest &test) {
             ASSERT_EQ(::truncate(QFile::encodeName(test.state(u"undo.log"_s)).constData(), 200LL << 30), 0);
         },
         u"danneggiato"_s},
        {"old name in another folder",
         [&](UndoSafetyTest &test) { forge(test, test.folder.filePath(u"other/a.mp3"_s)); },
         u"stessa cartella"_s},
        {"old name through ..",
         [&](UndoSafetyTest &test) { forge(test, test.folder.filePath(u"music/../other/a.mp3"_s)); },
         u"stessa cartella"_s},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.what);
        QDir(folder.filePath(u"state"_s)).removeRecursively();
        QDir(folder.filePath(u"music"_s)).removeRecursively();
        QDir(folder.path()).mkpath(u"other"_s);
        folder.write(u"decoy.txt"_s, "not a tag");
        rename(u"a.mp3"_s, u"One"_s);
        const QString renamed = rename(u"b.mp3"_s, u"Two"_s);
        ASSERT_EQ(renamed, u"[Bob] - Two.mp3"_s);
        testCase.damage(*this);
        const QStringList names = QDir(folder.filePath(u"music"_s)).entryList(QDir::Files);
        const QByteArray before = folder.read(music(renamed));

        QElapsedTimer timer;
        timer.start();
        const UndoLog::UndoResult result = UndoLog().undoLast();
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_FALSE(result.done);
        EXPECT_TRUE(result.message.contains(testCase.refusal)) << result.message.toStdString();
        EXPECT_EQ(QDir(folder.filePath(u"music"_s)).entryList(QDir::Files), names);
        EXPECT_EQ(folder.read(music(renamed)), before);
        EXPECT_EQ(folder.read(u"decoy.txt"_s), "not a tag");
        EXPECT_TRUE(QDir(folder.filePath(u"other"_s)).isEmpty());
    }
}

TEST_F(UndoSafetyTest, ALinkedLockIsNotFollowed)
{
    const QString renamed = rename(u"a.mp3"_s, u"One"_s);
    folder.write(u"decoy.txt"_s, "not a lock");
    QFile::remove(state(u"undo.log.lock"_s));
    ASSERT_TRUE(QFile::link(folder.filePath(u"decoy.txt"_s), state(u"undo.log.lock"_s)));
    const UndoLog::UndoResult result = UndoLog().undoLast();
    EXPECT_TRUE(result.done) << result.message.toStdString();
    EXPECT_TRUE(folder.exists(music(u"a.mp3"_s)));
    EXPECT_EQ(folder.read(u"decoy.txt"_s), "not a lock");
    EXPECT_TRUE(QFileInfo(state(u"undo.log.lock"_s)).isSymLink());
}

// A change recorded but not fingerprinted (a kill, a failed read-back) is taken from the
// state its file is in and never blocks the log.
TEST_F(UndoSafetyTest, AChangeCutShortIsResolvedFromTheFile)
{
    undofiles::writeCovered(folder, music(u"a.mp3"_s), 4, true);
    const QByteArray original = folder.read(music(u"a.mp3"_s));
    const TagSession session(folder.filePath(music(u"a.mp3"_s)));
    ASSERT_TRUE(session.loaded());
    const QByteArray id3v2 = session.oldId3v2().toByteArray(), id3v1 = session.oldId3v1();

    // Never made: nothing to do, the entry goes.
    recordIntent(u"a.mp3"_s, u"b.mp3"_s, id3v2, id3v1);
    UndoLog::UndoResult result = UndoLog().undoLast();
    EXPECT_TRUE(result.done) << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(u"non era stata fatta"_s)) << result.message.toStdString();
    EXPECT_EQ(folder.read(music(u"a.mp3"_s)), original);
    EXPECT_TRUE(UndoLog().changes().isEmpty());

    // Made (renamed, tags written) but not fingerprinted: taken back.
    const QString renamed = undofiles::rename(folder, u"music"_s, u"a.mp3"_s, u"A much longer artist"_s, u"Song"_s);
    ASSERT_TRUE(UndoLog().skipLast().done);
    recordIntent(u"a.mp3"_s, renamed, id3v2, id3v1);
    result = UndoLog().undoLast();
    EXPECT_TRUE(result.done) << result.message.toStdString();
    EXPECT_EQ(folder.read(music(u"a.mp3"_s)), original);
    EXPECT_FALSE(folder.exists(music(renamed)));
    EXPECT_TRUE(UndoLog().changes().isEmpty());
}

TEST_F(UndoSafetyTest, ARefusedEntrySkippedLeavesTheOlderOnesReachable)
{
    undofiles::writeCovered(folder, music(u"a.mp3"_s), 4, true);
    const QByteArray original = folder.read(music(u"a.mp3"_s));
    const QString first = undofiles::rename(folder, u"music"_s, u"a.mp3"_s, u"Bob"_s, u"One"_s);
    const QString second = rename(u"b.mp3"_s, u"Two"_s);
    folder.write(music(second), "changed by another program");

    EXPECT_FALSE(UndoLog().undoLast().done);
    const UndoLog::UndoResult skipped = UndoLog().skipLast();
    EXPECT_TRUE(skipped.done) << skipped.message.toStdString();
    EXPECT_EQ(folder.read(music(second)), "changed by another program");
    const UndoLog::UndoResult result = UndoLog().undoLast();
    EXPECT_TRUE(result.done) << result.message.toStdString();
    EXPECT_EQ(folder.read(music(u"a.mp3"_s)), original);
    EXPECT_FALSE(UndoLog().skipLast().done);
}

TEST_F(UndoSafetyTest, ARenameToTheSameNameIsNotRecorded)
{
    UndoLog::Change change;
    change.oldPath = change.newPath = folder.filePath(music(u"a.mp3"_s));
    UndoLog log;
    EXPECT_TRUE(log.recordBefore(change));
    log.recordAfter(change.newPath);
    EXPECT_TRUE(UndoLog().changes().isEmpty());
}

TEST_F(UndoSafetyTest, LeftoversOfCrashesAreRemovedAtTheNextStart)
{
    const QString renamed = rename(u"a.mp3"_s, u"One"_s);
    folder.write(u"state/kestrava/undo/7.tags"_s, QByteArray(1000, 'x'));
    folder.write(u"state/kestrava/undo/1.tags.new-1-1"_s, "cut short");
    folder.write(u"state/kestrava/undo.log.new-1-1"_s, "cut short");
    ASSERT_EQ(UndoLog().undoLast().done, true);
    EXPECT_EQ(QDir(state(u"undo"_s)).entryList(QDir::Files), QStringList());
    EXPECT_FALSE(QFile::exists(state(u"undo.log.new-1-1"_s)));
}

// A folder that refuses writes (a read-only mount; root ignores permission bits).
TEST_F(UndoSafetyTest, AnUndoInAReadOnlyFolderIsRefusedWithTheFileUnchanged)
{
    undofiles::writeCovered(folder, music(u"a.mp3"_s), 4, true);
    const QString renamed = undofiles::rename(folder, u"music"_s, u"a.mp3"_s, u"A much longer artist"_s, u"Song"_s);
    const QByteArray before = folder.read(music(renamed));
    QFile::setPermissions(folder.filePath(u"music"_s), QFile::ReadOwner | QFile::ExeOwner);
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(folder.filePath(u"music"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    // Root writes into a folder without write permission: there the folder is made
    // read-only by a read-only bind of itself (in the confined run's own mount table).
    const QByteArray musicFolder = QFile::encodeName(folder.filePath(u"music"_s));
    bool bound = false;
    const auto unbind = qScopeGuard([&] {
        if (bound)
            ::umount2(musicFolder.constData(), MNT_DETACH);
    });
    if (::access(musicFolder.constData(), W_OK) == 0) {
        if (!confinement::scratchDrivesAllowed())
            GTEST_SKIP() << "root writes into the folder, and " << confinement::scratchDrivesRefusal();
        bound = ::mount(musicFolder.constData(), musicFolder.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (!bound || ::mount(nullptr, musicFolder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            GTEST_SKIP() << "the folder could not be made read-only: " << std::strerror(errno);
    }
    const UndoLog::UndoResult result = UndoLog().undoLast();
    EXPECT_FALSE(result.done);
    EXPECT_TRUE(result.message.contains(u"cartella"_s)) << result.message.toStdString();
    EXPECT_EQ(folder.read(music(renamed)), before);
}

} // namespace
