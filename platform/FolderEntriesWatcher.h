#pragma once
// Tells a view of one folder's entries that they changed: an entry was created,
// removed, renamed, written or given other attributes, or the folder itself went.
// One report per burst of changes: it comes once the folder has been quiet for a
// moment, and at the latest a second after the burst began. Reports arrive on the
// thread that owns the watcher.

#include <QObject>
#include <QString>

struct inotify_event;

namespace platform {

class InotifyBursts;

class FolderEntriesWatcher : public QObject {
    Q_OBJECT
public:
    explicit FolderEntriesWatcher(QObject *parent = nullptr);
    ~FolderEntriesWatcher() override;

    // Watches this folder (a drive path) from now on; empty watches nothing. A folder
    // that cannot be watched is left unwatched.
    void setFolder(const QString &drivePath);
    QString folder() const { return m_folder; }
    bool isWatching() const { return m_watch >= 0; }

signals:
    void changed();

private:
    // Whether an event is about the watched folder.
    bool takeEvent(const ::inotify_event &event);

    InotifyBursts *m_events;
    int m_watch = -1;
    QString m_folder;
};

} // namespace platform
