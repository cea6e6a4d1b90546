#pragma once
// An open folder: the files of a folder loaded once are reached through it, wherever the
// folder is moved or renamed meanwhile, without changing the process's current folder.

#include "platform/FileDescriptor.h"

#include <QString>

namespace platform {

class FolderHandle {
public:
    FolderHandle() = default;
    // Opens `folder` (a drive path or native path; empty for the current folder).
    explicit FolderHandle(const QString &folder);

    bool valid() const { return m_fd.valid(); }
    int descriptor() const { return m_fd.get(); }
    // The folder could not be opened, or has been removed since.
    bool gone() const;
    // A native path that reaches `name` (a bare name as the program names files; empty
    // for the folder itself, ending in '/') through the handle.
    QString pathOf(const QString &name) const;

private:
    FileDescriptor m_fd;
};

} // namespace platform
