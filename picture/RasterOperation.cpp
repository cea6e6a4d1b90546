#include "picture/RasterOperation.h"

namespace picture {

RasterOperation RasterOperation::fromBinary(int mode)
{
    // Bit 2P + D of (mode - 1) is the result; the drawing colour stands as the source.
    const unsigned table = unsigned(mode - 1) & 0x0F;
    unsigned index = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        const unsigned drawn = (bit >> 1) & 1, destination = bit & 1;
        if ((table >> (drawn * 2 + destination)) & 1)
            index |= 1u << bit;
    }
    return RasterOperation(index);
}

quint32 RasterOperation::apply(quint32 pattern, quint32 source, quint32 destination) const
{
    quint32 result = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (!((m_index >> bit) & 1))
            continue;
        result |= ((bit & 4) ? pattern : ~pattern) & ((bit & 2) ? source : ~source)
                & ((bit & 1) ? destination : ~destination);
    }
    return result;
}

} // namespace picture
