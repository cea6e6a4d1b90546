#pragma once
// Starting a program that outlives us, with its program path, arguments and folder
// passed as the exact bytes of their native names (QProcess would encode a name that
// is not UTF-8 into other bytes). The program is not looked up anywhere: it is a path.

#include <QString>
#include <QStringList>

namespace platform {

// True once the program runs (its exec succeeded); false with errno set otherwise.
// An empty folder keeps the process's current folder.
bool startDetachedProcess(const QString &program, const QStringList &arguments, const QString &folder);

} // namespace platform
