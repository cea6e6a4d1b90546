#pragma once
// A temporary folder of real folders and a shown folder tree over it.

#include "explorer/DirTree.h"
#include "explorer/DirTreeNodes.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <QStringList>
#include <QTreeWidgetItem>

inline const TFileType withoutHidden{ftReadOnly, ftSystem, ftArchive};

inline QStringList childCaptions(const QTreeWidgetItem *node)
{
    QStringList captions;
    for (int i = 0; node && i < node->childCount(); ++i)
        captions.append(node->child(i)->text(0));
    return captions;
}

class TreeOnFolder {
public:
    explicit TreeOnFolder(const QStringList &folders, TFileType folderType = withoutHidden)
    {
        for (const QString &relative : folders)
            QDir(folder.path()).mkpath(relative);
        tree.SetFolderType(folderType);
        tree.resize(400, 600);
        tree.show();
    }

    // Drive path of a folder inside the temporary folder ("Music/Rock").
    QString path(const QString &relative = QString()) const
    {
        QString drivePath = folder.drivePath();
        if (!relative.isEmpty())
            drivePath += QLatin1Char('\\') + QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
        return drivePath;
    }
    QString nativePath(const QString &relative) const { return folder.filePath(relative); }
    QTreeWidgetItem *selected() const { return tree.currentItem(); }

    // The loaded node of a drive path, found by its keys from the root; nullptr when
    // the tree does not hold it.
    QTreeWidgetItem *node(const QString &relative) const
    {
        QTreeWidgetItem *current = tree.topLevelItem(0);
        for (const QString &key : path(relative).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
            current = current ? childWithKey(current, key) : nullptr;
        }
        return current;
    }

    TempFolder folder;
    TZuDirTree21 tree;
};
