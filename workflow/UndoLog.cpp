#include "workflow/UndoLog.h"

#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"
#include "platform/StateFile.h"
#include "tags/TagSession.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cerrno>

namespace {
const QByteArray magic = QByteArrayLiteral("KESTRAVA UNDO 1\n");
const QString indexName = QStringLiteral("undo.log");
constexpr qsizetype digestSize = 32;

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
                       tagsChecksum(session.oldId3v2(), session.oldId3v1())};
}

QString shown(const QString &nativePath)
{
    return platform::nativeNameOf(nativePath);
}
} // namespace

UndoLog::UndoLog() = default;

QString UndoLog::bytesName(quint64 id)
{
    return QStringLiteral("undo/%1.tags").arg(id);
}

QList<UndoLog::Change> UndoLog::changes()
{
    load();
    return m_changes;
}

bool UndoLog::load()
{
    m_changes.clear();
    const platform::StateFile index(indexName);
    const std::optional<QByteArray> contents = index.read();
    if (!contents) {
        m_problem = QStringLiteral("Impossibile leggere il registro delle modifiche \"%1\": %2")
                        .arg(index.path(), platform::systemErrorText(errno));
        return false;
    }
    if (contents->isEmpty())
        return true;
    const QByteArray body = contents->chopped(qMin(digestSize, contents->size()));
    bool sound = contents->size() > magic.size() + digestSize && body.startsWith(magic) &&
                 contents->right(digestSize) == digest(body);
    if (sound) {
        QDataStream in(body.sliced(magic.size()));
        in.setVersion(QDataStream::Qt_6_4);
        quint32 count = 0;
        in >> m_nextId >> count;
        for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
            Change change;
            qint64 id3v2Size = 0, id3v1Size = 0;
            in >> change.id >> change.oldPath >> change.newPath >> change.tagsWritten >> id3v2Size >> id3v1Size >>
                change.size >> change.modified >> change.checksum >> change.undoing;
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
            << qint64(change.oldId3v1.size()) << change.size << change.modified << change.checksum << change.undoing;
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

bool UndoLog::loadBytes(Change &change) const
{
    if (!change.tagsWritten)
        return true;
    const std::optional<QByteArray> bytes = platform::StateFile(bytesName(change.id)).read();
    if (!bytes || bytes->size() != change.oldId3v2.size() + change.oldId3v1.size())
        return false;
    change.oldId3v1 = bytes->right(change.oldId3v1.size());
    change.oldId3v2 = bytes->left(change.oldId3v2.size());
    return true;
}

bool UndoLog::recordBefore(Change change)
{
    platform::FileDescriptor lock;
    platform::StateFile(indexName).lock(lock);
    m_pendingId = 0;
    load();
    change.id = m_nextId++;
    change.size = -1;
    if (change.tagsWritten && !platform::StateFile(bytesName(change.id)).write(change.oldId3v2 + change.oldId3v1)) {
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
    if (m_pendingId == 0)
        return m_changes.end(); // not recorded: the problem was told
    // Read again: another process may have recorded a change meanwhile.
    platform::StateFile(indexName).lock(lock);
    load();
    return std::find_if(m_changes.begin(), m_changes.end(),
                        [this](const Change &change) { return change.id == m_pendingId; });
}

void UndoLog::recordAfter(const QString &newPath)
{
    platform::FileDescriptor lock;
    const auto pending = lockPending(lock);
    if (pending == m_changes.end())
        return;
    Change &last = *pending;
    last.newPath = newPath;
    const Fingerprint now = fingerprintOf(last.newPath);
    if (!now.read)
        return;
    last.size = now.size;
    last.modified = now.modified;
    last.checksum = now.checksum;
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
    const Fingerprint atNew = fingerprintOf(change.newPath);
    if (!change.undoing)
        return change.size >= 0 && atNew.read && atNew.size == change.size && atNew.modified == change.modified &&
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
    platform::StateFile(indexName).lock(lock);
    load();
    if (m_changes.isEmpty())
        return {false, m_problem.isEmpty() ? QStringLiteral("Non c'è nessuna modifica da annullare.") : m_problem, {}, {}};
    Change change = m_changes.last();
    const auto refuse = [&](const QString &why) {
        return UndoResult{false, QStringLiteral("Impossibile annullare la modifica del file \"%1\": %2")
                                     .arg(shown(change.newPath), why),
                          {}, {}};
    };
    if (!loadBytes(change))
        return refuse(QStringLiteral("i tag precedenti non si possono più leggere dal registro delle modifiche."));
    const QString at = locate(change);
    if (at.isEmpty()) {
        return refuse(fingerprintOf(change.newPath).read
                          ? QStringLiteral("il file è stato cambiato da allora (da un altro programma?).")
                          : QStringLiteral("il file non c'è più."));
    }
    const bool renamed = change.oldPath != change.newPath;
    const bool renameNow = renamed && at == change.newPath;
    if (renameNow && platform::pathLookupError(change.oldPath) == 0)
        return refuse(QStringLiteral("il nome \"%1\" è già usato da un altro file.").arg(shown(change.oldPath)));
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
    if (change.tagsWritten) {
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
    if (save())
        dropBytes(change);
    // the participle agrees with what was restored: one name, or tags
    const QString what = renamed && change.tagsWritten ? QStringLiteral("Ripristinati il nome e i tag precedenti")
                         : renamed                     ? QStringLiteral("Ripristinato il nome precedente")
                                                       : QStringLiteral("Ripristinati i tag precedenti");
    return UndoResult{true,
                      QStringLiteral("%1: \"%2\" è di nuovo \"%3\".").arg(what, shown(change.newPath), shown(change.oldPath)),
                      change.oldPath, change.newPath};
}
