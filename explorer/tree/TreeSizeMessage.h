#pragma once
// The message that tells the size of a folder tree, in the tree's language and the
// user's number formats (the default QLocale). Lines are separated by "\r".

#include <QString>
#include <QtGlobal>

class TreeSizeMessage {
public:
    // The node's label: "Unità C:\" for a drive (level 1), "Cartella "Musica"" for a
    // folder (level 2 and below), nothing for the computer (level 0).
    static QString label(const QString &drivePath, int nodeLevel);
    // "1.536 Bytes": thousands separators, no decimals.
    static QString byteText(quint64 bytes);
    // "1,50 KB", or "4.768,37 MB" above 99,999 KB; 1 KB for any size below 1,024 but 0.
    static QString sizeText(quint64 bytes);
    // The whole message; a last line tells how many folders could not be read.
    static QString compose(const QString &label, quint64 bytes, quint64 unreadableFolders = 0);
};
