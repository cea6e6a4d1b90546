// kestrava-explorer [--language CODE] [FOLDER]: a window with the folder combo, the
// folder tree and the file list, linked, for trying the explorer controls in every
// interface language. CODE names a language table ("en", "it", "ja", ...); FOLDER is
// shown at start.

#include "app/KestravaApplication.h"
#include "explorer/shared/LanguageTables.h"
#include "platform/DrivePaths.h"
#include "platform/NetworkDrives.h"
#include "tools/kestrava-explorer/ExplorerWindow.h"

#include <QStringList>
#include <cstdio>

namespace {
int languageOfCode(const QString &code)
{
    for (int language = lnEnglish; isConcreteLanguage(language); ++language) {
        if (languageTableName(language) == code)
            return language;
    }
    return -1;
}
} // namespace

int main(int argc, char **argv)
{
    KestravaApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrava Explorer"));
    QStringList arguments = QCoreApplication::arguments().mid(1);
    int language = -1;
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--language")) {
        language = languageOfCode(arguments.at(1));
        if (language < 0) {
            std::fprintf(stderr, "kestrava-explorer: unknown language \"%s\"\n", qPrintable(arguments.at(1)));
            return 2;
        }
        arguments = arguments.mid(2);
    }
    platform::restoreNetworkDrives();
    ExplorerWindow window;
    if (language >= 0)
        window.setLanguage(TLanguage(language));
    if (!arguments.isEmpty())
        window.openFolder(platform::normalizedDrivePath(arguments.first()));
    window.show();
    return application.exec();
}
