#include "tags/TID3v2.h"

#include <gtest/gtest.h>

TEST(TagValuesTest, NewObjectIsEmpty)
{
    TID3v2 tag;
    EXPECT_EQ(tag.HasTag(), 0);
    EXPECT_EQ(tag.Version(), 0);
    EXPECT_EQ(tag.TagSize(), 0);
    EXPECT_EQ(tag.Track(), 0);
    EXPECT_TRUE(tag.Title().isEmpty());
    EXPECT_TRUE(tag.Link().isEmpty());
}

TEST(TagValuesTest, SettersTrimControlCharactersAndSpacesOnly)
{
    TID3v2 tag;
    tag.SetTitle(QStringLiteral("  \tTitle "));
    tag.SetArtist(QStringLiteral("     "));
    tag.SetAlbum(QStringLiteral("\x01" "Best  of\r\n"));
    tag.SetComment(QString::fromUtf8("\u00a0nbsp kept\u00a0"));
    tag.SetTrack(0);
    EXPECT_EQ(tag.Title(), QStringLiteral("Title"));
    EXPECT_EQ(tag.Artist(), QString());
    EXPECT_EQ(tag.Album(), QStringLiteral("Best  of"));
    EXPECT_EQ(tag.Comment(), QString::fromUtf8("\u00a0nbsp kept\u00a0"));
    EXPECT_EQ(tag.Track(), 0);
}

TEST(TagValuesTest, ClearResetsEveryValue)
{
    TID3v2 tag;
    tag.SetYear(QStringLiteral("1999"));
    tag.SetGenre(QStringLiteral("Rock"));
    tag.SetLink(QStringLiteral("http://x"));
    tag.SetTrack(7);
    tag.Clear();
    EXPECT_TRUE(tag.Year().isEmpty());
    EXPECT_TRUE(tag.Genre().isEmpty());
    EXPECT_TRUE(tag.Link().isEmpty());
    EXPECT_EQ(tag.Track(), 0);
}
