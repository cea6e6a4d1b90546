#include "naming/TKestrava.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

TEST(NamePatternTest, ExpandsReferencesAndCopiesEverythingElse)
{
    const struct {
        const char *pattern, *artist, *title, *album, *genre, *track, *expected;
    } cases[] = {
        {"(%5) - [%1] - %2", "Artist", "Title", "", "", "7", "(07) - [Artist] - Title"},
        {"[%1] - %2", "", "Title", "", "", "", "[] - Title"},
        {"@%4 - [%1] - %2 %x %% 100%", "A", "T", "", "G", "", "@G - [A] - T %x %% 100%"},
        {"[%1] - (%3) - %2", "A", "T", "Al", "", "", "[A] - (Al) - T"},
        {"%5", "", "", "", "", "05", "005"},
        {"%5", "", "", "", "", "0", "00"},
        {"%5", "", "", "", "", "9", "09"},
        {"%5", "", "", "", "", "10", "10"},
        {"%5", "", "", "", "", "123", "123"},
        {"%5", "", "", "", "", "", ""},
        {"%2", "", "AC/DC: Live", "", "", "", "AC/DC: Live"},
        {"%1%1", "%2", "T", "", "", "", "%2%2"},
        {"%%1", "A", "", "", "", "", "%%1"},
        {"%", "", "", "", "", "", "%"},
        {"", "A", "T", "Al", "G", "1", ""},
        {"Brano %2 (%6)", "", "Però", "", "", "", "Brano Però (%6)"},
    };
    for (const auto &c : cases) {
        const QString name = TKestrava::ComposeName(QString::fromUtf8(c.artist), QString::fromUtf8(c.title),
                                                    QString::fromUtf8(c.album), QString::fromUtf8(c.genre),
                                                    QString::fromUtf8(c.track), QString::fromUtf8(c.pattern));
        EXPECT_EQ(name, QString::fromUtf8(c.expected)) << c.pattern;
    }
}

TEST(NamePatternTest, ComposedNameIsStoredWithInvalidCharactersReplaced)
{
    TKestrava engine;
    engine.SetNewName(TKestrava::ComposeName("", "AC/DC: Live", "", "", "", "%2"));
    EXPECT_EQ(engine.NewName(), "AC_DC_ Live");
}

TEST(NamePatternTest, NonNumericTrackRaisesConversionErrorOnlyWhenUsed)
{
    try {
        TKestrava::ComposeName("A", "T", "", "", "7a", "%1 %5");
        FAIL() << "no error raised";
    } catch (const platform::ConvertError &error) {
        EXPECT_EQ(error.message(), "'7a' is not a valid integer value");
    }
    EXPECT_EQ(TKestrava::ComposeName("A", "T", "", "", "7a", "%1 - %2"), "A - T");
}
