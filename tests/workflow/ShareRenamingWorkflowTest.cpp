// Rinomina and tag saves on a real SMB share mounted through GVfs: a file system that
// ignores letter case by default (the share can be told to mind it), gives each spelling
// of a name its own inode number, refuses some characters in names and cannot write
// into an existing file.

#include "workflow/RenamingWorkflow.h"

#include "naming/TKestrava.h"
#include "platform/DrivePaths.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/common/SambaShare.h"
#include "tests/tags/TagBytes.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <atomic>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tagbytes;

namespace {
const QByteArray cover = QByteArray("\0image/jpeg\0\x03\0", 14) + QByteArray(5000, '\xd8');

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

class ShareRenamingWorkflowTest : public ::testing::TestWithParam<const char *> {
protected:
    // An MP3 with a title, an artist, a cover and `audioFrames` frames of audio, put on the share.
    QByteArray putMp3(const QString &name, int audioFrames = 30)
    {
        const QByteArray content = id3v2Tag(3,
                                            frameV23("TIT2", latin1Text("Song")) + frameV23("TPE1", latin1Text("Band")) +
                                                frameV23("APIC", cover),
                                            0, 64) +
                                   silentAudio(audioFrames) + tagbytes::id3v1("Song", "Band", 3, 17);
        EXPECT_TRUE(writeFile(share->guestFolder() + u'/' + name, content));
        return content;
    }
    void load(const QString &name)
    {
        workflow.setFile(platform::toDrivePath(mounted) + u'\\', name);
        workflow.readTags();
    }
    QStringList entries() const
    {
        return QDir(mounted).entryList({u"*.mp3"_s}, QDir::Files | QDir::Hidden);
    }

    void SetUp() override
    {
        share.emplace(QString::fromUtf8(GetParam()));
        mounted = share->mountGuest();
        if (mounted.isEmpty())
            GTEST_SKIP() << share->failure().toStdString();
    }

    std::optional<SambaShare> share;
    QString mounted;
    platform::ScriptedMessageResponder boxes;
    TKestrava engine;
    TID3TagInfo id3v1;
    RenamingWorkflow workflow{engine, id3v1};
};

using CaseInsensitiveShareTest = ShareRenamingWorkflowTest;
} // namespace

TEST_P(ShareRenamingWorkflowTest, RinominaRenamesAndWritesBothTagsKeepingCoverAndAudio)
{
    const QByteArray original = putMp3(u"01.mp3"_s);
    load(u"01.mp3"_s);
    TagFieldValues fields = workflow.loadedFields({}, [](TagField) { return false; });
    fields[TagField::Year] = u"1999"_s;
    workflow.proposeFromTags(fields);

    ASSERT_TRUE(workflow.renameFile()) << boxes.texts().join(u'\n').toStdString();
    ASSERT_TRUE(workflow.writeTags(fields)) << workflow.lastSaveResult().message.toStdString();
    EXPECT_EQ(entries(), QStringList{u"[Band] - Song.mp3"_s});
    const QString saved = mounted + u"/[Band] - Song.mp3"_s;
    const QByteArray bytes = readFile(saved);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(saved));
    EXPECT_EQ(v2.Title(), u"Song"_s);
    EXPECT_EQ(v2.Year(), u"1999"_s);
    EXPECT_EQ(frameOf(bytes, "APIC").data, cover);
    TID3TagInfo v1;
    v1.ReadFromFile(saved);
    EXPECT_EQ(v1.GetYear(), u"1999"_s);
    EXPECT_EQ(afterTag(bytes).chopped(128), afterTag(original).chopped(128)); // the audio
    EXPECT_TRUE(boxes.requests().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

TEST_P(ShareRenamingWorkflowTest, CaseOnlyRenameTakesTheNewSpelling)
{
    const QByteArray original = putMp3(u"song.mp3"_s);
    load(u"song.mp3"_s);
    engine.SetNewName(u"Song"_s);
    ASSERT_TRUE(workflow.renameFile()) << boxes.texts().join(u'\n').toStdString();
    EXPECT_EQ(entries(), QStringList{u"Song.mp3"_s});
    EXPECT_EQ(readFile(mounted + u"/Song.mp3"_s), original);
    EXPECT_EQ(workflow.fileName(), u"Song.mp3"_s);
}

INSTANTIATE_TEST_SUITE_P(Share, ShareRenamingWorkflowTest,
                         ::testing::Values("", "case sensitive = yes\nmangled names = no"),
                         [](const auto &info) { return info.index == 0 ? "IgnoringCase" : "CaseSensitive"; });

TEST_P(CaseInsensitiveShareTest, AnotherFileDifferingOnlyInCaseIsNeverReplaced)
{
    // Case-sensitive folders on the server may hold both spellings; the mount shows both.
    putMp3(u"song.mp3"_s);
    const QByteArray other = putMp3(u"SONG.mp3"_s, 5);
    if (entries().size() != 2)
        GTEST_SKIP() << "the share shows one of two spellings only";
    load(u"song.mp3"_s);
    engine.SetNewName(u"SONG"_s);
    EXPECT_FALSE(workflow.renameFile());
    EXPECT_EQ(boxes.texts(), QStringList{u"Nome file gia' esistente; specificare un altro nome."_s});
    EXPECT_EQ(readFile(share->guestFolder() + u"/SONG.mp3"_s), other);
}

TEST_P(CaseInsensitiveShareTest, ANameTheShareRefusesNamesTheCharacterAndKeepsTheFile)
{
    // Rinomina's proposals never hold these characters; any other caller of the rename may.
    const QByteArray original = putMp3(u"song.mp3"_s);
    ASSERT_TRUE(QDir::setCurrent(mounted));
    for (const QString &refused : {u":"_s, u"?"_s, u"*"_s, u"\""_s, u"<"_s, u">"_s, u"|"_s}) {
        boxes.clear();
        EXPECT_FALSE(TKestrava::PerformRename(u"song.mp3"_s, u"AC"_s + refused + u"DC"_s, u".mp3"_s));
        EXPECT_EQ(boxes.texts(),
                  QStringList{u"Il nome del file non può contenere il carattere \"%1\" in questa cartella."_s.arg(refused)});
        EXPECT_EQ(entries(), QStringList{u"song.mp3"_s});
    }
    QDir::setCurrent(QDir::tempPath());
    EXPECT_EQ(readFile(mounted + u"/song.mp3"_s), original);
}

TEST_P(CaseInsensitiveShareTest, ASaveCutOffByTheServerLeavesTheFileWholeAndFails)
{
    const QByteArray original = putMp3(u"song.mp3"_s, 10000); // about 4 MB: the rewrite takes a while
    load(u"song.mp3"_s);
    TagFieldValues fields = workflow.loadedFields({}, [](TagField) { return false; });
    fields[TagField::Comment] = QString(3000, u'c'); // the tag grows
    // The server stops as soon as the rewrite has created its temporary file: told by
    // the kernel at once (no polling that a loaded machine delays past the save).
    std::atomic<bool> stopped = false;
    const int events = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(events, 0);
    ASSERT_GE(::inotify_add_watch(events, QFile::encodeName(share->guestFolder()).constData(), IN_CREATE), 0);
    QThread *watcher = QThread::create([&] {
        pollfd wait{events, POLLIN, 0};
        if (::poll(&wait, 1, 60000) == 1) {
            share->stopServer();
            stopped = true;
        }
    });
    watcher->start();
    const bool saved = workflow.saveTags(fields);
    watcher->wait();
    delete watcher;
    ::close(events);
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(workflow.lastSaveResult().message.isEmpty());
    EXPECT_EQ(readFile(share->guestFolder() + u"/song.mp3"_s), original);
}

INSTANTIATE_TEST_SUITE_P(Share, CaseInsensitiveShareTest, ::testing::Values(""));
