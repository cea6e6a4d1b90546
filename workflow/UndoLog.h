#pragma once
// The log of the changes "Rinomina" and the tag writes made, so that the last ones can be
// taken back exactly: the old name and the old tag bytes. Each change is recorded before
// it is made and fingerprinted (size, modification time, checksum of both tags) once
// made; an undo refuses a file that changed since. The index and the tag bytes of each
// change are state files (see platform/StateFile.h), bounded to the last maxChanges
// changes and maxTagBytes bytes of tags, the oldest dropped first. A damaged index is set
// aside and a new log started, the problem told by problem(). Processes that share the log
// (the window, the tool) take turns through its lock.

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
        // The new state; size -1 while the change is under way (or was cut short).
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
    // since, its old name is taken or the folder refuses. The undo is marked in the log
    // before it begins, so that one cut short (a crash) is completed by the next.
    UndoResult undoLast();

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
    bool loadBytes(Change &change) const;
    static QString bytesName(quint64 id);

    QList<Change> m_changes;
    quint64 m_nextId = 1;
    quint64 m_pendingId = 0; // the change recordBefore recorded
    QString m_problem;
};
