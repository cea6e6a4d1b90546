#include "platform/FileSearch.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QThread>

namespace platform {

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
        QDirIterator entries(nativeFolder, {pattern}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
        QStringList batch;
        QDeadlineTimer nextReport(100);
        const auto report = [this, &batch] {
            if (!batch.isEmpty())
                QMetaObject::invokeMethod(this, [this, paths = batch] { emit found(paths); }, Qt::QueuedConnection);
            batch.clear();
        };
        while (!m_cancelled && entries.hasNext()) {
            batch.append(entries.next());
            if (nextReport.hasExpired()) {
                report();
                nextReport.setRemainingTime(100);
            }
        }
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
