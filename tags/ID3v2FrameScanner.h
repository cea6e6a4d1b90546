#pragma once
// Finds the frames in the bytes of a tag: where a frame header is, how long its frame
// is, where a frame may end, and where the next one starts after bytes that are none.

#include <QByteArray>

namespace id3v2 {

class FrameScanner {
public:
    FrameScanner(const QByteArray &body, int version);

    int idLength() const { return m_version == 2 ? 3 : 4; }
    int headerLength() const { return m_version == 2 ? 6 : 10; }

    // A frame header fits at pos.
    bool headerAt(qsizetype pos) const { return m_body.size() - pos >= headerLength(); }
    // A frame header with a valid ID starts at pos.
    bool frameAt(qsizetype pos) const;
    // Only zero padding from here.
    bool paddingAt(qsizetype pos) const { return pos > m_lastNonZero; }
    // Where a frame may end: at the next frame, the padding or the end.
    bool boundaryAt(qint64 pos) const;
    // The first frame header after pos whose frame ends at a boundary; the end when none.
    qsizetype nextFrameAfter(qsizetype pos) const;
    // The declared size of the frame at pos. Version 4 sizes are syncsafe, but some
    // writers put plain sizes: the reading after which a boundary follows is taken.
    qint64 frameSize(qsizetype pos) const;

private:
    const QByteArray &m_body;
    int m_version;
    qsizetype m_lastNonZero;
};

} // namespace id3v2
