#include "explorer/filelist/FileListModel.h"

#include "platform/NativeNames.h"

#include <QHash>
#include <algorithm>

namespace {
// Beyond this many runs of removed rows plus inserted rows a merge costs more than a reset.
constexpr int mostMergedChanges = 256;

const QString &typeName(const FileListRow &row, const FileListContext &context)
{
    static const QString none;
    return row.typeSlot < context.typeNames.size() ? context.typeNames[row.typeSlot] : none;
}

// Whether the row shows anything else after taking the fresh row's values.
bool showsChange(const FileListRow &row, const FileListContext &context, const FileListRow &fresh,
                 const FileListContext &freshContext)
{
    return row.size != fresh.size || row.lastWriteTime != fresh.lastWriteTime || row.attributes != fresh.attributes
           || row.kind != fresh.kind || row.imageIndex != fresh.imageIndex
           || typeName(row, context) != typeName(fresh, freshContext);
}
} // namespace

FileListModel::FileListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() >= m_columns.size())
        return QVariant();
    const FileListRow &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? platform::displayName(rowCaption(row, m_context))
                                   : rowColumnText(row, m_context, index.column() - 1);
    case Qt::EditRole:
        return index.column() == 0 ? rowCaption(row, m_context) : rowColumnText(row, m_context, index.column() - 1);
    case Qt::DecorationRole:
        if (index.column() == 0 && m_iconLookup && row.imageIndex >= 0)
            return m_iconLookup(row.imageIndex);
        return QVariant();
    case Qt::TextAlignmentRole:
        return int(m_columns.at(index.column()).alignment | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_columns.at(section).caption;
    if (role == Qt::TextAlignmentRole)
        return int(m_columns.at(section).alignment | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const FileListRow &row = m_rows[size_t(index.row())];
    if (row.kind != EntryKind::Drive && !row.isParent()) {
        result |= Qt::ItemIsDragEnabled;
        if (index.column() == 0)
            result |= Qt::ItemIsEditable;
    }
    return result;
}

void FileListModel::beginUpdate()
{
    if (m_updateDepth++ == 0)
        beginResetModel();
}

void FileListModel::endUpdate()
{
    if (m_updateDepth > 0 && --m_updateDepth == 0) {
        endResetModel();
    }
}

void FileListModel::clear()
{
    FileListBulkUpdate update(*this);
    m_rows = {};
    m_context = FileListContext();
}

void FileListModel::setRows(std::vector<FileListRow> rows, FileListContext context)
{
    FileListBulkUpdate update(*this);
    m_rows = {}; // the old rows go before the new ones settle in
    m_rows = std::move(rows);
    m_context = std::move(context);
}

bool FileListModel::mergeRows(std::vector<FileListRow> &rows, FileListContext &context, const FileListOrder &order)
{
    if (m_updateDepth > 0 || context.folder != m_context.folder)
        return false;
    // The fresh row of each row: the listing comes in the rows' order, so the rows before
    // the first difference and after the last one pair up by position; the few between
    // are looked up by name.
    std::vector<int> freshOf(m_rows.size(), -1);
    std::vector<bool> kept(rows.size(), false);
    size_t front = 0;
    while (front < m_rows.size() && front < rows.size() && m_rows[front].name == rows[front].name)
        ++front;
    size_t backRow = m_rows.size();
    size_t backFresh = rows.size();
    while (backRow > front && backFresh > front && m_rows[backRow - 1].name == rows[backFresh - 1].name) {
        --backRow;
        --backFresh;
    }
    QHash<QString, int> freshRow;
    freshRow.reserve(qsizetype(backFresh - front));
    for (size_t i = front; i < backFresh; ++i)
        freshRow.insert(rows[i].name, int(i));
    int changes = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (i < front)
            freshOf[i] = int(i);
        else if (i >= backRow)
            freshOf[i] = int(i - backRow + backFresh);
        else
            freshOf[i] = freshRow.value(m_rows[i].name, -1);
        if (freshOf[i] >= 0)
            kept[size_t(freshOf[i])] = true;
        else if (i == 0 || freshOf[i - 1] >= 0)
            ++changes; // a run of removed rows starts
    }
    changes += int(std::count(kept.begin(), kept.end(), false));
    if (changes > mostMergedChanges)
        return false;

    // Removed runs, from the end so that the rows before keep their numbers.
    for (int last = count() - 1; last >= 0; --last) {
        if (freshOf[size_t(last)] >= 0)
            continue;
        int first = last;
        while (first > 0 && freshOf[size_t(first - 1)] < 0)
            --first;
        beginRemoveRows(QModelIndex(), first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        freshOf.erase(freshOf.begin() + first, freshOf.begin() + last + 1);
        endRemoveRows();
        last = first;
    }
    // The rows left take their entries' values and the new listing's type slots at once.
    std::vector<bool> changed(m_rows.size(), false);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const FileListRow &fresh = rows[size_t(freshOf[i])];
        changed[i] = showsChange(m_rows[i], m_context, fresh, context);
        m_rows[i] = fresh;
    }
    m_context = std::move(context);
    for (size_t first = 0; first < changed.size(); ++first) {
        if (!changed[first])
            continue;
        size_t last = first;
        while (last + 1 < changed.size() && changed[last + 1])
            ++last;
        emit dataChanged(index(int(first), 0), index(int(last), columnCount() - 1));
        first = last;
    }
    // New entries, each at its place in the order.
    for (size_t i = 0; i < rows.size(); ++i) {
        if (kept[i])
            continue;
        const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), rows[i], [&](const FileListRow &a, const FileListRow &b) {
            return compareFileListRows(a, b, m_context, order) < 0;
        });
        const int row = int(at - m_rows.begin());
        beginInsertRows(QModelIndex(), row, row);
        m_rows.insert(at, std::move(rows[i]));
        endInsertRows();
    }
    rows.clear();
    return true;
}

const FileListRow &FileListModel::row(int row) const
{
    static const FileListRow none;
    return row >= 0 && row < count() ? m_rows[size_t(row)] : none;
}

FileListItem FileListModel::item(int row) const
{
    return row >= 0 && row < count() ? rowRecord(m_rows[size_t(row)], m_context) : FileListItem{};
}

QString FileListModel::caption(int row) const
{
    return row >= 0 && row < count() ? rowCaption(m_rows[size_t(row)], m_context) : QString();
}

QString FileListModel::path(int row) const
{
    return row >= 0 && row < count() ? rowPath(m_rows[size_t(row)], m_context) : QString();
}

void FileListModel::renameRow(int row, const QString &name)
{
    if (row < 0 || row >= count())
        return;
    FileListRow &entry = m_rows[size_t(row)];
    entry.name = name;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void FileListModel::setColumns(const QList<FileListColumn> &columns)
{
    FileListBulkUpdate update(*this);
    m_columns = columns;
}

void FileListModel::sort(const FileListOrder &order)
{
    if (m_updateDepth > 0) {
        sortFileListRows(m_rows, m_context, order);
        return;
    }
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    const std::vector<int> oldRows = sortFileListRows(m_rows, m_context, order);
    std::vector<int> newRowOf(oldRows.size());
    for (size_t newRow = 0; newRow < oldRows.size(); ++newRow)
        newRowOf[size_t(oldRows[newRow])] = int(newRow);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(this->index(newRowOf[size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0)
        return false;
    emit captionEdited(index.row(), value.toString());
    return true;
}
