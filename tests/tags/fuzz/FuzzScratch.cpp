#include "FuzzScratch.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
QString scratchPath()
{
    static const QString path = [] {
        const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        return QStringLiteral("%1/kestrava-fuzz-%2.mp3").arg(folder).arg(::getpid());
    }();
    return path;
}
} // namespace

QString scratchFile(const std::uint8_t *data, std::size_t size)
{
    QFile file(scratchPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return scratchPath();
}

QByteArray scratchContent()
{
    QFile file(scratchPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void fuzzCheck(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
