#pragma once
// Tells a view of folders that the structure it shows has changed: a subfolder was
// created, removed or renamed in one of the watched folders, or a volume was mounted
// or unmounted. Files being created, renamed or rewritten never count. Reports arrive
// on the thread that owns the watcher, a moment after the change, so that one burst
// of changes (a folder tree being copied, a rename through a temporary name) is
// reported once per folder. They come from the kernel's events alone: no watched
// folder is ever read, so that watching thousands of folders, or one holding
// thousands of files, costs nothing while they are quiet.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

struct inotify_event;

namespace platform {

class InotifyBursts;

class FolderWatcher : public QObject {
    Q_OBJECT
public:
    enum class Change { FolderCreated, FolderRemoved, FolderRenamed, DriveAdded, DriveRemoved };
    Q_ENUM(Change)

    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    // Watches exactly these folders (drive paths, with or without a trailing "\") from
    // now on, one watch each; folders that cannot be read are left out. The folders come
    // in order of importance: past watchBudget() the rest are left out too.
    void setFolders(const QStringList &folders);
    QStringList folders() const;

signals:
    // `where` is the folder whose subfolders changed, the watched folder itself when it
    // was removed or renamed, or the mount point of a volume; always a drive path.
    void changed(platform::FolderWatcher::Change change, const QString &where);

private:
    struct WatchedFolder {
        QString drivePath;
        int watch = -1; // inotify watch descriptor
    };
    // What the kernel told of a watched folder since the last examination.
    enum TouchKind { SubfolderCreated = 1, SubfolderRemoved = 2, FolderGone = 4 };

    // How many folders one watcher watches at most: a quarter of the user's kernel
    // watches, so that other programs of the user keep theirs.
    static int watchBudget();
    int addWatch(const QString &nativePath);
    void removeWatch(const QString &nativePath, int watch);
    // Whether an event counts: it touched a watched folder.
    bool takeEvent(const ::inotify_event &event);

    // The TouchKind of an event in a watched folder; 0 for one about files.
    static int subfolderChange(const QString &nativePath, const ::inotify_event *event);
    bool folderTouched(const QString &nativePath, int kinds);
    void examineTouchedFolders();
    void examineMountTable();

    // inotify on the names' bytes: one watch per folder, shared by the native paths
    // that lead to the same folder.
    InotifyBursts *m_events;
    QMultiHash<int, QString> m_pathsOfWatch;
    QHash<QString, WatchedFolder> m_watched; // by native path
    QHash<QString, int> m_touched; // TouchKind bits by native path

    QSet<QString> m_mountPoints;
};

} // namespace platform
