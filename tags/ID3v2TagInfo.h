#pragma once
// The working record of one ID3v2 tag: the header as read, the frame table of the slots
// the program shows, the texts of those slots and every frame of the tag.

#include "tags/ID3v2Frame.h"

#include <QList>
#include <QString>
#include <array>

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
    // Every frame of the tag in file order.
    QList<Frame> frames;
    // The bytes the frames' data are views into, kept alive with the record.
    QList<QByteArray> buffers;
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

bool hasIdentifier(const TagInfo &info); // the header begins with "ID3"
int majorVersion(const TagInfo &info);
quint8 headerFlags(const TagInfo &info);

// Size of the tag with header and footer; 0 when larger than the file.
int GetTagSize(const TagInfo &info);
// Files one frame: into the slot whose ID it has, and into the frame list.
void StoreFrame(const QByteArray &id, Frame frame, TagInfo &info);
// The slot whose frame has this ID in the tag's version, -1 for none.
int slotOfFrame(const QByteArray &id, const TagInfo &info);
} // namespace id3v2
