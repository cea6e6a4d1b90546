#pragma once
// One row of the file list: a caption, an image index and seven sub-items. Rows are
// plain records held by value in the list's model; texts shared by many rows (kinds,
// type names, attribute letters) share one buffer.

#include <QString>
#include <array>

// Meaning of each sub-item for folder and file rows; drive rows put the type name,
// total size and free space in the first three.
enum FileListSubItem {
    siSize = 0,       // size text, or the drive's type name
    siType = 1,       // shell type name, or the drive's total size
    siModified = 2,   // date-time text, or the drive's free space
    siAttributes = 3, // attribute letters
    siPath = 4,       // full drive path of the entry, or the drive root
    siKind = 5,       // "dir", "file" or "drv"
    siSortKey = 6,    // last-write time as a number in text
};

inline const QString kindDir = QStringLiteral("dir");
inline const QString kindFile = QStringLiteral("file");
inline const QString kindDrive = QStringLiteral("drv");

struct FileListItem {
    QString caption;
    int imageIndex = -1;
    std::array<QString, 7> subItems;

    const QString &subItem(FileListSubItem which) const { return subItems[which]; }
    const QString &path() const { return subItems[siPath]; }
    const QString &kind() const { return subItems[siKind]; }
    bool isParent() const { return subItems[siPath].endsWith(QLatin1String("\\..")); }
};
