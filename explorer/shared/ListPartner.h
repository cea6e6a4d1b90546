#pragma once
// What a folder tree or folder combo asks of its linked file list.

#include "explorer/shared/FolderPartner.h"

#include <QString>
#include <QStringList>

class QObject;

class ListPartner {
public:
    // The widget behind the partner: its lifetime guards the link, drags name it.
    virtual QObject *partnerObject() = 0;

    // Moves the list to `folder` ("Drives" lists the drives).
    virtual void followFolder(const QString &folder) = 0;
    // Shows `folder`; with `reread` it is read again when the list shows it already.
    virtual void showFolder(const QString &folder, bool reread) = 0;
    // Reads the shown folder again, keeping the selection.
    virtual void rereadKeepingSelection() = 0;
    // The paths of the selected rows.
    virtual QStringList selectedPaths() const = 0;
    // Deselects the folders among the selected rows and gives the selected files' paths.
    virtual QStringList keepSelectedFilesOnly() = 0;

    virtual FolderPartner *folderPartner(FolderPartner::Kind kind) const = 0;
    // Links `partner` both ways in the slot of `kind` (nullptr unlinks).
    virtual void linkFolderPartner(FolderPartner *partner, FolderPartner::Kind kind) = 0;

protected:
    ~ListPartner() = default;
};
