// Saves that fail at each system call in turn, and saves killed at random points: every
// file afterwards holds its old or its new tag whole, no frame lost, one ID3v1 block, the
// audio byte for byte; a failure is reported as one; no journal or temporary file stays
// once the next save in the folder has run. Each runs in a local folder and once more on a
// real SMB share mounted through GVfs, where every save takes the rewrite path.

#include "platform/InternalFiles.h"
#include "tags/ID3v2Tag.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"

#include "tests/common/SambaShare.h"
#include "tests/tags/TagBytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

using namespace tagbytes;

namespace {
const QString OldTitle = QStringLiteral("Old title");
const QString OldComment = QStringLiteral("Old comment");

// The frames every save must keep, whatever it changes.
QByteArray keptFrames()
{
    return frameV23("APIC", QByteArray("\0image/jpeg\0\x03\0", 14) + QByteArray(20000, '\xD8')) +
           frameV23("PRIV", QByteArray("owner\0private", 13)) + frameV23("RVA2", QByteArray("track\0\x01\xFF\x00\x00", 10)) +
           frameV23("USLT", QByteArray("\0eng\0words", 10));
}

QByteArray tagOf(const QString &title, const QString &comment, int padding)
{
    return id3v2Tag(3, frameV23("TIT2", latin1Text(title.toLatin1())) +
                           frameV23("COMM", QByteArray("\0eng\0", 5) + comment.toLatin1()) + keptFrames(),
                    0, padding);
}

struct Outcome {
    bool killed = false;
    bool saved = false;
    long calls = 0;
};

// Runs one save in a child process with the shim preloaded; `killAfterMs` >= 0 kills it
// from outside after that long.
Outcome runSave(const QString &file, const QString &title, const QString &comment, long failAt, int error, bool kill,
                int killAfterMs = -1)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TAG_FAULT_SHIM));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TAG_SAVE_PROCESS), {file, title, comment, QString::number(failAt),
                                                     QString::number(error), QString::number(kill ? 1 : 0)});
    process.waitForStarted();
    if (killAfterMs >= 0 && !process.waitForFinished(killAfterMs))
        ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished(120000);
    Outcome outcome;
    outcome.killed = process.exitStatus() == QProcess::CrashExit;
    outcome.saved = !outcome.killed && process.exitCode() == 0;
    outcome.calls = process.readAllStandardOutput().trimmed().toLong();
    return outcome;
}

quint32 checksumOf(const QString &file, qint64 from, qint64 to)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || !in.seek(from))
        return 0;
    uLong crc = ::crc32(0, nullptr, 0);
    QByteArray buffer(4 << 20, Qt::Uninitialized);
    for (qint64 left = to - from; left > 0;) {
        const qint64 got = in.read(buffer.data(), std::min<qint64>(left, buffer.size()));
        if (got <= 0)
            return 0;
        crc = ::crc32(crc, reinterpret_cast<const Bytef *>(buffer.constData()), uInt(got));
        left -= got;
    }
    return quint32(crc);
}

QStringList internalFiles(const QString &folder)
{
    QStringList names;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (platform::isInternalTemporaryName(name))
            names.append(name);
    }
    return names;
}

// What a whole file holds: returns a description of what is wrong, empty when whole.
// `audioChecksum` covers the bytes from the end of the ID3v2 tag to the ID3v1 block.
struct Expectation {
    QString oldTitle, oldComment, newTitle, newComment;
    qint64 audioSize = 0;
    quint32 audioChecksum = 0;
};

QString wholeness(const QString &file, const Expectation &expected, bool reportedSaved, bool *isNew = nullptr)
{
    TID3v2 v2;
    if (!v2.ReadFromFile(file)) // repairs from a journal left beside it first
        return QStringLiteral("unreadable");
    const bool oldTag = v2.Title() == expected.oldTitle && v2.Comment() == expected.oldComment;
    const bool newTag = v2.Title() == expected.newTitle && v2.Comment() == expected.newComment;
    if (!oldTag && !newTag)
        return QStringLiteral("neither old nor new: %1 / %2").arg(v2.Title(), v2.Comment().left(40));
    if (reportedSaved && !newTag)
        return QStringLiteral("reported saved, old tag");
    id3v2::TagInfo info;
    id3v2::readTag(file, info);
    const QList<Frame23> kept = framesOf(id3v2Tag(3, keptFrames()));
    for (const Frame23 &frame : kept) {
        const bool found = std::any_of(info.frames.cbegin(), info.frames.cend(), [&](const id3v2::Frame &f) {
            return f.id == frame.id && f.stored == frame.data;
        });
        if (!found)
            return QStringLiteral("frame lost: ") + QString::fromLatin1(frame.id);
    }
    const qint64 size = QFileInfo(file).size();
    const qint64 audioStart = v2.TagSize();
    if (size - audioStart - TID3TagInfo::RecordSize != expected.audioSize ||
        checksumOf(file, audioStart, size - TID3TagInfo::RecordSize) != expected.audioChecksum)
        return QStringLiteral("audio changed or a second ID3v1 block");
    TID3TagInfo v1;
    v1.ReadFromFile(file);
    // The ID3v1 block is written after the ID3v2 tag: it may lag behind, never go ahead.
    if (!v1.HasTag() || (oldTag && !newTag && v1.GetTitle() == expected.newTitle) ||
        (reportedSaved && v1.GetTitle() != expected.newTitle))
        return QStringLiteral("ID3v1 block: ") + v1.GetTitle();
    if (isNew)
        *isNew = newTag;
    return QString();
}

// The padding of the file's tag.
qint64 freeSpace(const QString &file)
{
    id3v2::TagInfo info;
    id3v2::readTag(file, info);
    qint64 used = id3v2::HeaderSize;
    for (const id3v2::Frame &frame : info.frames)
        used += 10 + frame.stored.size();
    return id3v2::GetTagSize(info) - used;
}

bool toolsBuilt()
{
    return QFile::exists(QStringLiteral(TAG_FAULT_SHIM)) && QFile::exists(QStringLiteral(TAG_SAVE_PROCESS));
}

// Waits for the internal files of a folder to be gone: on the share, FUSE handles the close
// of a killed process's files a moment after it ends.
QStringList internalFilesLeft(const QString &folder)
{
    QElapsedTimer waited;
    waited.start();
    QStringList left = internalFiles(folder);
    while (!left.isEmpty() && waited.elapsed() < 5000) {
        ::usleep(20000);
        left = internalFiles(folder);
    }
    return left;
}

enum class Place { Local, Share };

void PrintTo(Place place, std::ostream *out)
{
    *out << (place == Place::Local ? "local folder" : "SMB share");
}

// The folders of a test: local ones, or folders on the guest share of a SambaShare.
class TagSaveFaultTest : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override
    {
        if (!toolsBuilt())
            GTEST_SKIP() << "the fault shim or the save process is not built";
        if (GetParam() == Place::Local) {
            // In memory where the system offers it: the faults test the order of the steps, not the disk.
            m_local.emplace(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/kestrava-fault-XXXXXX")
                                                                       : QDir::tempPath() + "/kestrava-fault-XXXXXX");
            ASSERT_TRUE(m_local->isValid());
            m_root = m_local->path();
            return;
        }
        m_share.emplace();
        m_root = m_share->mountGuest();
        if (m_root.isEmpty())
            GTEST_SKIP() << m_share->failure().toStdString();
    }

    bool onShare() const { return GetParam() == Place::Share; }

    // A new empty folder for one round.
    QString freshFolder()
    {
        const QString path = m_root + QStringLiteral("/%1").arg(++m_folders);
        return QDir().mkdir(path) ? path : QString();
    }

    static QString write(const QString &folder, const QString &name, const QByteArray &content)
    {
        QFile out(folder + '/' + name);
        return out.open(QIODevice::WriteOnly) && out.write(content) == content.size() && out.flush() ? out.fileName()
                                                                                                     : QString();
    }

private:
    std::optional<QTemporaryDir> m_local;
    std::optional<SambaShare> m_share;
    QString m_root;
    int m_folders = 0;
};
} // namespace

TEST_P(TagSaveFaultTest, EverySystemCallOfASaveFailingInTurnLeavesTheFileWhole)
{
    const QByteArray audio = silentAudio(40);
    const QByteArray original = tagOf(OldTitle, OldComment, 200) + audio + id3v1("Old title", "", 1, 2);
    const QString longComment(30000, QLatin1Char('c')); // does not fit: the file is rewritten
    const struct {
        const char *name;
        QString comment;
        int error;
    } cases[] = {
        {"in place", QStringLiteral("New comment"), EIO},
        {"rewrite", longComment, EIO},
        {"no space", longComment, ENOSPC},
        // A file system that cannot write into a file: the rewrite takes over where the open fails.
        {"in place unsupported", QStringLiteral("New comment"), EOPNOTSUPP},
    };
    for (const auto &c : cases) {
        // The share refuses writes into a file by itself: a save that fits takes the rewrite there too.
        if (onShare() && c.error == EOPNOTSUPP)
            continue;
        const Expectation expected{OldTitle, OldComment, QStringLiteral("New title"), c.comment, audio.size(),
                                   quint32(::crc32(0, reinterpret_cast<const Bytef *>(audio.constData()), uInt(audio.size())))};
        int failures = 0;
        for (long failAt = 1;; ++failAt) {
            const QString folder = freshFolder();
            ASSERT_FALSE(folder.isEmpty());
            const QString file = write(folder, "song.mp3", original);
            ASSERT_FALSE(file.isEmpty());
            const Outcome outcome = runSave(file, expected.newTitle, c.comment, failAt, c.error, false);
            ASSERT_FALSE(outcome.killed) << c.name << " call " << failAt;
            const QString fault = wholeness(file, expected, outcome.saved);
            EXPECT_TRUE(fault.isEmpty()) << c.name << " call " << failAt << ": " << fault.toStdString();
            // The next save in the folder completes and leaves no file of its own behind.
            TID3v2 again;
            again.ReadFromFile(file);
            again.SetTitle(QStringLiteral("Again"));
            EXPECT_TRUE(again.WriteToFile(file)) << c.name << " call " << failAt;
            EXPECT_EQ(internalFilesLeft(folder), QStringList()) << c.name << " call " << failAt;
            if (outcome.calls < failAt) {
                EXPECT_TRUE(outcome.saved) << c.name << ": the save without a fault";
                break;
            }
            failures += outcome.saved ? 0 : 1;
        }
        EXPECT_GT(failures, 5) << c.name; // the faults reached the save
    }
}

// Local saves are quick: 260 rounds on 50 MB. Over the share each save copies the file
// through SMB: 32 rounds on 8 MB, which still kill both kinds of save at many of their calls.
TEST_P(TagSaveFaultTest, SavesKilledAtRandomPointsLeaveOldOrNewTags)
{
    const int rounds = onShare() ? 32 : 260;
    const qint64 AudioSize = (onShare() ? 8 : 50) * 1024 * 1024;
    const QString folder = freshFolder();
    ASSERT_FALSE(folder.isEmpty());
    const QString file = folder + QStringLiteral("/big.mp3");
    // Sparse where it is built: silence every 5 MB and holes between. The share cannot seek
    // while writing: the file is built locally and copied there.
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    const QString built = onShare() ? local.filePath(QStringLiteral("big.mp3")) : file;
    const QByteArray tag = tagOf(OldTitle, OldComment, 2000);
    {
        QFile out(built);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(tag);
        const QByteArray silence = silentAudio(10);
        for (qint64 at = 0; at < AudioSize; at += 5 * 1024 * 1024) {
            out.seek(tag.size() + at);
            out.write(silence);
        }
        out.resize(tag.size() + AudioSize);
        out.seek(tag.size() + AudioSize);
        out.write(id3v1("Old title", "", 1, 2));
    }
    if (built != file) {
        ASSERT_TRUE(QFile::copy(built, file));
    }
    Expectation expected{OldTitle, OldComment, {}, {}, AudioSize, checksumOf(file, tag.size(), tag.size() + AudioSize)};

    // The calls and the time of a whole save of each kind, from an untouched save.
    QElapsedTimer timer;
    timer.start();
    const Outcome fitting = runSave(file, OldTitle, OldComment + "!", 0, 0, false);
    ASSERT_TRUE(fitting.saved);
    TID3v2 current;
    current.ReadFromFile(file);
    timer.restart();
    const Outcome growing = runSave(file, OldTitle, QString(current.TagSize() + 1, QLatin1Char('g')), 0, 0, false);
    const qint64 growingMs = timer.elapsed();
    ASSERT_TRUE(growing.saved);
    expected.oldComment = QString(current.TagSize() + 1, QLatin1Char('g'));

    QRandomGenerator random(20261210);
    int kills = 0;
    int newTags = 0;
    for (int round = 0; round < rounds; ++round) {
        const bool grow = round % 2 == 1;
        expected.newTitle = QStringLiteral("Title %1").arg(round);
        // A comment longer than the old one by all the free space never fits; a short one always does.
        expected.newComment = grow ? QString(expected.oldComment.size() + freeSpace(file) + 1, QLatin1Char('a' + round % 26))
                                   : QStringLiteral("Comment %1").arg(round);
        const bool fromOutside = grow && round % 4 == 1;
        const Outcome outcome =
            fromOutside ? runSave(file, expected.newTitle, expected.newComment, 0, 0, false,
                                  int(random.bounded(qint64(growingMs + 1))))
                        : runSave(file, expected.newTitle, expected.newComment,
                                  1 + random.bounded(qint64(grow ? growing.calls : fitting.calls)), 0, true);
        kills += outcome.killed ? 1 : 0;
        bool isNew = false;
        const QString fault = wholeness(file, expected, outcome.saved, &isNew);
        ASSERT_TRUE(fault.isEmpty()) << "round " << round << (grow ? " rewrite" : " in place") << ": "
                                     << fault.toStdString();
        // At most what the one killed save left: a journal (repaired and removed by the read
        // above) or a temporary copy (removed by the next save).
        EXPECT_LE(internalFiles(folder).size(), 1) << "round " << round;
        newTags += isNew ? 1 : 0;
        if (isNew) {
            expected.oldTitle = expected.newTitle;
            expected.oldComment = expected.newComment;
        }
    }
    EXPECT_GE(kills, rounds * 3 / 4);
    EXPECT_GT(newTags, 0);
    TID3v2 last;
    last.ReadFromFile(file);
    last.SetTitle(QStringLiteral("Last"));
    EXPECT_TRUE(last.WriteToFile(file));
    EXPECT_EQ(internalFilesLeft(folder), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Folders, TagSaveFaultTest, ::testing::Values(Place::Local, Place::Share),
                         [](const ::testing::TestParamInfo<Place> &info) {
                             return info.param == Place::Local ? "Local" : "Share";
                         });
