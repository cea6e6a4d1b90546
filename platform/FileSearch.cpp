#include "platform/FileSearch.h"

#include "platform/FindFiles.h"
#include "platform/NativeNames.h"

#include <QDeadlineTimer>
#include <QThread>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

namespace platform {

namespace {
// Every entry below the folder whose name matches, depth first in the order the
// folders give them, hidden ones included; links to folders are not followed.
void searchBelow(const QByteArray &folder, const QString &pattern, const std::atomic<bool> &cancelled,
                 const std::function<void(const QByteArray &)> &onMatch)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const QByteArray prefix = folder.endsWith('/') ? folder : folder + '/';
    while (!cancelled) {
        const dirent *entry = ::readdir(dir);
        if (!entry)
            break;
        if (isDotEntry(entry->d_name))
            continue;
        const QByteArray path = prefix + entry->d_name;
        if (wildcardMatches(pattern, decodeNativeName(entry->d_name)))
            onMatch(path);
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder)
            searchBelow(path, pattern, cancelled, onMatch);
    }
    ::closedir(dir);
}
} // namespace

FileSearch::FileSearch(QObject *parent)
    : QObject(parent)
{
}

FileSearch::~FileSearch()
{
    stop();
}

void FileSearch::start(const QString &nativeFolder, const QString &pattern)
{
    stop();
    m_cancelled = false;
    m_thread = QThread::create([this, nativeFolder, pattern] {
        QStringList batch;
        QDeadlineTimer nextReport(100);
        const auto report = [this, &batch] {
            if (!batch.isEmpty())
                QMetaObject::invokeMethod(this, [this, paths = batch] { emit found(paths); }, Qt::QueuedConnection);
            batch.clear();
        };
        searchBelow(encodeNativeName(nativeFolder), pattern, m_cancelled, [&](const QByteArray &path) {
            batch.append(decodeNativeName(path));
            if (nextReport.hasExpired()) {
                report();
                nextReport.setRemainingTime(100);
            }
        });
        report();
        const bool cancelled = m_cancelled;
        QMetaObject::invokeMethod(this, [this, cancelled] { emit finished(cancelled); }, Qt::QueuedConnection);
    });
    m_thread->start();
}

void FileSearch::cancel()
{
    m_cancelled = true;
}

bool FileSearch::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void FileSearch::stop()
{
    if (!m_thread)
        return;
    m_cancelled = true;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

} // namespace platform
