#pragma once
// A search for file names below a folder, in the background: a pattern with "*" and
// "?" (letter case ignored), matches reported in batches, Cancel at any time.

#include <QObject>
#include <QStringList>
#include <atomic>

class QThread;

namespace platform {

class FileSearch : public QObject {
    Q_OBJECT
public:
    explicit FileSearch(QObject *parent = nullptr);
    ~FileSearch() override; // cancels and waits for the search

    // Starts a new search (a running one is cancelled first).
    void start(const QString &nativeFolder, const QString &pattern);
    void cancel();
    bool isRunning() const;

signals:
    // Native paths of matching files and folders, in the order found.
    void found(const QStringList &nativePaths);
    void finished(bool cancelled);

private:
    void stop();

    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancelled{false};
};

} // namespace platform
