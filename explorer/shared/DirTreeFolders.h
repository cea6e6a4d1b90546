#pragma once
// Which subfolders of a folder a folder tree lists: the folder filter by attributes,
// the probe that tells whether a folder has any, and the listing itself.

#include "explorer/shared/ExplorerTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>

namespace platform {
struct FoundEntry;
}

// Attribute bits that decide whether a folder entry is listed: read-only, hidden,
// system, directory, archive and normal. Other bits never exclude a folder.
inline constexpr int folderFilterBits = 0x01 | 0x02 | 0x04 | 0x10 | 0x20 | 0x80;

// The bits a listed folder may carry: directory, plus read-only, hidden, system and
// archive for the members of `folderType` (ftNormal has no effect).
int allowedFolderAttributes(TFileType folderType);

// A listing entry is listed when it is neither "." nor "..", is a directory, and
// carries no filtered bit outside `allowedAttributes`.
bool isListedFolder(const platform::FoundEntry &entry, int allowedAttributes);

// True at the first listed subfolder of the folder (drive path); false when there is
// none or the folder cannot be read.
bool hasListedSubfolder(const QString &folderPath, int allowedAttributes);

// Names of the listed subfolders, in the order the file system gives them; empty when
// the folder cannot be read.
QStringList listedSubfolders(const QString &folderPath, int allowedAttributes);

// The listed subfolders of a folder, in the order the file system gives them, and for
// each whether it has a listed subfolder of its own (every one has, without `probe`).
// Each subfolder is opened through the folder; with `sideBySide` many are probed at once.
// A cancel stops the probes, the remaining subfolders counting as having some.
struct SubfolderListing {
    QStringList names;
    QList<bool> expandable;
};
SubfolderListing listSubfolders(const QString &folderPath, int allowedAttributes, bool probe, bool sideBySide,
                                const std::atomic<bool> *cancelled = nullptr);

// The folder itself when it exists, else its nearest existing parent; `none` when not
// even its drive is left.
QString nearestExistingFolder(const QString &path, const QString &none);
