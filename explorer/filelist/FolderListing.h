#pragma once
// The rows of one listing of the file list, read from the file system without any
// widget: a folder's entries by attribute filter and name patterns, or the drives.

#include "explorer/filelist/FileListItem.h"
#include "explorer/shared/ExplorerTypes.h"

#include <QStringList>
#include <functional>

namespace platform {
struct FoundEntry;
}

// How a folder is listed.
struct FolderListingSettings {
    TFileSize fileSize = fsKB;
    bool hideFileExt = false;
    bool parentDirEnabled = true;
    QString parentDirCaption = QStringLiteral(" Parent");
    int parentImageIndex = -1;
    QString datePicture;
    QString timePicture;
};

class FolderListing {
public:
    using RowSink = std::function<void(FileListItem &&row)>;

    FolderListing(const FolderListingSettings &settings, RowSink sink);

    // Every row of the folder: its folders first when `showFolders`, then the files of
    // each ";"-separated pattern of the mask (blanks around the mask trimmed, an empty
    // mask is "*.*"), each pattern in its own pass.
    void listFolder(const QString &folder, TFileType fileType, const QString &mask, bool showFolders);
    // Adds the entries of the pattern whose directory bit equals the mask's and whose
    // read-only, hidden and system bits the mask allows. True when a row was added.
    bool AddEntries(const QString &pattern, int mask);
    // A row per present drive: type name, total and free size.
    void ListDrives(const QStringList &driveTypeNames);

    // Bytes of the entries added so far.
    qint64 listedTotal() const { return m_listedTotal; }

private:
    FileListItem entryItem(const QString &folder, const platform::FoundEntry &entry) const;
    FileListItem parentItem(const QString &folder, const platform::FoundEntry &entry) const;

    FolderListingSettings m_settings;
    RowSink m_sink;
    QString m_folder;
    qint64 m_listedTotal = 0;
};
