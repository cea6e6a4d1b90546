#include "tags/ID3v2FrameConversion.h"

#include "tags/ID3v2Bytes.h"
#include "tags/ID3v2FrameDecoder.h"
#include "tags/ID3v2FrameFields.h"

#include <QHash>

namespace id3v2 {

namespace {
const QHash<QByteArray, QByteArray> &version22Ids()
{
    static const QHash<QByteArray, QByteArray> ids = {
        {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
        {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
        {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"},
        {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
        {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"},
        {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
        {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
        {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"},
        {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"},
        {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"},
        {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"},
        {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
        {"WXX", "WXXX"},
        // IDs used by common players in 2.2 tags.
        {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSA", "TSOA"}, {"TSP", "TSOP"}, {"TS2", "TSO2"},
        {"TSC", "TSOC"},
    };
    return ids;
}

bool isTextFrame(const QByteArray &id)
{
    return id.startsWith('T') && id != "TXXX";
}

QByteArray pictureMimeType(const QByteArray &format)
{
    const QByteArray upper = format.toUpper();
    if (upper == "JPG")
        return "image/jpeg";
    if (format == "-->")
        return format;
    return "image/" + format.toLower();
}

OutputFrame textOutput(const QByteArray &id, const QString &text)
{
    return OutputFrame{id, 0, 0, textFrameContent(text)};
}

// TDRC "yyyy-MM-ddTHH:mm:ss" (any prefix of it) as TYER, TDAT (DDMM) and TIME (HHMM).
QList<OutputFrame> recordingTimeFrames(const QString &time)
{
    QList<OutputFrame> frames;
    if (time.size() >= 4)
        frames.append(textOutput("TYER", time.left(4)));
    if (time.size() >= 10)
        frames.append(textOutput("TDAT", time.mid(8, 2) + time.mid(5, 2)));
    if (time.size() >= 16)
        frames.append(textOutput("TIME", time.mid(11, 2) + time.mid(14, 2)));
    return frames;
}

QList<OutputFrame> fromVersion2(const Frame &frame)
{
    const QByteArray id = version22Ids().value(frame.id);
    if (id.isEmpty())
        return {};
    std::optional<FrameFields> fields = parseFields(frame.id == "PIC" ? frame.id : id, frame.content);
    if (frame.id == "PIC" && fields) {
        fields->fields[1] = Field{FieldKind::Latin1, pictureMimeType(fields->bytes(1)), {}};
        return {OutputFrame{id, 0, 0, renderFields(*fields)}};
    }
    const bool reencode = fields && fields->encoding > Utf16;
    return {OutputFrame{id, 0, 0, reencode ? renderFields(*fields) : frame.content}};
}

// A version 4 frame's data with the 2.3 flags and the bytes they add.
OutputFrame version3Form(const Frame &frame, const QByteArray &content, bool keepCompression)
{
    OutputFrame out{frame.id, 0, 0, {}};
    const quint8 status = frame.statusFlags;
    out.statusFlags = quint8(((status & 0x40) << 1) | ((status & 0x20) << 1) | ((status & 0x10) << 1));
    const bool compressed = keepCompression && frame.compressed;
    const bool encrypted = frame.encryptionMethod >= 0;
    if (compressed) {
        out.formatFlags |= V3Compression;
        out.data += bigEndianBytes(frame.readable ? quint32(frame.content.size()) : frame.dataLength, 4);
    }
    if (encrypted) {
        out.formatFlags |= V3Encryption;
        out.data.append(char(frame.encryptionMethod));
    }
    if (frame.groupId >= 0) {
        out.formatFlags |= V3Grouping;
        out.data.append(char(frame.groupId));
    }
    out.data += content;
    return out;
}

QList<OutputFrame> fromVersion4(const Frame &frame)
{
    // Encrypted, compressed beyond repair or cut at a size limit: carried as it is.
    if (!frame.readable || frame.capped)
        return {version3Form(frame, frame.payload, true)};
    std::optional<FrameFields> fields = parseFields(frame.id, frame.content);
    if (fields && isTextFrame(frame.id)) {
        QStringList &values = fields->fields[1].texts;
        const QString value = values.join(QLatin1Char('/'));
        if (frame.id == "TDRC")
            return recordingTimeFrames(value);
        if (frame.id == "TDOR")
            return {textOutput("TORY", value.left(4))};
        Frame converted = frame;
        if (frame.id == "TIPL" || frame.id == "TMCL")
            converted.id = "IPLS"; // name/person pairs stay a list
        else
            values = QStringList{value};
        return {version3Form(converted, renderFields(*fields), false)};
    }
    if (fields && fields->encoding > Utf16)
        return {version3Form(frame, renderFields(*fields), false)};
    return {version3Form(frame, frame.compressed ? frame.payload : frame.content, true)};
}

// A frame kept whole: its ID and data as they are, the size in 2.3 form.
OutputFrame verbatimFrame(const Frame &frame)
{
    const int headerLength = frame.version == 2 ? 6 : 10;
    const QByteArray header = frame.stored.first(headerLength);
    return OutputFrame{frame.id, quint8(header.at(8)), quint8(header.at(9)), frame.stored.sliced(headerLength)};
}

QList<OutputFrame> toVersion3(const Frame &frame)
{
    if (!hasVersion3Form(frame))
        return {};
    switch (frame.version) {
    case 2:
        return fromVersion2(frame);
    case 4:
        return fromVersion4(frame);
    default:
        return {OutputFrame{frame.id, frame.statusFlags, frame.formatFlags, frame.stored}};
    }
}

// The people list pairs of an IPLS frame made here.
QStringList involvedPeople(const OutputFrame &frame)
{
    const std::optional<FrameFields> fields = parseFields("IPLS", frame.data);
    return fields ? fields->fields.value(1).texts : QStringList();
}
} // namespace

bool hasVersion3Form(const Frame &frame)
{
    if (frame.version == 2)
        return !frame.verbatim && version22Ids().contains(frame.id);
    return true;
}

QList<OutputFrame> version3Frames(const QList<Frame> &frames, const QSet<int> &skipped)
{
    QSet<QByteArray> sourceIds;
    for (const Frame &frame : frames)
        sourceIds.insert(frame.id);
    QList<OutputFrame> result;
    QList<OutputFrame> keptWhole;
    qsizetype peopleList = -1;
    for (qsizetype index = 0; index < frames.size(); ++index) {
        if (skipped.contains(int(index)))
            continue;
        const Frame &frame = frames.at(index);
        if (frame.verbatim) {
            if (hasVersion3Form(frame))
                keptWhole.append(verbatimFrame(frame));
            continue;
        }
        for (OutputFrame &out : toVersion3(frame)) {
            // A frame made from a date never replaces one the tag already has.
            if (out.id != frame.id && out.id != "IPLS" && frame.version == 4 && sourceIds.contains(out.id))
                continue;
            if (out.id == "IPLS" && frame.version == 4) {
                if (peopleList >= 0) {
                    QStringList pairs = involvedPeople(result.at(peopleList)) + involvedPeople(out);
                    FrameFields fields{Latin1, {Field{FieldKind::Encoding, {}, {}}, Field{FieldKind::TextList, {}, pairs}}};
                    result[peopleList].data = renderFields(fields);
                    continue;
                }
                peopleList = result.size();
            }
            result.append(out);
        }
    }
    // After every frame a reader understands, so that one which stops at them misses none.
    return result + keptWhole;
}

} // namespace id3v2
