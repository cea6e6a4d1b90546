#include "tags/ID3v2FrameFields.h"

#include <initializer_list>
#include <vector>

namespace id3v2 {

namespace {
struct FieldShape {
    FieldKind kind;
    int size = 0;
};
using Layout = std::vector<FieldShape>;

const Layout *layoutOf(const QByteArray &id)
{
    using K = FieldKind;
    static const Layout textFrame{{K::Encoding}, {K::TextList}};
    static const Layout userText{{K::Encoding}, {K::Text}, {K::TextList}};
    static const Layout userLink{{K::Encoding}, {K::Text}, {K::Binary}};
    static const Layout comment{{K::Encoding}, {K::Bytes, 3}, {K::Text}, {K::TextList}};
    static const Layout picture{{K::Encoding}, {K::Latin1}, {K::Bytes, 1}, {K::Text}, {K::Binary}};
    static const Layout pictureV22{{K::Encoding}, {K::Bytes, 3}, {K::Bytes, 1}, {K::Text}, {K::Binary}};
    static const Layout object{{K::Encoding}, {K::Latin1}, {K::Text}, {K::Text}, {K::Binary}};
    static const Layout termsOfUse{{K::Encoding}, {K::Bytes, 3}, {K::TextList}};
    static const Layout ownership{{K::Encoding}, {K::Latin1}, {K::Bytes, 8}, {K::TextList}};
    static const Layout commercial{{K::Encoding}, {K::Latin1}, {K::Bytes, 8}, {K::Latin1}, {K::Bytes, 1},
                                   {K::Text}, {K::Text}, {K::Latin1}, {K::Binary}};
    static const Layout syncedLyrics{{K::Encoding}, {K::Bytes, 3}, {K::Bytes, 1}, {K::Bytes, 1}, {K::Text},
                                     {K::SyncedTexts}};
    if (id == "TXXX")
        return &userText;
    if (id.startsWith('T') || id == "IPLS")
        return &textFrame;
    if (id == "WXXX")
        return &userLink;
    if (id == "COMM" || id == "USLT")
        return &comment;
    if (id == "APIC")
        return &picture;
    if (id == "PIC")
        return &pictureV22;
    if (id == "GEOB")
        return &object;
    if (id == "USER")
        return &termsOfUse;
    if (id == "OWNE")
        return &ownership;
    if (id == "COMR")
        return &commercial;
    if (id == "SYLT")
        return &syncedLyrics;
    return nullptr;
}

void appendTexts(QByteArray &out, const QStringList &texts, TextEncoding encoding, bool terminateLast)
{
    for (qsizetype i = 0; i < texts.size(); ++i)
        out += encodedText(texts.at(i), encoding, terminateLast || i + 1 < texts.size());
}
} // namespace

QString FrameFields::text(int index) const
{
    return index < fields.size() && !fields.at(index).texts.isEmpty() ? fields.at(index).texts.first() : QString();
}

QByteArray FrameFields::bytes(int index) const
{
    return index < fields.size() ? fields.at(index).bytes : QByteArray();
}

bool hasKnownFields(const QByteArray &id)
{
    return layoutOf(id) != nullptr;
}

std::optional<FrameFields> parseFields(const QByteArray &id, const QByteArray &content)
{
    const Layout *layout = layoutOf(id);
    if (!layout || content.isEmpty())
        return std::nullopt;
    FrameFields result;
    result.encoding = quint8(content.at(0));
    TextReader reader(content, 1, result.encoding);
    for (const FieldShape &shape : *layout) {
        Field field{shape.kind, {}, {}};
        switch (shape.kind) {
        case FieldKind::Encoding:
            break;
        case FieldKind::Bytes:
            field.bytes = reader.nextBytes(shape.size);
            break;
        case FieldKind::Latin1:
            field.bytes = reader.nextLatin1();
            break;
        case FieldKind::Text:
            field.texts.append(reader.next());
            break;
        case FieldKind::TextList:
            field.texts = reader.rest();
            break;
        case FieldKind::Binary:
            field.bytes = reader.nextBytes(content.size());
            break;
        case FieldKind::SyncedTexts:
            while (!reader.atEnd()) {
                field.texts.append(reader.next());
                field.bytes += reader.nextBytes(4).leftJustified(4, '\0');
            }
            break;
        }
        result.fields.append(field);
    }
    return result;
}

QByteArray renderFields(const FrameFields &frame)
{
    QStringList allTexts;
    for (const Field &field : frame.fields)
        allTexts += field.texts;
    const TextEncoding encoding = encodingFor(allTexts);
    QByteArray out;
    for (const Field &field : frame.fields) {
        switch (field.kind) {
        case FieldKind::Encoding:
            out.append(char(encoding));
            break;
        case FieldKind::Bytes:
        case FieldKind::Binary:
            out += field.bytes;
            break;
        case FieldKind::Latin1:
            out += field.bytes;
            out.append('\0');
            break;
        case FieldKind::Text:
            appendTexts(out, field.texts, encoding, true);
            break;
        case FieldKind::TextList:
            appendTexts(out, field.texts, encoding, false);
            break;
        case FieldKind::SyncedTexts:
            for (qsizetype i = 0; i < field.texts.size(); ++i) {
                out += encodedText(field.texts.at(i), encoding, true);
                out += field.bytes.mid(i * 4, 4);
            }
            break;
        }
    }
    return out;
}

} // namespace id3v2
