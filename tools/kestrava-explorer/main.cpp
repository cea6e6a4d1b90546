// kestrava-explorer: a window with the folder combo, the folder tree and the file
// list, linked, for trying the explorer controls in every interface language.

#include "app/KestravaApplication.h"
#include "platform/NetworkDrives.h"
#include "tools/kestrava-explorer/ExplorerWindow.h"

int main(int argc, char **argv)
{
    KestravaApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrava Explorer"));
    platform::restoreNetworkDrives();
    ExplorerWindow window;
    window.show();
    return application.exec();
}
