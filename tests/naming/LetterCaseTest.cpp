#include "naming/TKestrava.h"

#include <gtest/gtest.h>

#include <random>

namespace {
QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}
} // namespace

TEST(LetterCaseTest, ModesGiveTheirCase)
{
    const struct {
        int mode;
        const char *given, *expected;
    } cases[] = {
        {0, "hELLO wORLD", "Hello world"},
        {1, "hELLO wORLD", "Hello World"},
        {2, "hELLO wORLD", "hello world"},
        {3, "hELLO wORLD", "HELLO WORLD"},
        {4, "hELLO wORLD", "HELLO wORLD"},
        {1, "mcDONALD o'brien", "Mcdonald O'brien"},
        {4, "mcDONALD o'brien", "McDONALD o'brien"},
        {1, "rock-n-roll (live)", "Rock-n-roll (live)"},
        {1, "  two  spaces", "  Two  Spaces"},
        {1, "a\tb_c.d 1e", "A\tb_c.d 1e"},
        {3, "è bello", "è BELLO"},
        {1, "è bello", "è Bello"},
        {0, "ÉCOLE Ñ", "École Ñ"},
        {2, "Straße ÄB", "straße Äb"},
        {7, "xY", "XY"},
        {-1, "xY", "XY"},
        {0, "", ""},
        {1, "", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TKestrava::ApplyCase(c.mode, utf8(c.given)), utf8(c.expected)) << c.mode << " " << c.given;
}

// Property: every mode is idempotent, keeps the length and changes nothing but ASCII
// letters, on random ASCII and non-ASCII text.
TEST(LetterCaseTest, EveryModeIsIdempotentAndTouchesOnlyAsciiLetters)
{
    const QString alphabet = utf8("aAzZmMqQ  \t.-_'(0)9%èÈéÉàÀßñÑøΩωжЖ中文ǅǆﬁ") + QString::fromUcs4(U"\U0001F3B5");
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> pick(0, int(alphabet.size()) - 1);
    for (int sample = 0; sample < 2000; ++sample) {
        QString text;
        for (int i = length(random); i > 0; --i)
            text.append(alphabet[pick(random)]);
        for (int mode = 0; mode <= 4; ++mode) {
            const QString once = TKestrava::ApplyCase(mode, text);
            ASSERT_EQ(TKestrava::ApplyCase(mode, once), once) << mode << " " << qPrintable(text);
            ASSERT_EQ(once.size(), text.size());
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (!isAsciiLetter(text[i])) {
                    ASSERT_EQ(once[i], text[i]) << mode << " " << qPrintable(text);
                }
            }
        }
    }
}
