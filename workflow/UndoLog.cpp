#include "workflow/UndoLog.h"

#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"
#include "platform/ProcessIdentity.h"
#include "platform/StateFile.h"
#include "tags/TagSession.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <QSet>

#include <algorithm>
#include <cerrno>

namespace {
const QByteArray magic = QByteArrayLiteral("KESTRAVA UNDO 2\n");
const QString indexName = QStringLiteral("undo.log");
const QString bytesFolder = QStringLiteral("undo");
constexpr qsizetype digestSize = 32;
// Far above what maxChanges records of the longest paths take.
constexpr qint64 maxIndexBytes = 16 * 1024 * 1024;

QByteArray digest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QByteArray tagsChecksum(QByteArrayView id3v2, QByteArrayView id3v1)
{
    return digest(id3v2) + digest(id3v1);
}

// The state of a file that an undo compares with the one recorded: none when it cannot
// be read.
struct Fingerprint {
    bool read = false;
    qint64 size = 0;
    qint64 modified = 0;
    QByteArray checksum;
    qint64 id3v2Size = 0;
    bool hasId3v1 = false;
};

Fingerprint fingerprintOf(const QString &nativePath)
{
    const platform::FolderHandle folder(platform::nativeFolderOf(nativePath));
    if (!folder.valid())
        return {};
    const TagSession session(folder.descriptor(), platform::encodeNativeName(platform::nativeNameOf(nativePath)),
                             nativePath);
    if (!session.loaded())
        return {};
    return Fingerprint{true, session.fileSize(), session.modifiedTime(),
                       tagsChecksum(session.oldId3v2(), session.oldId3v1()), session.oldId3v2().size(),
                       !session.oldId3v1().isEmpty()};
}

QString shown(const QString &nativePath)
{
    return platform::nativeNameOf(nativePath);
}

QString stateFileError(const platform::StateFile &file, int error)
{
    if (error == EFBIG)
        return QStringLiteral("\"%1\" è troppo grande").arg(file.path());
    if (error == EINVAL || error == ELOOP)
        return QStringLiteral("\"%1\" non è un file normale").arg(file.path());
    return QStringLiteral("\"%1\": %2").arg(file.path(), platform::systemErrorText(error));
}
} // namespace

UndoLog::UndoLog() = default;

QString UndoLog::bytesName(quint64 id)
{
    return QStringLiteral("%1/%2.tags").arg(bytesFolder).arg(id);
}

QList<UndoLog::Change> UndoLog::changes()
{
    load();
    return m_changes;
}

bool UndoLog::load()
{
    m_changes.clear();
    m_unreadable = false;
    const platform::StateFile index(indexName);
    const std::optional<QByteArray> contents = index.read(maxIndexBytes);
    if (!contents && errno != EFBIG && errno != EINVAL && errno != ELOOP) {
        m_unreadable = true;
        m_problem = QStringLiteral("Impossibile leggere il registro delle modifiche %1.").arg(stateFileError(index, errno));
        return false;
    }
    // Something that is no log (too large, a link, a FIFO) is set aside as a damaged one.
    if (contents && contents->isEmpty())
        return true;
    const QByteArray whole = contents.value_or(QByteArray());
    const QByteArray body = whole.chopped(qMin(digestSize, whole.size()));
    bool sound = whole.size() > magic.size() + digestSize && body.startsWith(magic) &&
                 whole.right(digestSize) == digest(body);
    if (sound) {
        QDataStream in(body.sliced(magic.size()));
        in.setVersion(QDataStream::Qt_6_4);
        quint32 count = 0;
        in >> m_nextId >> count;
        for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
            Change change;
            qint64 id3v2Size = 0, id3v1Size = 0;
            qint32 phase = 0;
            in >> change.id >> change.oldPath >> change.newPath >> change.tagsWritten >> id3v2Size >> id3v1Size >>
                phase >> change.process >> change.bytesChecksum >> change.size >> change.modified >> change.checksum >>
                change.undoing;
            change.phase = Change::Phase(std::clamp<qint32>(phase, 0, qint32(Change::Phase::Completed)));
            // The sizes alone stand for the bytes until an undo needs them.
            change.oldId3v2.resize(qsizetype(std::clamp<qint64>(id3v2Size, 0, maxTagBytes)));
            change.oldId3v1.resize(qsizetype(std::clamp<qint64>(id3v1Size, 0, 128)));
            m_changes.append(change);
        }
        sound = in.status() == QDataStream::Ok && in.atEnd() && m_changes.size() == qsizetype(count);
    }
    if (sound)
        return true;
    m_changes.clear();
    const QString aside = index.setAside();
    m_problem = QStringLiteral("Il registro delle modifiche era danneggiato ed è stato messo da parte come \"%1\": "
                               "le modifiche fatte prima non si possono annullare.")
                    .arg(aside.isEmpty() ? index.path() : aside);
    return false;
}

bool UndoLog::save()
{
    QByteArray body = magic;
    QDataStream out(&body, QIODevice::Append);
    out.setVersion(QDataStream::Qt_6_4);
    out << m_nextId << quint32(m_changes.size());
    for (const Change &change : std::as_const(m_changes))
        out << change.id << change.oldPath << change.newPath << change.tagsWritten << qint64(change.oldId3v2.size())
            << qint64(change.oldId3v1.size()) << qint32(change.phase) << change.process << change.bytesChecksum
            << change.size << change.modified << change.checksum << change.undoing;
    body += digest(body);
    const platform::StateFile index(indexName);
    if (index.write(body))
        return true;
    m_problem = QStringLiteral("Impossibile scrivere il registro delle modifiche \"%1\": %2")
                    .arg(index.path(), platform::systemErrorText(errno));
    return false;
}

void UndoLog::bound()
{
    qint64 bytes = 0;
    for (const Change &change : std::as_const(m_changes))
        bytes += change.oldId3v2.size() + change.oldId3v1.size();
    while (m_changes.size() > 1 && (m_changes.size() > maxChanges || bytes > maxTagBytes)) {
        const Change oldest = m_changes.takeFirst();
        bytes -= oldest.oldId3v2.size() + oldest.oldId3v1.size();
        dropBytes(oldest);
    }
}

void UndoLog::dropBytes(const Change &change)
{
    if (change.tagsWritten)
        platform::StateFile(bytesName(change.id)).remove();
}

QString UndoLog::loadBytes(Change &change) const
{
    if (!change.tagsWritten)
        return {};
    const platform::StateFile file(bytesName(change.id));
    const std::optional<QByteArray> bytes = file.read(maxTagBytes + 128);
    if (!bytes)
        return QStringLiteral("i tag precedenti non si possono leggere dal registro delle modifiche: %1.")
            .arg(stateFileError(file, errno));
    if (bytes->size() != change.oldId3v2.size() + change.oldId3v1.size() || digest(*bytes) != change.bytesChecksum)
        return QStringLiteral("i tag precedenti salvati in \"%1\" sono danneggiati.").arg(file.path());
    change.oldId3v1 = bytes->right(change.oldId3v1.size());
    change.oldId3v2 = bytes->left(change.oldId3v2.size());
    return {};
}

QString UndoLog::forgedPaths(const Change &change)
{
    const auto sound = [](const QString &path) {
        if (!path.startsWith(QLatin1Char('/')))
            return false;
        const QStringList parts = path.sliced(1).split(QLatin1Char('/'));
        return std::none_of(parts.begin(), parts.end(), [](const QString &part) {
            return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
        });
    };
    if (sound(change.oldPath) && sound(change.newPath) &&
        platform::nativeFolderOf(change.oldPath) == platform::nativeFolderOf(change.newPath))
        return {};
    return QStringLiteral("il registro delle modifiche non dà due nomi della stessa cartella (\"%1\", \"%2\").")
        .arg(change.oldPath, change.newPath);
}

bool UndoLog::lockAndLoad(platform::FileDescriptor &lock)
{
    const platform::StateFile index(indexName);
    const bool locked = index.lock(lock);
    if (!load() || !locked || std::exchange(m_cleaned, true))
        return !m_unreadable;
    // Holding the lock, no write is under way: every temporary is a crash's, and every
    // byte file no change names an orphan.
    index.removeStaleTemporaries();
    QSet<QString> kept;
    for (const Change &change : std::as_const(m_changes))
        kept.insert(bytesName(change.id).sliced(bytesFolder.size() + 1));
    for (const QString &name : platform::StateFile::names(bytesFolder)) {
        if (!kept.contains(name))
            platform::StateFile(bytesFolder + QLatin1Char('/') + name).remove();
    }
    return true;
}

bool UndoLog::recordBefore(Change change)
{
    m_pendingId = 0;
    if (change.oldPath == change.newPath && !change.tagsWritten)
        return true; // nothing that an undo would take back
    platform::FileDescriptor lock;
    if (!lockAndLoad(lock)) {
        m_problem += QStringLiteral(" La modifica non si potrà annullare.");
        return false;
    }
    change.id = m_nextId++;
    change.phase = Change::Phase::Intent;
    change.process = platform::currentProcessIdentity();
    change.size = -1;
    const QByteArray bytes = change.oldId3v2 + change.oldId3v1;
    change.bytesChecksum = digest(bytes);
    if (change.tagsWritten && !platform::StateFile(bytesName(change.id)).write(bytes)) {
        m_problem = QStringLiteral("Impossibile salvare i tag precedenti: %1. La modifica non si potrà annullare.")
                        .arg(platform::systemErrorText(errno));
        return false;
    }
    m_changes.append(change);
    bound();
    if (save()) {
        m_pendingId = change.id;
        return true;
    }
    m_problem += QStringLiteral(" La modifica non si potrà annullare.");
    return false;
}

QList<UndoLog::Change>::iterator UndoLog::lockPending(platform::FileDescriptor &lock)
{
    const quint64 pendingId = std::exchange(m_pendingId, 0);
    if (pendingId == 0)
        return m_changes.end(); // not recorded: the problem was told
    // Read again: another process may have recorded a change meanwhile.
    lockAndLoad(lock);
    return std::find_if(m_changes.begin(), m_changes.end(),
                        [pendingId](const Change &change) { return change.id == pendingId; });
}

void UndoLog::recordAfter(const QString &newPath)
{
    platform::FileDescriptor lock;
    const auto pending = lockPending(lock);
    if (pending == m_changes.end())
        return;
    Change &last = *pending;
    last.newPath = newPath;
    last.phase = Change::Phase::Made;
    const Fingerprint now = fingerprintOf(last.newPath);
    if (now.read) {
        last.phase = Change::Phase::Completed;
        last.size = now.size;
        last.modified = now.modified;
        last.checksum = now.checksum;
    } else {
        m_problem = QStringLiteral("Il file \"%1\" è stato cambiato ma non si è potuto rileggere: un annullamento "
                                   "partirà da com'è il file allora.")
                        .arg(shown(newPath));
    }
    save();
}

void UndoLog::dropPending()
{
    platform::FileDescriptor lock;
    const auto pending = lockPending(lock);
    if (pending == m_changes.end())
        return;
    const Change dropped = *pending;
    m_changes.erase(pending);
    if (save())
        dropBytes(dropped);
}

QString UndoLog::locate(const Change &change) const
{
    if (change.phase != Change::Phase::Completed) {
        // Never fingerprinted: the file is under the name it has, with whatever tags.
        for (const QString &path : {change.oldPath, change.newPath}) {
            if (fingerprintOf(path).read)
                return path;
        }
        return QString();
    }
    const Fingerprint atNew = fingerprintOf(change.newPath);
    if (!change.undoing)
        return atNew.read && atNew.size == change.size && atNew.modified == change.modified &&
                       atNew.checksum == change.checksum
                   ? change.newPath
                   : QString();
    // An undo cut short: the file under either name, each tag as the change left it or
    // as it was before.
    const QByteArray oldTags = tagsChecksum(change.oldId3v2, change.oldId3v1);
    const auto isPart = [&](const Fingerprint &now, qsizetype at) {
        const QByteArray part = now.checksum.sliced(at, digestSize);
        return part == change.checksum.sliced(at, digestSize) || (change.tagsWritten && part == oldTags.sliced(at, digestSize));
    };
    for (const QString &path : {change.newPath, change.oldPath}) {
        const Fingerprint now = path == change.newPath ? atNew : fingerprintOf(path);
        if (now.read && change.checksum.size() == 2 * digestSize && isPart(now, 0) && isPart(now, digestSize))
            return path;
    }
    return QString();
}

UndoLog::UndoResult UndoLog::undoLast()
{
    platform::FileDescriptor lock;
    lockAndLoad(lock);
    if (m_changes.isEmpty())
        return {false, m_problem.isEmpty() ? QStringLiteral("Non c'è nessuna modifica da annullare.") : m_problem, {}, {}};
    Change change = m_changes.last();
    const auto refuse = [&](const QString &why) {
        return UndoResult{false, QStringLiteral("Impossibile annullare la modifica del file \"%1\": %2")
                                     .arg(shown(change.newPath), why),
                          {}, {}, true};
    };
    if (const QString forged = forgedPaths(change); !forged.isEmpty())
        return refuse(forged);
    if (change.phase == Change::Phase::Intent && !change.undoing && platform::isOtherProcessRunning(change.process))
        return refuse(QStringLiteral("la modifica è ancora in corso in un altro processo di questo programma; "
                                     "riprovare tra poco."));
    if (const QString unreadable = loadBytes(change); !unreadable.isEmpty())
        return refuse(unreadable);
    const QString at = locate(change);
    if (at.isEmpty()) {
        return refuse(fingerprintOf(change.newPath).read
                          ? QStringLiteral("il file è stato cambiato da allora (da un altro programma?).")
                          : QStringLiteral("il file non c'è più."));
    }
    if (!platform::isNativeRegularFileNotLink(at))
        return refuse(QStringLiteral("\"%1\" non è un file normale.").arg(at));
    const bool renamed = change.oldPath != change.newPath;
    const bool renameNow = at != change.oldPath;
    if (renameNow && platform::pathLookupError(change.oldPath) == 0)
        return refuse(QStringLiteral("il nome \"%1\" è già usato da un altro file.").arg(shown(change.oldPath)));
    // A change recorded but never made: its file still has its old name, and what is in
    // it now is not this change's.
    const bool neverMade = change.phase == Change::Phase::Intent && !change.undoing && renamed && !renameNow;
    const Fingerprint now = fingerprintOf(at);
    const bool writeTags = change.tagsWritten && !neverMade && now.checksum != tagsChecksum(change.oldId3v2, change.oldId3v1);
    // Everything is checked before anything is written: a rename and a tag rewrite need
    // the folder.
    const bool rewrite = writeTags && (now.id3v2Size != change.oldId3v2.size() ||
                                       (now.hasId3v1 && change.oldId3v1.isEmpty()));
    if ((renameNow || rewrite) && !platform::isNativeFolderWritable(platform::nativeFolderOf(at)))
        return refuse(QStringLiteral("la cartella non si può scrivere: %1").arg(platform::systemErrorText(errno)));
    // Marked before anything changes: a crash from here on leaves a state the next undo completes.
    if (!change.undoing) {
        m_changes.last().undoing = true;
        if (!save())
            return refuse(m_problem);
    }
    if (renameNow) {
        switch (platform::renameNoReplace(change.newPath, change.oldPath)) {
        case platform::RenameResult::Done:
            break;
        case platform::RenameResult::TargetExists:
            return refuse(QStringLiteral("il nome \"%1\" è già usato da un altro file.").arg(shown(change.oldPath)));
        default:
            return refuse(QStringLiteral("la cartella non accetta il nome \"%1\": %2")
                              .arg(shown(change.oldPath), platform::systemErrorText(errno)));
        }
    }
    if (writeTags) {
        const platform::FolderHandle folder(platform::nativeFolderOf(change.oldPath));
        TagSession session(folder.descriptor(), platform::encodeNativeName(platform::nativeNameOf(change.oldPath)),
                           change.oldPath);
        if (!session.loaded() || !session.restoreTags(change.oldId3v2, change.oldId3v1)) {
            const int error = session.loaded() ? errno : session.error();
            if (renameNow)
                platform::renameNoReplace(change.oldPath, change.newPath);
            return refuse(QStringLiteral("i tag precedenti non si possono scrivere: %1")
                              .arg(platform::systemErrorText(error)));
        }
    }
    m_changes.removeLast();
    // The file is back in the state the change before it left, but for its time: that
    // change stays one to take back.
    for (qsizetype i = m_changes.size() - 1; i >= 0; --i) {
        Change &earlier = m_changes[i];
        if (earlier.newPath != change.oldPath)
            continue;
        const Fingerprint restored = fingerprintOf(change.oldPath);
        if (restored.read && restored.size == earlier.size && restored.checksum == earlier.checksum)
            earlier.modified = restored.modified;
        break;
    }
    // The log's save is the undo's commit point: until it is saved the change stays
    // marked, and the next undo finds its file restored and writes nothing.
    if (!save())
        return UndoResult{false,
                          QStringLiteral("Il file \"%1\" è di nuovo \"%2\", ma %3 La prossima richiesta di annullare "
                                         "lo completerà.")
                              .arg(shown(change.newPath), shown(change.oldPath), m_problem),
                          change.oldPath, change.newPath};
    dropBytes(change);
    if (change.undoing && !renameNow && !writeTags)
        return UndoResult{true,
                          QStringLiteral("La modifica del file \"%1\" era già stata annullata.").arg(shown(change.oldPath)),
                          change.oldPath, at};
    if (neverMade || (!renameNow && !writeTags))
        return UndoResult{true,
                          QStringLiteral("La modifica del file \"%1\" non era stata fatta: non c'era niente da "
                                         "annullare.")
                              .arg(shown(change.oldPath)),
                          change.oldPath, at};
    // the participle agrees with what was restored: one name, or tags
    const QString what = renamed && change.tagsWritten ? QStringLiteral("Ripristinati il nome e i tag precedenti")
                         : renamed                     ? QStringLiteral("Ripristinato il nome precedente")
                                                       : QStringLiteral("Ripristinati i tag precedenti");
    return UndoResult{true,
                      QStringLiteral("%1: \"%2\" è di nuovo \"%3\".").arg(what, shown(change.newPath), shown(change.oldPath)),
                      change.oldPath, change.newPath};
}

UndoLog::UndoResult UndoLog::skipLast()
{
    platform::FileDescriptor lock;
    lockAndLoad(lock);
    if (m_changes.isEmpty())
        return {false, m_problem.isEmpty() ? QStringLiteral("Non c'è nessuna modifica da annullare.") : m_problem, {}, {}};
    const Change skipped = m_changes.takeLast();
    if (!save())
        return {false, m_problem, {}, {}};
    dropBytes(skipped);
    return {true,
            QStringLiteral("La modifica del file \"%1\" è stata tolta dal registro senza annullarla.")
                .arg(shown(skipped.newPath)),
            {}, {}};
}
