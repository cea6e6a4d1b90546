#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int openRegularFile(const QByteArray &nativeName, int access)
{
    int fd;
    do {
        fd = ::open(nativeName.constData(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        const int error = known ? NotRegularFileError : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace platform
