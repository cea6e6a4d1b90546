#include "platform/DriveSpaceQuery.h"

#include "platform/DriveTable.h"
#include "platform/NativeNames.h"
#include "platform/NetworkThreads.h"

#include <QFile>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace platform {

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
    auto *watcher = new QFutureWatcher<FileSystemSpace>(this);
    auto *timeout = new QTimer(watcher);
    const auto answer = [this, letter, watcher, timeout](FileSystemSpace space) {
        watcher->disconnect(this);
        timeout->disconnect(this);
        timeout->stop();
        watcher->deleteLater();
        --m_pending;
        emit answered(letter, space.totalBytes, space.freeBytes);
    };
    connect(watcher, &QFutureWatcher<FileSystemSpace>::finished, this, [watcher, answer] { answer(watcher->result()); });
    connect(timeout, &QTimer::timeout, this, [answer] { answer({}); });
    if (root.isEmpty()) {
        timeout->start(0);
        return;
    }
    timeout->setSingleShot(true);
    timeout->start(m_timeoutMs);
    watcher->setFuture(QtConcurrent::run(networkThreadPool(), fileSystemSpace, encodeNativeName(root)));
}

} // namespace platform
