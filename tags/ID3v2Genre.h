#pragma once
// The genre shown for the values of a content-type frame (TCON).

#include <QString>
#include <QStringList>

namespace id3v2 {

// "(17)" -> "Rock", "(17)Rock" -> "Rock", "((Rock" -> "(Rock", plain texts as they are;
// version 4 numbers ("17") as names; several values joined with "/".
QString genreText(const QStringList &values, int version);

} // namespace id3v2
