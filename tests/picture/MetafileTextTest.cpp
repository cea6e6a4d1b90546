// Text in metafiles: bytes read in the code page of the font's character set, and the
// symbol fonts' codes drawn as the Unicode characters their glyphs show. Each case is
// rendered beside the same drawing made with the expected characters in a plain font;
// the two must match, and differ from the codes drawn as they are.

#include "EmfWriter.h"
#include "picture/FontEncoding.h"
#include "picture/MetafileRenderer.h"

#include <gmock/gmock.h>

namespace {

constexpr int side = 96;
const QString plainFace = QStringLiteral("DejaVu Sans");

QImage render(const QByteArray &emf)
{
    return picture::renderMetafile(reinterpret_cast<const unsigned char *>(emf.constData()), std::size_t(emf.size()),
                                   QSize(side, side), QStringLiteral("text.emf"))
        .image.convertToFormat(QImage::Format_RGB32);
}

template <typename Text>
QImage renderText(const QString &face, int charset, const Text &text, const QList<int> &advances)
{
    EmfWriter emf(side);
    emf.font(1, face, -40, charset);
    emf.select(1);
    emf.setBackgroundMode(1);
    emf.text(8, 20, text, advances);
    return render(emf.finish());
}

int inkedPixels(const QImage &image)
{
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qGray(image.pixel(x, y)) < 128;
    return inked;
}

struct TextCase {
    const char *name;
    const char *face;
    int charset;
    QByteArray codes; // bytes, or with `wide` UTF-16 units of the Latin-1 codes
    bool wide;
    const char16_t *expected;
    friend std::ostream &operator<<(std::ostream &out, const TextCase &c) { return out << c.name; }
};

class FontMappings : public ::testing::TestWithParam<TextCase> {};

TEST_P(FontMappings, DrawTheCharactersTheFontShows)
{
    const TextCase c = GetParam();
    const QString expected = QString::fromUtf16(c.expected);
    // Each character drawn 40 pixels on from the one before. The reference gives a low
    // surrogate or a mark no advance of its own; the codes share their character's,
    // so that a double-byte character takes the advances of both its bytes.
    QList<int> referenceAdvances;
    for (QChar unit : expected)
        referenceAdvances << (unit.isLowSurrogate() || unit.category() == QChar::Mark_NonSpacing ? 0 : 40);
    const int places = int(referenceAdvances.count(40));
    const QList<int> advances(c.codes.size(), 40 * places / int(c.codes.size()));
    const QImage drawn = c.wide ? renderText(QString::fromUtf8(c.face), c.charset, QString::fromLatin1(c.codes), advances)
                                : renderText(QString::fromUtf8(c.face), c.charset, c.codes, advances);
    // Symbol faces draw their characters in a plain font, as the reference does.
    const QString face = QString::fromUtf8(c.face);
    const QImage reference = renderText(c.charset == 2 ? QStringLiteral("Sans Serif") : face, 0, expected, referenceAdvances);
    ASSERT_GT(inkedPixels(reference), 20) << c.name << ": no font here draws the expected characters";
    EXPECT_EQ(drawn, reference) << c.name;
    const QImage asCodes = renderText(plainFace, 0, QString::fromLatin1(c.codes), advances);
    EXPECT_NE(drawn, asCodes) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Fonts, FontMappings, ::testing::Values(
    TextCase{"Ansi", "DejaVu Sans", 0, "\x80\x96\x93\x94\x92", false, u"\u20AC\u2013\u201C\u201D\u2019"},
    TextCase{"Greek", "DejaVu Sans", 161, "\xE1\xE2", false, u"\u03B1\u03B2"},
    TextCase{"Cyrillic", "DejaVu Sans", 204, "\xC0\xC1", false, u"\u0410\u0411"},
    TextCase{"CentralEuropean", "DejaVu Sans", 238, "\x8A\x9E", false, u"\u0160\u017E"},
    TextCase{"ShiftJis", "DejaVu Sans", 128, "\x82\xA0\x82\xA2", false, u"\u3042\u3044"},
    TextCase{"Gbk", "DejaVu Sans", 134, "\xC4\xE3", false, u"\u4F60"},
    TextCase{"Symbol", "Symbol", 2, "abp", false, u"\u03B1\u03B2\u03C0"},
    TextCase{"SymbolWide", "Symbol", 2, "\xAE\xA5", true, u"\u2192\u221E"},
    TextCase{"Wingdings", "Wingdings", 2, "J\xE8", false, u"\u263A\U0001F87A"},
    TextCase{"Wingdings2", "Wingdings 2", 2, "PR", false, u"\u2713\u2611"},
    TextCase{"Wingdings3", "Wingdings 3", 2, "uq", false, u"\u25B6\u2BC6"},
    TextCase{"MtExtra", "MT Extra", 2, "r", false, u"\u00A0\u20D7"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MetafileText, SmallTextOutDrawsLikeExtTextOut)
{
    const QString word = QStringLiteral("Hi");
    const QImage expected = renderText(plainFace, 0, word, {});
    ASSERT_GT(inkedPixels(expected), 50);
    for (const bool smallChars : {true, false}) {
        EmfWriter emf(side);
        emf.font(1, plainFace, -40, 0);
        emf.select(1);
        emf.setBackgroundMode(1);
        emf.smallText(8, 20, word, smallChars);
        EXPECT_EQ(render(emf.finish()), expected) << (smallChars ? "bytes" : "UTF-16");
    }
}

TEST(FontEncoding, DoubleByteAdvancesAddUpAndSymbolCodesMapInThePrivateRange)
{
    const picture::DrawnText japanese = picture::FontEncoding(plainFace, 128).fromBytes("a\x82\xA0", {10, 7, 8});
    EXPECT_EQ(japanese.places, QStringList({QStringLiteral("a"), QString(QChar(0x3042))}));
    EXPECT_EQ(japanese.advances, QList<double>({10, 15}));

    const picture::DrawnText wide = picture::FontEncoding(QStringLiteral("wingdings"), 2).fromUnits(QString(QChar(0xF04A)), {});
    EXPECT_EQ(wide.joined(), QString(QChar(0x263A)));
}

} // namespace
