#include "platform/NetworkDrives.h"

#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "text/Ascii.h"

#include <QFileInfo>
#include <QProcess>

namespace platform {

namespace {

constexpr int mountTimeoutMs = 60000;

struct GioResult {
    bool started = false;
    int exitCode = -1;
    QString output;
};

// Runs gio without a terminal to ask on: it uses the desktop's stored credentials.
GioResult runGio(const QStringList &arguments)
{
    QProcess gio;
    gio.setStandardInputFile(QProcess::nullDevice());
    gio.start(QStringLiteral("gio"), arguments);
    GioResult result;
    result.started = gio.waitForStarted();
    if (!result.started)
        return result;
    if (!gio.waitForFinished(mountTimeoutMs))
        gio.kill();
    result.exitCode = gio.exitStatus() == QProcess::NormalExit ? gio.exitCode() : -1;
    result.output = QString::fromLocal8Bit(gio.readAllStandardOutput() + gio.readAllStandardError());
    return result;
}

int codeOfGioFailure(const GioResult &result)
{
    if (!result.started || result.output.contains(QLatin1String("not implement")))
        return netNoNetwork;
    const QString text = result.output.toLower();
    if (text.contains(QLatin1String("password")) || text.contains(QLatin1String("permission"))
        || text.contains(QLatin1String("denied")))
        return netLogonFailure;
    if (text.contains(QLatin1String("resolve")) || text.contains(QLatin1String("host")))
        return netBadNetPath;
    return netBadNetName;
}

// The local folder through which the desktop serves a mounted address.
QString localFolderOf(const QString &address)
{
    const GioResult info = runGio({QStringLiteral("info"), address});
    for (const QString &line : info.output.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("local path:")))
            return trimmed.mid(int(qstrlen("local path:"))).trimmed();
    }
    return QString();
}

int mountShare(const QString &address, QString &localFolder)
{
    localFolder = localFolderOf(address);
    if (!localFolder.isEmpty() && QFileInfo(localFolder).isDir())
        return netSucceeded; // already mounted
    const GioResult mount = runGio({QStringLiteral("mount"), address});
    if (!mount.started || mount.exitCode != 0)
        return codeOfGioFailure(mount);
    localFolder = localFolderOf(address);
    return localFolder.isEmpty() ? netNoNetwork : netSucceeded;
}

bool isLetterInUse(QChar letter)
{
    if (presentDriveMask() & (1u << (letter.unicode() - 'A')))
        return true;
    for (const MappedDrive &mapped : mappedDrives()) {
        if (mapped.letter == letter)
            return true;
    }
    return false;
}

} // namespace

QString shareAddress(const QString &remote)
{
    const QString trimmed = remote.trimmed();
    if (trimmed.contains(QLatin1String("://")))
        return trimmed;
    if (!trimmed.startsWith(QLatin1String("\\\\")))
        return QString();
    QString path = trimmed.mid(2);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QStringLiteral("smb://") + path;
}

int connectNetworkDrive(const QString &localDevice, const QString &remote, bool reconnect)
{
    const QString device = localDevice.trimmed();
    const QChar letter = device.isEmpty() ? QChar() : device.at(0);
    const bool validDevice = device.size() == 2 && device.at(1) == QLatin1Char(':')
                             && ((letter >= QLatin1Char('A') && letter <= QLatin1Char('Z'))
                                 || (letter >= QLatin1Char('a') && letter <= QLatin1Char('z')));
    if (!validDevice)
        return netBadDevice;
    const QChar upper = ascii::toUpper(letter);
    if (isLetterInUse(upper))
        return netAlreadyAssigned;

    const QString address = shareAddress(remote);
    QString folder;
    if (address.isEmpty()) {
        folder = toNativePath(normalizedDrivePath(remote));
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            return netBadNetPath;
    } else {
        const int code = mountShare(address, folder);
        if (code != netSucceeded)
            return code;
    }
    if (!mapDrive({upper, folder, address.isEmpty() ? QString() : remote.trimmed(), reconnect}))
        return netBadDevice;
    refreshDrives();
    return netSucceeded;
}

int disconnectNetworkDrive(QChar letter)
{
    for (const MappedDrive &mapped : mappedDrives()) {
        if (mapped.letter != letter)
            continue;
        const QString address = shareAddress(mapped.remote);
        if (!address.isEmpty())
            runGio({QStringLiteral("mount"), QStringLiteral("-u"), address});
        unmapDrive(letter);
        refreshDrives();
        return netSucceeded;
    }
    return netBadDevice;
}

void restoreNetworkDrives()
{
    for (const MappedDrive &mapped : mappedDrives()) {
        if (!mapped.reconnect) {
            unmapDrive(mapped.letter);
            continue;
        }
        const QString address = shareAddress(mapped.remote);
        QString folder;
        if (!address.isEmpty() && !QFileInfo(mapped.nativeRoot).isDir() && mountShare(address, folder) == netSucceeded
            && folder != mapped.nativeRoot)
            mapDrive({mapped.letter, folder, mapped.remote, true});
    }
    refreshDrives();
}

QString networkErrorText(int code)
{
    switch (code) {
    case netSucceeded:
        return QStringLiteral("The operation completed successfully.");
    case netBadNetPath:
        return QStringLiteral("The network path was not found.");
    case netBadNetName:
        return QStringLiteral("The network name cannot be found.");
    case netAlreadyAssigned:
        return QStringLiteral("The local device name is already in use.");
    case netBadDevice:
        return QStringLiteral("The specified device name is invalid.");
    case netNoNetwork:
        return QStringLiteral("The network is not present or not started.");
    case netLogonFailure:
        return QStringLiteral("The user name or password is incorrect.");
    default:
        return QStringLiteral("Unknown network error %1.").arg(code);
    }
}

} // namespace platform
