#include "platform/DriveSpaceQuery.h"

#include "platform/DriveTable.h"
#include "platform/NetworkThreads.h"

#include <QFile>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <sys/statvfs.h>

namespace platform {

namespace {

struct Space {
    qint64 total = -1;
    qint64 free = -1;
};

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
    watcher->setFuture(QtConcurrent::run(networkThreadPool(), spaceOf, QFile::encodeName(root)));
}

} // namespace platform
