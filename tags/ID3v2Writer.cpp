#include "tags/ID3v2Tag.h"

#include "tags/ID3v2Bytes.h"
#include "tags/ID3v2FrameConversion.h"
#include "tags/ID3v2FrameFields.h"

#include <algorithm>

namespace id3v2 {

namespace {
constexpr char DefaultLanguage[] = "eng";

bool isWrittenFromValues(const QByteArray &id)
{
    for (int slot = 0; slot < WrittenSlotCount; ++slot) {
        if (slot != CommentSlot && slot != LinkSlot && id == FrameIDs[slot].v34)
            return true;
    }
    return false;
}

QByteArray frameBytes(const OutputFrame &frame)
{
    return frame.id + bigEndianBytes(quint32(frame.data.size()), 4) + char(frame.statusFlags) +
           char(frame.formatFlags) + frame.data;
}

std::optional<FrameFields> commentFields(const TagInfo &info, int index)
{
    return parseFields(FrameIDs[CommentSlot].v34, info.frames.at(index).content);
}

// The frames the new comment and link replace: the ones shown when they have no
// description (with the comment's copies in the same language). Frames with a
// description are kept.
QSet<int> replacedFrames(const TagInfo &info)
{
    QSet<int> replaced;
    if (info.linkRank == 2)
        replaced.insert(info.linkFrame);
    if (info.commentRank != 2)
        return replaced;
    const std::optional<FrameFields> shown = commentFields(info, info.commentFrame);
    for (const int index : info.commentFrames) {
        const std::optional<FrameFields> fields = commentFields(info, index);
        if (shown && fields && fields->text(2).isEmpty() && fields->bytes(1) == shown->bytes(1))
            replaced.insert(index);
    }
    return replaced;
}

// An empty value is written as an empty frame when a kept frame would otherwise be shown
// in its place at the next read.
bool keptFrameWouldShow(const QList<int> &candidates, const QSet<int> &replaced)
{
    return std::any_of(candidates.cbegin(), candidates.cend(), [&](int index) { return !replaced.contains(index); });
}

QByteArray commentLanguage(const TagInfo &info)
{
    if (info.commentFrame >= 0) {
        const std::optional<FrameFields> fields = commentFields(info, info.commentFrame);
        if (fields && fields->bytes(1).size() == 3)
            return fields->bytes(1);
    }
    return DefaultLanguage;
}

OutputFrame commentFrame(const QString &text, const QByteArray &language)
{
    const TextEncoding encoding = encodingFor({text});
    return OutputFrame{"COMM", 0, 0,
                       char(encoding) + language + encodedText(QString(), encoding, true) +
                           encodedText(text, encoding, false)};
}

// Addresses are Latin-1; other characters are written percent-encoded as UTF-8.
QByteArray addressBytes(const QString &address)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < address.size(); ++i) {
        const QChar c = address.at(i);
        if (c.unicode() <= 0xFF) {
            bytes.append(char(c.unicode()));
            continue;
        }
        const qsizetype length = c.isHighSurrogate() && i + 1 < address.size() ? 2 : 1;
        for (const char byte : address.mid(i, length).toUtf8())
            bytes += '%' + QByteArray::number(quint8(byte), 16).toUpper().rightJustified(2, '0');
        i += length - 1;
    }
    return bytes;
}

OutputFrame linkFrame(const QString &address)
{
    return OutputFrame{"WXXX", 0, 0, QByteArray(2, '\0') + addressBytes(address)};
}

OutputFrame valueFrame(int slot, const QString &text, const TagInfo &info)
{
    switch (slot) {
    case CommentSlot:
        return commentFrame(text, commentLanguage(info));
    case LinkSlot:
        return linkFrame(text);
    case GenreSlot: // a genre text that begins with "(" is written "((", so it is not read as a code
        return OutputFrame{FrameIDs[slot].v34, 0, 0,
                           textFrameContent(text.startsWith(QLatin1Char('(')) ? QLatin1Char('(') + text : text)};
    default:
        return OutputFrame{FrameIDs[slot].v34, 0, 0, textFrameContent(text)};
    }
}
} // namespace

QByteArray BuildHeader(qint64 bodySize)
{
    return QByteArray("ID3\x03\x00\x00", 6) + syncsafeBytes(quint32(bodySize));
}

bool SaveTag(const QString &fileName, const TagInfo &info)
{
    const QSet<int> replaced = replacedFrames(info);
    QByteArray body;
    for (int slot = 0; slot < WrittenSlotCount; ++slot) {
        const bool claimed = (slot == CommentSlot && keptFrameWouldShow(info.commentFrames, replaced)) ||
                             (slot == LinkSlot && keptFrameWouldShow(info.linkFrames, replaced));
        if (!info.texts[slot].isEmpty() || claimed)
            body += frameBytes(valueFrame(slot, info.texts[slot], info));
    }
    for (const OutputFrame &frame : version3Frames(info.frames, replaced)) {
        if (!isWrittenFromValues(frame.id))
            body += frameBytes(frame);
    }
    if (body.size() > MaxBodySize)
        return false;
    return ReplaceTag(fileName, BuildHeader(body.size()) + body);
}

} // namespace id3v2
