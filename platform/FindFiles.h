#pragma once
// Find-first/next over a wildcard pattern ("C:\Music\*.mp3"), as the explorer
// controls list folders. "*" matches any run of characters, "?" one character, a
// trailing ".*" also matches names without a dot (so "*.*" matches every name), and
// letter case is ignored. A folder listing yields "." and ".." except at a drive root.
// Entries that vanish or cannot be examined while listing are skipped; a folder that
// cannot be read yields nothing.

#include <QString>
#include <QtGlobal>
#include <dirent.h>

namespace platform {

struct FoundEntry {
    QString name;             // a "\" inside a native name appears as U+F05C
    int attributes = 0;       // FileAttribute bits
    qint64 size = 0;          // bytes; 0 for folders
    qint64 lastWriteTime = 0; // UTC, 100-ns units since 1601-01-01
};

// Lets a listing skip entries of the other kind without examining them. Subfolders are
// the folders without "." and "..".
enum class EntryKinds { All, FoldersOnly, NonFolders, Subfolders };

class FindFiles {
public:
    explicit FindFiles(const QString &pattern, EntryKinds kinds = EntryKinds::All);
    // Every entry of a subfolder named as `folder` listed it, opened through `folder`
    // rather than by its whole path. `folder` must stay open; it may be read by other
    // threads at the same time.
    FindFiles(const FindFiles &folder, const QString &subfolderName, EntryKinds kinds);
    ~FindFiles();
    FindFiles(const FindFiles &) = delete;
    FindFiles &operator=(const FindFiles &) = delete;

    bool isOpen() const { return m_dir != nullptr; }
    // The folder could not be read to its end because its server is gone or does not answer.
    bool serverUnreachable() const { return m_serverUnreachable; }
    // Fills `entry` with the next matching entry; false when there are no more.
    bool next(FoundEntry &entry);
    // The name of the next matching folder, for a caller that needs no more than the
    // name: a folder the directory entry marks as one is not examined. Only for
    // listings of EntryKinds::Subfolders.
    bool nextFolderName(QString &name);
    void close();

private:
    bool wanted(const dirent *raw) const;
    // The next entry kept by its name and type, with its drive-side name.
    const dirent *nextWanted(QString &name);

    DIR *m_dir = nullptr;
    QString m_wildcard;
    EntryKinds m_kinds;
    bool m_matchesEverything = false;
    bool m_atDriveRoot = false;
    bool m_serverUnreachable = false;
};

// The one entry named exactly by `path` (no wildcards); false when there is none.
bool findEntry(const QString &path, FoundEntry &entry);

// True for the errors of a folder on a server that is gone or does not answer.
bool isServerGone(int error);

// True for a folder's "." and ".." entries (native names).
bool isDotEntry(const char *name);

// Wildcard matching with the rules above.
bool wildcardMatches(const QString &pattern, const QString &name);

} // namespace platform
