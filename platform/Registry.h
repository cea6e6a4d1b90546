#pragma once
// The per-user hive: one INI file read and written through QSettings.
// A key path is a group path; "\Software\Zerko" and "Software/Zerko" name the same key.
// String values are stored as text, integers as "dword:XXXXXXXX", so that reading
// a value of the wrong type can be told apart and raise a RegistryError.

#include <QString>
#include <memory>

class QSettings;

namespace platform {

// Path of the hive file: GenericConfigLocation/kestrava/registry.ini.
QString hiveFilePath();

class RegistryKey {
public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    // Opens the key below the per-user root, creating it when missing.
    // Returns false when the hive cannot be read or written.
    bool openKey(const QString &keyPath);
    void closeKey();
    bool isOpen() const { return m_open; }

    bool valueExists(const QString &name) const;
    // A missing value reads as "" (string) or 0 (integer); a value of the
    // other type raises RegistryError.
    QString readString(const QString &name) const;
    int readInteger(const QString &name) const;
    // Write and flush at once; false when the hive could not be written.
    bool writeString(const QString &name, const QString &value);
    bool writeInteger(const QString &name, int value);

    static QString normalizedKey(const QString &keyPath);

private:
    QString rawValue(const QString &name) const;
    bool writeRaw(const QString &name, const QString &raw);

    std::unique_ptr<QSettings> m_settings;
    QString m_group;
    bool m_open = false;
};

} // namespace platform
