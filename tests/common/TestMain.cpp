// Test entry: offscreen widgets, a private hive and state folder, and a scripted message responder so
// that no test can block on a real dialog.

#include "tests/common/ScriptedMessageResponder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <memory>

// Test programs that need the program's own application object define this.
__attribute__((weak)) std::unique_ptr<QApplication> createTestApplication(int &argc, char **argv)
{
    return std::make_unique<QApplication>(argc, argv);
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
