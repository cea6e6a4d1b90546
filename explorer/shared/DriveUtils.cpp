#include "explorer/shared/DriveUtils.h"

#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "platform/DriveTable.h"
#include "text/Ascii.h"

QChar driveLetterOf(const QString &path)
{
    return path.isEmpty() ? QChar() : ascii::toUpper(path.at(0));
}

qint64 DiskSizeKB(const QString &path)
{
    return platform::driveTotalBytes(driveLetterOf(path)) / 1024;
}

qint64 DiskFreeKB(const QString &path)
{
    return platform::driveFreeBytes(driveLetterOf(path)) / 1024;
}

bool DriveReady(QChar drive, bool showMessages)
{
    drive = driveLetterOf(QString(drive));
    if (drive < QLatin1Char('A') || drive > QLatin1Char('Z'))
        showErrorDialog(ExplorerTexts.msgBadDrive);
    if (platform::driveTotalBytes(drive) != -1)
        return true;
    if (showMessages) {
        errorBeep();
        showWarningDialog(ExplorerTexts.msgNoDisk);
    }
    return false;
}
