#include "explorer/combo/TZuDirTreeCombo28.h"

#include "explorer/filelist/FileListView.h"
#include "explorer/shared/PartnerLink.h"
#include "explorer/shared/PathUtils.h"

TZuDirTreeCombo28::TZuDirTreeCombo28(QWidget *parent)
    : QWidget(parent)
{
}

TZuDirTreeCombo28::~TZuDirTreeCombo28() = default;

void TZuDirTreeCombo28::SetFileList(TZuFilelistView28 *list)
{
    relinkPartner(m_fileList, list, this, &TZuFilelistView28::DirTreeCombo, &TZuFilelistView28::SetDirTreeCombo);
}

QString TZuDirTreeCombo28::topNodeCaption() const
{
    return QStringLiteral("Drives");
}

void TZuDirTreeCombo28::OpenPath(const QString &path)
{
    if (path == topNodeCaption())
        m_selectedPath = path;
    else if (path.size() > 1 && DirExists(path))
        m_selectedPath = AddSlash(path);
}

TZuFilelistView28 *TZuDirTreeCombo28::FileList() const
{
    return m_fileList;
}
