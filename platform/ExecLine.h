#pragma once
// The command line of a desktop entry ("Exec="), taken apart by the freedesktop
// rules: words split at blanks, double quotes with \" \` \$ \\ escapes (single
// quotes and a backslash outside quotes are taken as a shell takes them), field
// codes expanded into whole arguments. Nothing is ever given to a shell, and a
// file name is always exactly one argument, byte for byte.

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

struct ExecFields {
    QStringList files;  // native absolute paths: %f and %u take the first, %F and %U all
    QString icon;       // %i: "--icon" and this, when not empty
    QString name;       // %c
    QString entryFile;  // %k: the desktop entry's own native path
};

// The argument vector of the line, the program (as written) first; nothing when the
// line is invalid: empty, an unknown field code, a field code inside quotes, more than
// one file field code, %F %U or %i inside a word, an unclosed quote, or a program word
// that a field code makes or that holds "=". A line without a file field code gets the
// first file as its last argument, as a program link of the send-to folder does.
std::optional<QStringList> expandExecLine(const QString &exec, const ExecFields &fields);

// The executable file a program word names: an absolute path as it is, a bare name
// looked up in the absolute folders of PATH (never in the current folder); empty when
// there is none, and for a relative path with a folder.
QString findProgram(const QString &program);

} // namespace platform
