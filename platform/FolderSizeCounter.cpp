#include "platform/FolderSizeCounter.h"

#include "platform/MountTable.h"
#include "platform/NativeNames.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sstream>
#include <mutex>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {
namespace {

constexpr int lowerPriorityBy = 10;
constexpr std::size_t entryBufferBytes = 64 * 1024;

// File systems without files of their own, or that the desktop mounts for other places.
const std::set<std::string> skippedTypes = {
    "proc",        "sysfs",      "devtmpfs",  "devpts",   "cgroup",   "cgroup2",        "securityfs",
    "debugfs",     "tracefs",    "pstore",    "bpf",      "configfs", "fusectl",        "mqueue",
    "hugetlbfs",   "binfmt_misc", "autofs",   "efivarfs", "selinuxfs", "rpc_pipefs",    "nsfs",
    "fuse.gvfsd-fuse", "fuse.portal",
};

// "\040" and the like in a mount table field.
std::string unescapeMountField(const std::string &field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string octal = field.substr(i + 1, 3);
            if (octal.find_first_not_of("01234567") == std::string::npos) {
                text += char(std::stoi(octal, nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

// The skipped file systems: their mount points, and the devices of the kernel's own
// ones, which count nothing even when asked for (a network mount asked for is counted).
struct SkippedMounts {
    std::unordered_set<std::string> points;
    std::set<dev_t> devices;
};

SkippedMounts skippedMounts()
{
    SkippedMounts skipped;
    std::istringstream table(MountTable::instance().text().toStdString());
    std::string line;
    while (std::getline(table, line)) {
        // id parent major:minor root mount-point options [optional…] - type source super-options
        std::vector<std::string> fields;
        std::size_t start = 0;
        while (start < line.size()) {
            const std::size_t end = line.find(' ', start);
            fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        std::size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-")
            ++separator;
        if (fields.size() < 5 || separator + 1 >= fields.size())
            continue;
        if (skippedTypes.count(fields[separator + 1]) == 0)
            continue;
        skipped.points.insert(unescapeMountField(fields[4]));
        unsigned major = 0;
        unsigned minor = 0;
        const bool desktopMount = fields[separator + 1].rfind("fuse.", 0) == 0;
        if (!desktopMount && std::sscanf(fields[2].c_str(), "%u:%u", &major, &minor) == 2)
            skipped.devices.insert(makedev(major, minor));
    }
    return skipped;
}

// The kernel's directory entry as getdents64 returns it.
struct DirectoryEntry {
    ino64_t inode;
    off64_t next;
    unsigned short length;
    unsigned char type;
    char name[1];
};

struct InodeKey {
    dev_t device;
    ino_t inode;
    bool operator==(const InodeKey &other) const { return device == other.device && inode == other.inode; }
};
struct InodeHash {
    std::size_t operator()(const InodeKey &key) const { return std::hash<ino_t>()(key.inode) ^ (std::size_t(key.device) << 1); }
};

// The folders left to read, shared by the workers.
class CountRun {
public:
    CountRun(std::atomic<bool> &cancelled, std::atomic<std::uint64_t> &bytes, std::atomic<std::uint64_t> &folders)
        : m_cancelled(cancelled)
        , m_bytes(bytes)
        , m_folders(folders)
        , m_skipped(skippedMounts())
    {
    }

    // A folder on a skipped file system is not counted, even when asked for.
    void start(std::string folder)
    {
        // The folder asked for may be reached through links; its real path is the one
        // the mount table knows.
        if (char *real = ::realpath(folder.c_str(), nullptr)) {
            folder = real;
            std::free(real);
        }
        struct stat info;
        if (::stat(folder.c_str(), &info) == 0 && m_skipped.devices.count(info.st_dev) > 0)
            return;
        m_queue.push_back(std::move(folder));
        m_pending = 1;
    }

    void work()
    {
        // Counting gives way to the window: the workers run at a lower priority.
        ::setpriority(PRIO_PROCESS, ::gettid(), std::min(19, ::getpriority(PRIO_PROCESS, ::gettid()) + lowerPriorityBy));
        std::vector<std::string> found;
        std::vector<std::uint64_t> entries(entryBufferBytes / sizeof(std::uint64_t));
        while (true) {
            std::string folder;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [this] { return !m_queue.empty() || m_pending == 0; });
                if (m_queue.empty())
                    return;
                folder = std::move(m_queue.back());
                m_queue.pop_back();
            }
            found.clear();
            if (!m_cancelled.load(std::memory_order_relaxed))
                read(folder, found, entries);
            std::lock_guard lock(m_mutex);
            for (std::string &child : found)
                m_queue.push_back(std::move(child));
            m_pending += found.size();
            --m_pending;
            if (m_pending == 0 || !found.empty())
                m_ready.notify_all();
        }
    }

    std::uint64_t unreadable() const { return m_unreadable.load(); }

private:
    void read(const std::string &folder, std::vector<std::string> &found, std::vector<std::uint64_t> &entries)
    {
        const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (descriptor < 0) {
            // A folder removed meanwhile is simply gone; any other failure is reported.
            if (errno != ENOENT)
                m_unreadable.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        m_folders.fetch_add(1, std::memory_order_relaxed);
        const std::string prefix = folder.back() == '/' ? folder : folder + '/';
        std::uint64_t bytes = 0;
        // The entries are read in large batches straight from the kernel; files are
        // looked up by name relative to the open folder, so no path is built for them.
        while (!m_cancelled.load(std::memory_order_relaxed)) {
            const long length = ::syscall(SYS_getdents64, descriptor, entries.data(), entries.size() * sizeof(std::uint64_t));
            if (length <= 0)
                break;
            for (long offset = 0; offset < length;) {
                const auto *entry = reinterpret_cast<const DirectoryEntry *>(reinterpret_cast<const char *>(entries.data()) + offset);
                offset += entry->length;
                const char *name = entry->name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                    continue;
                if (entry->type == DT_DIR) {
                    addFolder(prefix + name, found);
                    continue;
                }
                if (entry->type != DT_REG && entry->type != DT_UNKNOWN)
                    continue; // links, devices, pipes and sockets hold no file data
                struct stat info;
                if (::fstatat(descriptor, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                if (S_ISDIR(info.st_mode)) {
                    addFolder(prefix + name, found);
                } else if (S_ISREG(info.st_mode) && (info.st_nlink <= 1 || firstLink(info))) {
                    bytes += std::uint64_t(info.st_size);
                }
            }
        }
        ::close(descriptor);
        m_bytes.fetch_add(bytes, std::memory_order_relaxed);
    }

    void addFolder(std::string path, std::vector<std::string> &found)
    {
        if (!m_skipped.points.empty() && m_skipped.points.count(path) > 0)
            return;
        found.push_back(std::move(path));
    }

    bool firstLink(const struct stat &info)
    {
        std::lock_guard lock(m_linksMutex);
        return m_links.insert({info.st_dev, info.st_ino}).second;
    }

    std::atomic<bool> &m_cancelled;
    std::atomic<std::uint64_t> &m_bytes;
    std::atomic<std::uint64_t> &m_folders;
    std::atomic<std::uint64_t> m_unreadable{0};
    const SkippedMounts m_skipped;

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::vector<std::string> m_queue;
    std::size_t m_pending = 0;

    std::mutex m_linksMutex;
    std::unordered_set<InodeKey, InodeHash> m_links;
};

} // namespace

FolderSizeResult FolderSizeCounter::count(const QString &nativePath, int threads)
{
    m_cancelled.store(false);
    m_bytes.store(0);
    m_folders.store(0);
    CountRun run(m_cancelled, m_bytes, m_folders);
    std::string start = encodeNativeName(nativePath).toStdString();
    while (start.size() > 1 && start.back() == '/')
        start.pop_back();
    // The counted folder itself is entered whatever it is.
    run.start(start);
    // The workers are threads of their own, so that lowering their priority leaves the
    // calling thread as it was.
    std::vector<std::thread> workers;
    for (int i = 0; i < std::max(1, threads); ++i)
        workers.emplace_back([&run] { run.work(); });
    for (std::thread &worker : workers)
        worker.join();
    FolderSizeResult result;
    result.bytes = m_bytes.load();
    result.folders = m_folders.load();
    result.unreadableFolders = run.unreadable();
    result.cancelled = m_cancelled.load();
    return result;
}

} // namespace platform
