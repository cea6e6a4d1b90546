#pragma once
// Icon and type name of listed entries, judged as the shell does by the name's
// extension alone (contents are never read). The answer for one extension is kept
// for every later name that has it, so a listing asks the type database once per
// extension, and rows share one type-name text.

#include "explorer/shared/ShellFileInfo.h"

ShellFileEntry cachedShellFileEntry(const QString &name, bool isFolder);

// The part of a name that decides its type: the extension (with the one before it
// when that is short, as in ".tar.gz"), or the whole name when it has none.
QString fileTypeKey(const QString &name);
