#include "platform/FindFiles.h"

#include "platform/DrivePaths.h"
#include "platform/FileSystem.h"
#include "platform/FileTime.h"
#include "platform/NativeNames.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
char16_t folded(QChar c)
{
    const char16_t code = c.unicode();
    if (code < 128)
        return (code >= u'A' && code <= u'Z') ? char16_t(code + 32) : code;
    return c.toCaseFolded().unicode();
}

// Greedy matching with one backtracking point per "*".
bool matchesExactly(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0;
    qsizetype starAt = -1, nameAtStar = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starAt = p++;
            nameAtStar = n;
        } else if (p < pattern.size()
                   && (pattern[p] == QLatin1Char('?') || folded(pattern[p]) == folded(name[n]))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++nameAtStar;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

QString driveSideName(const char *rawName)
{
    QString name = decodeNativeName(rawName);
    if (std::strchr(rawName, '\\'))
        name.replace(QLatin1Char('\\'), nativeBackslashStandIn);
    return name;
}

bool isDriveRoot(const QString &nativeFolder)
{
    const QMap<QChar, QString> roots = driveRoots();
    for (const QString &root : roots) {
        if (root == nativeFolder)
            return true;
    }
    return false;
}

// Fills the entry from the folder's entry `rawName`; false when it cannot be examined.
bool examineEntry(int folder, const char *rawName, const QString &name, EntryKinds kinds, FoundEntry &entry)
{
    struct stat info {};
    if (::fstatat(folder, rawName, &info, 0) != 0) {
        // A link whose target is gone, or that leads round to itself, is still an
        // entry of the folder.
        if ((errno != ENOENT && errno != ELOOP) || ::fstatat(folder, rawName, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
    }
    const bool isFolder = S_ISDIR(info.st_mode);
    const bool foldersOnly = kinds == EntryKinds::FoldersOnly || kinds == EntryKinds::Subfolders;
    if ((foldersOnly && !isFolder) || (kinds == EntryKinds::NonFolders && isFolder))
        return false;
    entry.name = name;
    entry.attributes = attributesFromMode(name, info.st_mode, false);
    entry.size = isFolder ? 0 : qint64(info.st_size);
    entry.lastWriteTime = fileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    return true;
}
} // namespace

bool isDotEntry(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool findEntry(const QString &path, FoundEntry &entry)
{
    const QByteArray native = encodeNativeName(toNativePath(path));
    if (native.isEmpty())
        return false;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    return examineEntry(AT_FDCWD, native.constData(), slash < 0 ? path : path.mid(slash + 1), EntryKinds::All, entry);
}

bool wildcardMatches(const QString &pattern, const QString &name)
{
    if (matchesExactly(pattern, name))
        return true;
    // "x.*" also names "x": the dot and what follows it may be absent.
    return pattern.endsWith(QLatin1String(".*")) && matchesExactly(QStringView(pattern).chopped(2), name);
}

// The errors of a folder on a server that is gone or does not answer.
bool isServerGone(int error)
{
    switch (error) {
    case EIO: case ENOTCONN: case ETIMEDOUT: case ECONNREFUSED: case ECONNRESET: case ECONNABORTED:
    case EHOSTDOWN: case EHOSTUNREACH: case ENETDOWN: case ENETUNREACH:
        return true;
    default:
        return false;
    }
}

FindFiles::FindFiles(const QString &pattern, EntryKinds kinds)
    : m_kinds(kinds)
{
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('\\'));
    m_wildcard = slash < 0 ? pattern : pattern.mid(slash + 1);
    m_matchesEverything = m_wildcard == QLatin1String("*") || m_wildcard == QLatin1String("*.*");
    QString folder = slash < 0 ? QStringLiteral(".") : pattern.left(slash + 1);
    QString nativeFolder = toNativePath(folder);
    if (nativeFolder.isEmpty())
        return;
    while (nativeFolder.size() > 1 && nativeFolder.endsWith(QLatin1Char('/')))
        nativeFolder.chop(1);
    m_atDriveRoot = (kinds == EntryKinds::All || kinds == EntryKinds::FoldersOnly) && isDriveRoot(nativeFolder);
    m_dir = ::opendir(encodeNativeName(nativeFolder).constData());
    m_serverUnreachable = !m_dir && isServerGone(errno);
}

FindFiles::FindFiles(const FindFiles &folder, const QString &subfolderName, EntryKinds kinds)
    : m_kinds(kinds)
    , m_matchesEverything(true)
{
    if (!folder.m_dir)
        return;
    QString name = subfolderName;
    name.replace(nativeBackslashStandIn, QLatin1Char('\\'));
    const int fd = ::openat(::dirfd(folder.m_dir), encodeNativeName(name).constData(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_serverUnreachable = isServerGone(errno);
        return;
    }
    m_dir = ::fdopendir(fd);
    if (!m_dir)
        ::close(fd);
}

FindFiles::~FindFiles()
{
    close();
}

void FindFiles::close()
{
    if (m_dir)
        ::closedir(m_dir);
    m_dir = nullptr;
}

const dirent *FindFiles::nextWanted(QString &name)
{
    if (!m_dir)
        return nullptr;
    for (;;) {
        errno = 0;
        const dirent *raw = ::readdir(m_dir);
        if (!raw) {
            m_serverUnreachable = m_serverUnreachable || isServerGone(errno);
            return nullptr;
        }
        if (!wanted(raw))
            continue;
        name = driveSideName(raw->d_name);
        if (m_matchesEverything || wildcardMatches(m_wildcard, name))
            return raw;
    }
}

bool FindFiles::next(FoundEntry &entry)
{
    QString name;
    while (const dirent *raw = nextWanted(name)) {
        if (examineEntry(::dirfd(m_dir), raw->d_name, name, m_kinds, entry))
            return true;
    }
    return false;
}

bool FindFiles::nextFolderName(QString &name)
{
    if (m_kinds != EntryKinds::Subfolders)
        return false;
    FoundEntry entry;
    while (const dirent *raw = nextWanted(name)) {
        if (raw->d_type == DT_DIR || examineEntry(::dirfd(m_dir), raw->d_name, name, m_kinds, entry))
            return true;
    }
    return false;
}

// Decides from the name and the directory entry's type alone, where that suffices.
bool FindFiles::wanted(const dirent *raw) const
{
    if (isDotEntry(raw->d_name))
        return !m_atDriveRoot && (m_kinds == EntryKinds::All || m_kinds == EntryKinds::FoldersOnly);
    switch (raw->d_type) {
    case DT_DIR:
        return m_kinds != EntryKinds::NonFolders;
    case DT_LNK:
    case DT_UNKNOWN:
        return true;
    default:
        return m_kinds != EntryKinds::FoldersOnly && m_kinds != EntryKinds::Subfolders;
    }
}

} // namespace platform
