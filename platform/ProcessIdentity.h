#pragma once
// A process told apart from a later one that reuses its number: its number and its start
// time, so that a record left by a process that died is known as such.

#include <QByteArray>

namespace platform {

// "PID:START" of this process.
QByteArray currentProcessIdentity();
// Whether the process `identity` names still runs (false for this process's own).
bool isOtherProcessRunning(const QByteArray &identity);

} // namespace platform
