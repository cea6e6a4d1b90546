#include "platform/FileOperation.h"

#include "platform/DrivePaths.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"
#include "platform/InternalFiles.h"
#include "platform/MessageBox.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"
#include "platform/Trash.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QLocale>
#include <QScopeGuard>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const QChar quote = QLatin1Char('"');

QString nativeOf(const QString &path)
{
    const QString native = path.startsWith(QLatin1Char('/')) ? path : toNativePath(path);
    return native.isEmpty() ? native : QDir::cleanPath(native);
}

bool lstatNative(const QString &native, struct stat &info)
{
    return !native.isEmpty() && ::lstat(encodeNativeName(native).constData(), &info) == 0;
}

QString nameOf(const QString &native)
{
    return nativeNameOf(native);
}

QString quoted(const QString &native)
{
    return quote + displayName(nameOf(native)) + quote;
}

bool sameEntry(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when the source is the existing target itself, or a link that leads to it:
// putting either in the target's place would lose the target.
bool leadsTo(const QString &source, const struct stat &sourceInfo, const struct stat &existing)
{
    if (sameEntry(sourceInfo, existing))
        return true;
    struct stat resolved {};
    return S_ISLNK(sourceInfo.st_mode) && ::stat(encodeNativeName(source).constData(), &resolved) == 0
           && sameEntry(resolved, existing);
}

// The names in a folder, "." and ".." left out; false (errno set) when it cannot be read.
bool readFolder(const QString &native, QStringList &names)
{
    DIR *folder = ::opendir(encodeNativeName(native).constData());
    if (!folder)
        return false;
    names.clear();
    while (const dirent *entry = ::readdir(folder)) {
        if (!isDotEntry(entry->d_name))
            names.append(decodeNativeName(entry->d_name));
    }
    ::closedir(folder);
    return true;
}

// "a.mp3" -> "a - Copy.mp3", "a - Copy (2).mp3" ... : the first name not in use.
QString copyNameFor(const QString &native, bool isFolder, const FileOperationTexts &texts)
{
    const QString name = nameOf(native);
    const qsizetype dot = isFolder ? -1 : name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    for (int number = 1;; ++number) {
        const QString suffix = number == 1 ? texts("copyName") : texts("copyNameNumbered").arg(number);
        const QString candidate = nativeFolderOf(native) + QLatin1Char('/') + stem + suffix + extension;
        struct stat unused {};
        if (!lstatNative(candidate, unused))
            return candidate;
    }
}

// True when the target lies in the folder or below it (links resolved).
bool isInside(const QString &folder, const QString &target)
{
    const QString canonicalFolder = canonicalNativePath(folder);
    QString ancestor = nativeFolderOf(absoluteNativePath(target));
    while (!nativeExists(ancestor) && ancestor != QLatin1String("/"))
        ancestor = nativeFolderOf(ancestor);
    const QString canonicalAncestor = canonicalNativePath(ancestor);
    return !canonicalFolder.isEmpty()
           && (canonicalAncestor + QLatin1Char('/')).startsWith(canonicalFolder + QLatin1Char('/'));
}

QString describe(const struct stat &info, const FileOperationTexts &texts)
{
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
    return texts("fileDescription")
        .arg(qint64(info.st_size))
        .arg(QLocale().toString(modified, QLocale::ShortFormat));
}

class Operation {
public:
    Operation(FileOperationKind kind, FileOperationProgress *progress, const FileOperationTexts &texts)
        : m_kind(kind), m_move(kind == FileOperationKind::Move), m_progress(progress), m_texts(texts) {}
    ~Operation()
    {
        for (const int fd : std::as_const(m_flushDescriptors))
            ::close(fd);
    }
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

    FileOperationResult run(const QStringList &sources, const QStringList &targets)
    {
        switch (m_kind) {
        case FileOperationKind::Copy:
        case FileOperationKind::Move:
            transferAll(sources, targets);
            break;
        case FileOperationKind::Delete:
            deleteAll(sources);
            break;
        case FileOperationKind::Rename:
            renameFirst(sources.value(0), targets.value(0));
            break;
        }
        return {!m_failed && !m_aborted, m_aborted, m_stopped};
    }

private:
    enum class Answer { Yes, No, Cancel };

    // "Cannot copy "a.mp3"" or "Cannot move "a.mp3"" followed by the reason.
    QString cannot(const QString &native, const QString &reason) const
    {
        return because(m_texts(m_move ? "cannotMove" : "cannotCopy").arg(quoted(native)), reason);
    }

    QString because(const QString &sentence, const QString &reason) const
    {
        return m_texts("reasonFormat").arg(sentence, reason);
    }

    // The table's words for the common errors, the system's own text for the others.
    QString errorText(int error) const
    {
        const char *name = commonErrorName(error);
        return name ? m_texts(name) : systemErrorText(error);
    }

    void fail(const QString &text)
    {
        static const char *const captions[] = {"", "errorMove", "errorCopy", "errorDelete", "errorRename"};
        m_failed = true;
        showMessage(MessageKind::Error, m_texts(captions[int(m_kind)]), text);
    }

    void cancel()
    {
        m_aborted = true;
        m_stopped = true;
    }

    bool tick(const QString &native)
    {
        if (m_progress && !m_progress->advance(nameOf(native), m_done))
            cancel();
        return !m_stopped;
    }

    Answer askReplace(const QString &target, bool folder, const struct stat &source, const struct stat &existing)
    {
        if (m_replaceAll)
            return Answer::Yes;
        const QString text = folder ? m_texts("replaceFolder").arg(quoted(target))
                                    : m_texts("replaceFile").arg(quoted(target), describe(existing, m_texts),
                                                                 describe(source, m_texts));
        const MessageButtons buttons =
            int(MessageButton::Yes) | int(MessageButton::YesToAll) | int(MessageButton::No) | int(MessageButton::Cancel);
        const MessageButton answer = showMessage(
            MessageKind::Question, m_texts(folder ? "replaceFolderCaption" : "replaceFileCaption"), text, buttons);
        if (answer == MessageButton::YesToAll)
            m_replaceAll = true;
        if (answer == MessageButton::Yes || answer == MessageButton::YesToAll)
            return Answer::Yes;
        return answer == MessageButton::No ? Answer::No : Answer::Cancel;
    }

    QString destinationFor(const QStringList &sources, const QStringList &targets, qsizetype index)
    {
        const QString source = nativeOf(sources.at(index));
        if (targets.size() == sources.size() && sources.size() > 1)
            return nativeOf(targets.at(index));
        const QString &target = targets.value(0);
        const QString native = nativeOf(target);
        const bool container = target.endsWith(QLatin1Char('\\')) || target.endsWith(QLatin1Char('/')) || sources.size() > 1
                               || (isNativeFolder(native) && nameOf(native) != nameOf(source));
        return container ? native + QLatin1Char('/') + nameOf(source) : native;
    }

    void transferAll(const QStringList &sources, const QStringList &targets)
    {
        if (sources.isEmpty() || targets.isEmpty() || nativeOf(targets.value(0)).isEmpty()) {
            fail(m_texts("noDestination"));
            return;
        }
        if (m_progress)
            m_progress->start(m_kind, 0);
        qint64 total = 0;
        for (qsizetype i = 0; i < sources.size() && !m_stopped; ++i)
            total += bytesBelow(nativeOf(sources.at(i)));
        if (m_progress)
            m_progress->setTotal(total);
        for (qsizetype i = 0; i < sources.size() && !m_stopped; ++i) {
            const QString target = destinationFor(sources, targets, i);
            // partial copies a killed copy or move left in that folder go first
            internalfiles::removeStaleIn(encodeNativeName(nativeFolderOf(target)));
            transfer(nativeOf(sources.at(i)), target);
        }
        flushAndRemoveSources();
        if (m_progress)
            m_progress->finish();
    }

    // The bytes of the regular files at and below the path; the window is kept alive
    // while a large tree is counted.
    qint64 bytesBelow(const QString &native)
    {
        struct stat info {};
        if (!lstatNative(native, info))
            return 0;
        if (++m_counted % 256 == 0 && !tick(native))
            return 0;
        if (!S_ISDIR(info.st_mode))
            return S_ISREG(info.st_mode) ? qint64(info.st_size) : 0;
        qint64 total = 0;
        QStringList entries;
        readFolder(native, entries);
        for (qsizetype i = 0; i < entries.size() && !m_stopped; ++i)
            total += bytesBelow(native + QLatin1Char('/') + entries.at(i));
        return total;
    }

    void transfer(const QString &source, QString target)
    {
        struct stat info {}, existing {};
        if (!lstatNative(source, info)) {
            fail(cannot(source, m_texts("reasonNotFound")));
            return;
        }
        const bool folder = S_ISDIR(info.st_mode);
        bool exists = lstatNative(target, existing);
        bool replace = false;
        if (exists && leadsTo(source, info, existing)) {
            if (m_move) {
                fail(cannot(source, m_texts("reasonSameFile")));
                return;
            }
            target = copyNameFor(target, folder, m_texts);
            exists = false;
        } else if (exists && folder != S_ISDIR(existing.st_mode)) {
            fail(cannot(source, m_texts("reasonOtherKind")));
            return;
        } else if (exists) {
            const Answer answer = askReplace(target, folder, info, existing);
            if (answer == Answer::Cancel)
                cancel();
            if (answer != Answer::Yes) {
                m_aborted = true;
                return;
            }
            replace = true;
        }
        if (folder && isInside(source, target)) {
            fail(cannot(source, m_texts("reasonInsideSource")));
            return;
        }
        makeNativeFolders(nativeFolderOf(target)); // as the shell, create the destination folder
        if (folder)
            transferFolder(source, target, info, exists);
        else
            transferItem(source, target, info, replace);
    }

    void transferFolder(const QString &source, const QString &target, const struct stat &info, bool merging)
    {
        if (m_move && !merging) {
            const qint64 bytes = bytesBelow(source);
            if (m_stopped)
                return;
            const InPlace moved = movedInPlace(source, target, false);
            if (moved == InPlace::Failed)
                return;
            if (moved == InPlace::Done) {
                m_done += bytes;
                tick(target);
                return;
            }
        }
        QStringList entries;
        if (!readFolder(source, entries)) {
            fail(cannot(source, errorText(errno)));
            return;
        }
        const QByteArray folder = encodeNativeName(target);
        if (merging)
            internalfiles::removeStaleIn(folder);
        // made with the source's permissions (and ours to fill), so that a copy or move
        // stopped by a kill leaves it no more open than its source; its own mode and times
        // follow whenever the work stops
        if (!merging && ::mkdir(folder.constData(), (info.st_mode & 0777) | S_IRWXU) != 0) {
            fail(because(m_texts("cannotCreateFolder").arg(quoted(target)), errorText(errno)));
            return;
        }
        const auto finish = qScopeGuard([&] {
            if (merging)
                return;
            const struct timespec times[2] = {info.st_atim, info.st_mtim};
            ::chmod(folder.constData(), info.st_mode & 07777);
            ::utimensat(AT_FDCWD, folder.constData(), times, 0);
        });
        for (const QString &entry : entries) {
            if (m_stopped)
                return;
            transfer(source + QLatin1Char('/') + entry, target + QLatin1Char('/') + entry);
        }
        if (m_move && !m_pendingRemovals.isEmpty())
            removeOnceFlushed(source, info);
        else if (m_move)
            ::rmdir(encodeNativeName(source).constData()); // stays when a part of it was kept
    }

    enum class InPlace { Done, OtherFileSystem, Failed };

    // Moves by renaming when source and target share a file system; any failure but
    // a different file system has been reported.
    InPlace movedInPlace(const QString &source, const QString &target, bool replace)
    {
        const bool renamed = replace ? ::rename(encodeNativeName(source).constData(), encodeNativeName(target).constData()) == 0
                                     : renameNoReplace(source, target) == RenameResult::Done;
        if (renamed)
            return InPlace::Done;
        if (errno == EXDEV)
            return InPlace::OtherFileSystem;
        fail(cannot(source, errorText(errno)));
        return InPlace::Failed;
    }

    void transferItem(const QString &source, const QString &target, const struct stat &info, bool replace)
    {
        if (m_move) {
            const InPlace moved = movedInPlace(source, target, replace);
            if (moved == InPlace::Failed)
                return;
            if (moved == InPlace::Done) {
                m_done += S_ISREG(info.st_mode) ? qint64(info.st_size) : 0;
                tick(target);
                return;
            }
            if (!watchForFlush(nativeFolderOf(target)))
                return;
        }
        CopyStatus status;
        if (S_ISLNK(info.st_mode)) {
            status = copySymbolicLink(source, target, replace);
        } else if (S_ISREG(info.st_mode)) {
            status = copyFile(source, target, replace, m_move ? CopyKind::Move : CopyKind::Copy, [&](qint64 bytes) {
                m_done += bytes;
                return tick(source);
            });
        } else {
            fail(cannot(source, m_texts("reasonNotFileOrFolder")));
            return;
        }
        if (status.outcome == CopyOutcome::Cancelled) {
            cancel();
            return;
        }
        if (status.outcome == CopyOutcome::Failed) {
            fail(cannot(source, errorText(status.error)));
            return;
        }
        if (m_move)
            removeOnceFlushed(source, info);
        tick(source);
    }

    // A source moved across file systems is removed only once its copy is on disk. The
    // copies are flushed together (a flush of each would cost a disk commit per file);
    // the file system's descriptor is opened before the first copy to it, so a write
    // error of any copy since then is reported by the flush.
    bool watchForFlush(const QString &targetFolder)
    {
        struct stat info {};
        if (::stat(encodeNativeName(targetFolder).constData(), &info) == 0 && m_flushDescriptors.contains(info.st_dev))
            return true;
        const int fd = ::open(encodeNativeName(targetFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            fail(because(m_texts("cannotMoveTo").arg(quoted(targetFolder)), errorText(errno)));
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        m_flushDescriptors.insert(info.st_dev, fd);
        return true;
    }

    // `copied` is the source as it was before its copy.
    void removeOnceFlushed(const QString &source, const struct stat &copied)
    {
        m_pendingRemovals.append({source, copied});
        m_pendingBytes += S_ISREG(copied.st_mode) ? qint64(copied.st_size) : 0;
        if (m_pendingBytes >= flushEveryBytes)
            flushAndRemoveSources();
    }

    static bool unchanged(const struct stat &before, const struct stat &now)
    {
        return sameEntry(before, now) && before.st_size == now.st_size && before.st_mtim.tv_sec == now.st_mtim.tv_sec
               && before.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
    }

    void flushAndRemoveSources()
    {
        if (m_pendingRemovals.isEmpty())
            return;
        for (const int fd : std::as_const(m_flushDescriptors)) {
            if (::syncfs(fd) != 0) {
                fail(m_texts("notFlushed").arg(errorText(errno)));
                m_pendingRemovals.clear();
                m_pendingBytes = 0;
                return;
            }
        }
        for (const auto &[source, copied] : std::as_const(m_pendingRemovals)) {
            const QByteArray path = encodeNativeName(source);
            struct stat now {};
            if (S_ISDIR(copied.st_mode))
                ::rmdir(path.constData()); // stays when a part of it was kept
            else if (::lstat(path.constData(), &now) == 0 && !unchanged(copied, now))
                fail(m_texts("changedWhileMoved").arg(quoted(source)));
            else if (::unlink(path.constData()) != 0)
                fail(m_texts("originalNotRemoved").arg(quoted(source), errorText(errno)));
        }
        m_pendingRemovals.clear();
        m_pendingBytes = 0;
    }

    void deleteAll(const QStringList &sources)
    {
        QStringList natives;
        for (const QString &source : sources)
            natives.append(nativeOf(source));
        if (natives.isEmpty())
            return;
        const bool folder = isNativeFolder(natives.first());
        const QString caption = m_texts(natives.size() > 1 ? "deleteCaptionMany"
                                        : folder           ? "deleteCaptionFolder"
                                                           : "deleteCaptionFile");
        const QString text = natives.size() > 1 ? m_texts("deleteMany").arg(natives.size())
                             : folder           ? m_texts("deleteFolder").arg(quoted(natives.first()))
                                                : m_texts("deleteFile").arg(quoted(natives.first()));
        if (showMessage(MessageKind::Question, caption, text, int(MessageButton::Yes) | int(MessageButton::No))
            != MessageButton::Yes) {
            m_aborted = true;
            return;
        }
        if (m_progress)
            m_progress->start(m_kind, natives.size());
        for (const QString &native : natives) {
            struct stat info {};
            if (!lstatNative(native, info))
                fail(because(m_texts("cannotDelete").arg(quoted(native)), m_texts("reasonNotFound")));
            else if (!moveNativeToTrash(native))
                fail(m_texts("cannotTrash").arg(quoted(native)));
            ++m_done;
            if (!tick(native))
                break;
        }
        if (m_progress)
            m_progress->finish();
    }

    QString cannotRename(const QString &native, const QString &reason) const
    {
        return because(m_texts("cannotRename").arg(quoted(native)), reason);
    }

    void renameFirst(const QString &from, const QString &to)
    {
        const QString source = nativeOf(from);
        const QString target = nativeOf(to);
        struct stat info {};
        if (!lstatNative(source, info)) {
            fail(cannotRename(source, m_texts("reasonNotFound")));
            return;
        }
        if (target.isEmpty() || nameOf(target).isEmpty() || nativeFolderOf(absoluteNativePath(target)) != nativeFolderOf(absoluteNativePath(source))) {
            fail(cannotRename(source, m_texts("reasonInvalidName")));
            return;
        }
        if (source == target)
            return;
        switch (renameNoReplace(source, target)) {
        case RenameResult::Done:
            return;
        case RenameResult::TargetExists:
            fail(cannotRename(source, m_texts("reasonNameExists")));
            return;
        case RenameResult::NameTooLong:
            fail(cannotRename(source, m_texts("reasonNameTooLong")));
            return;
        case RenameResult::NameRefused:
            fail(cannotRename(source, m_texts("reasonRefusedCharacter").arg(quoted(characterRefusedByShares(nameOf(target))))));
            return;
        case RenameResult::AccessDenied:
            fail(cannotRename(source, m_texts("reasonAccessDenied")));
            return;
        case RenameResult::SourceMissing:
        case RenameResult::Busy:
        case RenameResult::Failed:
            fail(cannotRename(source, errorText(errno)));
            return;
        }
    }

    FileOperationKind m_kind;
    bool m_move;
    FileOperationProgress *m_progress;
    const FileOperationTexts &m_texts;
    bool m_replaceAll = false;
    bool m_failed = false;
    bool m_aborted = false;
    bool m_stopped = false;
    qint64 m_done = 0;
    qint64 m_counted = 0; // entries counted for the total
    static constexpr qint64 flushEveryBytes = qint64(256) << 20;
    QHash<dev_t, int> m_flushDescriptors;
    QList<std::pair<QString, struct stat>> m_pendingRemovals;
    qint64 m_pendingBytes = 0;
};

} // namespace

FileOperationResult performFileOperation(FileOperationKind kind, const QStringList &sources,
                                         const QStringList &targets, FileOperationProgress *progress,
                                         const FileOperationTexts &texts)
{
    return Operation(kind, progress, texts).run(sources, targets);
}

} // namespace platform
