#pragma once
// The rows of one listing of the file list, read from the file system without any
// widget: a folder's entries by attribute filter and name patterns, or the drives.

#include "explorer/filelist/FileListRow.h"
#include "explorer/shared/ExplorerTypes.h"

#include <QStringList>
#include <QHash>
#include <atomic>
#include <functional>
#include <vector>

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

// Entries' icons and type names come from the shell, which answers on the window
// thread only: a folder listing leaves them out and gives each row its type slot in
// typeSamples(). Slot 0 is the folder type, each later slot one file type (a name that
// has it); the parent row keeps its own picture.
class FolderListing {
public:
    using RowSink = std::function<void(FileListRow &&row)>;

    FolderListing(const FolderListingSettings &settings, RowSink sink);

    // Every row of the folder: its folders first when `showFolders`, then the files of
    // each ";"-separated pattern of the mask (blanks around the mask trimmed, an empty
    // mask is "*.*"), each pattern in its own pass.
    void listFolder(const QString &folder, TFileType fileType, const QString &mask, bool showFolders);
    // Adds the entries of the pattern whose directory bit equals the mask's and whose
    // read-only, hidden and system bits the mask allows. True when a row was added.
    bool AddEntries(const QString &pattern, int mask);
    // A row per present drive: type name, total and free size (window thread); their
    // texts go to the context.
    void ListDrives(const QStringList &driveTypeNames, FileListContext &context);
    // Stops a folder listing at its next entry (any thread).
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    // Entries examined so far (any thread).
    int entriesSeen() const { return m_entriesSeen.load(std::memory_order_relaxed); }

    const QStringList &typeSamples() const { return m_typeSamples; }
    // What every row of a folder listing shares; its type names are filled by
    // applyShellTypes().
    FileListContext context() const;
    // Gives each row the icon of its type, and the context the type names (window thread).
    void applyShellTypes(std::vector<FileListRow> &rows, FileListContext &context) const;

    // Bytes of the entries added so far.
    qint64 listedTotal() const { return m_listedTotal; }
    // The folder's server was gone or did not answer when the folder was opened.
    bool serverUnreachable() const { return m_serverUnreachable; }

private:
    FileListRow entryRow(const platform::FoundEntry &entry);
    int typeSlotOf(const QString &name, bool isFolder);

    FolderListingSettings m_settings;
    RowSink m_sink;
    QString m_folder;
    qint64 m_listedTotal = 0;
    bool m_serverUnreachable = false;
    QStringList m_typeSamples{QString()};
    QHash<QString, int> m_typeSlots;
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_entriesSeen{0};
};
