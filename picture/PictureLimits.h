#pragma once
// How much memory a picture may take.
//
// A picture is decoded to the size it is shown at, not to its full size: JPEG by
// libjpeg's DCT scaling (to at most 8/7 of the shown size per side), metafiles by
// rendering straight at the shown size. BMP and ICO files are read whole, then reduced.
// Whatever the file claims, no decoded picture exceeds maxDecodedPixels (4 bytes a
// pixel, so 160 MiB), and the JPEG decoder's own working memory (a progressive JPEG
// keeps every coefficient of the full picture) is capped at maxJpegWorkingBytes.
// Pictures beyond these limits are refused with a message before anything large is
// allocated.

#include <cstddef>
#include <cstdint>

namespace picture {

inline constexpr std::int64_t maxDecodedPixels = 40'000'000;
inline constexpr std::int64_t maxJpegSourcePixels = 400'000'000;
inline constexpr std::size_t maxJpegWorkingBytes = std::size_t(256) << 20;
inline constexpr std::int64_t maxMetafileBytes = std::int64_t(64) << 20;

// Largest enlargement of a raster picture: beyond twice its size a picture looks
// blurred, so a small picture stays small rather than fill the preview.
inline constexpr double maxRasterEnlargement = 2.0;

} // namespace picture
