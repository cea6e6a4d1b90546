#pragma once
// The shell file operation of the explorer controls: copy, move, delete (to the
// trash) and rename with the shell's confirmations, prompts and progress display.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace platform {
class FileOperationProgress;
}

// Operation codes.
inline constexpr int FO_MOVE = 1;
inline constexpr int FO_COPY = 2;
inline constexpr int FO_DELETE = 3;
inline constexpr int FO_RENAME = 4;

// Sources and targets are NUL-separated lists of drive paths (a single name needs no
// NUL). The owner is not used: the active window owns the dialogs. `aborted` is set
// when the user stopped the operation (Cancel), so that a caller running one operation
// per file stops there too. True when the operation succeeded and no part of it was
// aborted.
bool ShellFileOp(QWidget *owner, int operation, const QString &sources, const QString &targets, bool &aborted);

// One ShellFileOp per source, to the target `targetOf` gives it, as the file list
// pastes. When the user stops one (Cancel), the rest are left alone and a message in
// the language (a TLanguage) tells how many. `beforeEach` runs before every one.
void ShellFileOpEach(QWidget *owner, int operation, const QStringList &sources,
                     const std::function<QString(const QString &source)> &targetOf, int language,
                     const std::function<void()> &beforeEach = {});

// How long operations show their progress: a progress dialog, unless another display
// is installed (the previous one is returned).
using FileOperationProgressFactory = std::function<std::unique_ptr<platform::FileOperationProgress>()>;
FileOperationProgressFactory setFileOperationProgressFactory(FileOperationProgressFactory factory);
