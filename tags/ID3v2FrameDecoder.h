#pragma once
// Turns the bytes of one frame, as they stand in the tag, into its payload and content.

#include "tags/ID3v2Frame.h"

namespace id3v2 {

// Frame format flags of version 3.
inline constexpr quint8 V3Compression = 0x80;
inline constexpr quint8 V3Encryption = 0x40;
inline constexpr quint8 V3Grouping = 0x20;
// Frame format flags of version 4.
inline constexpr quint8 V4Grouping = 0x40;
inline constexpr quint8 V4Compression = 0x08;
inline constexpr quint8 V4Encryption = 0x04;
inline constexpr quint8 V4Unsynchronisation = 0x02;
inline constexpr quint8 V4DataLength = 0x01;

// `tagUnsynchronised`: a version 4 tag whose header says every frame is unsynchronised.
Frame decodeFrame(int version, const QByteArray &id, quint8 statusFlags, quint8 formatFlags,
                  const QByteArray &stored, bool tagUnsynchronised);

} // namespace id3v2
