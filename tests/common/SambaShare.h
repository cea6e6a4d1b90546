#pragma once
// A real SMB server on the loopback address for the test's lifetime: Samba's smbd with
// a private configuration (a guest share and a share with a user and password) and
// GVfs (gvfsd with its FUSE folder) on a private D-Bus session, so that the desktop's
// mounter reaches the shares. While it lives, the process's environment points at
// that session. Everything it starts is stopped by process id when it ends.
//
//   SambaShare share(u"case sensitive = yes"_s); // extra smb.conf lines for both shares
//   share.guestFolder();   // the folder served: seed and inspect files here
//   share.mountGuest();    // the guest share as a local folder, through GVfs

#include <QString>
#include <QTemporaryDir>
#include <QList>
#include <QProcessEnvironment>
#include <memory>
#include <vector>
#include <sys/types.h>

class QProcess;

class SambaShare {
public:
    // `shareOptions`: extra smb.conf lines for both shares.
    explicit SambaShare(const QString &shareOptions = QString());
    ~SambaShare();
    SambaShare(const SambaShare &) = delete;
    SambaShare &operator=(const SambaShare &) = delete;

    // Empty when everything runs; otherwise why it could not start.
    QString failure() const { return m_failure; }

    QString guestAddress() const;  // "smb://127.0.0.1:PORT/guestshare"
    QString secureAddress() const; // "smb://127.0.0.1:PORT/secure"
    QString missingAddress() const; // a share the server does not have
    QString guestFolder() const;   // the folders served
    QString secureFolder() const;
    QString user() const { return QStringLiteral("ktuser"); }
    QString password() const { return QStringLiteral("kpass1"); }
    int port() const { return m_port; }
    // Mounts the guest share as the desktop does and gives its local folder; empty, with
    // failure() telling why, when the mount fails.
    QString mountGuest();
    // The same, with an empty file `name` put in the share first.
    QString mountGuestHolding(const QString &name);

    bool isServing() const { return m_smbd != 0; }
    // The server and its connections end at once (calls on a mount then fail, connections
    // are refused), it stops answering, and it starts again.
    void stopServer();
    void freezeServer();
    void thawServer();
    bool startServer();

private:
    bool start();
    bool startDesktopSession();
    bool startChild(const QString &program, const QStringList &arguments, const QString &name,
                    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    void stopAll();
    QString path(const QString &name) const { return m_work.filePath(name); }

    QTemporaryDir m_work;
    QString m_shareOptions;
    QString m_failure;
    int m_port = 0;
    pid_t m_smbd = 0;
    std::vector<std::unique_ptr<QProcess>> m_children;
    QList<pid_t> m_sessions; // session leaders we started
    QList<QByteArray> m_savedEnvironment;
};
