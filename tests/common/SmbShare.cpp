#include "tests/common/SmbShare.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <csignal>

namespace {
QString toolPath()
{
    return qEnvironmentVariable("KESTRAVA_SMB_SHARE", QStringLiteral("/work/shared/tools/smb-share"));
}

// The values of `key=value` lines.
QString valueOf(const QByteArray &lines, const QByteArray &key)
{
    for (const QByteArray &line : lines.split('\n')) {
        if (line.startsWith(key + '='))
            return QFile::decodeName(line.mid(key.size() + 1));
    }
    return QString();
}

// The processes whose parent is `pid`.
QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    const QStringList tasks = QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile file(QStringLiteral("/proc/%1/task/%2/children").arg(pid).arg(task));
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &child : file.readAll().split(' ')) {
                if (!child.trimmed().isEmpty())
                    children.append(child.trimmed().toLongLong());
            }
        }
    }
    return children;
}
} // namespace

SmbShare::SmbShare(const QString &shareOptions)
{
    const QString tool = toolPath();
    if (!QFile::exists(tool)) {
        m_failure = QStringLiteral("no SMB share tool at ") + tool;
        return;
    }
    const QString ready = m_control.filePath(QStringLiteral("ready"));
    const QString released = m_control.filePath(QStringLiteral("released"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("READY"), ready);
    environment.insert(QStringLiteral("RELEASED"), released);
    if (!shareOptions.isEmpty())
        environment.insert(QStringLiteral("SMB_SHARE_OPTS"), shareOptions);
    m_process.setProcessEnvironment(environment);
    m_process.start(tool, {QStringLiteral("bash"), QStringLiteral("-c"),
                           QStringLiteral("env > \"$READY.part\" && mv \"$READY.part\" \"$READY\"; "
                                          "while [ ! -e \"$RELEASED\" ]; do sleep 0.05; done")});
    const QDeadlineTimer deadline(60000);
    while (!QFile::exists(ready)) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired()) {
            m_failure = QStringLiteral("the SMB share could not start: ") +
                        QString::fromLocal8Bit(m_process.readAllStandardError().right(400));
            return;
        }
        m_process.waitForFinished(50);
    }
    QFile file(ready);
    file.open(QIODevice::ReadOnly);
    const QByteArray values = file.readAll();
    m_mountFolder = valueOf(values, "SMB_GUEST_MNT");
    m_servedFolder = valueOf(values, "SMB_GUEST_DIR");
    m_serverPid = valueOf(values, "SMBD_PID").toLongLong();
    if (m_mountFolder.isEmpty() || !QFileInfo(m_mountFolder).isDir())
        m_failure = QStringLiteral("the SMB share started but its mount folder is missing");
}

SmbShare::~SmbShare()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    QFile(m_control.filePath(QStringLiteral("released"))).open(QIODevice::WriteOnly);
    if (!m_process.waitForFinished(60000))
        m_process.kill();
}

void SmbShare::stopServer()
{
    if (m_serverPid <= 0)
        return;
    const QList<qint64> connections = childrenOf(m_serverPid);
    ::kill(pid_t(m_serverPid), SIGKILL);
    for (const qint64 child : connections)
        ::kill(pid_t(child), SIGKILL);
    m_serverPid = 0;
}
