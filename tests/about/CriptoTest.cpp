// TCripto.Decode on texts of our own.

#include "Scramble.h"
#include "about/Cripto.h"

#include <gmock/gmock.h>

namespace {

TEST(Cripto, DecodesKnownScrambledTexts)
{
    const TCripto cripto;
    struct Case { QString scrambled; QString readable; };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("@"), QStringLiteral("A")},             // 1 XOR 'A' = '@'
        {QStringLiteral("@@"), QStringLiteral("AB")},            // 2 XOR 'B' = '@'
        {QStringLiteral("cml"), QStringLiteral("boo")},           // 1^'b', 2^'o', 3^'o'
        {QString(QChar(0x01)), QString(QChar(0x00))},            // a character of code 0 survives
        {QString(QChar(0x0B)) + QChar(0x60), QStringLiteral("\nb")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(cripto.Decode(c.scrambled), c.readable) << c.readable.toStdString();
}

TEST(Cripto, TurnsOurScrambledTextsBack)
{
    const TCripto cripto;
    const QString texts[] = {
        QStringLiteral("Kestrava v3.00"), QStringLiteral("www.kestrava.example"), QStringLiteral("zerko@kestrava.example"),
        QStringLiteral("Idea e programma"), QStringLiteral("Grazie a chi prova"), QStringLiteral("Arrivederci!"),
        QString::fromLatin1("Perch\xe9 s\xec, citt\xe0"), // letters above 127
    };
    for (const QString &text : texts)
        EXPECT_EQ(cripto.Decode(scramble(text)), text) << text.toStdString();
}

TEST(Cripto, PositionsWrapAfter255)
{
    // Positions are counted in 8 bits: the 256th character is scrambled with 0.
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QChar(u'a' + i % 26);
    const TCripto cripto;
    EXPECT_EQ(cripto.Decode(scramble(text)), text);
    EXPECT_EQ(scramble(text)[255], text[255]);
}

TEST(Cripto, CharacterWithoutACellComesOutAsIfItHadOne)
{
    // '%' at position 3 would be looked up in row 255, which the grid lacks.
    const TCripto cripto;
    EXPECT_TRUE(cripto.Cells(2, 255).isEmpty());
    EXPECT_EQ(cripto.Decode(scramble(QStringLiteral("ab%"))), QStringLiteral("ab%"));
}

} // namespace
