#include "TagBytes.h"

#include "platform/FileRewrite.h"
#include "tags/ID3v2Tag.h"
#include "tags/TID3v2.h"

#include "tests/common/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tagbytes;

namespace {
// Writes `file`, reads its tag, lets `edit` change the values, writes the tag back.
template <typename Edit>
QByteArray rewritten(const QByteArray &file, Edit edit)
{
    TempFolder folder;
    folder.write("song.mp3", file);
    TID3v2 tag;
    tag.ReadFromFile("song.mp3");
    edit(tag);
    EXPECT_TRUE(tag.WriteToFile("song.mp3"));
    return folder.read("song.mp3");
}

QByteArray rewritten(const QByteArray &file)
{
    return rewritten(file, [](TID3v2 &) {});
}

TID3v2 readBack(const QByteArray &file)
{
    TempFolder folder;
    folder.write("song.mp3", file);
    TID3v2 tag;
    tag.ReadFromFile("song.mp3");
    return tag;
}

QList<QByteArray> idsOf(const QByteArray &file)
{
    QList<QByteArray> ids;
    for (const Frame23 &frame : framesOf(file))
        ids.append(frame.id);
    return ids;
}

// The tag as the writer puts it in place of one of `oldTagSize` bytes: padded to the old
// size when it fits there, else with room to grow (and aligned on file systems that share
// blocks between files).
QByteArray asWritten(const QByteArray &tag, qint64 oldTagSize)
{
    if (oldTagSize > 0 && tag.size() <= oldTagSize)
        return id3v2::paddedTag(tag, oldTagSize);
    const TempFolder folder;
    const QByteArray grown = id3v2::paddedTag(tag, tag.size() + id3v2::paddingForGrowth(tag.size()));
    return id3v2::alignedTag(grown, oldTagSize,
                             platform::filerewrite::blockSharingAlignment(QFile::encodeName(folder.path())));
}

QByteArray frameBytes(const Frame23 &frame)
{
    return frame.id + bigEndian(quint32(frame.data.size()), 4) + frame.flags + frame.data;
}
} // namespace

TEST(ID3v2WriteTest, WritesTextFramesInSlotOrder)
{
    const QByteArray audio = silentAudio();
    const QByteArray file = rewritten(audio, [](TID3v2 &tag) {
        tag.SetTitle("Title");
        tag.SetArtist("Artist");
        tag.SetAlbum("Album");
    });
    const QByteArray expected = QByteArray("ID3\x03\x00\x00\x00\x00\x00\x31", 10) +
                                QByteArray("TIT2\0\0\0\x06\0\0\0Title", 16) +
                                QByteArray("TPE1\0\0\0\x07\0\0\0Artist", 17) + QByteArray("TALB\0\0\0\x06\0\0\0Album", 16);
    EXPECT_EQ(file, asWritten(expected, 0) + audio);
    EXPECT_EQ(id3v2::BuildHeader(20000).mid(6), QByteArray("\x00\x01\x1C\x20", 4));
}

TEST(ID3v2WriteTest, EmptyValuesReplaceTheOldTagByAnEmptyOne)
{
    const QByteArray audio = silentAudio();
    const QByteArray file =
        rewritten(id3v2Tag(4, frameV24("TIT2", latin1Text("Old")), 0, 100) + audio, [](TID3v2 &tag) { tag.SetTitle(""); });
    EXPECT_EQ(file, asWritten(QByteArray("ID3\x03\0\0\0\0\0\0", 10), 10 + 14 + 100) + audio);
}

TEST(ID3v2WriteTest, TextIsLatin1WhenItFitsElseUtf16WithMark)
{
    const QString wide = QString::fromUtf8("Жан ☕");
    const QByteArray file = rewritten(silentAudio(), [&](TID3v2 &tag) {
        tag.SetTitle(QString::fromUtf8("Café"));
        tag.SetArtist(wide);
        tag.SetComment(wide);
        tag.SetLink("http://example.org/ü");
    });
    EXPECT_EQ(frameOf(file, "TIT2").data, QByteArray("\0Caf\xE9", 5));
    EXPECT_EQ(frameOf(file, "TPE1").data, utf16Text(wide));
    EXPECT_EQ(frameOf(file, "COMM").data, QByteArray("\x01" "eng\xFF\xFE\0\0", 8) + utf16Text(wide).mid(1));
    EXPECT_EQ(frameOf(file, "WXXX").data, QByteArray("\0\0http://example.org/\xFC", 22));
    const TID3v2 tag = readBack(file);
    EXPECT_EQ(tag.Title(), QString::fromUtf8("Café"));
    EXPECT_EQ(tag.Artist(), wide);
    EXPECT_EQ(tag.Comment(), wide);
    EXPECT_EQ(tag.Link(), "http://example.org/ü");
}

TEST(ID3v2WriteTest, LinkCharactersOutsideLatin1ArePercentEncoded)
{
    const QByteArray file = rewritten(silentAudio(), [](TID3v2 &tag) { tag.SetLink(QString::fromUtf8("http://x/ж😀")); });
    EXPECT_EQ(readBack(file).Link(), "http://x/%D0%B6%F0%9F%98%80");
}

TEST(ID3v2WriteTest, GenreBeginningWithAParenthesisComesBackAsItWas)
{
    const QByteArray file = rewritten(silentAudio(), [](TID3v2 &tag) { tag.SetGenre("(17)Live"); });
    EXPECT_EQ(frameOf(file, "TCON").data, latin1Text("((17)Live"));
    EXPECT_EQ(readBack(file).Genre(), "(17)Live");
}

TEST(ID3v2WriteTest, ReplacedCommentKeepsItsLanguageAndTrackItsTotal)
{
    const QByteArray itunes = frameV23("COMM", QByteArray("\0engiTunNORM\0 0000", 18));
    const QByteArray old = id3v2Tag(3, itunes + frameV23("COMM", QByteArray("\0ita\0vecchio", 12)) +
                                           frameV23("COMM", QByteArray("\0ita\0copia", 10)) +
                                           frameV23("TRCK", latin1Text("3/12")));
    const QByteArray file = rewritten(old + silentAudio(), [](TID3v2 &tag) {
        tag.SetComment("nuovo");
        tag.SetTrack(5);
    });
    EXPECT_EQ(frameOf(file, "TRCK").data, latin1Text("5/12"));
    QList<QByteArray> comments;
    for (const Frame23 &frame : framesOf(file)) {
        if (frame.id == "COMM")
            comments.append(frame.data);
    }
    EXPECT_EQ(comments, (QList<QByteArray>{QByteArray("\0ita\0nuovo", 10), QByteArray("\0engiTunNORM\0 0000", 18)}));
}

TEST(ID3v2WriteTest, DescribedCommentAndLinkAreWrittenBackIntoTheirOwnFrames)
{
    const QByteArray custom = frameV23("COMM", QByteArray("\0deuNotes\0xyz", 13));
    const QByteArray shop = frameV23("WXXX", QByteArray("\0Shop\0http://shop", 17));
    const QByteArray old = id3v2Tag(3, custom + shop) + silentAudio();
    ASSERT_EQ(readBack(old).Comment(), "xyz");
    ASSERT_EQ(readBack(old).Link(), "http://shop");

    QByteArray file = rewritten(old);
    EXPECT_EQ(framesOf(file), framesOf(id3v2Tag(3, custom + shop)));

    file = rewritten(old, [](TID3v2 &tag) { tag.SetComment("new"); });
    EXPECT_EQ(idsOf(file), (QList<QByteArray>{"COMM", "WXXX"}));
    EXPECT_EQ(frameOf(file, "COMM").data, QByteArray("\0deuNotes\0new", 13));

    file = rewritten(old, [](TID3v2 &tag) {
        tag.SetComment("");
        tag.SetLink("");
    });
    // Cleared values take their frames with them.
    EXPECT_TRUE(framesOf(file).isEmpty());
    EXPECT_EQ(readBack(file).Comment(), QString());
    EXPECT_EQ(readBack(file).Link(), QString());
}

TEST(ID3v2WriteTest, EveryOtherFrameOfA23TagIsKeptByteForByte)
{
    const QList<QByteArray> kept = {
        frameV23("APIC", QByteArray("\0image/jpeg\0\x03\0\xFF\xD8\xFF\xE0 jpeg", 22)),
        frameV23("USLT", QByteArray("\0eng\0Lyrics\nline two", 20)),
        frameV23("TXXX", QByteArray("\0MusicBrainz Album Id\0abc", 25)),
        frameV23("PRIV", QByteArray("owner\0\x01\x02\x03", 9)),
        frameV23("POPM", QByteArray("a@b\0\xC8\0\0\0\x05", 9)),
        frameV23("UFID", QByteArray("http://musicbrainz.org\0id", 25)),
        frameV23("COMM", QByteArray("\0engdesc\0described", 18)),
        frameV23("WXXX", QByteArray("\0Shop\0http://shop", 17)),
        frameV23("TIT1", latin1Text("Group")),
        frameV23("TOPE", latin1Text("Original")),
        frameV23("TOAL", latin1Text("First album")),
        frameV23("TDAT", latin1Text("0605")),
        frameV23("TIME", latin1Text("1020")),
        frameV23("TDRC", latin1Text("2004")),
        frameV23("TSOP", utf16Text("Sort")),
        frameV23("XTST", QByteArray("\x01\x02", 2), 0x80, 0x20),
        frameV23("TPE2", qCompress(latin1Text("Band")), 0, 0x80),
    };
    const QByteArray replaced = frameV23("TIT2", latin1Text("Old title")) + frameV23("COMM", QByteArray("\0eng\0old", 8)) +
                                frameV23("WXXX", QByteArray("\0\0http://old", 12)) + frameV23("TYER", latin1Text("1999"));
    const QByteArray audio = silentAudio();
    const QByteArray file = rewritten(id3v2Tag(3, kept.first() + replaced + kept.mid(1).join(), 0, 500) + audio,
                                      [](TID3v2 &tag) {
                                          tag.SetTitle("New title");
                                          tag.SetComment("new");
                                          tag.SetLink("http://new");
                                          tag.SetYear("2004");
                                      });
    // The values (artist and album from their fallbacks TOPE and TOAL) come first.
    const QList<Frame23> frames = framesOf(file);
    EXPECT_EQ(idsOf(file).mid(0, 6), (QList<QByteArray>{"TIT2", "TPE1", "TALB", "TYER", "COMM", "WXXX"}));
    QByteArray keptWritten;
    for (const Frame23 &frame : frames.mid(6))
        keptWritten += frameBytes(frame);
    EXPECT_EQ(keptWritten, kept.join());
    EXPECT_EQ(afterTag(file), audio);
    const TID3v2 tag = readBack(file);
    EXPECT_EQ(tag.Title(), "New title");
    EXPECT_EQ(tag.Comment(), "new");
    EXPECT_EQ(tag.Link(), "http://new");
}

TEST(ID3v2WriteTest, Version24FramesAreConvertedTo23)
{
    const QByteArray picture = QByteArray("\x03image/png\0\x03", 12) + QString::fromUtf8("Cöver ☕").toUtf8() +
                               QByteArray("\0\x89PNG\0\0", 7);
    const QByteArray frames =
        frameV24("TDRC", latin1Text("2004-05-06T10:20:30")) + frameV24("TDOR", latin1Text("1990-01-01")) +
        frameV24("APIC", picture) + frameV24("TXXX", QByteArray("\x03" "Key\0", 5) + QString::fromUtf8("Wert ü").toUtf8()) +
        frameV24("TPE2", QByteArray("\x00" "A\0B", 4)) +
        frameV24("TIPL", QByteArray("\x00" "producer\0P\0", 12)) + frameV24("TMCL", QByteArray("\x00" "piano\0Q", 8)) +
        frameV24("USLT", syncsafe(10) + QByteArray("\x00" "eng\0\xFF\x00\xE0xt", 11), 0x40, 0x03) +
        frameV24("RVA2", QByteArray("track\0\x01\x00\x00\x00", 10)) + frameV24("SEEK", bigEndian(10, 4)) +
        frameV24("ASPI", QByteArray(10, '\1')) + frameV24("EQU2", QByteArray(4, '\1')) + frameV24("SIGN", "\x01sig") +
        frameV24("TMOO", latin1Text("Calm"));
    const QByteArray audio = silentAudio();
    const QByteArray file = rewritten(id3v2Tag(4, frames, 0, 50) + audio);
    // Frames 2.3 has no form for are carried as they are.
    EXPECT_EQ(idsOf(file), (QList<QByteArray>{"TYER", "TDAT", "TIME", "TORY", "APIC", "TXXX", "TPE2", "IPLS", "USLT",
                                              "RVA2", "SEEK", "ASPI", "EQU2", "SIGN", "TMOO"}));
    EXPECT_EQ(frameOf(file, "RVA2").data, QByteArray("track\0\x01\x00\x00\x00", 10));
    EXPECT_EQ(frameOf(file, "SIGN").data, QByteArray("\x01sig"));
    EXPECT_EQ(frameOf(file, "TYER").data, latin1Text("2004"));
    EXPECT_EQ(frameOf(file, "TDAT").data, latin1Text("0605"));
    EXPECT_EQ(frameOf(file, "TIME").data, latin1Text("1020"));
    EXPECT_EQ(frameOf(file, "TORY").data, latin1Text("1990"));
    const QByteArray coverText = utf16Text(QString::fromUtf8("Cöver ☕")).mid(1);
    EXPECT_EQ(frameOf(file, "APIC").data,
              QByteArray("\x01image/png\0\x03", 12) + coverText + QByteArray("\0\0\x89PNG\0\0", 8));
    EXPECT_EQ(frameOf(file, "TXXX").data, QByteArray("\0Key\0Wert \xFC", 11));
    EXPECT_EQ(frameOf(file, "TPE2").data, latin1Text("A/B"));
    EXPECT_EQ(frameOf(file, "IPLS").data, QByteArray("\0producer\0P\0piano\0Q", 19));
    // Unsynchronisation and data length indicator gone; the tag-alter flag kept in its 2.3 place.
    EXPECT_EQ(frameOf(file, "USLT").flags, QByteArray("\x80\x00", 2));
    EXPECT_EQ(frameOf(file, "USLT").data, QByteArray("\0eng\0\xFF\xE0xt", 10));
    EXPECT_EQ(afterTag(file), audio);
    EXPECT_EQ(readBack(file).Year(), "2004");
}

TEST(ID3v2WriteTest, Version22FramesGetTheir23Ids)
{
    const QByteArray frames = frameV22("TT2", latin1Text("Title")) + frameV22("TT1", latin1Text("Group")) +
                              frameV22("PIC", QByteArray("\0JPG\x03" "desc\0\xFF\xD8", 12)) +
                              frameV22("ULT", QByteArray("\0eng\0words", 10)) +
                              frameV22("TXX", QByteArray("\0k\0v", 4)) + frameV22("CRM", "owner\0x") +
                              frameV22("LNK", "PICurl\0") +
                              frameV22("TCP", latin1Text("1")) + frameV22("ZZZ", "unknown");
    // CRM, LNK and ZZZ have no 2.3 form: the plain save refuses, the one that accepts the loss writes.
    TempFolder folder;
    folder.write("song.mp3", id3v2Tag(2, frames) + silentAudio());
    TID3v2 tag;
    tag.ReadFromFile("song.mp3");
    EXPECT_FALSE(tag.WriteToFile("song.mp3"));
    EXPECT_EQ(tag.SaveToFile("song.mp3").status, TID3v2::SaveStatus::UnreadablePartsWouldBeLost);
    EXPECT_EQ(folder.read("song.mp3"), id3v2Tag(2, frames) + silentAudio());
    EXPECT_TRUE(tag.SaveToFile("song.mp3", true).saved());
    const QByteArray file = folder.read("song.mp3");
    EXPECT_EQ(idsOf(file), (QList<QByteArray>{"TIT2", "TIT1", "APIC", "USLT", "TXXX", "TCMP"}));
    EXPECT_EQ(frameOf(file, "APIC").data, QByteArray("\0image/jpeg\0\x03" "desc\0\xFF\xD8", 20));
    EXPECT_EQ(frameOf(file, "USLT").data, QByteArray("\0eng\0words", 10));
    EXPECT_EQ(readBack(file).Title(), "Title");
}

TEST(ID3v2WriteTest, EverythingAfterTheTagIsCopiedUnchanged)
{
    // Audio, an APEv2 block, a Lyrics3 block and an ID3v1 tag.
    const QByteArray tail = silentAudio(20) + QByteArray("APETAGEX") + QByteArray(24, '\x07') +
                            QByteArray("LYRICSBEGIN la la 000017LYRICS200") + id3v1("Title", "Artist", 3, 17);
    const QByteArray file = rewritten(id3v2Tag(3, frameV23("TIT2", latin1Text("Old")), 0, 2048) + tail,
                                      [](TID3v2 &tag) { tag.SetTitle("A much longer title than before"); });
    EXPECT_EQ(afterTag(file), tail);
    // A tag larger than the file is kept whole behind the new one.
    QByteArray broken = id3v2Tag(3, frameV23("TIT2", latin1Text("Old")), 0, 9000);
    broken.truncate(300);
    const QByteArray kept = rewritten(broken, [](TID3v2 &tag) { tag.SetTitle("New"); });
    EXPECT_EQ(afterTag(kept), broken);
}
