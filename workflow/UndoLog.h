#pragma once
// The log of the changes "Rinomina" and the tag writes made, so that the last ones can be
// taken back exactly: the old name and the old tag bytes. Each change is recorded in two
// phases: its intent (the old bytes saved with their checksum, flushed) before it is made,
// its fingerprint (size, modification time, checksum of both tags) once made; an undo
// refuses a file that changed after its fingerprint, and takes one whose change never
// reached its fingerprint (a crash, a failed read-back) from the state the file is in.
// The index and the tag bytes of each change are state files (see platform/StateFile.h),
// bounded to the last maxChanges changes and maxTagBytes bytes of tags, the oldest
// dropped first. A damaged index is set aside and a new log started, the problem told by
// problem(). Processes that share the log (the window, the tool) take turns through its
// lock; the first to take it removes what crashes left (temporaries, orphaned bytes).

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace platform {
class FileDescriptor;
}

class UndoLog {
public:
    static constexpr int maxChanges = 200;
    static constexpr qint64 maxTagBytes = 64 * 1024 * 1024;

    // One change. Paths are native and absolute.
    struct Change {
        quint64 id = 0;
        QString oldPath;
        QString newPath;
        bool tagsWritten = false; // the tags were (to be) written; else only the name changed
        QByteArray oldId3v2;      // the whole tag as it was; empty for none
        QByteArray oldId3v1;      // the 128-byte record; empty for none
        // How far the change got: recorded before it was made, made (its fingerprint could
        // not be read), fingerprinted.
        enum class Phase : qint32 { Intent, Made, Completed };
        Phase phase = Phase::Intent;
        QByteArray process;       // the process that records it (see platform/ProcessIdentity.h)
        QByteArray bytesChecksum; // of the old tag bytes saved
        // The new state once Completed.
        qint64 size = -1;
        qint64 modified = 0;
        QByteArray checksum; // of the ID3v2 tag, then of the ID3v1 record
        // An undo of it began and may have been cut short: the file may have either name
        // and each tag old or new.
        bool undoing = false;
    };
    struct UndoResult {
        bool done = false;
        QString message; // in Italian, for the user: what was restored or why not
        QString restoredPath; // the file's native path after a done undo
        QString undonePath;   // and before it
        bool entryRefused = false; // the last change is there but was refused (see skipLast)
    };

    UndoLog();

    // The changes recorded, oldest first; the tag bytes are not loaded (see undo).
    QList<Change> changes();
    // Set when the log could not be read (a damaged log, set aside) or written.
    QString problem() const { return m_problem; }
    // The problem, told once.
    QString takeProblem() { return std::exchange(m_problem, QString()); }

    // Records `change` durably before it is made; false (problem() says why) when it
    // could not be written.
    bool recordBefore(Change change);
    // The change recordBefore recorded was made (or made in part) and the file is now at
    // `newPath`: its fingerprint is taken.
    void recordAfter(const QString &newPath);
    // The change recordBefore recorded was not made.
    void dropPending();

    // Takes back the last change; refused, with nothing changed, when the file changed
    // since, its old name is taken, the saved bytes are damaged or the folder refuses. The
    // undo is marked in the log before it begins, so that one cut short (a crash) is
    // completed by the next; the log's save at its end is its commit point: when that
    // fails the undo is told as failed, and the next one finds the file restored.
    UndoResult undoLast();
    // Drops the last change from the log without touching its file, so that the older ones
    // can be taken back; refused (done false) when there is none.
    UndoResult skipLast();

private:
    bool load();
    bool save();
    void bound();
    void dropBytes(const Change &change);
    // Takes the lock into `lock`, reads the log again and finds the change recordBefore
    // recorded (end() when none).
    QList<Change>::iterator lockPending(platform::FileDescriptor &lock);
    // Where the file of the last change is now, or empty when it changed since.
    QString locate(const Change &change) const;
    // The saved old tags of `change`, checked against their checksum; else why not.
    QString loadBytes(Change &change) const;
    // Why the change cannot be taken back as recorded (paths not of one folder), or empty.
    static QString forgedPaths(const Change &change);
    // Takes the lock into `lock` and reads the log; the first time, removes what crashes
    // left. False when the log could not be read (it is not to be written over then).
    bool lockAndLoad(platform::FileDescriptor &lock);
    static QString bytesName(quint64 id);

    QList<Change> m_changes;
    quint64 m_nextId = 1;
    quint64 m_pendingId = 0; // the change recordBefore recorded
    QString m_problem;
    bool m_cleaned = false;    // the leftovers were removed
    bool m_unreadable = false; // the last load could not read the log
};
