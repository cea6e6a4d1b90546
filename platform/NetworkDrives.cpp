#include "platform/NetworkDrives.h"

#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/NativeNames.h"
#include "platform/NetworkThreads.h"
#include "platform/ShellFolders.h"
#include "text/Ascii.h"

#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <sys/stat.h>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QUrl>

namespace platform {

namespace {

constexpr int reachAttempts = 15;
constexpr int reachRetryMs = 200;

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

// gio's message without its "gio: address: " prefix; empty when gio ended on one of
// its questions (asked for a password again, with nothing more to read).
QString gioMessage(const QString &output)
{
    QString message = output.trimmed().section(QLatin1Char('\n'), -1).trimmed();
    if (message.endsWith(QLatin1Char(':')))
        return QString();
    if (message.startsWith(QLatin1String("gio: ")))
        message = message.mid(5).section(QLatin1String(": "), 1);
    return message;
}

int codeOfGioFailure(int exitCode, const QString &message)
{
    if (exitCode < 0)
        return netNoNetwork;
    // gio ends without words when it has asked for a password and got none (again)
    const QString text = message.toLower();
    if (text.isEmpty() || text.contains(QLatin1String("password")) || text.contains(QLatin1String("denied"))
        || text.contains(QLatin1String("permission")))
        return netLogonFailure;
    if (text.contains(QLatin1String("no such file")) || text.contains(QLatin1String("not found")))
        return netBadNetName;
    if (text.contains(QLatin1String("refused")) || text.contains(QLatin1String("timed out"))
        || text.contains(QLatin1String("resolve")) || text.contains(QLatin1String("unreachable"))
        || text.contains(QLatin1String("host")))
        return netBadNetPath;
    if (text.contains(QLatin1String("not supported")) || text.contains(QLatin1String("not implement")))
        return netNoNetwork;
    return netExtendedError;
}

QString localPathIn(const QString &infoOutput)
{
    for (const QString &line : infoOutput.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("local path:")))
            return trimmed.mid(int(qstrlen("local path:"))).trimmed();
    }
    return QString();
}

// "smb://server/share/folder" -> "smb://server/share"
QString shareRoot(const QString &address)
{
    const QUrl url(address);
    const QString share = url.path().section(QLatin1Char('/'), 1, 1);
    QUrl root = url;
    root.setPath(QLatin1Char('/') + share);
    return root.toString(QUrl::StripTrailingSlash);
}

bool hasUser(const QString &address)
{
    return !QUrl(address).userName().isEmpty();
}

QByteArray answersFor(const QString &address, const NetworkCredentials &credentials)
{
    // gio asks for the user (unless the address names one), the domain and the password.
    QByteArray answers;
    if (!hasUser(address))
        answers += credentials.user.toUtf8() + '\n';
    return answers + credentials.domain.toUtf8() + '\n' + credentials.password.toUtf8() + '\n';
}

template <typename Job>
NetworkResult waitFor(Job start)
{
    NetworkDriveJob job;
    NetworkResult result;
    QEventLoop loop;
    QObject::connect(&job, &NetworkDriveJob::finished, &loop, [&](const NetworkResult &done) {
        result = done;
        loop.quit();
    });
    QObject::connect(&job, &NetworkDriveJob::restored, &loop, &QEventLoop::quit);
    start(job);
    if (job.isRunning())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}

} // namespace

NetworkDriveJob::NetworkDriveJob(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<platform::NetworkResult>();
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        if (m_gio)
            m_gio->kill();
    });
}

NetworkDriveJob::~NetworkDriveJob()
{
    if (m_gio) {
        m_gio->disconnect(this);
        m_gio->kill();
        m_gio->waitForFinished(1000);
    }
}

int NetworkDriveJob::failureCode(int exitCode, const QString &message) const
{
    if (exitCode == -1 && !m_running)
        return netCancelled;
    if (exitCode == -1 && m_timedOut)
        return netBadNetPath;
    return codeOfGioFailure(exitCode, message);
}

void NetworkDriveJob::runGio(const QStringList &arguments, const QByteArray &input, Step next)
{
    m_timedOut = false;
    m_gio = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // messages in one language
    m_gio->setProcessEnvironment(environment);
    m_gio->setProcessChannelMode(QProcess::MergedChannels);
    m_step = std::move(next);
    connect(m_gio, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        m_deadline.stop();
        const QString output = QString::fromUtf8(m_gio->readAll());
        m_gio->deleteLater();
        m_gio = nullptr;
        const Step step = std::exchange(m_step, Step());
        if (step)
            step(status == QProcess::NormalExit ? exitCode : -1, output);
    });
    connect(m_gio, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_deadline.stop();
        m_gio->deleteLater();
        m_gio = nullptr;
        const Step step = std::exchange(m_step, Step());
        if (step)
            step(-1, QString());
    });
    m_gio->start(QStringLiteral("gio"), arguments);
    m_gio->write(input);
    m_gio->closeWriteChannel();
    m_deadline.start(m_timeoutMs);
}

void NetworkDriveJob::mountShare(const QString &address, const NetworkCredentials &credentials,
                                 std::function<void(int, const QString &, const QString &)> done)
{
    QStringList arguments{QStringLiteral("mount")};
    if (credentials.isEmpty())
        arguments << QStringLiteral("-a"); // guest access, unless the desktop knows better
    arguments << address;
    runGio(arguments, credentials.isEmpty() ? QByteArray() : answersFor(address, credentials),
           [this, address, done](int exitCode, const QString &output) {
               const QString message = gioMessage(output);
               if (exitCode != 0 && !message.contains(QLatin1String("already mounted"), Qt::CaseInsensitive)) {
                   done(failureCode(exitCode, message), QString(), message);
                   return;
               }
               runGio({QStringLiteral("info"), address}, QByteArray(), [this, done](int infoExit, const QString &info) {
                   const QString folder = localPathIn(info);
                   if (infoExit != 0 || folder.isEmpty())
                       done(infoExit == 0 ? netNoNetwork : failureCode(infoExit, gioMessage(info)), QString(),
                            gioMessage(info));
                   else
                       waitUntilReachable(folder, reachAttempts, [done, folder](bool reached) {
                           done(reached ? netSucceeded : netBadNetPath, folder, QString());
                       });
               });
           });
}

void NetworkDriveJob::waitUntilReachable(const QString &folder, int attempts, std::function<void(bool)> done)
{
    // Just after a share is mounted again, the kernel may still hold the folder of its
    // previous mount for a moment, and answers with an error until it lets it go.
    auto *watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher, folder, attempts, done] {
        watcher->deleteLater();
        if (watcher->result() || attempts <= 1 || !m_running) {
            done(watcher->result());
            return;
        }
        QTimer::singleShot(reachRetryMs, this,
                           [this, folder, attempts, done] { waitUntilReachable(folder, attempts - 1, done); });
    });
    watcher->setFuture(QtConcurrent::run(networkThreadPool(), [path = encodeNativeName(folder)] {
        struct stat info {};
        return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
    }));
}

void NetworkDriveJob::connectDrive(const QString &localDevice, const QString &remote, bool reconnect,
                                   const NetworkCredentials &credentials)
{
    m_running = true;
    const QString device = localDevice.trimmed();
    const QChar letter = device.isEmpty() ? QChar() : ascii::toUpper(device.at(0));
    NetworkResult result{netSucceeded, letter, remote.trimmed(), QString()};
    const bool validDevice = device.size() == 2 && device.at(1) == QLatin1Char(':') && letter >= QLatin1Char('A')
                             && letter <= QLatin1Char('Z');
    if (!validDevice || isLetterInUse(letter)) {
        result.code = validDevice ? netAlreadyAssigned : netBadDevice;
        QTimer::singleShot(0, this, [this, result] { finish(result); });
        return;
    }
    const QString address = shareAddress(remote);
    if (address.isEmpty()) {
        const QString folder = toNativePath(normalizedDrivePath(remote));
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            result.code = netBadNetPath;
        else if (!mapDrive({letter, folder, QString(), reconnect}))
            result.code = netBadDevice;
        QTimer::singleShot(0, this, [this, result] { finish(result); });
        return;
    }
    mountShare(address, credentials, [this, result, reconnect](int code, const QString &folder, const QString &detail) mutable {
        result.code = code;
        result.detail = detail;
        if (code == netSucceeded && !mapDrive({result.letter, folder, result.remote, reconnect}))
            result.code = netBadDevice;
        finish(result);
    });
}

void NetworkDriveJob::disconnectDrive(QChar letter)
{
    m_running = true;
    const QList<MappedDrive> mapped = mappedDrives();
    const auto drive = std::find_if(mapped.begin(), mapped.end(), [&](const MappedDrive &m) { return m.letter == letter; });
    NetworkResult result{netNotConnected, letter, QString(), QString()};
    if (drive == mapped.end()) {
        QTimer::singleShot(0, this, [this, result] { finish(result); });
        return;
    }
    result.remote = drive->remote;
    const QString address = shareAddress(drive->remote);
    const bool shareStillUsed = std::any_of(mapped.begin(), mapped.end(), [&](const MappedDrive &other) {
        return other.letter != letter && !address.isEmpty() && shareRoot(shareAddress(other.remote)) == shareRoot(address);
    });
    if (address.isEmpty() || shareStillUsed) {
        result.code = unmapDrive(letter) ? netSucceeded : netBadDevice;
        QTimer::singleShot(0, this, [this, result] { finish(result); });
        return;
    }
    runGio({QStringLiteral("mount"), QStringLiteral("-u"), shareRoot(address)}, QByteArray(),
           [this, result](int exitCode, const QString &output) mutable {
               const QString message = gioMessage(output);
               if (exitCode != 0 && !message.contains(QLatin1String("not mounted"), Qt::CaseInsensitive)) {
                   result.code = exitCode == -1 ? failureCode(exitCode, message) : netOpenFiles;
                   result.detail = message;
               } else {
                   result.code = unmapDrive(result.letter) ? netSucceeded : netBadDevice;
               }
               finish(result);
           });
}

void NetworkDriveJob::restoreDrives()
{
    m_running = true;
    m_restoring = true;
    m_restoreFailures.clear();
    m_toRestore.clear();
    for (const MappedDrive &mapped : mappedDrives()) {
        if (!mapped.reconnect)
            unmapDrive(mapped.letter);
        else if (!shareAddress(mapped.remote).isEmpty())
            m_toRestore.append(mapped);
    }
    QTimer::singleShot(0, this, [this] { restoreNext(); });
}

void NetworkDriveJob::restoreNext()
{
    refreshDrives();
    while (!m_toRestore.isEmpty() && driveKind(m_toRestore.constFirst().letter) != DriveKind::NotPresent)
        m_toRestore.removeFirst();
    if (m_toRestore.isEmpty() || !m_running) {
        m_running = false;
        m_restoring = false;
        emit restored(m_restoreFailures);
        return;
    }
    const MappedDrive mapped = m_toRestore.takeFirst();
    mountShare(shareAddress(mapped.remote), {}, [this, mapped](int code, const QString &folder, const QString &detail) {
        if (code == netSucceeded)
            mapDrive({mapped.letter, folder, mapped.remote, true});
        else
            m_restoreFailures.append({code, mapped.letter, mapped.remote, detail});
        restoreNext();
    });
}

void NetworkDriveJob::cancel()
{
    if (!m_running)
        return;
    m_running = false;
    m_toRestore.clear();
    if (m_gio)
        m_gio->kill();
}

void NetworkDriveJob::finish(NetworkResult result)
{
    m_running = false;
    refreshDrives();
    emit finished(result);
}

int connectNetworkDrive(const QString &localDevice, const QString &remote, bool reconnect)
{
    return waitFor([&](NetworkDriveJob &job) { job.connectDrive(localDevice, remote, reconnect); }).code;
}

int disconnectNetworkDrive(QChar letter)
{
    return waitFor([&](NetworkDriveJob &job) { job.disconnectDrive(letter); }).code;
}

void restoreNetworkDrives()
{
    waitFor([](NetworkDriveJob &job) { job.restoreDrives(); });
}

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

QString shareOfMountedFolder(const QString &nativePath)
{
    const QString places = networkPlacesFolder() + QLatin1Char('/');
    if (!nativePath.startsWith(places))
        return QString();
    const QString rest = nativePath.mid(places.size());
    const QString mountName = rest.section(QLatin1Char('/'), 0, 0);
    const QString inside = rest.section(QLatin1Char('/'), 1);
    if (!mountName.startsWith(QLatin1String("smb-share:")))
        return QString();
    QMap<QString, QString> keys;
    for (const QString &pair : mountName.mid(int(qstrlen("smb-share:"))).split(QLatin1Char(',')))
        keys.insert(pair.section(QLatin1Char('='), 0, 0), QUrl::fromPercentEncoding(pair.section(QLatin1Char('='), 1).toUtf8()));
    if (keys.value(QStringLiteral("server")).isEmpty() || keys.value(QStringLiteral("share")).isEmpty())
        return QString();
    if (keys.contains(QStringLiteral("port")) || keys.contains(QStringLiteral("user"))) {
        QUrl url;
        url.setScheme(QStringLiteral("smb"));
        url.setHost(keys.value(QStringLiteral("server")));
        if (keys.contains(QStringLiteral("port")))
            url.setPort(keys.value(QStringLiteral("port")).toInt());
        url.setUserName(keys.value(QStringLiteral("user")));
        url.setPath(QLatin1Char('/') + keys.value(QStringLiteral("share")) + (inside.isEmpty() ? QString() : QLatin1Char('/') + inside));
        return url.toString();
    }
    QString share = QStringLiteral("\\\\") + keys.value(QStringLiteral("server")) + QLatin1Char('\\') + keys.value(QStringLiteral("share"));
    if (!inside.isEmpty())
        share += QLatin1Char('\\') + QString(inside).replace(QLatin1Char('/'), QLatin1Char('\\'));
    return share;
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
    case netExtendedError:
        return QStringLiteral("An extended error has occurred.");
    case netNoNetwork:
        return QStringLiteral("The network is not present or not started.");
    case netCancelled:
        return QStringLiteral("The operation was canceled by the user.");
    case netLogonFailure:
        return QStringLiteral("The user name or password is incorrect.");
    case netNotConnected:
        return QStringLiteral("This network connection does not exist.");
    case netOpenFiles:
        return QStringLiteral("This network connection has files open or requests pending.");
    default:
        return QStringLiteral("Unknown network error %1.").arg(code);
    }
}

} // namespace platform
