// Read -> write -> read: the values come back, everything after the tag is kept, and a
// tag written once more (after a shown comment or fallback value took its own frame)
// comes out byte for byte the same.

#include "FuzzScratch.h"

#include "tags/ID3v2Tag.h"
#include "tags/TID3v2.h"

namespace {
// The old tag's length as the rewrite skips it.
qsizetype tagLength(const QByteArray &file)
{
    id3v2::TagInfo info;
    std::copy(file.cbegin(), file.cbegin() + std::min<qsizetype>(file.size(), id3v2::HeaderSize), info.header.begin());
    info.fileSize = file.size();
    return id3v2::hasIdentifier(info) ? id3v2::GetTagSize(info) : 0;
}

// A value read comes back the same; an empty comment or link may reveal another frame.
bool comesBack(const QString &before, const QString &after, bool mayFillIn = false)
{
    return before == after || (mayFillIn && before.isEmpty());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString file = scratchFile(data, size);
    const QByteArray original(reinterpret_cast<const char *>(data), qsizetype(size));
    TID3v2 first;
    first.ReadFromFile(file);
    // A tag with parts that cannot be read is written only when the loss is accepted.
    const TID3v2::SaveResult plain = first.SaveToFile(file);
    if (!plain.saved()) {
        fuzzCheck(scratchContent() == original, "a failed write changes nothing");
        fuzzCheck(size < 10 || plain.status == TID3v2::SaveStatus::UnreadablePartsWouldBeLost,
                  "only a file without a header or with unreadable parts is not written");
        if (!first.SaveToFile(file, true).saved()) {
            fuzzCheck(size < 10, "only a file without a header cannot be written");
            return 0;
        }
    }
    const QByteArray written = scratchContent();
    fuzzCheck(written.mid(tagLength(written)) == original.mid(tagLength(original)), "the rest of the file is kept");

    TID3v2 second;
    second.ReadFromFile(file);
    fuzzCheck(second.HasTag() && second.Version() == 3, "a 2.3 tag was written");
    fuzzCheck(comesBack(first.Title(), second.Title()) && comesBack(first.Artist(), second.Artist()) &&
                  comesBack(first.Album(), second.Album()) && first.Track() == second.Track() &&
                  comesBack(first.Year(), second.Year()) && comesBack(first.Genre(), second.Genre()) &&
                  comesBack(first.Composer(), second.Composer()) && comesBack(first.EncodedBy(), second.EncodedBy()) &&
                  comesBack(first.Rights(), second.Rights()) && comesBack(first.Language(), second.Language()) &&
                  comesBack(first.Comment(), second.Comment(), true) && comesBack(first.Link(), second.Link(), true),
              "the values come back");

    const auto rewrite = [&file] {
        TID3v2 tag;
        tag.ReadFromFile(file);
        fuzzCheck(tag.WriteToFile(file), "a written tag can be written again");
        return scratchContent();
    };
    const QByteArray settled = rewrite();
    fuzzCheck(rewrite() == settled, "rewriting a written tag changes nothing");
    return 0;
}
