// The file list, as the main window uses it.

#include "app/uMain.h"
#include "explorer/filelist/FileListView.h"
#include "ui_uMain.h"

int TfrmMain::listCount() const
{
    return ui->flsFile->itemCount();
}

int TfrmMain::listSelectedIndex() const
{
    return ui->flsFile->selectedIndex();
}

QString TfrmMain::listItemCaption(int index) const
{
    return ui->flsFile->item(index).caption;
}

QString TfrmMain::listItemPath(int index) const
{
    return ui->flsFile->item(index).path();
}

QString TfrmMain::listItemFolder(int index) const
{
    return ui->flsFile->item(index).folder;
}

void TfrmMain::listSelect(int index)
{
    ui->flsFile->selectItem(index);
}

void TfrmMain::listScrollTo(int index)
{
    ui->flsFile->scrollItemIntoView(index);
}

int TfrmMain::listWidth() const
{
    return ui->flsFile->width();
}

void TfrmMain::listSetNameColumnWidth(int width)
{
    ui->flsFile->setNameColumnWidth(width);
}

void TfrmMain::renameLoadedItem(const QString &newName)
{
    for (int index = 0; index < listCount(); ++index) {
        if (listItemPath(index) == m_loadedItemPath) {
            m_loadedItemPath = ui->flsFile->renameItem(index, newName);
            return;
        }
    }
}
