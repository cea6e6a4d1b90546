#include "tests/tags/Mp3Files.h"

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/common/TempFolder.h"
#include "tests/tags/TagBytes.h"

#include <gtest/gtest.h>

namespace tagbytes {

namespace {
// Both tag classes have setters of the same names.
template <typename Tag>
void setFields(Tag &tag, const Mp3Tags &fields)
{
    tag.SetTitle(fields.title);
    tag.SetArtist(fields.artist);
    tag.SetAlbum(fields.album);
    tag.SetGenre(fields.genre);
    tag.SetYear(fields.year);
    tag.SetComment(fields.comment);
    tag.SetTrack(std::uint16_t(fields.track));
}
} // namespace

QString writeMp3(const TempFolder &folder, const QString &name, const Mp3Tags &v2, const Mp3Tags &v1)
{
    const QString path = folder.write(name, silentAudio(3));
    if (!v2.empty()) {
        TID3v2 tag;
        setFields(tag, v2);
        tag.SetLink(v2.link);
        EXPECT_TRUE(tag.WriteToFile(path)) << name.toStdString();
    }
    if (!v1.empty()) {
        TID3TagInfo tag;
        setFields(tag, v1);
        tag.WriteToFile(path);
    }
    return path;
}

} // namespace tagbytes
