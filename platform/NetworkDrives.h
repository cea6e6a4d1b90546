#pragma once
// Network shares as drive letters: a share ("\\server\share\folder" or an address such
// as "smb://server/share/folder") is mounted with the desktop's mounter (gio) and the
// letter maps to the mounted folder; a local folder may be given a letter too. The
// mapping is kept in the hive (DriveTable.h). Results are the network layer's codes,
// 0 on success.
//
// NetworkDriveJob does the work without ever waiting on the network: gio runs as a
// child process watched by the event loop, and each job ends with a signal on the
// thread that started it. The plain functions below wait for their job and are meant
// for callers that are not a window.

#include "platform/DriveTable.h"

#include <QChar>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QProcess;

namespace platform {

inline constexpr int netSucceeded = 0;
inline constexpr int netBadNetPath = 53;
inline constexpr int netBadNetName = 67;
inline constexpr int netAlreadyAssigned = 85;
inline constexpr int netBadDevice = 1200;
inline constexpr int netNotConnected = 2250;
inline constexpr int netExtendedError = 1208;
inline constexpr int netNoNetwork = 1222;
inline constexpr int netCancelled = 1223;
inline constexpr int netLogonFailure = 1326;
inline constexpr int netOpenFiles = 2401;

// What the share asks for when the desktop has no stored password for it.
struct NetworkCredentials {
    QString user;
    QString domain = QStringLiteral("WORKGROUP");
    QString password;
    bool isEmpty() const { return user.isEmpty() && password.isEmpty(); }
};

struct NetworkResult {
    int code = netSucceeded;
    QChar letter;   // the drive connected or disconnected
    QString remote; // the share as typed
    QString detail; // the desktop's own words, when it gave any
};


class NetworkDriveJob : public QObject {
    Q_OBJECT

public:
    explicit NetworkDriveJob(QObject *parent = nullptr);
    ~NetworkDriveJob() override;

    // `localDevice` is a letter and a colon ("Z:"). `reconnect`: the mapping is restored
    // at the next start (otherwise it lasts for this session). Without credentials the
    // desktop's stored ones or guest access are tried; a share that wants a password
    // then ends with netLogonFailure.
    void connectDrive(const QString &localDevice, const QString &remote, bool reconnect,
                      const NetworkCredentials &credentials = {});
    // Unmounts a mapped share (unless another letter still uses it) and forgets the letter.
    void disconnectDrive(QChar letter);
    // Forgets the previous session's mappings and mounts again the shares to be
    // reconnected; `restored` lists the failures.
    void restoreDrives();
    // Stops the job in progress; it ends with netCancelled.
    void cancel();
    bool isRunning() const { return m_running; }

    // How long one gio call may take before it counts as a dead network.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

signals:
    void finished(const platform::NetworkResult &result);
    void restored(const QList<platform::NetworkResult> &failures);

private:
    using Step = std::function<void(int exitCode, const QString &output)>;
    void runGio(const QStringList &arguments, const QByteArray &input, Step next);
    void mountShare(const QString &address, const NetworkCredentials &credentials,
                    std::function<void(int code, const QString &folder, const QString &detail)> done);
    void waitUntilReachable(const QString &folder, int attempts, std::function<void(bool reached)> done);
    void finish(NetworkResult result);
    int failureCode(int exitCode, const QString &message) const;
    void restoreNext();

    QProcess *m_gio = nullptr;
    QTimer m_deadline;
    Step m_step;
    bool m_running = false;
    bool m_timedOut = false;
    int m_timeoutMs = 60000;
    QList<MappedDrive> m_toRestore;
    QList<NetworkResult> m_restoreFailures;
    bool m_restoring = false;
};

// The waiting forms of the jobs above.
int connectNetworkDrive(const QString &localDevice, const QString &remote, bool reconnect);
int disconnectNetworkDrive(QChar letter);
void restoreNetworkDrives();

// "\\server\share\folder" -> "smb://server/share/folder"; addresses stay as they are;
// anything else (a local path) gives "".
QString shareAddress(const QString &remote);

// The share of a folder the desktop mounted ("…/gvfs/smb-share:server=nas,share=music/Rock"
// -> "\\nas\music\Rock", or an smb:// address when it needs a port or user); "" for
// any other folder.
QString shareOfMountedFolder(const QString &nativePath);

// The system's text for a network result code.
QString networkErrorText(int code);

} // namespace platform

Q_DECLARE_METATYPE(platform::NetworkResult)
