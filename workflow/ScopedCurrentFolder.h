#pragma once
// Makes a folder the process's current folder for as long as it lives, then returns
// to the folder that was current before.

#include "platform/DrivePaths.h"

#include <QString>

class ScopedCurrentFolder {
public:
    // An empty folder leaves the current folder as it is.
    explicit ScopedCurrentFolder(const QString &folder)
        : m_previous(platform::currentFolder()), m_entered(folder.isEmpty() || platform::setCurrentFolder(folder))
    {
    }
    ~ScopedCurrentFolder() { platform::setCurrentFolder(m_previous); }
    ScopedCurrentFolder(const ScopedCurrentFolder &) = delete;
    ScopedCurrentFolder &operator=(const ScopedCurrentFolder &) = delete;

    // False when the folder could not be made current.
    bool entered() const { return m_entered; }

private:
    QString m_previous;
    bool m_entered;
};
