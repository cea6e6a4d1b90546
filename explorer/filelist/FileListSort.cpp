#include "explorer/filelist/FileListSort.h"

#include "explorer/filelist/FileListFormat.h"
#include "text/Ascii.h"

#include <algorithm>

namespace {
// What one comparison needs of a row, computed once per sort.
struct SortEntry {
    int row = 0;
    bool parent = false;
    bool folder = false;
    qint64 number = 0;
    double time = 0;
    QString text;
};

SortEntry sortEntryFor(const FileListItem &item, int row, int column)
{
    SortEntry entry;
    entry.row = row;
    entry.parent = item.isParent();
    entry.folder = item.entryKind == EntryKind::Folder;
    switch (column) {
    case 0:
        entry.text = ascii::toUpper(item.caption);
        break;
    case 1:
        entry.number = sizeFromSizeText(item.columnTexts[siSize]);
        break;
    case 3:
        entry.time = item.sortValue;
        break;
    case 2:
        entry.text = item.columnTexts[siType];
        break;
    default:
        entry.text = item.columnTexts[siAttributes];
        break;
    }
    return entry;
}

template <typename T>
int threeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compareByColumn(const SortEntry &a, const SortEntry &b, int column)
{
    switch (column) {
    case 0:
        return threeWay(QStringView(a.text).compare(b.text, Qt::CaseSensitive), 0);
    case 1:
        return threeWay(a.number, b.number);
    case 3:
        return threeWay(a.time, b.time);
    default:
        return threeWay(QStringView(a.text).compare(b.text, Qt::CaseInsensitive), 0);
    }
}

int compareEntries(const SortEntry &a, const SortEntry &b, const FileListOrder &order)
{
    if (a.parent != b.parent)
        return a.parent ? -1 : 1;
    const int result = a.folder != b.folder ? (a.folder ? -1 : 1) : compareByColumn(a, b, order.column);
    return order.descending && !a.parent ? -result : result;
}
} // namespace

std::vector<int> sortFileListItems(std::vector<FileListItem> &items, const FileListOrder &order)
{
    std::vector<SortEntry> entries;
    entries.reserve(items.size());
    for (size_t row = 0; row < items.size(); ++row)
        entries.push_back(sortEntryFor(items[row], int(row), order.column));
    std::stable_sort(entries.begin(), entries.end(), [&order](const SortEntry &a, const SortEntry &b) {
        return compareEntries(a, b, order) < 0;
    });

    std::vector<int> oldRows;
    oldRows.reserve(entries.size());
    std::vector<FileListItem> sorted;
    sorted.reserve(items.size());
    for (const SortEntry &entry : entries) {
        oldRows.push_back(entry.row);
        sorted.push_back(std::move(items[size_t(entry.row)]));
    }
    items = std::move(sorted);
    return oldRows;
}
