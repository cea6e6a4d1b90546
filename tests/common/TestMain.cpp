// Test entry: offscreen widgets, private temporary, home, cache, hive and state folders, and a scripted message responder so
// that no test can block on a real dialog.

#include "tests/common/ScriptedMessageResponder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <memory>
#include <sys/stat.h>

// Test programs that need the program's own application object define this.
__attribute__((weak)) std::unique_ptr<QApplication> createTestApplication(int &argc, char **argv)
{
    return std::make_unique<QApplication>(argc, argv);
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every folder a test may write to by default lies in one folder of this run, removed
    // at its end: temporary files, home, cache and runtime folders included.
    QTemporaryDir runFolder(QDir::tempPath() + QStringLiteral("/kestrava-tests-XXXXXX"));
    for (const char *sub : {"tmp", "home", "cache", "runtime"})
        QDir(runFolder.path()).mkdir(QString::fromLatin1(sub));
    // Other users pass through to the temporary files (tests that drop to "nobody").
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(runFolder.path(), everyone);
    ::chmod(QFile::encodeName(runFolder.filePath(QStringLiteral("tmp"))).constData(), 01777);
    QFile::setPermissions(runFolder.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TMPDIR", QFile::encodeName(runFolder.filePath(QStringLiteral("tmp"))));
    qputenv("HOME", QFile::encodeName(runFolder.filePath(QStringLiteral("home"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(runFolder.filePath(QStringLiteral("cache"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runFolder.filePath(QStringLiteral("runtime"))));
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    QTemporaryDir stateHome;
    qputenv("XDG_STATE_HOME", stateHome.path().toLocal8Bit());
    const std::unique_ptr<QApplication> application = createTestApplication(argc, argv);
    platform::ScriptedMessageResponder unexpectedBoxes;
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
