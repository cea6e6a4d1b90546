#include "platform/ProcessIdentity.h"

#include <QFile>

#include <unistd.h>

namespace platform {

namespace {
// The start time in clock ticks since boot, field 22 of /proc/PID/stat; empty when gone.
QByteArray startTimeOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.read(4096);
    // The command name in parentheses may hold spaces: fields are counted after it.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return {};
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    return fields.size() > 19 ? fields.at(19) : QByteArray();
}
} // namespace

QByteArray currentProcessIdentity()
{
    const qint64 pid = ::getpid();
    return QByteArray::number(pid) + ':' + startTimeOf(pid);
}

bool isOtherProcessRunning(const QByteArray &identity)
{
    const qsizetype colon = identity.indexOf(':');
    bool valid = false;
    const qint64 pid = identity.left(colon).toLongLong(&valid);
    if (!valid || colon < 0 || pid <= 0 || pid == ::getpid())
        return false;
    const QByteArray start = startTimeOf(pid);
    return !start.isEmpty() && start == identity.mid(colon + 1);
}

} // namespace platform
