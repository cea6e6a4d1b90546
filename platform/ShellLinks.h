#pragma once
// Shortcuts are freedesktop desktop-entry link files ("<name>.desktop"): a link to a
// file or folder ("Type=Link") or to a program ("Type=Application").

#include <QString>
#include <optional>

namespace platform {

inline const QString shellLinkExtension = QStringLiteral(".desktop");

struct ShellLink {
    QString target;           // drive path of the file, folder or program
    QString workingDirectory; // drive path, may be empty
    QString description;      // the shortcut's display name
    // A link to a program ("Type=Application"): its keys, string escapes undone.
    QString exec{};           // the command line
    QString tryExec{};        // a program that must be there for the link to be used
    QString icon{};
    bool terminal = false;    // the program runs in a terminal window
};

// Writes the link file (a drive or native path); false when it cannot be written.
bool saveShellLink(const QString &linkFile, const ShellLink &link);
// Reads a link file; nothing when it is missing or names no target. The target of a
// program link is its program found through PATH (empty when it is not there).
std::optional<ShellLink> loadShellLink(const QString &linkFile);
// The link's icon: a theme icon name or a picture file; empty when it names none.
QString shellLinkIcon(const QString &linkFile);
// Marks a link file as trusted, so that the desktop starts it without asking (GIO's
// "metadata::trusted"); false when the desktop keeps no such mark.
bool trustShellLink(const QString &linkFile);

} // namespace platform
