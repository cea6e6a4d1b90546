#pragma once
// One frame of an ID3v2 tag as read, and one frame as the writer puts it in a 2.3 tag.

#include <QByteArray>

namespace id3v2 {

struct Frame {
    QByteArray id;           // three characters in 2.2, four in 2.3 and 2.4
    int version = 3;         // major version of the tag it was read from
    quint8 statusFlags = 0;  // the two flag bytes as in the tag (none in 2.2)
    quint8 formatFlags = 0;
    QByteArray stored;       // the frame's data as it stands in the tag
    QByteArray payload;      // data after the bytes the flags add, unsynchronisation undone
    QByteArray content;      // the payload uncompressed; empty when unreadable
    bool readable = true;    // false when encrypted or its compression is broken
    bool compressed = false;
    bool capped = false;     // content cut at the limit of its size: written back from payload
    bool verbatim = false;   // an ID that is not valid: `stored` is the whole frame, header included
    quint32 dataLength = 0;  // size of the uncompressed data announced by a compressed frame
    int groupId = -1;
    int encryptionMethod = -1;
};

// A frame in ID3v2.3 form.
struct OutputFrame {
    QByteArray id;
    quint8 statusFlags = 0;
    quint8 formatFlags = 0;
    QByteArray data;
};

} // namespace id3v2
