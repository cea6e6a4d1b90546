#include "app/StartSequence.h"

#include "app/SplashScreen.h"

#include <QCoreApplication>
#include <memory>

void runWithSplash(const std::function<void()> &createWindows, int splashIntervalMs)
{
    auto splash = std::make_unique<TFrmSplashScreen>(splashIntervalMs);
    splash->show();
    QCoreApplication::setApplicationName(QStringLiteral("Kestrava"));
    splash->repaint();
    createWindows();
    // Each round handles what is pending, the timer's event included; while nothing is
    // pending it waits for the next event instead of spinning.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (!splash->FormCloseQuery())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    splash->hide();
}
