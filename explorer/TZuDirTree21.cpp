#include "explorer/TZuDirTree21.h"

#include "explorer/FileListView.h"

TZuDirTree21::TZuDirTree21(QWidget *parent)
    : FileListPartner(parent)
{
}

void TZuDirTree21::linkOnListSide(TZuFilelistView28 *list, bool linked)
{
    if (linked)
        list->SetDirTree(this);
    else if (list->DirTree() == this)
        list->SetDirTree(nullptr);
}
