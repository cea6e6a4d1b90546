// Undo of renames and tag writes on real MP3 files: names and bytes come back exactly,
// across new log objects (as after a restart), and never over a change made since.

#include "workflow/UndoLog.h"

#include "platform/MessageBox.h"
#include "tests/common/StateHome.h"
#include "tests/common/TempFolder.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/tags/TagBytes.h"
#include "tests/workflow/UndoFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

using namespace Qt::StringLiterals;
using namespace tagbytes;

namespace {

class UndoLogTest : public ::testing::Test {
public:
    UndoLogTest() { QDir(folder.path()).mkdir(u"music"_s); }

    QString music(const QString &name) const { return u"music/"_s + name; }
    QByteArray sum(const QString &name) const
    {
        return QCryptographicHash::hash(folder.read(music(name)), QCryptographicHash::Sha256);
    }

    void writeCovered(const QString &name, int padding, bool withId3v1)
    {
        undofiles::writeCovered(folder, music(name), padding, withId3v1);
    }
    QString rename(const QString &name, const QString &artist, const QString &title)
    {
        return undofiles::rename(folder, u"music"_s, name, artist, title);
    }

    TempFolder folder;
    StateHome stateHome{folder.filePath(u"state"_s)};
    platform::ScriptedMessageResponder boxes;
};

TEST_F(UndoLogTest, ThreeRenamesTakenBackGiveTheOriginalNamesAndBytes)
{
    writeCovered(u"a.mp3"_s, 4, true);    // grows: the file is rewritten
    writeCovered(u"b.mp3"_s, 4000, false); // fits: in place, an ID3v1 tag appended
    folder.write(music(u"c.mp3"_s), silentAudio(2) + id3v1("Gamma", "Cid", 1, 2)); // no ID3v2 tag
    const QByteArray a = sum(u"a.mp3"_s), b = sum(u"b.mp3"_s), c = sum(u"c.mp3"_s);

    const QString a1 = rename(u"a.mp3"_s, u"A much longer artist name than before"_s, u"First"_s);
    const QString b1 = rename(u"b.mp3"_s, u"Bea"_s, u"Second"_s);
    const QString a2 = rename(a1, u"Zed"_s, u"Third"_s);
    const QString c1 = rename(u"c.mp3"_s, u"Cid"_s, u"Fourth"_s);
    ASSERT_TRUE(folder.exists(music(a2)) && folder.exists(music(b1)) && folder.exists(music(c1)));
    ASSERT_NE(sum(a2), a);
    EXPECT_EQ(UndoLog().changes().size(), 4);

    // Each undo by a new log object, as after the program was started again.
    for (int i = 0; i < 4; ++i) {
        const UndoLog::UndoResult result = UndoLog().undoLast();
        EXPECT_TRUE(result.done) << result.message.toStdString();
        EXPECT_TRUE(result.message.startsWith(u"Ripristinati"_s)) << result.message.toStdString();
    }
    EXPECT_EQ(sum(u"a.mp3"_s), a);
    EXPECT_EQ(sum(u"b.mp3"_s), b);
    EXPECT_EQ(sum(u"c.mp3"_s), c);
    EXPECT_EQ(QDir(folder.filePath(u"music"_s)).entryList(QDir::Files).size(), 3);
    const UndoLog::UndoResult none = UndoLog().undoLast();
    EXPECT_FALSE(none.done);
    EXPECT_EQ(none.message, u"Non c'è nessuna modifica da annullare."_s);
}

TEST_F(UndoLogTest, AChangeMadeSinceOrATakenNameRefusesTheUndoAndChangesNothing)
{
    struct Case {
        const char *what;
        std::function<void(UndoLogTest &, const QString &renamed)> since;
        QString refusal;
    };
    const QList<Case> cases = {
        {"edited by TagLib",
         [](UndoLogTest &test, const QString &renamed) {
             TagLib::MPEG::File file(QFile::encodeName(test.folder.filePath(test.music(renamed))).constData());
             ASSERT_TRUE(file.isValid());
             file.ID3v2Tag(true)->setTitle("Edited elsewhere");
             ASSERT_TRUE(file.save());
         },
         u"è stato cambiato"_s},
        {"old name taken",
         [](UndoLogTest &test, const QString &) { test.folder.write(test.music(u"a.mp3"_s), "another file"); },
         u"è già usato da un altro file"_s},
        {"file gone",
         [](UndoLogTest &test, const QString &renamed) { QFile::remove(test.folder.filePath(test.music(renamed))); },
         u"non c'è più"_s},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.what);
        QDir(folder.filePath(u"state"_s)).removeRecursively();
        QDir(folder.filePath(u"music"_s)).removeRecursively();
        QDir(folder.path()).mkdir(u"music"_s);
        writeCovered(u"a.mp3"_s, 100, true);
        const QString renamed = rename(u"a.mp3"_s, u"Bob"_s, u"Song"_s);
        testCase.since(*this, renamed);
        const QByteArray before = folder.exists(music(renamed)) ? sum(renamed) : QByteArray();
        const QByteArray taken = folder.exists(music(u"a.mp3"_s)) ? sum(u"a.mp3"_s) : QByteArray();

        const UndoLog::UndoResult result = UndoLog().undoLast();
        EXPECT_FALSE(result.done);
        EXPECT_TRUE(result.message.contains(testCase.refusal)) << result.message.toStdString();
        EXPECT_EQ(folder.exists(music(renamed)) ? sum(renamed) : QByteArray(), before);
        EXPECT_EQ(folder.exists(music(u"a.mp3"_s)) ? sum(u"a.mp3"_s) : QByteArray(), taken);
        EXPECT_EQ(UndoLog().changes().size(), 1); // still there to try again
    }
}

TEST_F(UndoLogTest, TheLogKeepsToItsBounds)
{
    UndoLog log;
    const auto record = [&](int tagBytes) {
        UndoLog::Change change;
        change.oldPath = folder.filePath(u"old"_s);
        change.newPath = folder.filePath(u"new"_s);
        change.tagsWritten = true;
        change.oldId3v2 = QByteArray(tagBytes, 'x');
        ASSERT_TRUE(log.recordBefore(change)) << log.problem().toStdString();
    };
    for (int i = 0; i < UndoLog::maxChanges + 20; ++i)
        record(10);
    EXPECT_EQ(UndoLog().changes().size(), UndoLog::maxChanges);

    const int big = 5 * 1024 * 1024;
    for (int i = 0; i < 16; ++i)
        record(big);
    const QList<UndoLog::Change> kept = UndoLog().changes();
    qint64 bytes = 0;
    for (const UndoLog::Change &change : kept)
        bytes += change.oldId3v2.size() + change.oldId3v1.size();
    EXPECT_LE(bytes, UndoLog::maxTagBytes);
    EXPECT_EQ(kept.size(), UndoLog::maxTagBytes / big);
    // The tag bytes of dropped changes are removed with them.
    EXPECT_EQ(QDir(folder.filePath(u"state/kestrava/undo"_s)).entryList(QDir::Files).size(), kept.size());
}

TEST_F(UndoLogTest, ADamagedLogIsSetAsideAndANewOneStarts)
{
    writeCovered(u"a.mp3"_s, 100, true);
    QString name = rename(u"a.mp3"_s, u"Bob"_s, u"Song"_s);
    const QString index = folder.filePath(u"state/kestrava/undo.log"_s);
    for (const QByteArray &damage : {QByteArray("garbage"), QByteArray()}) {
        QByteArray contents = folder.read(u"state/kestrava/undo.log"_s);
        if (damage.isEmpty())
            contents[contents.size() / 2] = char(contents[contents.size() / 2] ^ 0x55); // one byte flipped
        else
            contents = damage;
        folder.write(u"state/kestrava/undo.log"_s, contents);

        UndoLog log;
        EXPECT_TRUE(log.changes().isEmpty());
        EXPECT_TRUE(log.problem().contains(u"danneggiato"_s)) << log.problem().toStdString();
        EXPECT_FALSE(QFile::exists(index));
        EXPECT_FALSE(UndoLog().undoLast().done);
        // A new log starts with the next change.
        name = rename(name, u"Bob"_s, damage.isEmpty() ? u"Song"_s : u"Other"_s);
        EXPECT_EQ(UndoLog().changes().size(), 1);
    }
    EXPECT_EQ(QDir(folder.filePath(u"state/kestrava"_s)).entryList({u"undo.log.damaged-*"_s}).size(), 2);
}

} // namespace
