#include "tags/ID3v2TagInfo.h"

#include "tags/ID3v2FrameFields.h"
#include "tags/ID3v2Genre.h"

namespace id3v2 {

const std::array<FrameID, SlotCount> FrameIDs = {{
    {"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"}, {"TRCK", "TRK"},
    {"TYER", "TYE"}, {"TCON", "TCO"}, {"COMM", "COM"}, {"TCOM", "TCM"},
    {"TENC", "TEN"}, {"TCOP", "TCR"}, {"TLAN", "TLA"}, {"WXXX", "WXX"},
    {"TDRC", "TOR"}, {"TOPE", "TOA"}, {"TIT1", "TT1"}, {"TOAL", "TOT"},
}};

namespace {
enum CommentField { CommentLanguage = 1, CommentDescription = 2, CommentText = 3 };
enum LinkField { LinkDescription = 1, LinkAddress = 2 };

// The comment shown is the one with an empty description, else the first that is
// not one of the players' own (iTunNORM, iTunSMPB…); the link likewise without that exception.
int commentRank(const QString &description)
{
    if (description.isEmpty())
        return 2;
    return description.startsWith(QLatin1String("iTun")) ? 0 : 1;
}

int linkRank(const QString &description)
{
    return description.isEmpty() ? 2 : 1;
}

QString latin1UpToZero(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return QString::fromLatin1(zero < 0 ? bytes : bytes.first(zero));
}

// The values of a text frame: a list in version 4; before it, what follows a
// terminator is not part of the text.
QStringList textValues(const FrameFields &fields, int version)
{
    const QStringList values = fields.fields.value(1).texts;
    return version >= 4 ? values : values.mid(0, 1);
}

// Files the frame's text into the slot, when it is the one to show.
void storeSlot(int slot, int frameIndex, const FrameFields &fields, int version, TagInfo &info)
{
    switch (slot) {
    case CommentSlot: {
        const int rank = commentRank(fields.text(CommentDescription));
        if (rank > 0)
            info.commentFrames.append(frameIndex);
        if (rank > info.commentRank) {
            info.commentRank = rank;
            info.commentFrame = frameIndex;
            info.texts[slot] = fields.text(CommentText);
        }
        break;
    }
    case LinkSlot: {
        const int rank = linkRank(fields.text(LinkDescription));
        info.linkFrames.append(frameIndex);
        if (rank > info.linkRank) {
            info.linkRank = rank;
            info.linkFrame = frameIndex;
            info.texts[slot] = latin1UpToZero(fields.bytes(LinkAddress));
        }
        break;
    }
    case GenreSlot:
        info.texts[slot] = genreText(textValues(fields, version), version);
        break;
    default:
        info.texts[slot] = textValues(fields, version).join(QLatin1Char('/'));
        break;
    }
}
} // namespace

bool hasIdentifier(const TagInfo &info)
{
    return info.header[0] == 'I' && info.header[1] == 'D' && info.header[2] == '3';
}

int majorVersion(const TagInfo &info)
{
    return quint8(info.header[3]);
}

quint8 headerFlags(const TagInfo &info)
{
    return quint8(info.header[5]);
}

int GetTagSize(const TagInfo &info)
{
    const auto byte = [&](int index) { return qint64(quint8(info.header[index])); };
    qint64 size = (byte(6) << 21) + (byte(7) << 14) + (byte(8) << 7) + byte(9) + HeaderSize;
    if (headerFlags(info) & FooterFlag)
        size += FooterSize;
    return size > info.fileSize ? 0 : int(size);
}

int slotOfFrame(const QByteArray &id, const TagInfo &info)
{
    const bool version2 = majorVersion(info) == 2;
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (id == (version2 ? FrameIDs[slot].v2 : FrameIDs[slot].v34))
            return slot;
    }
    return -1;
}

void StoreFrame(const QByteArray &id, Frame frame, TagInfo &info)
{
    const int frameIndex = int(info.frames.size());
    info.frames.append(std::move(frame));
    const Frame &stored = info.frames.last();
    const int slot = slotOfFrame(id, info);
    if (slot < 0 || !stored.readable)
        return;
    if (const std::optional<FrameFields> fields = parseFields(FrameIDs[slot].v34, stored.content))
        storeSlot(slot, frameIndex, *fields, majorVersion(info), info);
}

} // namespace id3v2
