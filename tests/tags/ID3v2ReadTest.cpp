#include "TagBytes.h"

#include "tags/TID3v2.h"

#include "tests/common/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tagbytes;

namespace {
TID3v2 readBytes(const QByteArray &file)
{
    TempFolder folder;
    folder.write("song.mp3", file);
    TID3v2 tag;
    EXPECT_TRUE(tag.ReadFromFile("song.mp3"));
    return tag;
}

TID3v2 readFrames(int version, const QByteArray &frames)
{
    return readBytes(id3v2Tag(version, frames, 0, 64) + silentAudio());
}

QByteArray utf16BigEndian(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return bytes;
}

QByteArray utf16LittleEndian(const QString &text)
{
    return utf16Text(text).mid(3);
}

QByteArray unsynchronised(const QByteArray &bytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out.append(bytes.at(i));
        const bool next = i + 1 < bytes.size();
        if (quint8(bytes.at(i)) == 0xFF && (!next || bytes.at(i + 1) == 0 || quint8(bytes.at(i + 1)) >= 0xE0))
            out.append('\0');
    }
    return out;
}
} // namespace

TEST(ID3v2ReadTest, HeaderGivesVersionAndSize)
{
    QByteArray file = QByteArray("ID3\x03\x00\x00\x00\x00\x02\x01", 10) + QByteArray(257, '\0') + silentAudio();
    TID3v2 tag = readBytes(file);
    EXPECT_EQ(tag.HasTag(), 1);
    EXPECT_EQ(tag.Version(), 3);
    EXPECT_EQ(tag.TagSize(), 267);

    file[5] = char(0x10); // a footer follows
    EXPECT_EQ(readBytes(file).TagSize(), 277);

    tag = readBytes(id3v2Tag(5, frameV23("TIT2", latin1Text("Title"))) + silentAudio());
    EXPECT_EQ(tag.HasTag(), 1);
    EXPECT_EQ(tag.Version(), 5);
    EXPECT_EQ(tag.Title(), QString());

    // Larger than the file: no size, no frames.
    QByteArray truncated = id3v2Tag(3, frameV23("TIT2", latin1Text("Title")), 0, 5000);
    truncated.truncate(200);
    tag = readBytes(truncated);
    EXPECT_EQ(tag.HasTag(), 1);
    EXPECT_EQ(tag.TagSize(), 0);
    EXPECT_EQ(tag.Title(), QString());

    tag = readBytes(silentAudio());
    EXPECT_EQ(tag.HasTag(), 0);
    EXPECT_EQ(tag.TagSize(), 0);
}

TEST(ID3v2ReadTest, MissingOrShortFileReadsNothing)
{
    TempFolder folder;
    TID3v2 tag;
    tag.SetTitle("stale");
    EXPECT_FALSE(tag.ReadFromFile("missing.mp3"));
    EXPECT_EQ(tag.Title(), QString());
    folder.write("short.mp3", "ID3");
    EXPECT_FALSE(tag.ReadFromFile("short.mp3"));
}

TEST(ID3v2ReadTest, TextEncodingsAreHonouredInEveryVersion)
{
    const QString cafe = QString::fromUtf8("Café ☕");
    const struct {
        const char *name;
        QByteArray data;
        QString expected;
    } cases[] = {
        {"Latin-1", QByteArray("\x00" "Caf\xE9", 5), QString::fromUtf8("Café")},
        {"UTF-16 little-endian mark", utf16Text(cafe), cafe},
        {"UTF-16 big-endian mark", QByteArray("\x01\xFE\xFF", 3) + utf16BigEndian(cafe), cafe},
        {"UTF-16BE", '\x02' + utf16BigEndian(cafe), cafe},
        {"UTF-8", '\x03' + cafe.toUtf8(), cafe},
        {"UTF-8 with terminator", '\x03' + cafe.toUtf8() + '\0', cafe},
        {"UTF-16 without mark", '\x01' + utf16LittleEndian("Title"), "Title"},
        {"UTF-16 without mark, big-endian", '\x01' + utf16BigEndian("Title"), "Title"},
        {"UTF-16 odd length", utf16Text("Title") + 'x', "Title"},
        {"UTF-16 terminated", utf16Text("Title") + QByteArray(2, '\0'), "Title"},
        {"UTF-16 only a mark", QByteArray("\x01\xFF\xFE", 3), ""},
        {"unknown encoding as Latin-1", QByteArray("\x09" "Caf\xE9", 5), QString::fromUtf8("Café")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(readFrames(3, frameV23("TIT2", c.data)).Title(), c.expected) << c.name << " 2.3";
        EXPECT_EQ(readFrames(4, frameV24("TIT2", c.data)).Title(), c.expected) << c.name << " 2.4";
        EXPECT_EQ(readFrames(2, frameV22("TT2", c.data)).Title(), c.expected) << c.name << " 2.2";
    }
}

TEST(ID3v2ReadTest, TextAfterTheTerminatorIsAValueListOnlyInVersion4)
{
    const QByteArray data = utf16Text("Title") + QByteArray(2, '\0') + utf16Text("Other").mid(1);
    EXPECT_EQ(readFrames(3, frameV23("TIT2", data)).Title(), "Title");
    EXPECT_EQ(readFrames(4, frameV24("TIT2", data)).Title(), "Title/Other");
}

TEST(ID3v2ReadTest, LongFramesAreReadWhole)
{
    const QByteArray comment = QByteArray(400, 'c') + "END";
    const TID3v2 tag = readFrames(3, frameV23("TIT2", latin1Text(QByteArray(300, 't'))) +
                                         frameV23("COMM", QByteArray("\0eng\0", 5) + comment));
    EXPECT_EQ(tag.Title(), QString(300, 't'));
    EXPECT_EQ(tag.Comment(), QString::fromLatin1(comment));
}

TEST(ID3v2ReadTest, FramesEndWhereTheTagAndFileEnd)
{
    // A frame announcing 2 GB in a small tag, and a tag cut short by the end of the file.
    const QByteArray huge = QByteArray("TIT2\x7F\xFF\xFF\xFF\x00\x00", 10) + latin1Text("Title");
    EXPECT_EQ(readBytes(id3v2Tag(3, frameV23("TPE1", latin1Text("Artist")) + huge) + silentAudio()).Artist(), "Artist");
    QByteArray file = id3v2Tag(3, frameV23("TPE1", latin1Text("Artist")) + frameV23("TALB", latin1Text("Album")));
    EXPECT_EQ(readBytes(file).Album(), "Album");
}

TEST(ID3v2ReadTest, Version4SizesAreSyncsafeAndPlainSizesAreDetected)
{
    const QByteArray longTitle = latin1Text(QByteArray(200, 'T'));
    const QByteArray artist = latin1Text("Artist");
    TID3v2 tag = readFrames(4, frameV24("TIT2", longTitle) + frameV24("TPE1", artist));
    EXPECT_EQ(tag.Title(), QString(200, 'T'));
    EXPECT_EQ(tag.Artist(), "Artist");

    tag = readFrames(4, frameV24PlainSize("TIT2", longTitle) + frameV24PlainSize("TPE1", artist));
    EXPECT_EQ(tag.Title(), QString(200, 'T'));
    EXPECT_EQ(tag.Artist(), "Artist");

    // Plain size as the last frame before padding, and one with a byte above 127.
    tag = readFrames(4, frameV24("TPE1", artist) + frameV24PlainSize("TIT2", longTitle));
    EXPECT_EQ(tag.Title(), QString(200, 'T'));
    tag = readFrames(4, frameV24PlainSize("TIT2", latin1Text(QByteArray(130, 'x'))) + frameV24("TPE1", artist));
    EXPECT_EQ(tag.Title(), QString(130, 'x'));
    EXPECT_EQ(tag.Artist(), "Artist");
}

TEST(ID3v2ReadTest, UnsynchronisationIsUndone)
{
    const QByteArray title = QByteArray("\x00" "A\xFF\xE0", 4);
    const QString expected = QString::fromLatin1("A\xFF\xE0");
    // 2.3: the whole tag.
    const QByteArray frames23 = frameV23("TIT2", title) + frameV23("TPE1", latin1Text("\xFF"));
    TID3v2 tag = readBytes(id3v2Tag(3, unsynchronised(frames23), 0x80) + silentAudio());
    EXPECT_EQ(tag.Title(), expected);
    EXPECT_EQ(tag.Artist(), QString::fromLatin1("\xFF"));
    // 2.4: each frame that says so.
    tag = readFrames(4, frameV24("TIT2", unsynchronised(title), 0, 0x02) + frameV24("TPE1", latin1Text("B")));
    EXPECT_EQ(tag.Title(), expected);
    EXPECT_EQ(tag.Artist(), "B");
    // 2.2: the whole tag.
    tag = readBytes(id3v2Tag(2, unsynchronised(frameV22("TT2", title)), 0x80) + silentAudio());
    EXPECT_EQ(tag.Title(), expected);
}

TEST(ID3v2ReadTest, ExtendedHeaderIsSkipped)
{
    const QByteArray frames = frameV23("TIT2", latin1Text("Title"));
    const QByteArray extended23 = QByteArray("\x00\x00\x00\x06\x00\x00\x00\x00\x00\x00", 10);
    EXPECT_EQ(readBytes(id3v2Tag(3, extended23 + frames, 0x40, 32) + silentAudio()).Title(), "Title");
    const QByteArray extended24 = QByteArray("\x00\x00\x00\x06\x01\x00", 6);
    EXPECT_EQ(readBytes(id3v2Tag(4, extended24 + frameV24("TIT2", latin1Text("Title")), 0x40, 32) + silentAudio()).Title(),
              "Title");
}

TEST(ID3v2ReadTest, DataLengthIndicatorAndCompression)
{
    const QByteArray text = latin1Text(QByteArray(300, 'z'));
    const QByteArray compressed = qCompress(text); // 4-byte big-endian size + zlib stream
    TID3v2 tag = readFrames(3, frameV23("TIT2", compressed, 0, 0x80));
    EXPECT_EQ(tag.Title(), QString(300, 'z'));
    tag = readFrames(4, frameV24("TIT2", syncsafe(quint32(text.size())) + compressed.mid(4), 0, 0x09));
    EXPECT_EQ(tag.Title(), QString(300, 'z'));
    tag = readFrames(4, frameV24("TIT2", syncsafe(6) + latin1Text("Title"), 0, 0x01));
    EXPECT_EQ(tag.Title(), "Title");
    // Encrypted frames cannot be read; the next frame still is.
    tag = readFrames(3, frameV23("TIT2", "\x80" + latin1Text("xx"), 0, 0x40) + frameV23("TPE1", latin1Text("A")));
    EXPECT_EQ(tag.Title(), QString());
    EXPECT_EQ(tag.Artist(), "A");
}

TEST(ID3v2ReadTest, TrackYearAndFallbackSlots)
{
    const struct {
        const char *track;
        int expected;
    } tracks[] = {{"3/12", 3}, {" 7 ", 7}, {"abc", 0}, {"300", 300}, {"999/999", 999}, {"1000", 0}, {"-1", 0}, {"", 0}};
    for (const auto &c : tracks)
        EXPECT_EQ(readFrames(3, frameV23("TRCK", latin1Text(c.track))).Track(), c.expected) << c.track;

    TID3v2 tag = readFrames(3, frameV23("TIT2", latin1Text("")) + frameV23("TIT1", latin1Text("Group")) +
                                   frameV23("TOPE", latin1Text("Original")) + frameV23("TOAL", latin1Text("First")) +
                                   frameV23("TDRC", latin1Text("2004-05-06")));
    EXPECT_EQ(tag.Title(), "Group");
    EXPECT_EQ(tag.Artist(), "Original");
    EXPECT_EQ(tag.Album(), "First");
    EXPECT_EQ(tag.Year(), "2004");
    tag = readFrames(3, frameV23("TYER", latin1Text("1999")) + frameV23("TDRC", latin1Text("2004")) +
                            frameV23("TIT2", latin1Text("Title")) + frameV23("TIT1", latin1Text("Group")));
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.Title(), "Title");
}

TEST(ID3v2ReadTest, GenreFromContentType)
{
    const struct {
        int version;
        QByteArray text;
        const char *expected;
    } cases[] = {
        {3, "(17)", "Rock"},
        {3, "(17)Rock", "Rock"},
        {3, "(17) Rock", "Rock"},
        {3, "Rock (live)", "Rock (live)"},
        {3, "((Rock", "(Rock"},
        {3, "(200)", "(200)"},
        {3, "(RX)", "Remix"},
        {3, "(0)(17)", "Blues/Rock"},
        {3, "17", "17"},
        {4, "17", "Rock"},
        {4, QByteArray("17\0Pop\0", 7), "Rock/Pop"},
        {4, QByteArray("Trip-Hop\0" "126", 12), "Trip-Hop/126"},
        {4, "CR", "Cover"},
        {2, "(8)", "Jazz"},
    };
    for (const auto &c : cases) {
        const QByteArray data = latin1Text(c.text);
        const QByteArray frame = c.version == 2 ? frameV22("TCO", data)
                                 : c.version == 3 ? frameV23("TCON", data)
                                                  : frameV24("TCON", data);
        EXPECT_EQ(readFrames(c.version, frame).Genre(), c.expected) << c.text.constData();
    }
}

TEST(ID3v2ReadTest, CommentAndLinkShownAreChosenByDescription)
{
    const QByteArray itunes = frameV23("COMM", QByteArray("\0eng" "iTunNORM\0 000001A2 00000190", 27));
    const QByteArray described = frameV23("COMM", QByteArray("\0engdesc\0Nice", 13));
    const QByteArray plain = frameV23("COMM", QByteArray("\0ita\0Bello", 10));
    const QByteArray utf16 = frameV23("COMM", QByteArray("\x01" "eng\xFF\xFE\0\0", 8) + utf16Text("Wide").mid(1));
    EXPECT_EQ(readFrames(3, described).Comment(), "Nice");
    EXPECT_EQ(readFrames(3, itunes + described + plain).Comment(), "Bello");
    EXPECT_EQ(readFrames(3, itunes + described).Comment(), "Nice");
    EXPECT_EQ(readFrames(3, itunes).Comment(), QString());
    EXPECT_EQ(readFrames(3, itunes + utf16).Comment(), "Wide");

    const QByteArray namedLink = frameV23("WXXX", QByteArray("\0Shop\0http://shop", 17));
    const QByteArray link = frameV23("WXXX", QByteArray("\0\0http://home", 13));
    const QByteArray wideLink = frameV23("WXXX", utf16Text("Name") + QByteArray(2, '\0') + "http://wide");
    EXPECT_EQ(readFrames(3, namedLink + link).Link(), "http://home");
    EXPECT_EQ(readFrames(3, namedLink).Link(), "http://shop");
    EXPECT_EQ(readFrames(3, wideLink).Link(), "http://wide");
}

TEST(ID3v2ReadTest, Version22Tag)
{
    const TID3v2 tag = readFrames(2, frameV22("TT2", latin1Text("Title")) + frameV22("TP1", latin1Text("Artist")) +
                                         frameV22("TAL", latin1Text("Album")) + frameV22("TRK", latin1Text("5/9")) +
                                         frameV22("TYE", latin1Text("2001")) +
                                         frameV22("COM", QByteArray("\0eng\0Comment", 12)) +
                                         frameV22("WXX", QByteArray("\0\0http://x", 10)) +
                                         frameV22("TCM", latin1Text("Composer")));
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Album(), "Album");
    EXPECT_EQ(tag.Track(), 5);
    EXPECT_EQ(tag.Year(), "2001");
    EXPECT_EQ(tag.Comment(), "Comment");
    EXPECT_EQ(tag.Link(), "http://x");
    EXPECT_EQ(tag.Composer(), "Composer");
}

TEST(ID3v2ReadTest, ReadingClearsValuesOfTheFileBefore)
{
    TID3v2 tag = readFrames(3, frameV23("TIT2", latin1Text("First")) + frameV23("TCOM", latin1Text("C")));
    TempFolder folder;
    folder.write("plain.mp3", silentAudio());
    EXPECT_TRUE(tag.ReadFromFile("plain.mp3"));
    EXPECT_EQ(tag.Title(), QString());
    EXPECT_EQ(tag.Composer(), QString());
}
