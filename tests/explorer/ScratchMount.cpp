#include "tests/explorer/ScratchMount.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <sys/mount.h>

ScratchMount::ScratchMount(const QString &name, int sizeKB)
    : m_root(QStringLiteral("/mnt/kestrava-%1-%2").arg(name).arg(QCoreApplication::applicationPid()))
    , m_sizeKB(sizeKB)
{
    QDir().mkpath(m_root);
    remount();
}

ScratchMount::~ScratchMount()
{
    unmount();
    QDir().rmdir(m_root);
}

bool ScratchMount::remount()
{
    const QByteArray options = "size=" + QByteArray::number(m_sizeKB) + "k";
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_root).constData(), "tmpfs", 0, options.constData()) == 0;
    return m_mounted;
}

void ScratchMount::unmount()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_root).constData(), MNT_DETACH);
    m_mounted = false;
}
