#include "about/About.h"
#include "app/KestravaApplication.h"
#include "app/SplashScreen.h"
#include "app/StartSequence.h"
#include "app/uMain.h"
#include "options/dialog/uOpzioni.h"
#include "platform/NetworkDrives.h"

#include <memory>

int main(int argc, char **argv)
{
    KestravaApplication application(argc, argv);
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmOpzioni> frmOpzioni;
    std::unique_ptr<TfrmAbout> frmAbout;
    runWithSplash(
        [&] {
            platform::restoreNetworkDrives();
            frmMain = std::make_unique<TfrmMain>();
            frmOpzioni = std::make_unique<TfrmOpzioni>();
            frmAbout = std::make_unique<TfrmAbout>();
            frmMain->setAboutBox(frmAbout.get());
            frmMain->setOptionsDialog(frmOpzioni.get());
        },
        TFrmSplashScreen::DefaultIntervalMs);
    frmMain->show();
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(frmMain.get(), &TfrmMain::closed, &application, &QApplication::quit);
    return application.exec();
}
