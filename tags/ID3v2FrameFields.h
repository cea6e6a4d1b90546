#pragma once
// The fields of the frames that carry an encoding byte, so that their texts can be read
// and the frames written again in another encoding.

#include "tags/ID3v2Text.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

namespace id3v2 {

enum class FieldKind {
    Encoding,    // the encoding byte
    Bytes,       // a fixed number of bytes (language, picture type, date)
    Latin1,      // a Latin-1 string with its terminator
    Text,        // a string in the frame's encoding with its terminator
    TextList,    // the strings up to the end
    Binary,      // the bytes up to the end
    SyncedTexts, // up to the end: strings, each followed by a 4-byte time stamp
};

struct Field {
    FieldKind kind;
    QByteArray bytes;  // Bytes, Latin1, Binary; the time stamps of SyncedTexts
    QStringList texts; // Text (one), TextList, SyncedTexts
};

struct FrameFields {
    int encoding = Latin1;
    QList<Field> fields;

    QString text(int index) const;       // first string of a field, empty when missing
    QByteArray bytes(int index) const;
};

// Whether frames of this ID have an encoding byte: text frames, COMM, APIC, PIC…
bool hasKnownFields(const QByteArray &id);
// The fields of the frame's content; none for other IDs or an empty content.
std::optional<FrameFields> parseFields(const QByteArray &id, const QByteArray &content);
// The content again, texts in Latin-1 when they all fit, else in UTF-16.
QByteArray renderFields(const FrameFields &fields);

} // namespace id3v2
