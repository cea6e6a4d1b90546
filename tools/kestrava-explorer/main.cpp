// kestrava-explorer [--language CODE] [FOLDER]: a window with the folder combo, the
// folder tree and the file list, linked, for trying the explorer controls in every
// interface language.

#include "app/KestravaApplication.h"
#include "explorer/shared/LanguageTables.h"
#include "platform/DrivePaths.h"
#include "explorer/tree/DirTree.h"
#include "tools/kestrava-explorer/ExplorerWindow.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

namespace {
const char helpText[] =
    "Usage: kestrava-explorer [--language CODE] [FOLDER]\n"
    "Shows the folder combo, the folder tree and the file list, linked to each other.\n"
    "\n"
    "Arguments:\n"
    "  FOLDER                 the folder to show at start\n"
    "\n"
    "Options:\n"
    "  -l, --language CODE    interface language: en, it, de, fr, es, nl, pt, pl, sl,\n"
    "                         sk, ja, zh_CN or zh_TW (each control's own when not given)\n"
    "  -h, --help             shows this text\n"
    "  -v, --version          shows the version\n";

int languageOfCode(const QString &code)
{
    for (int language = lnEnglish; isConcreteLanguage(language); ++language) {
        if (languageTableName(language) == code)
            return language;
    }
    return -1;
}

int refuse(const QString &text)
{
    std::fprintf(stderr, "kestrava-explorer: %s\nTry 'kestrava-explorer --help'.\n", qPrintable(text));
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    // The command line is read before any window exists: --help needs no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption languageOption({QStringLiteral("l"), QStringLiteral("language")}, QString(),
                                            QStringLiteral("CODE"));
    parser.addOptions({help, version, languageOption});
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(helpText, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("kestrava-explorer %s\n", KESTRAVA_VERSION);
        return 0;
    }
    const int language = parser.isSet(languageOption) ? languageOfCode(parser.value(languageOption)) : lnSysDefault;
    if (language < 0)
        return refuse(QStringLiteral("unknown language \"%1\"").arg(parser.value(languageOption)));
    if (parser.positionalArguments().size() > 1)
        return refuse(QStringLiteral("one folder at most"));

    KestravaApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrava Explorer"));
    ExplorerWindow window;
    if (language != lnSysDefault)
        window.setLanguage(TLanguage(language));
    if (!parser.positionalArguments().isEmpty())
        window.openFolder(platform::normalizedDrivePath(parser.positionalArguments().first()));
    window.show();
    // The network drives kept from the last session mount in the background.
    window.tree()->restoreNetworkDrives();
    return application.exec();
}
