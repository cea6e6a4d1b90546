#include "platform/DetachedProcess.h"

#include "platform/NativeNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace platform {

namespace {
ssize_t readRetrying(int fd, void *buffer, size_t size)
{
    ssize_t got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}
} // namespace

bool startDetachedProcess(const QString &program, const QStringList &arguments, const QString &folder)
{
    // Everything the child needs is made before the fork: after it only system calls run.
    const QByteArray path = encodeNativeName(program);
    const QByteArray directory = encodeNativeName(folder);
    QList<QByteArray> bytes{path};
    for (const QString &argument : arguments)
        bytes.append(encodeNativeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The grandchild writes its exec error here; the pipe closes unread on success.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        errno = error;
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        int error = 0;
        if (!directory.isEmpty() && ::chdir(directory.constData()) != 0)
            error = errno;
        else
            ::execve(path.constData(), argv.data(), environ);
        if (error == 0)
            error = errno;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    const ssize_t got = readRetrying(report[0], &error, sizeof error);
    ::close(report[0]);
    if (got == sizeof error) {
        errno = error;
        return false;
    }
    return true;
}

} // namespace platform
