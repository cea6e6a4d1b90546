#include "platform/Registry.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace platform {

namespace {
const QString integerPrefix = QStringLiteral("dword:");
const QString stringPrefix = QStringLiteral("sz:");

bool isIntegerRaw(const QString &raw)
{
    static const QRegularExpression pattern(QStringLiteral("^dword:[0-9a-f]{8}$"));
    return pattern.match(raw).hasMatch();
}
} // namespace

QString hiveFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/kestrava/registry.ini");
}

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() { closeKey(); }

QString RegistryKey::normalizedKey(const QString &keyPath)
{
    QString key = keyPath;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (key.startsWith(QLatin1Char('/')))
        key.remove(0, 1);
    while (key.endsWith(QLatin1Char('/')))
        key.chop(1);
    return key;
}

bool RegistryKey::openKey(const QString &keyPath)
{
    closeKey();
    const QString path = hiveFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    m_group = normalizedKey(keyPath);
    m_open = m_settings->status() == QSettings::NoError;
    return m_open;
}

void RegistryKey::closeKey()
{
    if (m_settings)
        m_settings->sync();
    m_settings.reset();
    m_open = false;
}

QString RegistryKey::rawValue(const QString &name) const
{
    if (!m_settings)
        return QString();
    return m_settings->value(m_group + QLatin1Char('/') + name).toString();
}

bool RegistryKey::valueExists(const QString &name) const
{
    return m_settings && m_settings->contains(m_group + QLatin1Char('/') + name);
}

QString RegistryKey::readString(const QString &name) const
{
    const QString raw = rawValue(name);
    if (isIntegerRaw(raw))
        throw RegistryError(QStringLiteral("Invalid data type for '%1'").arg(name));
    if (raw.startsWith(stringPrefix))
        return raw.mid(stringPrefix.size());
    return raw;
}

int RegistryKey::readInteger(const QString &name) const
{
    if (!valueExists(name))
        return 0;
    const QString raw = rawValue(name);
    if (!isIntegerRaw(raw))
        throw RegistryError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return static_cast<int>(raw.mid(integerPrefix.size()).toUInt(nullptr, 16));
}

bool RegistryKey::writeRaw(const QString &name, const QString &raw)
{
    if (!m_settings)
        return false;
    m_settings->setValue(m_group + QLatin1Char('/') + name, raw);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool RegistryKey::writeString(const QString &name, const QString &value)
{
    const bool needsPrefix = value.startsWith(integerPrefix) || value.startsWith(stringPrefix);
    return writeRaw(name, needsPrefix ? stringPrefix + value : value);
}

bool RegistryKey::writeInteger(const QString &name, int value)
{
    return writeRaw(name, integerPrefix + QStringLiteral("%1").arg(static_cast<quint32>(value), 8, 16, QLatin1Char('0')));
}

} // namespace platform
