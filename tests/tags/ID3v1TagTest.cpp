#include "TagBytes.h"

#include "tags/TID3TagInfo.h"

#include "platform/Errors.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

using namespace tagbytes;

namespace {
QByteArray v10Record()
{
    QByteArray record = id3v1("Title", "Artist", 0, 17);
    record.replace(97, 30, "Comment that fills all thirty!");
    return record;
}
} // namespace

TEST(ID3v1TagTest, FileWithoutTagReadsEmptyAndWriteAppends)
{
    TempFolder folder;
    const QByteArray audio = silentAudio();
    folder.write("song.mp3", audio);
    TID3TagInfo tag;
    tag.ReadFromFile("song.mp3");
    EXPECT_FALSE(tag.HasTag());
    EXPECT_EQ(tag.GetTitle(), QString());
    EXPECT_EQ(tag.GetComment(), QString());
    EXPECT_EQ(tag.GetTrack(), 0);
    EXPECT_EQ(tag.GetGenre(), QString());

    tag.SetTitle("New");
    tag.WriteToFile("song.mp3");
    const QByteArray written = folder.read("song.mp3");
    ASSERT_EQ(written.size(), audio.size() + 128);
    EXPECT_TRUE(written.startsWith(audio));
    EXPECT_EQ(written.mid(audio.size(), 6), QByteArray("TAGNew"));
    EXPECT_EQ(quint8(written.at(written.size() - 1)), 126);
}

TEST(ID3v1TagTest, ReadsFieldsOfAnID3v11Tag)
{
    TempFolder folder;
    QByteArray record = id3v1("  Caf\xE9 del Mar \x01", "Artist", 7, 17);
    record.replace(93, 4, "1999");
    record.replace(97, 11, "A comment\0x", 11);
    folder.write("song.mp3", silentAudio() + record);
    TID3TagInfo tag;
    tag.ReadFromFile("song.mp3");
    EXPECT_TRUE(tag.HasTag());
    EXPECT_EQ(tag.GetTitle(), QString::fromUtf8("Café del Mar"));
    EXPECT_EQ(tag.GetArtist(), "Artist");
    EXPECT_EQ(tag.GetYear(), "1999");
    EXPECT_EQ(tag.GetComment(), "A comment");
    EXPECT_EQ(tag.GetTrack(), 7);
    EXPECT_EQ(tag.GetGenre(), "Rock");
}

TEST(ID3v1TagTest, Version10CommentUsesThirtyBytesUntilRewrittenAsVersion11)
{
    TempFolder folder;
    const QByteArray audio = silentAudio();
    folder.write("song.mp3", audio + v10Record());
    TID3TagInfo tag;
    tag.ReadFromFile("song.mp3");
    EXPECT_EQ(tag.GetComment(), "Comment that fills all thirty!");
    EXPECT_EQ(tag.GetTrack(), 0);

    tag.SetComment(tag.GetComment());
    tag.WriteToFile("song.mp3");
    const QByteArray written = folder.read("song.mp3");
    ASSERT_EQ(written.size(), audio.size() + 128); // overwritten in place
    EXPECT_EQ(written.at(written.size() - 3), '\0');
    tag.ReadFromFile("song.mp3");
    EXPECT_EQ(tag.GetComment(), "Comment that fills all thirt");
}

TEST(ID3v1TagTest, SettersCutToTheFieldWidth)
{
    TID3TagInfo tag;
    tag.SetTitle("A very long title that is longer than thirty");
    tag.SetYear("2004abc");
    tag.SetComment(QString(40, 'c'));
    tag.SetArtist(QString());
    EXPECT_EQ(tag.GetTitle(), "A very long title that is long");
    EXPECT_EQ(tag.GetYear(), "2004");
    EXPECT_EQ(tag.GetComment(), QString(28, 'c'));
    EXPECT_EQ(tag.GetArtist(), QString());
}

TEST(ID3v1TagTest, TrackAboveOneByteIsStoredAsNone)
{
    TID3TagInfo tag;
    tag.SetTrack(255);
    EXPECT_EQ(tag.GetTrack(), 255);
    tag.SetTrack(300);
    EXPECT_EQ(tag.GetTrack(), 0);
    tag.SetTrack(0);
    EXPECT_EQ(tag.GetTrack(), 0);
}

TEST(ID3v1TagTest, GenreNamesMatchWithoutRegardToLetterCase)
{
    const struct {
        const char *text;
        const char *stored;
    } cases[] = {
        {"Blues", "Blues"},
        {"rock", "Rock"},
        {"ROCK", "Rock"},
        {"Classic Rock", "Classic Rock"},
        {"classic rock", "Classic Rock"},
        {"hip-hop", "Hip-Hop"},
        {"R&B", "R&B"},
        {"jazz+funk", "Jazz+Funk"},
        {"top 40", "Top 40"},
        {"Dance Hall", "Dance Hall"},
        {" Rock", ""}, // not trimmed
        {"Rock & Roll!", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        TID3TagInfo tag;
        tag.SetGenre(QString::fromUtf8(c.text));
        EXPECT_EQ(tag.GetGenre(), QString::fromUtf8(c.stored)) << c.text;
    }
    EXPECT_EQ(TID3TagInfo::genreIndex("Blues"), 0);
    EXPECT_EQ(TID3TagInfo::genreIndex("no such genre"), 126);
    EXPECT_STREQ(TID3TagInfo::GenreNames[40], "AlternRock");
    EXPECT_STREQ(TID3TagInfo::GenreNames[67], "Psychadelic");
    EXPECT_STREQ(TID3TagInfo::GenreNames[85], "Bebob");
    EXPECT_STREQ(TID3TagInfo::GenreNames[123], "Acapella");
}

TEST(ID3v1TagTest, FileErrorsReachTheCallerWithTheirMessages)
{
    TempFolder folder;
    folder.write("short.mp3", QByteArray(127, 'x'));
    folder.write("tagged.mp3", silentAudio() + id3v1("Title", "Artist", 3, 17));
    TID3TagInfo tag;
    tag.ReadFromFile("tagged.mp3");
    try {
        tag.ReadFromFile("short.mp3");
        FAIL() << "no error";
    } catch (const platform::StreamError &error) {
        EXPECT_EQ(error.message(), "Stream read error");
    }
    // Nothing of the file read before is left to be written into another.
    EXPECT_FALSE(tag.HasTag());
    EXPECT_EQ(tag.GetTitle(), QString());
    EXPECT_EQ(tag.GetTrack(), 0);
    try {
        tag.ReadFromFile("missing.mp3");
        FAIL() << "no error";
    } catch (const platform::FileOpenError &error) {
        EXPECT_EQ(error.message(), "Cannot open file \"missing.mp3\". No such file or directory");
    }
    EXPECT_THROW(tag.WriteToFile("missing.mp3"), platform::FileOpenError);
    EXPECT_FALSE(folder.exists("missing.mp3"));
}

TEST(ID3v1TagTest, WriteRefusesAFileWhoseEndChangedSinceTheLoad)
{
    // Read while the file had a tag, then the tag removed; read without one, then one added.
    // Each write fails and leaves the file as it is.
    TempFolder folder;
    const QByteArray audio = silentAudio();
    const QByteArray tagged = audio + id3v1("Old", "", 0, 0);
    const struct {
        QByteArray atLoad, atWrite;
    } cases[] = {{tagged, audio}, {audio, tagged}};
    for (const auto &c : cases) {
        folder.write("song.mp3", c.atLoad);
        TID3TagInfo tag;
        tag.ReadFromFile("song.mp3");
        folder.write("song.mp3", c.atWrite);
        EXPECT_THROW(tag.WriteToFile("song.mp3"), platform::StreamError);
        EXPECT_EQ(folder.read("song.mp3"), c.atWrite);
    }
    // An object never loaded writes over the tag the file ends with.
    TID3TagInfo unloaded;
    unloaded.SetTitle("Fresh");
    unloaded.WriteToFile("song.mp3");
    EXPECT_EQ(folder.read("song.mp3").size(), tagged.size());
    unloaded.ReadFromFile("song.mp3");
    EXPECT_EQ(unloaded.GetTitle(), "Fresh");
}
