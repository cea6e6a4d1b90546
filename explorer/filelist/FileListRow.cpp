#include "explorer/filelist/FileListRow.h"

#include "explorer/filelist/FileListFormat.h"
#include "explorer/shared/DisplayTexts.h"
#include "platform/FileSystem.h"

namespace {
const QString blank = QStringLiteral(" ");
}

QString rowCaption(const FileListRow &row, const FileListContext &context)
{
    if (row.kind == EntryKind::Drive)
        return row.typeSlot < context.driveTexts.size() ? context.driveTexts[row.typeSlot][0] : row.name;
    if (row.isParent())
        return context.parentCaption;
    if (!context.hideFileExt)
        return row.name;
    const qsizetype dot = row.name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? row.name : row.name.left(dot);
}

QString rowPath(const FileListRow &row, const FileListContext &context)
{
    return row.kind == EntryKind::Drive ? row.name : context.folder + row.name;
}

qint64 rowSizeNumber(const FileListRow &row, const FileListContext &context)
{
    if (row.kind != EntryKind::File)
        return 0;
    if (context.fileSize == fsByte)
        return row.size;
    return (row.size > 0 && row.size < 1024 ? 1024 : row.size) / 1024;
}

QString rowColumnText(const FileListRow &row, const FileListContext &context, int subItem)
{
    if (row.kind == EntryKind::Drive) {
        if (subItem >= 3 || row.typeSlot >= context.driveTexts.size())
            return QString();
        return context.driveTexts[row.typeSlot][size_t(subItem + 1)];
    }
    if (row.isParent())
        return blank;
    const bool folder = row.kind == EntryKind::Folder;
    switch (subItem) {
    case siSize:
        if (context.fileSize == fsKB)
            return SizeToKBText(folder ? kindDir : kindFile, row.size);
        return folder ? blank : QString::number(row.size);
    case siType:
        return row.typeSlot < context.typeNames.size() ? context.typeNames[row.typeSlot] : QString();
    case siModified:
        return FileTimeToText(row.lastWriteTime, context.datePicture, context.timePicture);
    default:
        return attributeLetters(row.attributes);
    }
}

FileListItem rowRecord(const FileListRow &row, const FileListContext &context)
{
    FileListItem item;
    item.caption = rowCaption(row, context);
    item.imageIndex = row.imageIndex;
    item.entryKind = row.kind;
    for (int subItem = 0; subItem < 4; ++subItem)
        item.columnTexts[size_t(subItem)] = rowColumnText(row, context, subItem);
    if (row.kind != EntryKind::Drive) {
        item.folder = context.folder;
        item.sortValue = fileTimeSortValue(row.lastWriteTime);
    }
    item.name = row.name;
    return item;
}
