#pragma once
// What the file list asks of the shell, in one place: icons and type names by file
// name, the process-wide image list, the drives, and opening a file.

#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>

namespace fileListShell {

struct NameInfo {
    int iconIndex = -1;
    QString typeName;
};
// Icon and type of an entry from its name alone, by its extension as the shell does;
// contents are never read. Answers are kept for the next names of the same kind.
NameInfo infoByName(const QString &name, bool isFolder);

// The process-wide image list.
QIcon icon(int index);
int imageCount();
// Appends an entry with a small and a large picture; returns its index.
int appendImage(const QImage &small, const QImage &large);
// The large picture of an entry (null past the end).
QImage largeImage(int index);
// Removes the last entry.
void removeLastImage();

enum DriveKind { dkUnknown, dkNotPresent, dkRemovable, dkFixed, dkNetwork, dkCdRom, dkRamDisk };
struct DriveInfo {
    QChar letter;
    DriveKind kind = dkUnknown;
    QString displayName; // "Local Disk (C:)"
    int iconIndex = -1;
};
// The present drives, A to Z.
QList<DriveInfo> presentDrives();
// Total and free size in KB of the drive of a path's first letter (0 when unreadable).
qint64 diskSizeKB(const QString &path);
qint64 diskFreeKB(const QString &path);
// True when the drive answers; otherwise, with showMessages, the "no disk" warning.
bool driveReady(QChar letter, bool showMessages);

// Opens a file with its associated program, the folder as working folder; failures
// are reported to the user.
void openFile(const QString &path, const QString &folder);

} // namespace fileListShell
