// The test suite runs confined (scripts/confined): the machine's own folders are
// read-only where the tests run, so that no fault in a test can rename, remove or fill
// them. This test never writes outside its own folders: a folder that is not read-only
// fails it before anything is tried there.

#include <QByteArray>
#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

TEST(ConfinementTest, TheMachinesOwnFoldersAreReadOnlyWhereTheTestsRun)
{
    for (const char *folder : {"/", "/boot", "/etc", "/usr", "/var"}) {
        struct stat info {};
        if (::stat(folder, &info) != 0)
            continue; // a folder this machine does not have
        struct statvfs volume {};
        ASSERT_EQ(::statvfs(folder, &volume), 0) << folder << ": " << std::strerror(errno);
        ASSERT_TRUE(volume.f_flag & ST_RDONLY) << "the test suite is not confined: " << folder
                                               << " is writable (run the tests through scripts/confined)";
        // Read-only by its mount: creating an entry must fail with EROFS, whoever we are.
        const QByteArray probe = QByteArray(folder) + (QByteArray(folder).endsWith('/') ? "" : "/") +
                                 ".kestrava-canary-" + QByteArray::number(QCoreApplication::applicationPid());
        const int made = ::mkdir(probe.constData(), 0700);
        const int error = errno;
        if (made == 0)
            ::rmdir(probe.constData());
        EXPECT_TRUE(made != 0 && error == EROFS)
            << "the test suite is not confined: " << probe.constData() << " could be created or failed otherwise ("
            << std::strerror(error) << ")";
    }
}
