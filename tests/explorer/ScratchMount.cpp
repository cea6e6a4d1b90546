#include "tests/explorer/ScratchMount.h"

#include "tests/common/Confinement.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <cstdlib>
#include <sys/mount.h>

namespace {

bool run(const QByteArray &command)
{
    return std::system((command + " >/dev/null 2>&1").constData()) == 0;
}

} // namespace

ScratchMount::ScratchMount(const QString &name, int sizeKB, Kind kind)
    : m_root(QStringLiteral("/mnt/kestrava-%1-%2").arg(name).arg(QCoreApplication::applicationPid()))
    , m_sizeKB(sizeKB)
{
    if (!confinement::scratchDrivesAllowed())
        return;
    QDir().mkpath(m_root);
    if (kind == Kind::Disk) {
        m_image = m_root + QStringLiteral(".img");
        const QByteArray image = QFile::encodeName(m_image);
        if (!run("truncate -s " + QByteArray::number(sizeKB) + "K " + image) || !run("mkfs.ext4 -q -F " + image))
            return;
    }
    remount();
}

ScratchMount::~ScratchMount()
{
    unmount();
    if (!confinement::scratchDrivesAllowed())
        return;
    QDir().rmdir(m_root);
    if (!m_image.isEmpty())
        QFile::remove(m_image);
}

QString ScratchMount::whyNotMounted() const
{
    if (m_mounted)
        return QString();
    if (!confinement::scratchDrivesAllowed())
        return QString::fromLatin1(confinement::scratchDrivesRefusal());
    return QStringLiteral("the system refused to mount a scratch file system (mounting needs root)");
}

bool ScratchMount::remount()
{
    if (!confinement::scratchDrivesAllowed())
        return false;
    if (!m_image.isEmpty()) {
        m_mounted = run("mount -o loop " + QFile::encodeName(m_image) + " " + QFile::encodeName(m_root));
        return m_mounted;
    }
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
