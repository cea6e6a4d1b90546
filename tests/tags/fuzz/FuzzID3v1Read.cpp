// Reading and rewriting the ID3v1 record of any file.

#include "FuzzScratch.h"

#include "tags/TID3TagInfo.h"

#include "platform/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString file = scratchFile(data, size);
    TID3TagInfo tag;
    try {
        tag.ReadFromFile(file);
    } catch (const platform::StreamError &) {
        fuzzCheck(size < 128, "only a short file fails to read");
        return 0;
    }
    const QString title = tag.GetTitle();
    const QString genre = tag.GetGenre();
    const int track = tag.GetTrack();
    fuzzCheck(title.size() <= 30 && tag.GetComment().size() <= 30 && tag.GetYear().size() <= 4, "field widths");
    tag.SetGenre(genre);
    fuzzCheck(tag.GetGenre() == genre, "a genre name read stores the same genre");
    tag.SetTitle(title);
    tag.WriteToFile(file);
    const QByteArray written = scratchContent();
    const QByteArray original(reinterpret_cast<const char *>(data), qsizetype(size));
    fuzzCheck(written.size() == qsizetype(size) + (tag.HasTag() ? 0 : 128), "the record is overwritten or appended");
    fuzzCheck(written.startsWith(original.first(size - (tag.HasTag() ? 128 : 0))), "nothing before the record changes");
    TID3TagInfo again;
    again.ReadFromFile(file);
    fuzzCheck(again.GetTitle() == title && again.GetGenre() == genre, "values survive a write");
    fuzzCheck(track == 0 || again.GetTrack() == track, "the track survives a write");
    return 0;
}
