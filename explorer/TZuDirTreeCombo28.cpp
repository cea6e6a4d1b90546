#include "explorer/TZuDirTreeCombo28.h"

#include "explorer/FileListView.h"

TZuDirTreeCombo28::TZuDirTreeCombo28(QWidget *parent)
    : FileListPartner(parent)
{
}

void TZuDirTreeCombo28::linkOnListSide(TZuFilelistView28 *list, bool linked)
{
    if (linked)
        list->SetDirTreeCombo(this);
    else if (list->DirTreeCombo() == this)
        list->SetDirTreeCombo(nullptr);
}
