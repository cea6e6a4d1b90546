#include "platform/DriveSpaceQuery.h"

#include "platform/DriveTable.h"

#include <QFile>
#include <QFutureWatcher>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <sys/statvfs.h>

namespace platform {

namespace {

struct Space {
    qint64 total = -1;
    qint64 free = -1;
};

// Threads that may hang on a dead server for as long as the kernel lets them: a pool
// of their own that is never waited for, so that neither other work nor the end of
// the program waits behind them.
QThreadPool *networkPool()
{
    static QThreadPool *pool = [] {
        auto *created = new QThreadPool;
        created->setMaxThreadCount(16);
        return created;
    }();
    return pool;
}

Space spaceOf(const QByteArray &nativeRoot)
{
    struct statvfs info {};
    if (::statvfs(nativeRoot.constData(), &info) != 0)
        return {};
    return {qint64(info.f_blocks) * qint64(info.f_frsize), qint64(info.f_bavail) * qint64(info.f_frsize)};
}

} // namespace

DriveSpaceQuery::DriveSpaceQuery(QObject *parent)
    : QObject(parent)
{
}

void DriveSpaceQuery::query(QChar letter)
{
    ++m_pending;
    QString root;
    for (const DriveInfo &drive : refreshDrives()) {
        if (drive.letter == letter)
            root = drive.nativeRoot;
    }
    // One answer per question: the first of the result and the timeout.
    auto *watcher = new QFutureWatcher<Space>(this);
    auto *timeout = new QTimer(watcher);
    const auto answer = [this, letter, watcher, timeout](Space space) {
        watcher->disconnect(this);
        timeout->disconnect(this);
        timeout->stop();
        watcher->deleteLater();
        --m_pending;
        emit answered(letter, space.total, space.free);
    };
    connect(watcher, &QFutureWatcher<Space>::finished, this, [watcher, answer] { answer(watcher->result()); });
    connect(timeout, &QTimer::timeout, this, [answer] { answer({}); });
    if (root.isEmpty()) {
        timeout->start(0);
        return;
    }
    timeout->setSingleShot(true);
    timeout->start(m_timeoutMs);
    watcher->setFuture(QtConcurrent::run(networkPool(), spaceOf, QFile::encodeName(root)));
}

} // namespace platform
