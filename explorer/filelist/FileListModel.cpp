#include "explorer/filelist/FileListModel.h"

#include "platform/NativeNames.h"

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
