#include "tests/common/TempFolder.h"

#include "platform/DrivePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempFolder::TempFolder(bool makeCurrent)
{
    if (makeCurrent) {
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
}

TempFolder::~TempFolder()
{
    if (!m_previousFolder.isEmpty())
        QDir::setCurrent(m_previousFolder);
}

QString TempFolder::drivePath() const
{
    return platform::toDrivePath(m_dir.path());
}

QString TempFolder::write(const QString &name, const QByteArray &content) const
{
    const QString full = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return full;
}

QByteArray TempFolder::read(const QString &name) const
{
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TempFolder::exists(const QString &name) const
{
    return QFileInfo::exists(m_dir.filePath(name));
}
