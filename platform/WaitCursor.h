#pragma once
// The hourglass pointer for the lifetime of the guard, restored on every path.

#include <QCursor>
#include <QGuiApplication>

namespace platform {

class WaitCursor {
public:
    WaitCursor()
    {
        if (qGuiApp)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor()
    {
        if (qGuiApp)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// "Process pending messages".
void processPendingMessages();

} // namespace platform
