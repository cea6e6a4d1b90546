#include "platform/FolderSizeCounter.h"

#include "platform/NativeNames.h"

#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {
namespace {

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

// Mount points of the skipped file systems.
std::unordered_set<std::string> skippedMountPoints()
{
    std::unordered_set<std::string> points;
    std::ifstream table("/proc/self/mountinfo");
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
        if (skippedTypes.count(fields[separator + 1]) > 0)
            points.insert(unescapeMountField(fields[4]));
    }
    return points;
}

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
        , m_skipped(skippedMountPoints())
    {
    }

    void start(std::string folder)
    {
        m_queue.push_back(std::move(folder));
        m_pending = 1;
    }

    void work()
    {
        std::vector<std::string> found;
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
                read(folder, found);
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
    void read(const std::string &folder, std::vector<std::string> &found)
    {
        const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        DIR *listing = descriptor >= 0 ? ::fdopendir(descriptor) : nullptr;
        if (!listing) {
            if (descriptor >= 0)
                ::close(descriptor);
            // A folder removed meanwhile is simply gone; any other failure is reported.
            if (errno != ENOENT)
                m_unreadable.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        m_folders.fetch_add(1, std::memory_order_relaxed);
        const std::string prefix = folder.back() == '/' ? folder : folder + '/';
        std::uint64_t bytes = 0;
        int sinceCheck = 0;
        while (const dirent *entry = ::readdir(listing)) {
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (++sinceCheck == 256) {
                sinceCheck = 0;
                if (m_cancelled.load(std::memory_order_relaxed))
                    break;
            }
            unsigned char type = entry->d_type;
            if (type == DT_DIR) {
                addFolder(prefix + name, found);
                continue;
            }
            if (type != DT_REG && type != DT_UNKNOWN)
                continue; // links, devices, pipes and sockets hold no file data
            struct stat info;
            if (::fstatat(::dirfd(listing), name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISDIR(info.st_mode)) {
                addFolder(prefix + name, found);
            } else if (S_ISREG(info.st_mode) && (info.st_nlink <= 1 || firstLink(info))) {
                bytes += std::uint64_t(info.st_size);
            }
        }
        ::closedir(listing);
        m_bytes.fetch_add(bytes, std::memory_order_relaxed);
    }

    void addFolder(std::string path, std::vector<std::string> &found)
    {
        if (!m_skipped.empty() && m_skipped.count(path) > 0)
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
    const std::unordered_set<std::string> m_skipped;

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
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i)
        helpers.emplace_back([&run] { run.work(); });
    run.work();
    for (std::thread &helper : helpers)
        helper.join();
    FolderSizeResult result;
    result.bytes = m_bytes.load();
    result.folders = m_folders.load();
    result.unreadableFolders = run.unreadable();
    result.cancelled = m_cancelled.load();
    return result;
}

} // namespace platform
