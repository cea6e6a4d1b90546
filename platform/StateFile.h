#pragma once
// A small file of the program's own state under $XDG_STATE_HOME/kestrava/ (by default
// ~/.local/state/kestrava/): read whole, and replaced whole so that a crash leaves either
// the old or the new contents (written beside it, flushed, renamed over it).

#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

class StateFile {
public:
    // `name` may hold a subfolder ("undo/1.tags"), made when the file is written.
    explicit StateFile(const QString &name);

    // The folder of the program's state files (not created).
    static QString folder();
    QString path() const { return m_path; }

    // The contents; empty for a file that does not exist yet; nullopt with errno set when
    // it could not be read: ELOOP for a link, EINVAL for anything but a regular file,
    // EFBIG for one larger than `maxSize`. Never waits on a FIFO or device.
    std::optional<QByteArray> read(qint64 maxSize) const;
    // Replaces the contents durably; false with errno set, the old contents kept.
    bool write(const QByteArray &contents) const;
    // Waits for the file's lock (a ".lock" file beside it, never followed through a link
    // and only a regular file) and puts it into `held`, which holds it until closed, so
    // that processes reading and replacing the file take turns; false when the lock file
    // cannot be made or is not a regular file (the work goes on unlocked).
    bool lock(FileDescriptor &held) const;
    // The names of the files in the state folder's `subfolder`.
    static QStringList names(const QString &subfolder);
    // Removes the file; true also when there was none.
    bool remove() const;
    // Moves the file aside (name + ".damaged-" + UTC time) so that a new one starts;
    // the new path, or empty when it could not be moved.
    QString setAside() const;
    // Removes what writes cut short left beside the file (its ".new-" temporaries); for a
    // holder of the lock, when no write can be under way.
    void removeStaleTemporaries() const;

private:
    QString m_path;
};

} // namespace platform
