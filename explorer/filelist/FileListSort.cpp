#include "explorer/filelist/FileListSort.h"

#include "explorer/filelist/FileListFormat.h"
#include "text/Ascii.h"

#include <algorithm>
#include <numeric>

namespace {
template <typename T>
int threeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Captions compared upper-cased (ASCII letters only), without a copy of either.
int compareUpperCased(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = ascii::toUpper(a[i]).unicode();
        const char16_t y = ascii::toUpper(b[i]).unicode();
        if (x != y)
            return x < y ? -1 : 1;
    }
    return threeWay(a.size(), b.size());
}

QStringView captionView(const FileListRow &row, const FileListContext &context)
{
    if (row.isParent())
        return context.parentCaption;
    if (!context.hideFileExt)
        return row.name;
    const qsizetype dot = row.name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringView(row.name) : QStringView(row.name).left(dot);
}

int compareByColumn(const FileListRow &a, const FileListRow &b, const FileListContext &context, int column)
{
    switch (column) {
    case 0:
        return compareUpperCased(captionView(a, context), captionView(b, context));
    case 1:
        return threeWay(rowSizeNumber(a, context), rowSizeNumber(b, context));
    case 3:
        return threeWay(fileTimeSortValue(a.lastWriteTime), fileTimeSortValue(b.lastWriteTime));
    default:
        return QString::compare(rowColumnText(a, context, column - 1), rowColumnText(b, context, column - 1),
                                Qt::CaseInsensitive);
    }
}

} // namespace

int compareFileListRows(const FileListRow &a, const FileListRow &b, const FileListContext &context,
                        const FileListOrder &order)
{
    const bool aParent = a.isParent();
    if (aParent != b.isParent())
        return aParent ? -1 : 1;
    const bool aFolder = a.kind == EntryKind::Folder;
    const bool bFolder = b.kind == EntryKind::Folder;
    const int result = aFolder != bFolder ? (aFolder ? -1 : 1) : compareByColumn(a, b, context, order.column);
    return order.descending && !aParent ? -result : result;
}

std::vector<int> sortFileListRows(std::vector<FileListRow> &rows, const FileListContext &context,
                                  const FileListOrder &order)
{
    std::vector<int> oldRows(rows.size());
    std::iota(oldRows.begin(), oldRows.end(), 0);
    std::stable_sort(oldRows.begin(), oldRows.end(), [&](int a, int b) {
        return compareFileListRows(rows[size_t(a)], rows[size_t(b)], context, order) < 0;
    });
    // The rows follow the order in place, cycle by cycle: no second copy of them.
    std::vector<bool> placed(rows.size(), false);
    for (size_t start = 0; start < rows.size(); ++start) {
        if (placed[start])
            continue;
        FileListRow held = std::move(rows[start]);
        size_t at = start;
        while (true) {
            placed[at] = true;
            const size_t from = size_t(oldRows[at]);
            if (from == start) {
                rows[at] = std::move(held);
                break;
            }
            rows[at] = std::move(rows[from]);
            at = from;
        }
    }
    return oldRows;
}
