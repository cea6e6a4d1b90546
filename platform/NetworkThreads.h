#pragma once
// Threads for calls that may hang on a dead server for as long as the kernel lets
// them: a pool of their own that is never waited for, so that neither other work nor
// the end of the program waits behind them.

class QThreadPool;

namespace platform {

QThreadPool *networkThreadPool();

} // namespace platform
