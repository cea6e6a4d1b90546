#include "picture/FontEncoding.h"

#include <QChar>
#include <QStringDecoder>
#include <array>
#include <initializer_list>
#include <utility>

namespace picture {
namespace {

// `count` codes from `code` drawn as consecutive characters from `first`.
struct Run {
    unsigned code;
    char32_t first;
    unsigned count = 1;
};

using SymbolTable = std::array<char32_t, 224>;

SymbolTable tableOf(std::initializer_list<Run> runs)
{
    SymbolTable table {};
    table[0] = U' ';
    for (const Run &run : runs)
        for (unsigned i = 0; i < run.count; ++i)
            table[run.code + i - 0x20] = run.first + i;
    return table;
}

const SymbolTable &symbolTable()
{
    static const SymbolTable table = tableOf({
        {0x21, U'!'}, {0x22, U'\u2200'}, {0x23, U'#'}, {0x24, U'\u2203'}, {0x25, U'%', 2}, {0x27, U'\u220B'},
        {0x28, U'(', 2}, {0x2A, U'\u2217'}, {0x2B, U'+', 2}, {0x2D, U'\u2212'}, {0x2E, U'.', 18},
        {0x40, U'\u2245'}, {0x41, U'\u0391', 2}, {0x43, U'\u03A7'}, {0x44, U'\u0394', 2}, {0x46, U'\u03A6'},
        {0x47, U'\u0393'}, {0x48, U'\u0397'}, {0x49, U'\u0399'}, {0x4A, U'\u03D1'}, {0x4B, U'\u039A', 4},
        {0x4F, U'\u039F'}, {0x50, U'\u03A0'}, {0x51, U'\u0398'}, {0x52, U'\u03A1'}, {0x53, U'\u03A3', 3},
        {0x56, U'\u03C2'}, {0x57, U'\u03A9'}, {0x58, U'\u039E'}, {0x59, U'\u03A8'}, {0x5A, U'\u0396'},
        {0x5B, U'['}, {0x5C, U'\u2234'}, {0x5D, U']'}, {0x5E, U'\u22A5'}, {0x5F, U'_'}, {0x60, U'\u203E'},
        {0x61, U'\u03B1', 2}, {0x63, U'\u03C7'}, {0x64, U'\u03B4', 2}, {0x66, U'\u03C6'}, {0x67, U'\u03B3'},
        {0x68, U'\u03B7'}, {0x69, U'\u03B9'}, {0x6A, U'\u03D5'}, {0x6B, U'\u03BA', 4}, {0x6F, U'\u03BF'},
        {0x70, U'\u03C0'}, {0x71, U'\u03B8'}, {0x72, U'\u03C1'}, {0x73, U'\u03C3', 3}, {0x76, U'\u03D6'},
        {0x77, U'\u03C9'}, {0x78, U'\u03BE'}, {0x79, U'\u03C8'}, {0x7A, U'\u03B6'}, {0x7B, U'{', 3},
        {0x7E, U'\u223C'}, {0xA0, U'\u20AC'}, {0xA1, U'\u03D2'}, {0xA2, U'\u2032'}, {0xA3, U'\u2264'},
        {0xA4, U'\u2044'}, {0xA5, U'\u221E'}, {0xA6, U'\u0192'}, {0xA7, U'\u2663'}, {0xA8, U'\u2666'},
        {0xA9, U'\u2665'}, {0xAA, U'\u2660'}, {0xAB, U'\u2194'}, {0xAC, U'\u2190', 4}, {0xB0, U'\u00B0', 2},
        {0xB2, U'\u2033'}, {0xB3, U'\u2265'}, {0xB4, U'\u00D7'}, {0xB5, U'\u221D'}, {0xB6, U'\u2202'},
        {0xB7, U'\u2022'}, {0xB8, U'\u00F7'}, {0xB9, U'\u2260'}, {0xBA, U'\u2261'}, {0xBB, U'\u2248'},
        {0xBC, U'\u2026'}, {0xBD, U'\u23D0'}, {0xBE, U'\u23AF'}, {0xBF, U'\u21B5'}, {0xC0, U'\u2135'},
        {0xC1, U'\u2111'}, {0xC2, U'\u211C'}, {0xC3, U'\u2118'}, {0xC4, U'\u2297'}, {0xC5, U'\u2295'},
        {0xC6, U'\u2205'}, {0xC7, U'\u2229', 2}, {0xC9, U'\u2283'}, {0xCA, U'\u2287'}, {0xCB, U'\u2284'},
        {0xCC, U'\u2282'}, {0xCD, U'\u2286'}, {0xCE, U'\u2208', 2}, {0xD0, U'\u2220'}, {0xD1, U'\u2207'},
        {0xD2, U'\u00AE'}, {0xD3, U'\u00A9'}, {0xD4, U'\u2122'}, {0xD5, U'\u220F'}, {0xD6, U'\u221A'},
        {0xD7, U'\u22C5'}, {0xD8, U'\u00AC'}, {0xD9, U'\u2227', 2}, {0xDB, U'\u21D4'}, {0xDC, U'\u21D0', 4},
        {0xE0, U'\u25CA'}, {0xE1, U'\u2329'}, {0xE2, U'\u00AE'}, {0xE3, U'\u00A9'}, {0xE4, U'\u2122'},
        {0xE5, U'\u2211'}, {0xE6, U'\u239B', 3}, {0xE9, U'\u23A1', 3}, {0xEC, U'\u23A7', 4}, {0xF1, U'\u232A'},
        {0xF2, U'\u222B'}, {0xF3, U'\u2320'}, {0xF4, U'\u23AE'}, {0xF5, U'\u2321'}, {0xF6, U'\u239E', 3},
        {0xF9, U'\u23A4', 3}, {0xFC, U'\u23AB', 3},
    });
    return table;
}

const SymbolTable &wingdingsTable()
{
    static const SymbolTable table = tableOf({
        {0x21, U'\U0001F589'}, {0x22, U'\u2702'}, {0x23, U'\u2701'}, {0x24, U'\U0001F453'}, {0x25, U'\U0001F56D', 3},
        {0x28, U'\U0001F57F'}, {0x29, U'\u2706'}, {0x2A, U'\U0001F582', 2}, {0x2C, U'\U0001F4EA', 4},
        {0x30, U'\U0001F4C1', 2}, {0x32, U'\U0001F4C4'}, {0x33, U'\U0001F5CF', 2}, {0x35, U'\U0001F5C4'},
        {0x36, U'\u231B'}, {0x37, U'\U0001F5AE'}, {0x38, U'\U0001F5B0'}, {0x39, U'\U0001F5B2', 3},
        {0x3C, U'\U0001F5AB', 2}, {0x3E, U'\u2707'}, {0x3F, U'\u270D'}, {0x40, U'\U0001F58E'}, {0x41, U'\u270C'},
        {0x42, U'\U0001F44C', 3}, {0x45, U'\u261C'}, {0x46, U'\u261E'}, {0x47, U'\u261D'}, {0x48, U'\u261F'},
        {0x49, U'\U0001F590'}, {0x4A, U'\u263A'}, {0x4B, U'\U0001F610'}, {0x4C, U'\u2639'}, {0x4D, U'\U0001F4A3'},
        {0x4E, U'\u2620'}, {0x4F, U'\U0001F3F3'}, {0x50, U'\U0001F3F1'}, {0x51, U'\u2708'}, {0x52, U'\u263C'},
        {0x53, U'\U0001F4A7'}, {0x54, U'\u2744'}, {0x55, U'\U0001F546'}, {0x56, U'\u271E'}, {0x57, U'\U0001F548'},
        {0x58, U'\u2720', 2}, {0x5A, U'\u262A'}, {0x5B, U'\u262F'}, {0x5C, U'\u0950'}, {0x5D, U'\u2638'},
        {0x5E, U'\u2648', 12}, {0x6A, U'\U0001F670'}, {0x6B, U'\U0001F675'}, {0x6C, U'\u25CF'},
        {0x6D, U'\U0001F53E'}, {0x6E, U'\u25A0', 2}, {0x70, U'\U0001F790'}, {0x71, U'\u2751', 2},
        {0x73, U'\u2B27'}, {0x74, U'\u29EB'}, {0x75, U'\u25C6'}, {0x76, U'\u2756'}, {0x77, U'\u2B25'},
        {0x78, U'\u2327'}, {0x79, U'\u2BB9'}, {0x7A, U'\u2318'}, {0x7B, U'\U0001F3F5', 2}, {0x7D, U'\U0001F676', 2},
        {0x80, U'\u24EA'}, {0x81, U'\u2460', 10}, {0x8B, U'\u24FF'}, {0x8C, U'\u2776', 10},
        {0x96, U'\U0001F662'}, {0x97, U'\U0001F660', 2}, {0x99, U'\U0001F663'}, {0x9A, U'\U0001F65E'},
        {0x9B, U'\U0001F65C', 2}, {0x9D, U'\U0001F65F'}, {0x9E, U'\u00B7'}, {0x9F, U'\u2022'}, {0xA0, U'\u25AA'},
        {0xA1, U'\u26AA'}, {0xA2, U'\U0001F786'}, {0xA3, U'\U0001F788'}, {0xA4, U'\u25C9'}, {0xA5, U'\u25CE'},
        {0xA6, U'\U0001F53F'}, {0xA7, U'\u25AA'}, {0xA8, U'\u25FB'}, {0xA9, U'\U0001F7C2'}, {0xAA, U'\u2726'},
        {0xAB, U'\u2605'}, {0xAC, U'\u2736'}, {0xAD, U'\u2734'}, {0xAE, U'\u2739'}, {0xAF, U'\u2735'},
        {0xB0, U'\u2BD0'}, {0xB1, U'\u2316'}, {0xB2, U'\u27E1'}, {0xB3, U'\u2311'}, {0xB4, U'\u2BD1'},
        {0xB5, U'\u272A'}, {0xB6, U'\u2730'}, {0xB7, U'\U0001F550', 12}, {0xC3, U'\u2BB0', 8},
        {0xCB, U'\U0001F668'}, {0xCC, U'\U0001F66A'}, {0xCD, U'\U0001F669'}, {0xCE, U'\U0001F66B'},
        {0xCF, U'\U0001F66C'}, {0xD0, U'\U0001F66E'}, {0xD1, U'\U0001F66D'}, {0xD2, U'\U0001F66F'},
        {0xD5, U'\u232B'}, {0xD6, U'\u2326'}, {0xD7, U'\u2B98'}, {0xD8, U'\u2B9A'}, {0xD9, U'\u2B99'},
        {0xDA, U'\u2B9B'}, {0xDB, U'\u2B88'}, {0xDC, U'\u2B8A'}, {0xDD, U'\u2B89'}, {0xDE, U'\u2B8B'},
        {0xDF, U'\U0001F868'}, {0xE0, U'\U0001F86A'}, {0xE1, U'\U0001F869'}, {0xE2, U'\U0001F86B'},
        {0xE3, U'\U0001F86C', 2}, {0xE5, U'\U0001F86F'}, {0xE6, U'\U0001F86E'}, {0xE7, U'\U0001F878'},
        {0xE8, U'\U0001F87A'}, {0xE9, U'\U0001F879'}, {0xEA, U'\U0001F87B'}, {0xEB, U'\U0001F87C', 2},
        {0xED, U'\U0001F87F'}, {0xEE, U'\U0001F87E'}, {0xEF, U'\u21E6'}, {0xF0, U'\u21E8'}, {0xF1, U'\u21E7'},
        {0xF2, U'\u21E9'}, {0xF3, U'\u2B04'}, {0xF4, U'\u21F3'}, {0xF5, U'\u2B01'}, {0xF6, U'\u2B00'},
        {0xF7, U'\u2B03'}, {0xF8, U'\u2B02'}, {0xF9, U'\U0001F8AC', 2}, {0xFB, U'\U0001F5F6'}, {0xFC, U'\u2714'},
        {0xFD, U'\U0001F5F7'}, {0xFE, U'\U0001F5F9'},
    });
    return table;
}

const SymbolTable &wingdings2Table()
{
    static const SymbolTable table = tableOf({
        {0x21, U'\U0001F58A', 4}, {0x25, U'\u2704'}, {0x26, U'\u2700'}, {0x27, U'\U0001F57E'}, {0x28, U'\U0001F57D'},
        {0x4F, U'\u2717'}, {0x50, U'\u2713'}, {0x52, U'\u2611'}, {0x53, U'\u2612'}, {0x54, U'\u2612'},
        {0x59, U'\u203D', 3}, {0x69, U'\u24EA'}, {0x6A, U'\u2460', 10}, {0x74, U'\u24FF'}, {0x75, U'\u278A', 10},
        {0x80, U'\u2609'}, {0x81, U'\u25CB'}, {0x82, U'\u263D', 2}, {0x97, U'\u25CF'}, {0xA2, U'\u25A0'},
        {0xA3, U'\u25A1'}, {0xF8, U'\u203B'}, {0xF9, U'\u2042'},
    });
    return table;
}

const SymbolTable &wingdings3Table()
{
    static const SymbolTable table = tableOf({
        {0x21, U'\u2B60'}, {0x22, U'\u2B62'}, {0x23, U'\u2B61'}, {0x24, U'\u2B63'}, {0x25, U'\u2B66', 2},
        {0x27, U'\u2B69'}, {0x28, U'\u2B68'}, {0x29, U'\u2B70'}, {0x2A, U'\u2B72'}, {0x2B, U'\u2B71'},
        {0x2C, U'\u2B73'}, {0x2D, U'\u2B76'}, {0x2E, U'\u2B78'}, {0x2F, U'\u2B7B'}, {0x30, U'\u2B7D'},
        {0x31, U'\u2B64', 2}, {0x33, U'\u2B6A'}, {0x34, U'\u2B6C'}, {0x35, U'\u2B6B'}, {0x36, U'\u2B6D'},
        {0x37, U'\u2B4D'}, {0x38, U'\u2BA0', 2}, {0x44, U'\u21C4', 2}, {0x48, U'\u21C7'}, {0x49, U'\u21C9'},
        {0x4A, U'\u21C8'}, {0x4B, U'\u21CA'}, {0x4C, U'\u21B6', 2}, {0x50, U'\u21BB'}, {0x51, U'\u21BA'},
        {0x53, U'\u2324'}, {0x54, U'\u2303'}, {0x55, U'\u2325'}, {0x56, U'\u2334'}, {0x58, U'\u21EA'},
        {0x70, U'\u2BC5', 2}, {0x72, U'\u25B3'}, {0x73, U'\u25BD'}, {0x74, U'\u25C0'}, {0x75, U'\u25B6'},
        {0x76, U'\u25C1'}, {0x77, U'\u25B7'}, {0x78, U'\u25E3'}, {0x79, U'\u25E2'}, {0x7A, U'\u25E4'},
        {0x7B, U'\u25E5'}, {0x7C, U'\u25C2'}, {0x7D, U'\u25B8'},
    });
    return table;
}

const SymbolTable &mtExtraTable()
{
    static const SymbolTable table = tableOf({
        {0x23, U'\u0300'}, {0x24, U'\u0302'}, {0x25, U'\u0303'}, {0x26, U'\u0307'}, {0x28, U'\u2323'},
        {0x29, U'\u2322'}, {0x3A, U'\u223C'}, {0x3B, U'\u2243'}, {0x3C, U'\u22B2'}, {0x3D, U'\u226A'},
        {0x3E, U'\u22B3'}, {0x3F, U'\u226B'}, {0x40, U'\u225C'}, {0x41, U'\u2259'}, {0x42, U'\u2250'},
        {0x43, U'\u2210'}, {0x44, U'\u019B'}, {0x49, U'\u2229'}, {0x4A, U'\u2127'}, {0x4B, U'\u2026'},
        {0x4C, U'\u22EF'}, {0x4D, U'\u22EE'}, {0x4E, U'\u22F0', 2}, {0x50, U'\u2225'}, {0x51, U'\u2235'},
        {0x52, U'\u2221', 2}, {0x55, U'\u222A'}, {0x56, U'\u25B3'}, {0x57, U'\u25A1'}, {0x58, U'\u25AD'},
        {0x59, U'\u25B1'}, {0x5A, U'\u2197'}, {0x5B, U'\u2199'}, {0x5D, U'\u2198'}, {0x5E, U'\u2196'},
        {0x60, U'\u2035'}, {0x61, U'\u21A6'}, {0x62, U'\u2195'}, {0x63, U'\u21D5'}, {0x64, U'\u25CB'},
        {0x65, U'\u2299'}, {0x66, U'\u227B'}, {0x68, U'\u210F'}, {0x6C, U'\u2113'}, {0x6D, U'\u2213'},
        {0x6F, U'\u2218'}, {0x70, U'\u227A'}, {0x72, U'\u20D7'}, {0x73, U'\u20D6'}, {0x74, U'\u20E1'},
        {0x76, U'\u20D1'}, {0x77, U'\u20D0'}, {0x7B, U'\uFE38'}, {0x7D, U'\uFE37'}, {0x80, U'\u21C4'},
        {0x83, U'\u21CC'}, {0x86, U'\u21C0'}, {0x87, U'\u21BD'}, {0xA1, U'\u211D'}, {0xA2, U'\u2124'},
        {0xA3, U'\u2102'}, {0xA4, U'\u211A'}, {0xA5, U'\u2115'}, {0xA7, U'\u301A', 2}, {0xE8, U'\u0160'},
        {0xE9, U'\u00DD'}, {0xEA, U'\u00DE'}, {0xEB, U'\u00D0'}, {0xEC, U'\u0161'}, {0xED, U'\u00FD'},
        {0xEE, U'\u00FE'}, {0xEF, U'\u00F0'}, {0xF0, U'\uFB01', 2}, {0xF2, U'\u0131'}, {0xF3, U'\u00B9'},
        {0xF4, U'\u00B2', 2}, {0xF6, U'\u00BD'}, {0xF7, U'\u00BC'}, {0xF8, U'\u00BE'}, {0xF9, U'\u2044'},
        {0xFA, U'\u00A6'}, {0xFB, U'\u02DD'}, {0xFC, U'\u02D8'}, {0xFD, U'\u02C7'}, {0xFE, U'\u02DA'},
        {0xFF, U'\u02DB'},
    });
    return table;
}

const char32_t *symbolTableFor(const QString &face)
{
    const QString name = face.trimmed().toLower();
    if (name == u"symbol")
        return symbolTable().data();
    if (name == u"wingdings")
        return wingdingsTable().data();
    if (name == u"wingdings 2")
        return wingdings2Table().data();
    if (name == u"wingdings 3")
        return wingdings3Table().data();
    if (name == u"mt extra")
        return mtExtraTable().data();
    return nullptr;
}

QByteArray codePageOf(int charset)
{
    switch (charset) {
    case 77: return "macintosh";
    case 128: return "Shift_JIS";
    case 129: case 130: return "windows-949";
    case 134: return "GBK";
    case 136: return "Big5";
    case 161: return "windows-1253";
    case 162: return "windows-1254";
    case 163: return "windows-1258";
    case 177: return "windows-1255";
    case 178: return "windows-1256";
    case 186: return "windows-1257";
    case 204: return "windows-1251";
    case 222: return "windows-874";
    case 238: return "windows-1250";
    case 255: return "IBM437";
    default: return "windows-1252"; // ANSI, the default and unknown sets
    }
}

// Collects the advances of the input units for the places they make: the units that
// start no place of their own (a lead byte, a low surrogate, a mark) go with the place
// their character makes.
class AdvanceCollector {
public:
    AdvanceCollector(DrawnText &text, const QList<double> &advances) : m_text(text), m_advances(advances) {}
    void unit(qsizetype index) { m_pending += index < m_advances.size() ? m_advances[index] : 0; }
    void newPlace(const QString &place)
    {
        m_text.places << place;
        flush();
    }
    void joinPlace(const QString &units)
    {
        m_text.places.last() += units;
        if (!m_advances.isEmpty())
            m_text.advances.last() += std::exchange(m_pending, 0);
    }
    // Units left at the end add to the last place.
    void finish()
    {
        if (!m_advances.isEmpty() && !m_text.advances.isEmpty())
            m_text.advances.last() += std::exchange(m_pending, 0);
    }

private:
    void flush()
    {
        if (!m_advances.isEmpty())
            m_text.advances << std::exchange(m_pending, 0);
    }
    DrawnText &m_text;
    const QList<double> &m_advances;
    double m_pending = 0;
};

} // namespace

FontEncoding::FontEncoding(const QString &face, int charset)
    : m_symbols(symbolTableFor(face))
    , m_codePage(codePageOf(charset))
    , m_family(m_symbols || face.isEmpty() ? QStringLiteral("Sans Serif") : face)
{
}

QString FontEncoding::symbolPlace(unsigned code) const
{
    const char32_t character = code >= 0x20 && code <= 0xFF ? m_symbols[code - 0x20] : 0;
    if (character == 0)
        return QStringLiteral(" "); // no glyph known: the place stays, empty
    QString place = QString::fromUcs4(&character, 1);
    // A mark drawn on its own sits on a no-break space, as the symbol font draws it.
    if (QChar::category(character) == QChar::Mark_NonSpacing)
        place.prepend(QChar(0x00A0));
    return place;
}

DrawnText FontEncoding::fromBytes(const QByteArray &bytes, const QList<double> &advances) const
{
    DrawnText text {m_family, {}, {}};
    AdvanceCollector collector(text, advances);
    if (m_symbols) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            collector.unit(i);
            collector.newPlace(symbolPlace(static_cast<unsigned char>(bytes[i])));
        }
        return text;
    }
    // Byte by byte, so that the advances of a double-byte character add up.
    QStringDecoder decoder(m_codePage.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Latin1);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        collector.unit(i);
        const QString decoded = decoder.decode(QByteArrayView(bytes.constData() + i, 1));
        if (!decoded.isEmpty())
            collector.newPlace(decoded);
    }
    collector.finish();
    return text;
}

DrawnText FontEncoding::fromUnits(const QString &units, const QList<double> &advances) const
{
    DrawnText text {m_family, {}, {}};
    AdvanceCollector collector(text, advances);
    for (qsizetype i = 0; i < units.size(); ++i) {
        collector.unit(i);
        const char16_t unit = units[i].unicode();
        const bool partOfPrevious = !text.places.isEmpty()
            && ((QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(units[i - 1].unicode()))
                || QChar::category(char32_t(unit)) == QChar::Mark_NonSpacing);
        if (m_symbols && ((unit >= 0xF020 && unit <= 0xF0FF) || (unit >= 0x20 && unit <= 0xFF)))
            collector.newPlace(symbolPlace(unit & 0xFF));
        else if (partOfPrevious)
            collector.joinPlace(QString(units[i]));
        else
            collector.newPlace(QString(units[i]));
    }
    return text;
}

} // namespace picture
