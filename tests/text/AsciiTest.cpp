#include "text/Ascii.h"

#include <gtest/gtest.h>

namespace {
QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

// Only A-Z and a-z change; letters outside ASCII, including those whose Unicode case
// mapping lands in ASCII ("ſ", the Kelvin sign, "ı") or changes the length ("ß", "ﬁ"), stay.
TEST(AsciiTest, CaseChangesOnlyAsciiLetters)
{
    const struct {
        const char *given, *lower, *upper;
    } cases[] = {
        {"Hello, World 09_@[`{", "hello, world 09_@[`{", "HELLO, WORLD 09_@[`{"},
        {"ÄÖÜ äöü Éé", "ÄÖÜ äöü Éé", "ÄÖÜ äöü Éé"},
        {"ſ \u212a ı İ", "ſ \u212a ı İ", "ſ \u212a ı İ"},
        {"straße ﬁx ǅ", "straße ﬁx ǅ", "STRAßE ﬁX ǅ"},
        {"", "", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ascii::toLower(utf8(c.given)), utf8(c.lower)) << c.given;
        EXPECT_EQ(ascii::toUpper(utf8(c.given)), utf8(c.upper)) << c.given;
    }
    EXPECT_EQ(ascii::toUpper(QChar(u'q')), QChar(u'Q'));
    EXPECT_EQ(ascii::toLower(QChar(u'É')), QChar(u'É'));
}

// Codes 0-32 go at both ends, whatever they are; other blanks (no-break space,
// ideographic space) and inner characters stay.
TEST(AsciiTest, TrimRemovesCodesUpTo32AtBothEnds)
{
    const struct {
        QString given, expected;
    } cases[] = {
        {QStringLiteral(" \t\r\n\x01\x1f" "a b\x7f" " \x1f\x00"), QStringLiteral("a b\x7f")},
        {QString(QChar(0)) + QStringLiteral("x") + QChar(0), QStringLiteral("x")},
        {utf8("\u00a0x\u3000"), utf8("\u00a0x\u3000")},
        {QStringLiteral(" \x01 "), QString()},
        {QString(), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ascii::trimmed(c.given), c.expected) << qPrintable(c.given);
}

TEST(AsciiTest, CompareIgnoresOnlyAsciiCase)
{
    const struct {
        const char *a, *b;
        bool equal;
    } cases[] = {
        {"Drives", "DRIVES", true},
        {"rock", "Rock", true},
        {"", "", true},
        {"Rock", "Rock ", false},
        {"é", "É", false},
        {"ſ", "s", false},
        {"[", "{", false},   // 0x5B and 0x7B differ by 32 but are not letters
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ascii::equalsIgnoringCase(utf8(c.a), utf8(c.b)), c.equal) << c.a << " / " << c.b;
        const QByteArray latin1 = utf8(c.b).toLatin1();
        if (utf8(c.b) == QString::fromLatin1(latin1)) {
            EXPECT_EQ(ascii::equalsIgnoringCase(utf8(c.a), QLatin1String(latin1)), c.equal) << c.a << " / " << c.b;
        }
    }
}
