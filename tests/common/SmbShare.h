#pragma once
// A real SMB share on the loopback address, mounted through GVfs, for as long as the
// object lives. It is served by the smb-share tool (KESTRAVA_SMB_SHARE, else the shared
// tools folder) running a command that waits until the share is released.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class SmbShare {
public:
    // `shareOptions`: extra smb.conf lines for the share, e.g. "case sensitive = yes".
    explicit SmbShare(const QString &shareOptions = QString());
    ~SmbShare();

    // Empty when the share is up; otherwise why it could not start (a test then skips).
    QString failure() const { return m_failure; }
    QString mountFolder() const { return m_mountFolder; }   // the share as a local folder
    QString servedFolder() const { return m_servedFolder; } // the folder smbd serves
    // Ends the server process and those it started for connections: calls on the mount then fail.
    void stopServer();

private:
    QTemporaryDir m_control;
    QProcess m_process;
    QString m_failure;
    QString m_mountFolder;
    QString m_servedFolder;
    qint64 m_serverPid = 0;
};
