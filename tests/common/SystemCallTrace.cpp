#include "tests/common/SystemCallTrace.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <csignal>

SystemCallTrace::SystemCallTrace(const QStringList &calls)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty()) {
        m_unavailable = QStringLiteral("strace is not installed (scripts/install-deps.sh installs it)");
        return;
    }
    const QString pid = QString::number(QCoreApplication::applicationPid());
    m_strace.start(strace, {QStringLiteral("-f"), QStringLiteral("-e"),
                            QStringLiteral("trace=") + calls.join(u','), QStringLiteral("-o"),
                            m_dir.filePath(QStringLiteral("calls")), QStringLiteral("-p"), pid});
    // strace says it has attached on its standard error (every thread: "-f").
    const QDeadlineTimer deadline(10000);
    QByteArray told;
    while (!deadline.hasExpired() && m_strace.state() != QProcess::NotRunning && !told.contains("attached")) {
        m_strace.waitForReadyRead(100);
        told += m_strace.readAllStandardError();
    }
    if (!told.contains("attached")) {
        m_strace.kill();
        m_strace.waitForFinished();
        m_unavailable = QStringLiteral("strace could not attach: ") + QString::fromLocal8Bit(told.trimmed());
        return;
    }
    QThread::msleep(200); // every thread attached, not only the first
}

SystemCallTrace::~SystemCallTrace()
{
    stop();
}

QStringList SystemCallTrace::stop()
{
    if (m_strace.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_strace.processId()), SIGINT); // detaches, the traced process goes on
        m_strace.waitForFinished(10000);
    }
    QFile output(m_dir.filePath(QStringLiteral("calls")));
    if (!output.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray &line : output.readAll().split('\n')) {
        if (!line.trimmed().isEmpty() && !line.contains("+++") && !line.contains("---"))
            lines.append(QString::fromLocal8Bit(line));
    }
    return lines;
}
