#include "platform/ShellFolders.h"

#include <QFile>

#include <QDir>
#include <QStandardPaths>
#include <unistd.h>

namespace platform {

namespace {
QString dataFolder(const QString &tail)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + tail;
}
} // namespace

QString defaultShellFolder(const QString &valueName)
{
    if (valueName == QLatin1String("DeskTop"))
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (valueName == QLatin1String("Personal"))
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (valueName == QLatin1String("Programs") || valueName == QLatin1String("Start Menu"))
        return dataFolder(QStringLiteral("/applications"));
    if (valueName == QLatin1String("StartUp"))
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
    if (valueName == QLatin1String("SendTo")) {
        const QString folder = dataFolder(QStringLiteral("/kestrava/SendTo"));
        QDir().mkpath(folder);
        return folder;
    }
    return QString();
}

QString networkPlacesFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QStringLiteral("/run/user/%1/gvfs").arg(::getuid()) : QFile::decodeName(runtime) + QStringLiteral("/gvfs");
}

QString systemProgramFolder()
{
    return QStringLiteral("/usr/bin");
}

QString systemLibraryFolder()
{
    return QStringLiteral("/usr/lib");
}

} // namespace platform
