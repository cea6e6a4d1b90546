#include "explorer/filelist/FileListItem.h"

#include "explorer/filelist/FileListFormat.h"

QString FileListItem::subItem(FileListSubItem which) const
{
    switch (which) {
    case siPath:
        return path();
    case siKind:
        return kind();
    case siSortKey:
        return sortKeyText(sortValue);
    default:
        return columnTexts[size_t(which)];
    }
}
