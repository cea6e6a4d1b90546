#pragma once
// Threads for calls that may hang on a dead server for as long as the kernel lets
// them: a pool of their own that is never waited for, so that neither other work nor
// the end of the program waits behind them.

class QString;
class QThreadPool;

namespace platform {

QThreadPool *networkThreadPool();

// True for a drive path on a network drive.
bool isOnNetworkDrive(const QString &drivePath);
// The pool that reads a folder: networkThreadPool() for one on a network drive,
// `localPool` otherwise.
QThreadPool *folderReadingPool(const QString &drivePath, QThreadPool *localPool);

} // namespace platform
