#pragma once
// The rows of the file list as plain records, and its columns. Bulk changes between
// beginUpdate() and endUpdate() reach the view as one reset.

#include "explorer/filelist/FileListItem.h"
#include "explorer/filelist/FileListRow.h"
#include "explorer/filelist/FileListSort.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <functional>
#include <vector>

struct FileListColumn {
    QString caption;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
};

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using IconLookup = std::function<QIcon(int imageIndex)>;

    explicit FileListModel(QObject *parent = nullptr);

    void setIconLookup(IconLookup lookup) { m_iconLookup = std::move(lookup); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // An edited caption is reported, not stored: the rename re-lists the folder.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int count() const { return int(m_rows.size()); }
    // Row access is checked: a row past the ends (one of a listing replaced meanwhile)
    // reads as an empty row, with no caption and no path.
    // The whole record of a row, its texts made now.
    FileListItem item(int row) const;
    const FileListRow &row(int row) const;
    QString caption(int row) const;
    QString path(int row) const;
    const QList<FileListColumn> &columns() const { return m_columns; }

    // Nested pairs are allowed; the outermost pair resets the views once.
    void beginUpdate();
    void endUpdate();

    void clear();
    void setRows(std::vector<FileListRow> rows, FileListContext context);
    // Brings the rows to a new listing of the same folder one change at a time: rows
    // whose entries went are removed, new entries inserted at their place in `order`, the
    // others updated in place; the views keep selection, current row, scroll position
    // and open editors. False, with nothing changed, when the listing differs in too
    // many places for that (a reset is cheaper then).
    bool mergeRows(std::vector<FileListRow> &rows, FileListContext &context, const FileListOrder &order);
    // The entry of `row` now has the name `name` (caption and path follow).
    void renameRow(int row, const QString &name);
    void setColumns(const QList<FileListColumn> &columns);
    // Sorts once; outside a bulk update the selection and current row follow their rows.
    void sort(const FileListOrder &order);

signals:
    void captionEdited(int row, const QString &caption);

private:
    std::vector<FileListRow> m_rows;
    FileListContext m_context;
    QList<FileListColumn> m_columns;
    IconLookup m_iconLookup;
    int m_updateDepth = 0;
};

// Balances beginUpdate()/endUpdate() on every path.
class FileListBulkUpdate {
public:
    explicit FileListBulkUpdate(FileListModel &model)
        : m_model(model)
    {
        m_model.beginUpdate();
    }
    ~FileListBulkUpdate() { m_model.endUpdate(); }
    FileListBulkUpdate(const FileListBulkUpdate &) = delete;
    FileListBulkUpdate &operator=(const FileListBulkUpdate &) = delete;

private:
    FileListModel &m_model;
};
