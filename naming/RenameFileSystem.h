#pragma once
// The file-system calls a rename needs, on bare names in the current folder.
// PerformRename uses the platform's; tests may put a stand-in in its place.

#include "platform/FileSystem.h"
#include "platform/RegularFile.h"

#include <QString>

class RenameFileSystem {
public:
    virtual ~RenameFileSystem() = default;

    virtual bool fileExists(const QString &name) = 0;
    // What the name is, links followed: only a regular file is ever renamed.
    virtual platform::EntryKind kindOf(const QString &name) = 0;
    virtual bool isSameFile(const QString &first, const QString &second) = 0;
    virtual bool nameFits(const QString &name) = 0;
    virtual void setAttributesNormal(const QString &name) = 0;
    // Never replaces an existing target.
    virtual platform::RenameResult rename(const QString &from, const QString &to) = 0;
};

class PlatformRenameFileSystem : public RenameFileSystem {
public:
    // Names are taken in `nativeFolder` (a native path ending in '/'; empty for the
    // current folder).
    explicit PlatformRenameFileSystem(const QString &nativeFolder = QString()) : m_folder(nativeFolder) {}
    bool fileExists(const QString &name) override;
    platform::EntryKind kindOf(const QString &name) override;
    bool isSameFile(const QString &first, const QString &second) override;
    bool nameFits(const QString &name) override;
    void setAttributesNormal(const QString &name) override;
    platform::RenameResult rename(const QString &from, const QString &to) override;

private:
    QString path(const QString &name) const;
    QString m_folder;
};
