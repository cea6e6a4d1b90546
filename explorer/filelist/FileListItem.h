#pragma once
// One row of the file list: a caption, an image index and seven sub-items. Rows are
// plain records held by value in the list's model. Texts that many rows show (kinds,
// type names, attribute letters, the listed folder) share one buffer, and the full
// path (sub-item 4) is kept as the shared folder plus the entry's name.

#include <QString>
#include <QtNumeric>
#include <array>

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

enum class EntryKind : quint8 { Folder, File, Drive };

struct FileListItem {
    QString caption;
    int imageIndex = -1;
    EntryKind entryKind = EntryKind::File;
    std::array<QString, 4> columnTexts; // sub-items 0 to 3, shown in columns 1 to 4
    QString folder;                     // with its trailing "\"; empty for a drive
    QString name;                       // entry name, or the drive root
    double sortValue = qQNaN();         // the number the sort key stands for; none for a drive

    QString path() const { return folder + name; }
    bool isParent() const { return name == QLatin1String(".."); }
    const QString &kind() const
    {
        return entryKind == EntryKind::Folder ? kindDir : (entryKind == EntryKind::File ? kindFile : kindDrive);
    }
    QString subItem(FileListSubItem which) const;
};
