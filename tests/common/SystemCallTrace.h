#pragma once
// strace attached to this test process for a while: which of the named system calls it
// made meanwhile, from any thread. Skips (the test says why) where strace is missing or
// may not attach.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SystemCallTrace {
public:
    explicit SystemCallTrace(const QStringList &calls);
    ~SystemCallTrace();

    // Empty once attached; else why tracing cannot be done here.
    QString unavailable() const { return m_unavailable; }
    // Detaches and returns one line per call traced.
    QStringList stop();

private:
    QTemporaryDir m_dir;
    QProcess m_strace;
    QString m_unavailable;
};
