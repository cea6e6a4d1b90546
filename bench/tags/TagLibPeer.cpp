// The peer of kestrava-tags in the whole-process benchmarks: the same work done with
// TagLib in a small program.
//   taglib_peer dump FILE...      both tags of each file, with the IDs of the ID3v2 frames
//   taglib_peer set FILE TITLE    the ID3v2 title written, the file flushed (fdatasync)

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <unistd.h>

namespace {
void print(const char *key, const TagLib::String &value)
{
    std::printf("  \"%s\": \"%s\",\n", key, value.toCString(true));
}

void dump(const char *file)
{
    TagLib::MPEG::File mp3(file, false);
    std::printf("{ \"file\": \"%s\",\n", file);
    if (TagLib::ID3v2::Tag *tag = mp3.ID3v2Tag()) {
        print("title", tag->title());
        print("artist", tag->artist());
        print("album", tag->album());
        print("comment", tag->comment());
        print("genre", tag->genre());
        std::printf("  \"year\": %u, \"track\": %u, \"frames\": [", tag->year(), tag->track());
        for (const TagLib::ID3v2::Frame *frame : tag->frameList())
            std::printf("\"%s\", ", frame->frameID().data());
        std::printf("],\n");
    }
    if (TagLib::ID3v1::Tag *tag = mp3.ID3v1Tag()) {
        print("v1title", tag->title());
        print("v1artist", tag->artist());
    }
    std::printf("},\n");
}

int set(const char *file, const char *title)
{
    {
        TagLib::MPEG::File mp3(file, false);
        mp3.ID3v2Tag(true)->setTitle(TagLib::String(title, TagLib::String::UTF8));
        if (!mp3.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone))
            return 1;
    }
    const int fd = ::open(file, O_RDONLY);
    const bool flushed = fd >= 0 && ::fdatasync(fd) == 0;
    ::close(fd);
    return flushed ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "dump") == 0) {
        for (int i = 2; i < argc; ++i)
            dump(argv[i]);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "set") == 0)
        return set(argv[2], argv[3]);
    return 2;
}
