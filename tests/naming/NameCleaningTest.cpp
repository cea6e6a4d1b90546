#include "naming/TKestrava.h"

#include <gtest/gtest.h>

namespace {
struct TextCase {
    const char *given, *expected;
};

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

TEST(NameCleaningTest, TrimSeparatorsStripsEndsAndCollapsesRunsOfOneSeparator)
{
    const TextCase cases[] = {
        {"  --hello..world__  ", "hello.world"},
        {"a--b__c..d  e", "a-b_c.d e"},
        {"a - - b", "a - - b"},
        {"x - y", "x - y"},
        {"-_-a-_-", "a"},
        {"a-_-b", "a-_-b"},
        {"---", ""},
        {"", ""},
        {"(x)  !!  [y]", "(x) !! [y]"},
        {"\tcafé\t", "\tcafé\t"},
    };
    for (const TextCase &c : cases) {
        QString text = utf8(c.given);
        TKestrava::TrimSeparators(text);
        EXPECT_EQ(text, utf8(c.expected)) << c.given;
    }
}

TEST(NameCleaningTest, RemoveBracketsDropsGroupsInnermostFirstAndKeepsUnpairedOnes)
{
    const TextCase cases[] = {
        {"a (b (c) d) e", "a e"},
        {"(a)(b)", ""},
        {"((a)b)c", "c"},
        {"x)(y)z", "x)z"},
        {"x(y", "x(y"},
        {") x ( y", ") x ( y"},
        {"a [b] c", "a [b] c"},
        {"Song (live) - ", "Song"},
        {"((", "(("},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(TKestrava::RemoveBrackets('(', ')', utf8(c.given)), utf8(c.expected)) << c.given;
    EXPECT_EQ(TKestrava::RemoveBrackets('[', ']', "a [b [c]] (d)"), "a (d)");
}

TEST(NameCleaningTest, DotsToSpacesThenTrims)
{
    const TextCase cases[] = {
        {"my.song.mp3", "my song mp3"},
        {"..a..b..", "a b"},
        {"a. .b", "a b"},
        {"a.-.b", "a - b"},
        {"...", ""},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(TKestrava::DotsToSpaces(utf8(c.given)), utf8(c.expected)) << c.given;
}

TEST(NameCleaningTest, CleaningSequenceStoresTheCleanedBareNameAsNewName)
{
    const TextCase cases[] = {
        {"my.song.(live).[hq]", "my song"},
        {"Artist_-_Title_(Remix)_[2004]", "Artist_-_Title"},
        {"01 - Intro (Demo).final", "01 - Intro final"},
        {"My.Song (live) [x] {y}", "My Song"},
        {"(only) [brackets]", ""},
        // Each step is stored, so invalid characters become "_" and trim away.
        {"Live: (2004)", "Live"},
        {"ciò_che_è", "ciò_che_è"},
    };
    for (const TextCase &c : cases) {
        TKestrava engine;
        engine.SetFileName(utf8(c.given) + ".avi");
        engine.cleanBareName();
        EXPECT_EQ(engine.NewName(), utf8(c.expected)) << c.given;
        EXPECT_EQ(engine.BareName(), utf8(c.given));
    }
}
