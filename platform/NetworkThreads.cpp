#include "platform/NetworkThreads.h"

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

} // namespace platform
