#include "explorer/FileListPartner.h"

#include "explorer/FileListView.h"
#include "explorer/PathUtils.h"

FileListPartner::FileListPartner(QWidget *parent)
    : QWidget(parent)
{
}

FileListPartner::~FileListPartner() = default;

void FileListPartner::SetFileList(TZuFilelistView28 *list)
{
    if (m_fileList == list)
        return;
    TZuFilelistView28 *previous = m_fileList;
    m_fileList = list;
    if (previous)
        linkOnListSide(previous, false);
    if (list)
        linkOnListSide(list, true);
}

QString FileListPartner::topNodeCaption() const
{
    return QStringLiteral("Drives");
}

void FileListPartner::OpenPath(const QString &path)
{
    if (path == topNodeCaption())
        m_selectedPath = path;
    else if (path.size() > 1 && DirExists(path))
        m_selectedPath = AddSlash(path);
}
