// Preloaded into a process to make its system calls fail, or kill it, one at a time.
// faultShimArm(n, error, kill) starts counting the calls below; call number n fails with
// `error` (or the process is killed there). faultShimDisarm() stops and gives the count.
//
// A program that cannot arm it (a tool run as it is) is armed by its environment:
//   FAULT_SHIM_FILE=NAME FAULT_SHIM_CALL=open|fstat|pread  the first such call on a file
//       named NAME or whose path ends in /NAME (or on a descriptor opened for it) fails
//       with EIO
//   FAULT_SHIM_CALL=copy_file_range_0_first   the first copy_file_range answers 0
//   FAULT_SHIM_CALL=copy_file_range_0_half    copy_file_range copies up to half of the
//       source, then answers 0 once

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <set>
#include <csignal>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/file.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
bool armed = false;
long calls = 0;
long failAt = 0;
int failError = EIO;
bool killThere = false;

bool failsNow(const char *name)
{
    if (!armed || ++calls != failAt)
        return false;
    if (::getenv("FAULT_SHIM_TRACE"))
        ::fprintf(stderr, "fault at call %ld: %s\n", calls, name);
    if (killThere)
        ::raise(SIGKILL);
    errno = failError;
    return true;
}

template <typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// The environment's fault: which call, on which file, still to come.
struct EnvironmentFault {
    const char *call = ::getenv("FAULT_SHIM_CALL");
    const char *file = ::getenv("FAULT_SHIM_FILE");
    bool done = false;
    std::set<int> descriptors; // open for the file

    bool is(const char *name) const { return call && std::strcmp(call, name) == 0; }
    bool names(const char *path) const
    {
        if (!file || !path)
            return false;
        const size_t length = std::strlen(path), own = std::strlen(file);
        return length >= own && (length == own || path[length - own - 1] == '/') &&
               std::strcmp(path + length - own, file) == 0;
    }
    // Whether this call on the file fails now: the first one only.
    bool failsNow(const char *name, bool onFile)
    {
        if (done || !onFile || !is(name))
            return false;
        done = true;
        errno = EIO;
        return true;
    }
};

EnvironmentFault &environmentFault()
{
    static EnvironmentFault fault;
    return fault;
}

// Opens through the real call; notes a descriptor of the environment's file.
template <typename Open>
int openNoting(const char *path, Open open)
{
    EnvironmentFault &fault = environmentFault();
    const bool onFile = fault.names(path);
    if (fault.failsNow("open", onFile))
        return -1;
    const int fd = open();
    if (fd >= 0 && onFile)
        fault.descriptors.insert(fd);
    return fd;
}

bool onFileDescriptor(int fd)
{
    return environmentFault().descriptors.count(fd) != 0;
}
} // namespace

extern "C" {

void faultShimArm(long callNumber, int error, int kill)
{
    calls = 0;
    failAt = callNumber;
    failError = error;
    killThere = kill != 0;
    armed = true;
}

long faultShimDisarm()
{
    armed = false;
    return calls;
}

#define FAULT_WRAP(result, name, params, args)                                                                       \
    result name params                                                                                                \
    {                                                                                                                 \
        static const auto real = next<result(*) params>(#name);                                                      \
        if (failsNow(#name))                                                                                               \
            return (result)-1;                                                                                        \
        return real args;                                                                                             \
    }

#define FAULT_WRAP_OPEN(name, params, args)                                                                          \
    int name params                                                                                                   \
    {                                                                                                                 \
        mode_t mode = 0;                                                                                              \
        if (flags & (O_CREAT | O_TMPFILE)) {                                                                          \
            va_list list;                                                                                             \
            va_start(list, flags);                                                                                    \
            mode = mode_t(va_arg(list, int));                                                                         \
            va_end(list);                                                                                             \
        }                                                                                                             \
        static const auto real = next<int (*)(FAULT_OPEN_PARAMS)>(#name);                                             \
        if (failsNow(#name))                                                                                               \
            return -1;                                                                                                \
        return openNoting(path, [&] { return real args; });                                                           \
    }

#define FAULT_OPEN_PARAMS const char *, int, ...
FAULT_WRAP_OPEN(open, (const char *path, int flags, ...), (path, flags, mode))
FAULT_WRAP_OPEN(open64, (const char *path, int flags, ...), (path, flags, mode))
#undef FAULT_OPEN_PARAMS
#define FAULT_OPEN_PARAMS int, const char *, int, ...
FAULT_WRAP_OPEN(openat, (int dir, const char *path, int flags, ...), (dir, path, flags, mode))
FAULT_WRAP_OPEN(openat64, (int dir, const char *path, int flags, ...), (dir, path, flags, mode))
#undef FAULT_OPEN_PARAMS

FAULT_WRAP(ssize_t, read, (int fd, void *buffer, size_t size), (fd, buffer, size))
FAULT_WRAP(ssize_t, write, (int fd, const void *buffer, size_t size), (fd, buffer, size))
FAULT_WRAP(ssize_t, pwrite, (int fd, const void *buffer, size_t size, off_t offset), (fd, buffer, size, offset))
FAULT_WRAP(ssize_t, pwrite64, (int fd, const void *buffer, size_t size, off64_t offset), (fd, buffer, size, offset))
FAULT_WRAP(int, fsync, (int fd), (fd))
FAULT_WRAP(int, fdatasync, (int fd), (fd))
// Linux releases the descriptor also when close reports an error.
int close(int fd)
{
    static const auto real = next<int (*)(int)>("close");
    if (failsNow("close")) {
        const int error = errno;
        real(fd);
        errno = error;
        return -1;
    }
    return real(fd);
}
FAULT_WRAP(int, stat, (const char *path, struct stat *info), (path, info))
FAULT_WRAP(int, stat64, (const char *path, struct stat64 *info), (path, info))
FAULT_WRAP(int, lstat, (const char *path, struct stat *info), (path, info))
FAULT_WRAP(int, lstat64, (const char *path, struct stat64 *info), (path, info))
FAULT_WRAP(int, fstatat, (int dir, const char *path, struct stat *info, int flags), (dir, path, info, flags))
FAULT_WRAP(int, fstatat64, (int dir, const char *path, struct stat64 *info, int flags), (dir, path, info, flags))
FAULT_WRAP(int, statfs, (const char *path, struct statfs *info), (path, info))
FAULT_WRAP(int, fstatfs, (int fd, struct statfs *info), (fd, info))
FAULT_WRAP(int, rename, (const char *from, const char *to), (from, to))
FAULT_WRAP(int, renameat, (int fromDir, const char *from, int toDir, const char *to), (fromDir, from, toDir, to))
FAULT_WRAP(int, renameat2, (int fromDir, const char *from, int toDir, const char *to, unsigned flags),
           (fromDir, from, toDir, to, flags))
FAULT_WRAP(int, unlink, (const char *path), (path))
FAULT_WRAP(int, unlinkat, (int dir, const char *path, int flags), (dir, path, flags))
FAULT_WRAP(int, flock, (int fd, int operation), (fd, operation))
FAULT_WRAP(int, chmod, (const char *path, mode_t mode), (path, mode))
FAULT_WRAP(int, fchmod, (int fd, mode_t mode), (fd, mode))
FAULT_WRAP(int, fchown, (int fd, uid_t owner, gid_t group), (fd, owner, group))
FAULT_WRAP(int, ftruncate, (int fd, off_t size), (fd, size))
FAULT_WRAP(off_t, lseek, (int fd, off_t offset, int whence), (fd, offset, whence))
FAULT_WRAP(off64_t, lseek64, (int fd, off64_t offset, int whence), (fd, offset, whence))
FAULT_WRAP(int, sync_file_range, (int fd, off_t offset, off_t size, unsigned flags), (fd, offset, size, flags))
FAULT_WRAP(ssize_t, flistxattr, (int fd, char *list, size_t size), (fd, list, size))
FAULT_WRAP(ssize_t, fgetxattr, (int fd, const char *name, void *value, size_t size), (fd, name, value, size))
FAULT_WRAP(int, fsetxattr, (int fd, const char *name, const void *value, size_t size, int flags),
           (fd, name, value, size, flags))
FAULT_WRAP(int, link, (const char *from, const char *to), (from, to))
FAULT_WRAP(int, linkat, (int fromDir, const char *from, int toDir, const char *to, int flags),
           (fromDir, from, toDir, to, flags))

// The same, the environment's fault on a descriptor of its file first.
#define FAULT_WRAP_ON_FILE(result, name, call, params, args)                                                       \
    result name params                                                                                                \
    {                                                                                                                 \
        static const auto real = next<result(*) params>(#name);                                                      \
        if (failsNow(#name) || environmentFault().failsNow(call, onFileDescriptor(fd)))                               \
            return (result)-1;                                                                                        \
        return real args;                                                                                             \
    }
FAULT_WRAP_ON_FILE(ssize_t, pread, "pread", (int fd, void *buffer, size_t size, off_t offset), (fd, buffer, size, offset))
FAULT_WRAP_ON_FILE(ssize_t, pread64, "pread", (int fd, void *buffer, size_t size, off64_t offset),
                   (fd, buffer, size, offset))
FAULT_WRAP_ON_FILE(int, fstat, "fstat", (int fd, struct stat *info), (fd, info))
FAULT_WRAP_ON_FILE(int, fstat64, "fstat", (int fd, struct stat64 *info), (fd, info))

ssize_t copy_file_range(int from, off_t *fromOffset, int to, off_t *toOffset, size_t size, unsigned flags)
{
    static const auto real =
        next<ssize_t (*)(int, off_t *, int, off_t *, size_t, unsigned)>("copy_file_range");
    if (failsNow("copy_file_range"))
        return -1;
    EnvironmentFault &fault = environmentFault();
    if (!fault.done && fault.is("copy_file_range_0_first")) {
        fault.done = true;
        return 0;
    }
    if (!fault.done && fault.is("copy_file_range_0_half")) {
        static const auto realFstat = next<int (*)(int, struct stat *)>("fstat");
        struct stat info {};
        const off_t at = fromOffset ? *fromOffset : ::lseek(from, 0, SEEK_CUR);
        if (realFstat(from, &info) == 0) {
            const off_t half = info.st_size / 2;
            if (at >= half) {
                fault.done = true;
                return 0;
            }
            size = std::min<size_t>(size, size_t(half - at));
        }
    }
    return real(from, fromOffset, to, toOffset, size, flags);
}

DIR *opendir(const char *path)
{
    static const auto real = next<DIR *(*)(const char *)>("opendir");
    return failsNow("opendir") ? nullptr : real(path);
}

int fcntl(int fd, int command, ...)
{
    va_list list;
    va_start(list, command);
    void *argument = va_arg(list, void *);
    va_end(list);
    static const auto real = next<int (*)(int, int, ...)>("fcntl");
    if (failsNow("fcntl"))
        return -1;
    return real(fd, command, argument);
}

} // extern "C"
