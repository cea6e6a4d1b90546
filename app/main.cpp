#include "about/About.h"
#include "app/CommandLine.h"
#include "app/KestravaApplication.h"
#include "app/SplashScreen.h"
#include "app/StartSequence.h"
#include "app/uMain.h"
#include "options/dialog/uOpzioni.h"
#include "explorer/tree/DirTree.h"
#include "platform/NativeNames.h"

#include <QTimer>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    // --help and --version answer before any window system is needed.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(platform::decodeNativeName(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments);
    if (commandLine.action() != CommandLine::Run) {
        std::fputs(qPrintable(commandLine.text() + QLatin1Char('\n')),
                   commandLine.action() == CommandLine::Refuse ? stderr : stdout);
        return commandLine.exitCode();
    }

    KestravaApplication application(argc, argv);
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmOpzioni> frmOpzioni;
    std::unique_ptr<TfrmAbout> frmAbout;
    runWithSplash(
        [&] {
            frmMain = std::make_unique<TfrmMain>();
            frmOpzioni = std::make_unique<TfrmOpzioni>();
            frmAbout = std::make_unique<TfrmAbout>();
            frmMain->setAboutBox(frmAbout.get());
            frmMain->setOptionsDialog(frmOpzioni.get());
        },
        TFrmSplashScreen::DefaultIntervalMs);
    frmMain->show();
    // The network drives kept from the last session mount in the background.
    if (auto *tree = frmMain->findChild<TZuDirTree21 *>(QStringLiteral("dtrDirectory")))
        tree->restoreNetworkDrives();
    // The path is opened from the message loop, over the window already drawn.
    if (!commandLine.path().isEmpty())
        QTimer::singleShot(0, frmMain.get(), [&] { frmMain->openPath(commandLine.path()); });
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(frmMain.get(), &TfrmMain::closed, &application, &QApplication::quit);
    return application.exec();
}
