#include "platform/FolderSizeCounter.h"

#include "platform/NativeNames.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

// File systems that hold no files of the user: kernel views, device nodes, mount helpers.
constexpr std::string_view pseudoFileSystems[] = {
    "proc",      "sysfs",   "devtmpfs",  "devpts",    "cgroup",     "cgroup2",    "securityfs",
    "debugfs",   "tracefs", "pstore",    "bpf",       "configfs",   "fusectl",    "mqueue",
    "hugetlbfs", "binfmt_misc", "autofs", "efivarfs", "nsfs",       "selinuxfs",  "rpc_pipefs",
    "nfsd",      "sockfs",  "pipefs",    "anon_inodefs",
};

std::string readWholeFile(const char *path)
{
    std::string text;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, size_t(got));
    }
    ::close(fd);
    return text;
}

// The devices of the pseudo file systems mounted now, sorted.
std::vector<dev_t> pseudoDevices()
{
    std::vector<dev_t> devices;
    const std::string table = readWholeFile("/proc/self/mountinfo");
    size_t lineStart = 0;
    while (lineStart < table.size()) {
        size_t lineEnd = table.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = table.size();
        const std::string_view line(table.data() + lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        // "id parent major:minor root mountpoint options [tags] - fstype source options"
        size_t field = 0;
        for (int skip = 0; skip < 2 && field != std::string_view::npos; ++skip)
            field = line.find(' ', field) + 1;
        const size_t separator = line.find(" - ");
        if (field == 0 || separator == std::string_view::npos)
            continue;
        const size_t typeStart = separator + 3;
        const std::string_view type = line.substr(typeStart, line.find(' ', typeStart) - typeStart);
        if (std::find(std::begin(pseudoFileSystems), std::end(pseudoFileSystems), type) == std::end(pseudoFileSystems))
            continue;
        unsigned major = 0;
        unsigned minor = 0;
        if (std::sscanf(std::string(line.substr(field, 24)).c_str(), "%u:%u", &major, &minor) == 2)
            devices.push_back(makedev(major, minor));
    }
    std::sort(devices.begin(), devices.end());
    return devices;
}

struct FileKey {
    dev_t device;
    ino_t inode;
    bool operator==(const FileKey &other) const = default;
};

struct FileKeyHash {
    size_t operator()(const FileKey &key) const { return std::hash<quint64>()(quint64(key.inode) * 31 + key.device); }
};

bool folderVanished(int error)
{
    // removed, replaced by a file or by a symbolic link while the count ran
    return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

std::atomic<bool> openat2Missing{false};

// Opens a folder below the root without following a symbolic link on the way.
int openFolderBelow(int rootFd, const std::string &relative)
{
    const char *path = relative.empty() ? "." : relative.c_str();
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    if (!openat2Missing.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = flags;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int fd = int(::syscall(SYS_openat2, rootFd, path, &how, sizeof how));
            if (fd >= 0 || (errno != EAGAIN && errno != EINTR && errno != ENOSYS && errno != EPERM))
                return fd;
            if (errno == ENOSYS || errno == EPERM) {
                openat2Missing = true; // an old kernel, or a sandbox that filters the call
                break;
            }
        }
    }
    int fd;
    do
        fd = ::openat(rootFd, path, flags);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

struct FolderSizeCounter::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> folders; // paths relative to the root, taken from the back
    int busy = 0;                     // workers reading a folder, or setting up
    int running = 0;
    bool finished = false;
    std::function<void()> onFinished;

    std::atomic<bool> cancelled{false};
    std::atomic<bool> stoppedEarly{false}; // the cancel came before the end
    std::atomic<quint64> bytes{0};
    std::atomic<quint64> folderCount{0};
    std::atomic<quint64> unreadable{0};

    QByteArray nativeFolder;
    int rootFd = -1;
    std::vector<dev_t> pseudo;
    std::mutex linkMutex;
    std::unordered_set<FileKey, FileKeyHash> linkedFiles;

    bool isPseudo(dev_t device) const { return std::binary_search(pseudo.begin(), pseudo.end(), device); }
    bool firstLink(const struct stat &status)
    {
        if (status.st_nlink <= 1)
            return true;
        std::lock_guard lock(linkMutex);
        return linkedFiles.insert({status.st_dev, status.st_ino}).second;
    }

    // Stops the count; the callback is never called after this returns.
    void abandon()
    {
        cancelled = true;
        std::lock_guard lock(mutex);
        onFinished = {};
        changed.notify_all();
    }
    void setUp();
    void work();
    void readFolder(const std::string &relative, std::vector<std::string> &subfolders);
};

void FolderSizeCounter::State::setUp()
{
    pseudo = pseudoDevices();
    rootFd = ::open(nativeFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat status;
    if (rootFd < 0) {
        if (!folderVanished(errno)) {
            folderCount = 1;
            unreadable = 1;
        }
    } else if (::fstat(rootFd, &status) == 0 && !isPseudo(status.st_dev)) {
        std::lock_guard lock(mutex);
        folders.emplace_back();
    }
    std::lock_guard lock(mutex);
    --busy;
    changed.notify_all();
}

void FolderSizeCounter::State::work()
{
    std::unique_lock lock(mutex);
    std::vector<std::string> subfolders;
    for (;;) {
        if (cancelled) {
            stoppedEarly = true;
            folders.clear();
            break;
        }
        if (!folders.empty()) {
            std::string relative = std::move(folders.back());
            folders.pop_back();
            ++busy;
            lock.unlock();
            subfolders.clear();
            readFolder(relative, subfolders);
            lock.lock();
            --busy;
            for (std::string &subfolder : subfolders)
                folders.push_back(std::move(subfolder));
            changed.notify_all();
            continue;
        }
        if (busy == 0)
            break;
        changed.wait(lock);
    }
    if (--running > 0)
        return;
    if (rootFd >= 0)
        ::close(rootFd);
    rootFd = -1;
    finished = true;
    changed.notify_all();
    // under the lock, so that a counter being destroyed is either told or never called
    if (onFinished)
        std::exchange(onFinished, {})();
}

void FolderSizeCounter::State::readFolder(const std::string &relative, std::vector<std::string> &subfolders)
{
    const int fd = openFolderBelow(rootFd, relative);
    if (fd < 0) {
        if (!folderVanished(errno)) {
            ++folderCount;
            ++unreadable;
        }
        return;
    }
    ++folderCount;
    bool complete = true;
    alignas(dirent64) char buffer[65536];
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            complete = complete && got == 0;
            break;
        }
        quint64 found = 0;
        for (ssize_t position = 0; position < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + position);
            position += entry->d_reclen;
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const unsigned char type = entry->d_type;
            if (type != DT_DIR && type != DT_REG && type != DT_UNKNOWN)
                continue; // links, devices, pipes and sockets hold no bytes of their own
            struct stat status;
            const int flags = AT_SYMLINK_NOFOLLOW | (type == DT_DIR ? AT_NO_AUTOMOUNT : 0);
            if (::fstatat(fd, name, &status, flags) != 0) {
                complete = complete && errno == ENOENT;
                continue;
            }
            if (S_ISREG(status.st_mode)) {
                if (firstLink(status))
                    found += quint64(status.st_size);
            } else if (S_ISDIR(status.st_mode) && !isPseudo(status.st_dev)) {
                subfolders.push_back(relative.empty() ? std::string(name) : relative + '/' + name);
            }
        }
        bytes += found;
        if (cancelled) {
            stoppedEarly = true;
            break;
        }
    }
    ::close(fd);
    if (!complete)
        ++unreadable;
}

FolderSizeCounter::FolderSizeCounter() = default;

FolderSizeCounter::~FolderSizeCounter()
{
    if (m_state)
        m_state->abandon();
}

void FolderSizeCounter::start(const QString &nativeFolder, std::function<void()> onFinished)
{
    if (m_state)
        m_state->abandon();
    auto state = std::make_shared<State>();
    state->nativeFolder = encodeNativeName(nativeFolder);
    state->onFinished = std::move(onFinished);
    state->busy = 1; // until the first worker has opened the folder
    state->running = workerCount;
    m_state = state;
    for (int worker = 0; worker < workerCount; ++worker) {
        std::thread([state, worker] {
            if (worker == 0)
                state->setUp();
            state->work();
        }).detach();
    }
}

FolderSizeResult FolderSizeCounter::wait()
{
    if (!m_state)
        return {};
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [this] { return m_state->finished; });
    lock.unlock();
    return progress();
}

FolderSizeResult FolderSizeCounter::count(const QString &nativeFolder)
{
    start(nativeFolder);
    return wait();
}

void FolderSizeCounter::cancel()
{
    if (!m_state)
        return;
    m_state->cancelled = true;
    std::lock_guard lock(m_state->mutex);
    m_state->changed.notify_all();
}

bool FolderSizeCounter::isFinished() const
{
    if (!m_state)
        return true;
    std::lock_guard lock(m_state->mutex);
    return m_state->finished;
}

FolderSizeResult FolderSizeCounter::progress() const
{
    FolderSizeResult result;
    if (!m_state)
        return result;
    result.bytes = m_state->bytes;
    result.folders = m_state->folderCount;
    result.unreadableFolders = m_state->unreadable;
    result.cancelled = m_state->stoppedEarly;
    return result;
}

} // namespace platform
