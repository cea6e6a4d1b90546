#include "platform/WaitCursor.h"

#include <QCoreApplication>

namespace platform {

void processPendingMessages()
{
    QCoreApplication::processEvents();
}

} // namespace platform
