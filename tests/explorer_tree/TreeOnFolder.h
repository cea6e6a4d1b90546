#pragma once
// A temporary folder of real folders, mapped to a drive letter of its own so that the
// tree never needs to show (nor watch) the busy folders above it, and a shown folder
// tree over it.

#include "explorer/tree/DirTree.h"
#include "explorer/shared/DirTreeNodes.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <QStringList>
#include <QTreeWidgetItem>
#include <stdexcept>

inline const TFileType withoutHidden{ftReadOnly, ftSystem, ftArchive};

inline QStringList childCaptions(const QTreeWidgetItem *node)
{
    QStringList captions;
    for (int i = 0; node && i < node->childCount(); ++i)
        captions.append(node->child(i)->text(0));
    return captions;
}

// A folder shown as a drive while the guard lives. A mapping that fails ends the test
// (the exception fails it): a tree on another drive would act on other folders.
class MappedDrive {
public:
    MappedDrive(QChar letter, const QString &nativeRoot, const QString &remote = QString())
        : m_letter(letter)
    {
        const bool mapped = platform::mapDrive({letter, nativeRoot, remote, false});
        bool shown = false;
        for (const platform::DriveInfo &drive : platform::refreshDrives())
            shown = shown || (drive.letter == letter && QDir::cleanPath(drive.nativeRoot) == QDir::cleanPath(nativeRoot));
        if (!mapped || !shown)
            throw std::runtime_error("drive " + QString(letter).toStdString() + ": could not be mapped to " +
                                     nativeRoot.toStdString());
    }
    ~MappedDrive() { platform::unmapDrive(m_letter); }
    MappedDrive(const MappedDrive &) = delete;
    MappedDrive &operator=(const MappedDrive &) = delete;

private:
    QChar m_letter;
};

class TreeOnFolder {
public:
    static constexpr char letter = 'K';

    explicit TreeOnFolder(const QStringList &folders, TFileType folderType = withoutHidden)
    {
        for (const QString &relative : folders)
            QDir(folder.path()).mkpath(relative);
        tree.SetFolderType(folderType);
        tree.resize(400, 600);
        tree.show();
    }

    // Drive path of a folder inside the temporary folder ("Music/Rock" gives
    // "K:\Music\Rock"; nothing gives "K:\").
    QString path(const QString &relative = QString()) const
    {
        return QLatin1Char(letter) + QStringLiteral(":\\") + QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
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
    MappedDrive drive{QLatin1Char(letter), folder.path()};
    TZuDirTree21 tree;
};
