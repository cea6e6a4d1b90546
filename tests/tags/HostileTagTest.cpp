// Damaged and hostile tags: what cannot be read is kept or the save asks first, names that
// are no regular file are refused without blocking, compressed frames are capped.

#include "TagBytes.h"

#include "platform/Errors.h"
#include "tags/ID3v2FrameDecoder.h"
#include "tags/ID3v2FrameFields.h"
#include "tags/ID3v2Tag.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"

#include "tests/common/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

using namespace tagbytes;

namespace {
QList<QByteArray> idsOf(const QByteArray &file)
{
    QList<QByteArray> ids;
    for (const Frame23 &frame : framesOf(file))
        ids.append(frame.id);
    return ids;
}

// `head` followed by `size` bytes of 'a', compressed as one zlib stream in pieces (the
// whole never in memory).
QByteArray deflated(const QByteArray &head, qint64 size)
{
    z_stream stream{};
    deflateInit(&stream, Z_DEFAULT_COMPRESSION);
    QByteArray out;
    char buffer[1 << 16];
    const auto feed = [&](const QByteArray &bytes, int flush) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
        stream.avail_in = uInt(bytes.size());
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    const QByteArray piece(1 << 20, 'a');
    for (qint64 left = size; left > piece.size(); left -= piece.size())
        feed(piece, Z_NO_FLUSH);
    feed(piece.first(qsizetype(size % piece.size() ? size % piece.size() : piece.size())), Z_FINISH);
    deflateEnd(&stream);
    return out;
}

// A compressed 2.3 COMM frame whose text is `size` letters.
QByteArray compressedComment(qint64 size, const QByteArray &description)
{
    const QByteArray head = QByteArray("\0eng", 4) + description + '\0';
    return frameV23("COMM", bigEndian(quint32(size + head.size()), 4) + deflated(head, size), 0, 0x80);
}
} // namespace

TEST(HostileTagTest, FrameWithABadIdIsKeptWholeWithEveryFrameAfterIt)
{
    TempFolder folder;
    const QByteArray bad = QByteArray("T\x01T2", 4) + bigEndian(5, 4) + QByteArray(2, '\0') + QByteArray("\0oops", 5);
    QByteArray frames = frameV23("TIT2", latin1Text("Old")) + bad;
    for (int i = 0; i < 31; ++i)
        frames += frameV23("TXXX", QByteArray("\0key", 4) + QByteArray::number(i) + '\0' + "value");
    folder.write("song.mp3", id3v2Tag(3, frames, 0, 20) + silentAudio());
    id3v2::TagInfo info;
    id3v2::readTag("song.mp3", info);
    EXPECT_EQ(info.frames.size(), 33);
    EXPECT_FALSE(id3v2::losesUnreadableParts(info));

    TID3v2 tag;
    tag.ReadFromFile("song.mp3");
    tag.SetTitle("New");
    ASSERT_TRUE(tag.WriteToFile("song.mp3"));
    const QByteArray file = folder.read("song.mp3");
    const QList<QByteArray> ids = idsOf(file);
    EXPECT_EQ(ids.count("TXXX"), 31);
    EXPECT_EQ(ids.first(), "TIT2");
    // The frame with the bad ID last, as it was, so a reader that stops there misses nothing.
    EXPECT_TRUE(file.contains(bad));
    EXPECT_LT(file.indexOf(frameV23("TXXX", QByteArray("\0key30\0value", 12))), file.indexOf(bad));
}

TEST(HostileTagTest, BytesThatAreNoFrameAskBeforeTheyAreLost)
{
    TempFolder folder;
    const QByteArray original = id3v2Tag(3, frameV23("TIT2", latin1Text("Title")) + QByteArray("\x01\x02\x03garbage", 10) +
                                                frameV23("TPE1", latin1Text("Artist")) +
                                                frameV23("TALB", latin1Text("Album")),
                                        0, 30) +
                                silentAudio();
    folder.write("song.mp3", original);
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile("song.mp3"));
    EXPECT_EQ(tag.Artist(), "Artist"); // read on after the bytes it skipped
    EXPECT_EQ(tag.Album(), "Album");
    tag.SetTitle("New");
    const TID3v2::SaveResult refused = tag.SaveToFile("song.mp3");
    EXPECT_EQ(refused.status, TID3v2::SaveStatus::UnreadablePartsWouldBeLost);
    EXPECT_EQ(refused.message, TID3v2::unreadablePartsQuestion());
    EXPECT_FALSE(tag.WriteToFile("song.mp3"));
    EXPECT_EQ(folder.read("song.mp3"), original);

    ASSERT_TRUE(tag.SaveToFile("song.mp3", true).saved());
    const QByteArray file = folder.read("song.mp3");
    EXPECT_EQ(idsOf(file), (QList<QByteArray>{"TIT2", "TPE1", "TALB"}));
    EXPECT_EQ(afterTag(file), silentAudio());
}

TEST(HostileTagTest, UnsynchronisationFlagIsTrustedOnlyWhenUndoingItGivesWellFormedFrames)
{
    const QByteArray picture = QByteArray("\0image/jpeg\0\x03\0\xFF\x00\x01\xFF\x00\xFF\xE0", 21);
    const QByteArray frames = frameV23("APIC", picture) + frameV23("TIT2", latin1Text("Title"));
    // Flag set, bytes not unsynchronised: read and kept as they stand.
    // Flag set, bytes unsynchronised (FF 00 after each FF): undone.
    QByteArray synchronised = frames;
    synchronised.replace(QByteArray("\xFF", 1), QByteArray("\xFF\x00", 2));
    const struct {
        const char *name;
        QByteArray body;
    } cases[] = {{"wrong flag", frames}, {"right flag", synchronised}};
    for (const auto &c : cases) {
        TempFolder folder;
        folder.write("song.mp3", id3v2Tag(3, c.body, 0x80, 10) + silentAudio());
        TID3v2 tag;
        tag.ReadFromFile("song.mp3");
        EXPECT_EQ(tag.Title(), "Title") << c.name;
        tag.SetArtist("Artist");
        ASSERT_TRUE(tag.WriteToFile("song.mp3")) << c.name;
        EXPECT_EQ(frameOf(folder.read("song.mp3"), "APIC").data, picture) << c.name;
    }
}

TEST(HostileTagTest, NamesThatAreNoRegularFileAreRefusedWithoutBlocking)
{
    TempFolder folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("pipe.mp3")).constData(), 0600), 0);
    QDir(folder.path()).mkdir("folder.mp3");
    for (const char *name : {"pipe.mp3", "folder.mp3"}) {
        TID3v2 v2;
        EXPECT_FALSE(v2.ReadFromFile(name)) << name;
        const TID3v2::SaveResult saved = v2.SaveToFile(name);
        EXPECT_EQ(saved.status, TID3v2::SaveStatus::ReadFailed) << name;
        EXPECT_TRUE(saved.message.contains("Not a regular file")) << saved.message.toStdString();
        TID3TagInfo v1;
        try {
            v1.ReadFromFile(name);
            ADD_FAILURE() << name << " read";
        } catch (const platform::FileOpenError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot open file \"%1\". Not a regular file.").arg(name));
        }
    }
}

TEST(HostileTagTest, CompressedFramesAreCapped)
{
    TempFolder folder;
    // An 8 MB comment in a few kilobytes, sixteen times: each text is cut at its limit.
    QByteArray bombs = compressedComment(8 << 20, "");
    for (int i = 1; i < 16; ++i)
        bombs += compressedComment(8 << 20, "d" + QByteArray::number(i));
    folder.write("bomb.mp3", id3v2Tag(3, bombs) + silentAudio());
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile("bomb.mp3"));
    EXPECT_EQ(tag.Comment(), QString(int(id3v2::MaxInflatedTextSize) - 5, QLatin1Char('a')));
    // Writing the cut text back would lose the rest: the save asks first.
    EXPECT_EQ(tag.SaveToFile("bomb.mp3").status, TID3v2::SaveStatus::UnreadablePartsWouldBeLost);

    // Other frames up to their own limit, all of a tag's frames together up to the tag's.
    const qint64 each = id3v2::MaxInflatedFrameSize - 1024;
    QByteArray objects;
    const int count = int(id3v2::MaxInflatedTagSize / each) + 1;
    for (int i = 0; i < count; ++i)
        objects += frameV23("PRIV", bigEndian(quint32(each + 2), 4) + deflated(QByteArray("o\0", 2), each), 0, 0x80);
    folder.write("objects.mp3", id3v2Tag(3, objects) + silentAudio());
    id3v2::TagInfo info;
    id3v2::readTag("objects.mp3", info);
    ASSERT_EQ(info.frames.size(), count);
    for (int i = 0; i + 1 < count; ++i)
        EXPECT_EQ(info.frames.at(i).content.size(), each + 2) << i;
    EXPECT_FALSE(info.frames.last().readable);
    EXPECT_EQ(info.frames.last().payload.size(), objects.size() / count - 14); // kept as it was
}

TEST(HostileTagTest, TextOfAFrameIsNotSplitIntoMillionsOfValues)
{
    const QByteArray content = QByteArray(1, '\0') + QByteArray(3'000'000, '\0') + "end";
    const std::optional<id3v2::FrameFields> fields = id3v2::parseFields("TPE1", content);
    ASSERT_TRUE(fields.has_value());
    const QStringList values = fields->fields.at(1).texts;
    EXPECT_EQ(values.size(), id3v2::TextReader::MaxValues);
    // The last value holds the rest, so writing the frame again keeps its bytes.
    EXPECT_TRUE(values.last().endsWith("end"));
    EXPECT_EQ(id3v2::renderFields(*fields), content);
}
