#include "platform/NetworkThreads.h"

#include "platform/DriveTable.h"

#include <QString>
#include <QThreadPool>

namespace platform {

QThreadPool *networkThreadPool()
{
    // Never destroyed: destroying a pool waits for its threads.
    static QThreadPool *pool = [] {
        auto *created = new QThreadPool;
        created->setMaxThreadCount(16);
        return created;
    }();
    return pool;
}

bool isOnNetworkDrive(const QString &drivePath)
{
    return !drivePath.isEmpty() && driveKind(drivePath.at(0).toUpper()) == DriveKind::Network;
}

QThreadPool *folderReadingPool(const QString &drivePath, QThreadPool *localPool)
{
    return isOnNetworkDrive(drivePath) ? networkThreadPool() : localPool;
}

} // namespace platform
