// Reading the ID3v2 tag of any file: no crash, no endless loop, no read past the data.

#include "FuzzScratch.h"

#include "tags/TID3v2.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TID3v2 tag;
    const bool read = tag.ReadFromFile(scratchFile(data, size));
    fuzzCheck(read == (size >= 10), "the read fails exactly when the header is missing");
    fuzzCheck(tag.TagSize() <= qint64(size), "the tag lies within the file");
    return 0;
}
