#include "platform/NativeNames.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

using namespace platform;

namespace {
QString raw(std::initializer_list<unsigned char> bytes)
{
    QString text;
    for (const unsigned char byte : bytes)
        text.append(rawByteChar(byte));
    return text;
}

struct NameCase {
    const char *what;
    QByteArray bytes;
    QString text;
};
} // namespace

TEST(NativeNamesTest, EachNameDecodesAsExpectedAndEncodesBackToItsBytes)
{
    const NameCase cases[] = {
        {"empty", "", ""},
        {"ASCII", "song.mp3", "song.mp3"},
        {"UTF-8, two bytes", "Caf\xc3\xa9.mp3", QStringLiteral("Caf\u00e9.mp3")},
        {"UTF-8, three bytes", "\xe2\x82\xac", QStringLiteral("\u20ac")},
        {"UTF-8, four bytes", "\xf0\x9f\x8e\xb5.mp3", QString::fromUcs4(U"\U0001F3B5.mp3")},
        {"Latin-1", "Caf\xe9.mp3", "Caf" + raw({0xe9}) + ".mp3"},
        {"cp1251", "\xcf\xe5\xf1\xed\xff.mp3", raw({0xcf, 0xe5, 0xf1, 0xed, 0xff}) + ".mp3"},
        {"Latin-1 beside UTF-8", "\xe9t\xc3\xa9", raw({0xe9}) + QStringLiteral("t\u00e9")},
        {"overlong slash", "a\xc0\xaf" "b", "a" + raw({0xc0, 0xaf}) + "b"},
        {"overlong, three bytes", "\xe0\x80\xaf", raw({0xe0, 0x80, 0xaf})},
        {"overlong, four bytes", "\xf0\x80\x80\xaf", raw({0xf0, 0x80, 0x80, 0xaf})},
        {"lone continuation bytes", "\x80x\xbf", raw({0x80}) + "x" + raw({0xbf})},
        {"sequence cut by the end", "ab\xe2\x82", "ab" + raw({0xe2, 0x82})},
        {"sequence cut by ASCII", "\xe2\x82z", raw({0xe2, 0x82}) + "z"},
        {"encoded surrogate", "\xed\xa0\x80", raw({0xed, 0xa0, 0x80})},
        {"above U+10FFFF", "\xf4\x90\x80\x80", raw({0xf4, 0x90, 0x80, 0x80})},
        {"bytes never in UTF-8", "\xc1\xf5\xfe\xff", raw({0xc1, 0xf5, 0xfe, 0xff})},
        {"native backslash", "a\\b", "a\\b"},
        {"UTF-8 of a raw-byte code point", "\xef\x9f\xa9", raw({0xef, 0x9f, 0xa9})},
        {"UTF-8 of the backslash stand-in", "\xef\x81\x9c", raw({0xef, 0x81, 0x9c})},
        {"UTF-8 of the replacement character", "\xef\xbf\xbd", QStringLiteral("\ufffd")},
    };
    for (const NameCase &c : cases) {
        const QString decoded = decodeNativeName(c.bytes);
        EXPECT_EQ(decoded, c.text) << c.what;
        EXPECT_EQ(encodeNativeName(decoded), c.bytes) << c.what;
    }
}

TEST(NativeNamesTest, EveryShortByteStringSurvivesTheRoundTrip)
{
    // All one- and two-byte strings, and three-byte strings around every lead byte.
    QByteArray bytes;
    for (int first = 1; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            bytes = QByteArray(1, char(first));
            if (second > 0)
                bytes.append(char(second));
            for (const char third : {'\0', '\x80', '\xa9', '\xbf', 'x'}) {
                if (third)
                    bytes.append(third);
                const QString decoded = decodeNativeName(bytes);
                ASSERT_EQ(encodeNativeName(decoded), bytes) << bytes.toHex().constData();
                // Different bytes never share a text: decoding the encoded text again gives it back.
                ASSERT_EQ(decodeNativeName(encodeNativeName(decoded)), decoded) << bytes.toHex().constData();
                if (third)
                    bytes.chop(1);
            }
        }
    }
}

TEST(NativeNamesTest, TextFromElsewhereIsWrittenAsUtf8)
{
    EXPECT_EQ(encodeNativeName(QStringLiteral("Pesnya \u041f\u0435\u0441\u043d\u044f")),
              QByteArray("Pesnya \xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f"));
    // A surrogate without its pair cannot be written as UTF-8.
    EXPECT_EQ(encodeNativeName(QString(QChar(0xd800)) + "a"), QByteArray("\xef\xbf\xbd" "a"));
    // The backslash stand-in, when it reaches a native name, is the character itself.
    EXPECT_EQ(encodeNativeName(QString(QChar(0xf05c))), QByteArray("\xef\x81\x9c"));
}

TEST(NativeNamesTest, DisplayShowsRawBytesAsLatin1OrAsHex)
{
    EXPECT_EQ(displayName(decodeNativeName("Caf\xe9.mp3")), QStringLiteral("Caf\u00e9.mp3"));
    EXPECT_EQ(displayName(decodeNativeName("\xcf\xe5\xf1\xed\xff")), QStringLiteral("\u00cf\u00e5\u00f1\u00ed\u00ff"));
    EXPECT_EQ(displayName(decodeNativeName("a\x81\x9f" "b")), QStringLiteral("a\\x81\\x9Fb"));
    EXPECT_EQ(displayName(QStringLiteral("Caf\u00e9 \u20ac")), QStringLiteral("Caf\u00e9 \u20ac"));
}
