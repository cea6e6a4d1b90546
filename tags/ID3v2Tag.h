#pragma once
// The ID3v2 unit: the frame table, the working record of one tag, and the functions for
// the header, the frame loop and the rewriting of the file. File names are bare names
// resolved against the current folder (or drive paths).

#include "tags/ID3v2Frame.h"

#include <QList>
#include <QString>
#include <array>

namespace platform {
class RandomAccessFile;
}

namespace id3v2 {

inline constexpr int HeaderSize = 10;
inline constexpr int FooterSize = 10;
inline constexpr int SlotCount = 16;
inline constexpr qint64 MaxBodySize = (qint64(1) << 28) - 1; // what a syncsafe size can hold

// Header flags.
inline constexpr quint8 UnsynchronisationFlag = 0x80;
inline constexpr quint8 ExtendedHeaderFlag = 0x40;
inline constexpr quint8 Version22CompressionFlag = 0x40;
inline constexpr quint8 FooterFlag = 0x10;

enum Slot {
    TitleSlot, ArtistSlot, AlbumSlot, TrackSlot, YearSlot, GenreSlot, CommentSlot,
    ComposerSlot, EncodedBySlot, RightsSlot, LanguageSlot, LinkSlot,
    // Fallbacks, read only.
    RecordingTimeSlot, OriginalArtistSlot, ContentGroupSlot, OriginalAlbumSlot,
};
inline constexpr int WrittenSlotCount = LinkSlot + 1;

struct FrameID {
    const char *v34; // versions 3 and 4
    const char *v2;
};
extern const std::array<FrameID, SlotCount> FrameIDs;

struct TagInfo {
    std::array<char, HeaderSize> header{}; // as in the file
    qint64 fileSize = 0;
    std::array<QString, SlotCount> texts;  // one text per slot of FrameIDs
    // Every frame of the tag in file order; only the slots' own frames when the tag is
    // read just for its values (a rewrite needs all of them).
    bool keepsAllFrames = true;
    QList<Frame> frames;
    // Comment and link: the frames that could be shown (readable COMM frames other than
    // the players' own iTun… ones, readable WXXX frames), the index of the one shown and
    // its rank: 2 without a description, 1 with one.
    QList<int> commentFrames, linkFrames;
    int commentFrame = -1;
    int linkFrame = -1;
    int commentRank = 0;
    int linkRank = 0;
    // What the read could not take in: the system's error number of a failed read (the
    // frames are then incomplete), bytes skipped as no frame, frames cut short by the end
    // of the tag.
    int readError = 0;
    qint64 unreadableBytes = 0;
    int overrunFrames = 0;
};

// Whether writing the tag again from info would leave out parts of the old tag that could
// not be read (skipped bytes, frames read only in part, frames a 2.3 tag cannot carry).
bool losesUnreadableParts(const TagInfo &info);

bool hasIdentifier(const TagInfo &info); // the header begins with "ID3"
int majorVersion(const TagInfo &info);
quint8 headerFlags(const TagInfo &info);

// Reads the header and the file's size; false when 10 bytes cannot be read (readError
// then tells a failed read from a short file).
bool ReadTagHeader(const QString &fileName, TagInfo &info);
bool ReadTagHeader(const platform::RandomAccessFile &file, TagInfo &info);
// Size of the tag with header and footer; 0 when larger than the file.
int GetTagSize(const TagInfo &info);
// Read the frames of a version 3/4 (resp. 2) tag into the slots and the frame list.
void ReadFramesV23(const QString &fileName, TagInfo &info);
void ReadFramesV23(const platform::RandomAccessFile &file, TagInfo &info);
void ReadFramesV22(const QString &fileName, TagInfo &info);
void ReadFramesV22(const platform::RandomAccessFile &file, TagInfo &info);
// Reads the tag's frames from the bytes after the header.
void parseTagBody(QByteArray body, TagInfo &info);
// Files one frame: into the slot whose ID it has, and into the frame list.
void StoreFrame(const QByteArray &id, Frame frame, TagInfo &info);
// The slot whose frame has this ID in the tag's version, -1 for none.
int slotOfFrame(const QByteArray &id, const TagInfo &info);
// Reads header and frames of the file's tag when it has one of versions 2-4; a failed
// open or read is in info.readError.
void readTag(const QString &fileName, TagInfo &info);

// The 10 header bytes of a 2.3 tag whose frames take `bodySize` bytes.
QByteArray BuildHeader(qint64 bodySize);
// Writes the slot texts, and every other frame of info.frames, as a 2.3 tag.
bool SaveTag(const QString &fileName, const TagInfo &info);
// Puts `tag` in place of the file's ID3v2 tag, keeping everything after it: in place
// through a journal when it fits in the old tag's space, else by rewriting the file with
// paddingForGrowth() after the frames. False with errno set on failure, the file left
// with its old tag.
bool ReplaceTag(const QString &fileName, const QByteArray &tag);
// The tag with zero padding after its frames up to `size` bytes; unchanged when the
// padding would make it larger than a tag can be.
QByteArray paddedTag(const QByteArray &tag, qint64 size);
// The padding left after a tag of that size when the file has to be rewritten.
inline constexpr qint64 MaxGrowthPadding = 64 * 1024;
qint64 paddingForGrowth(qint64 tagSize);
// The tag with the least zero padding after its frames that puts what follows it at
// the old tag's offset within a block of `alignment` bytes (unchanged for 0).
QByteArray alignedTag(const QByteArray &tag, qint64 oldTagSize, int alignment);

} // namespace id3v2
