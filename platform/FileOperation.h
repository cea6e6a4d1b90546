#pragma once
// Copy, move, delete and rename of files and folder trees as the shell does them:
// a prompt before anything is replaced, a confirmation before delete (which moves
// to the freedesktop trash), progress for long work and Cancel reported as aborted.
// A copy never leaves a partial file under a target's name (FileCopy.h); a move
// across file systems copies, flushes the copies to disk, and only then removes the
// sources. The window's thread is never held by a long copy: progress is told at
// least every copyProgressIntervalMs (FileCopy.h) while the bytes move on a worker
// thread, and while a large tree is counted.
// Every question and error goes through showMessage.

#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

enum class FileOperationKind { Move = 1, Copy = 2, Delete = 3, Rename = 4 };

// The user's view of a long operation.
class FileOperationProgress {
public:
    virtual ~FileOperationProgress() = default;
    // `total` is in bytes for copy and move, in items for delete and rename.
    virtual void start(FileOperationKind kind, qint64 total) = 0;
    // A copy or move starts with a total of 0 and gives it once its sources are counted
    // (advance is called meanwhile).
    virtual void setTotal(qint64 total) { static_cast<void>(total); }
    // Returns false when the user cancels. Called after every item, every chunk of a
    // long copy and, while a copy lasts, at least every copyProgressIntervalMs.
    virtual bool advance(const QString &currentName, qint64 done) = 0;
    virtual void finish() = 0;
};

// The words of the operation's questions, captions and errors, looked up by name (the
// names of the explorer's language tables: "replaceFile", "cannotCopy", "copyName",
// "errNoSpace" ...). Placeholders are %1, %2 ... as in those tables.
using FileOperationTexts = std::function<QString(const char *name)>;

struct FileOperationResult {
    bool succeeded = false; // every part was done without an error
    bool aborted = false;   // the user cancelled, or declined a part of it
    bool cancelled = false; // the user stopped the whole operation (Cancel)
};

// Sources and targets are drive paths or native absolute paths.
// Copy and move: with as many targets as sources (more than one), each source goes
// to its own target; otherwise the one target is a folder to put the sources in
// when it ends in "\", is an existing folder of another name, or there are several
// sources (it is then created), and the source's new name otherwise. A file copied
// onto itself gets a new name ("a - Copy.mp3", in the words of "copyName").
// Rename: the first source takes the first target's name; an existing target is an
// error. Delete: the sources go to the trash; targets are not used.
FileOperationResult performFileOperation(FileOperationKind kind, const QStringList &sources,
                                         const QStringList &targets, FileOperationProgress *progress,
                                         const FileOperationTexts &texts);

} // namespace platform
