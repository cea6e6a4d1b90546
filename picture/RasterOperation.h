#pragma once
// A raster operation: each bit of the result as a function of the same bit of the
// brush pattern (P), the source (S) and the destination (D). Ternary operations are
// named by their index byte (bits 16-23 of the 32-bit code metafiles store), whose bit
// 4P + 2S + D is the result for those inputs; the sixteen binary line and fill modes
// combine the drawing colour with the destination and are held the same way, the
// drawing colour standing as the source.

#include <QtGlobal>

namespace picture {

class RasterOperation {
public:
    // From a 32-bit ternary code, e.g. 0x00CC0020 (source copy).
    static RasterOperation fromTernary(quint32 code) { return RasterOperation((code >> 16) & 0xFF); }
    // From a binary mode, 1 (black) to 16 (white); 13 copies the drawing colour.
    static RasterOperation fromBinary(int mode);

    quint32 apply(quint32 pattern, quint32 source, quint32 destination) const;

    bool usesPattern() const { return ((m_index >> 4) ^ m_index) & 0x0F; }
    bool usesSource() const { return ((m_index >> 2) ^ m_index) & 0x33; }
    bool isSourceCopy() const { return m_index == 0xCC; }
    bool isPatternCopy() const { return m_index == 0xF0; }

private:
    explicit RasterOperation(unsigned index) : m_index(index) {}
    unsigned m_index;
};

} // namespace picture
