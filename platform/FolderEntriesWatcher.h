#pragma once
// Tells a view of one folder's entries that they changed: an entry was created,
// removed, renamed, written or given other attributes, or the folder itself went.
// One report per burst of changes: it comes once the folder has been quiet for a
// moment, and at the latest a second after the burst began. Reports arrive on the
// thread that owns the watcher.

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace platform {

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
    void readNotifications();
    void report();

    int m_inotifyFd = -1;
    QSocketNotifier *m_notifier = nullptr;
    int m_watch = -1;
    QString m_folder;
    QTimer m_quiet;
    QElapsedTimer m_burst; // since the first change not yet reported
};

} // namespace platform
