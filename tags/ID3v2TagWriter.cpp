#include "tags/ID3v2TagWriter.h"


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

// The frames the new comment and link replace: the ones shown (with, for a comment
// without description, its copies in the same language). The new ones are written with
// the language and description of the frame they replace.
QSet<int> replacedFrames(const TagInfo &info)
{
    QSet<int> replaced;
    if (info.linkFrame >= 0)
        replaced.insert(info.linkFrame);
    if (info.commentFrame >= 0)
        replaced.insert(info.commentFrame);
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

OutputFrame commentFrame(const QString &text, const TagInfo &info)
{
    QByteArray language = DefaultLanguage;
    QString description;
    if (info.commentFrame >= 0) {
        if (const std::optional<FrameFields> fields = commentFields(info, info.commentFrame)) {
            if (fields->bytes(1).size() == 3)
                language = fields->bytes(1);
            description = fields->text(2);
        }
    }
    const TextEncoding encoding = encodingFor({description, text});
    return OutputFrame{"COMM", 0, 0,
                       char(encoding) + language + encodedText(description, encoding, true) +
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

OutputFrame linkFrame(const QString &address, const TagInfo &info)
{
    QString description;
    if (info.linkFrame >= 0) {
        if (const std::optional<FrameFields> fields = parseFields("WXXX", info.frames.at(info.linkFrame).content))
            description = fields->text(1);
    }
    const TextEncoding encoding = encodingFor({description});
    return OutputFrame{"WXXX", 0, 0, char(encoding) + encodedText(description, encoding, true) + addressBytes(address)};
}

OutputFrame valueFrame(int slot, const QString &text, const TagInfo &info)
{
    switch (slot) {
    case CommentSlot:
        return commentFrame(text, info);
    case LinkSlot:
        return linkFrame(text, info);
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

bool losesUnreadableParts(const TagInfo &info)
{
    return info.readError != 0 || info.unreadableBytes > 0 ||
           std::any_of(info.frames.cbegin(), info.frames.cend(),
                       [](const Frame &frame) { return frame.capped || !hasVersion3Form(frame); });
}

std::optional<QByteArray> BuildTag(const TagInfo &info)
{
    const QSet<int> replaced = replacedFrames(info);
    QByteArray body;
    for (int slot = 0; slot < WrittenSlotCount; ++slot) {
        const bool claimed = (slot == CommentSlot && keptFrameWouldShow(info.commentFrames, replaced)) ||
                             (slot == LinkSlot && keptFrameWouldShow(info.linkFrames, replaced));
        if (!info.texts[slot].isEmpty() || claimed)
            body += frameBytes(valueFrame(slot, info.texts[slot], info));
    }
    // A recording time whose year is not the one written would be read in its place by
    // programs that take it first: it goes, the year being written as TYER.
    const bool staleRecordingTime = info.texts[RecordingTimeSlot].left(4) != info.texts[YearSlot];
    for (const OutputFrame &frame : version3Frames(info.frames, replaced)) {
        if (!isWrittenFromValues(frame.id) && !(frame.id == "TDRC" && staleRecordingTime))
            body += frameBytes(frame);
    }
    if (body.size() > MaxBodySize)
        return std::nullopt;
    return BuildHeader(body.size()) + body;
}

} // namespace id3v2
