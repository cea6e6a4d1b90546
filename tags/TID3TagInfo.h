#pragma once
// The ID3v1.1 tag: the fixed 128-byte record at the end of an MP3 file.

#include <QString>
#include <array>
#include <cstdint>

class TID3TagInfo {
public:
    static constexpr int RecordSize = 128;

    bool HasTag() const { return fHasTag; }

protected:
    std::array<std::uint8_t, RecordSize> fRecord{};
    bool fHasTag = false;
};
