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

// Limits of what a compressed frame may expand to: one frame, one text the window shows
// (cut there, the frame then marked capped), and all frames of one tag together.
inline constexpr qint64 MaxInflatedFrameSize = 16 * 1024 * 1024;
inline constexpr qint64 MaxInflatedTextSize = 64 * 1024;
inline constexpr qint64 MaxInflatedTagSize = 64 * 1024 * 1024;

// `tagUnsynchronised`: a version 4 tag whose header says every frame is unsynchronised.
// `inflateBudget`, when given, is what the tag's compressed frames may still expand to;
// it is reduced by what this frame takes.
Frame decodeFrame(int version, const QByteArray &id, quint8 statusFlags, quint8 formatFlags,
                  const QByteArray &stored, bool tagUnsynchronised, qint64 *inflateBudget = nullptr);

} // namespace id3v2
