#pragma once
// How the file list keeps its rows: per row only what cannot be derived (the name,
// size and time as numbers, attribute bits, kind, icon and type slot); what every row
// of a listing shares (its folder, the settings it was listed with, the type names,
// the drives' texts) is kept once. The texts of the columns are made when asked for.

#include "explorer/filelist/FileListItem.h"
#include "explorer/shared/ExplorerTypes.h"

#include <QString>
#include <array>
#include <vector>

struct FileListRow {
    QString name;          // entry name, ".." for the parent row, the root for a drive
    qint64 size = 0;       // bytes
    qint64 lastWriteTime = 0; // UTC, 100-ns units since 1601
    qint32 imageIndex = -1;
    quint16 typeSlot = 0;  // type name of an entry, or texts of a drive, in the context
    quint8 attributes = 0; // FileAttribute bits
    EntryKind kind = EntryKind::File;

    bool isParent() const { return name.size() == 2 && name == QLatin1String(".."); }
};

struct FileListContext {
    QString folder; // with its trailing "\"; empty for the drives
    TFileSize fileSize = fsKB;
    bool hideFileExt = false;
    QString parentCaption;
    QString datePicture;
    QString timePicture;
    std::vector<QString> typeNames; // by slot: at most 80 characters
    // By slot: caption, type name, total size, free space.
    std::vector<std::array<QString, 4>> driveTexts;
};

QString rowCaption(const FileListRow &row, const FileListContext &context);
QString rowPath(const FileListRow &row, const FileListContext &context);
// Sub-items 0 to 3 (the columns after the name) as shown.
QString rowColumnText(const FileListRow &row, const FileListContext &context, int subItem);
// The byte count the size column stands for (whole KB with fsKB; 0 for folders).
qint64 rowSizeNumber(const FileListRow &row, const FileListContext &context);
// The whole record: caption, image and seven sub-items.
FileListItem rowRecord(const FileListRow &row, const FileListContext &context);
