#pragma once
// Frames of any version in ID3v2.3 form, for writing them back.

#include "tags/ID3v2Frame.h"

#include <QList>
#include <QSet>

namespace id3v2 {

// The frames in 2.3 form and in their order, those at `skipped` indexes left out:
// - from a 2.3 tag byte for byte;
// - from a 2.4 tag with 2.3 sizes and flags, without unsynchronisation and data length
//   indicator, texts re-encoded where 2.3 lacks the encoding (UTF-8, UTF-16BE) and value
//   lists joined with "/"; TDRC becomes TYER + TDAT + TIME, TDOR becomes TORY, TIPL and
//   TMCL become one IPLS; ASPI, EQU2, RVA2, SEEK and SIGN, which 2.3 has no form for, are
//   carried as they are (readers skip IDs they do not know);
// - from a 2.2 tag under their 2.3 IDs, PIC as APIC; CRM, LNK and IDs unknown to 2.2
//   are left out;
// - frames kept whole for an ID that is not valid go last, their bytes as they were.
QList<OutputFrame> version3Frames(const QList<Frame> &frames, const QSet<int> &skipped);
// False for the frames version3Frames leaves out.
bool hasVersion3Form(const Frame &frame);

} // namespace id3v2
