#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {
const QString programName = QStringLiteral("kestrava");

const QString helpText = QStringLiteral(
    "Usage: kestrava [PATH]\n"
    "Renames files one at a time, with the tags of MP3 files.\n"
    "\n"
    "Arguments:\n"
    "  PATH           a folder to show, or a file to show selected and loaded\n"
    "\n"
    "Options:\n"
    "  -h, --help     shows this text\n"
    "  -v, --version  shows the version\n");
} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("path"), QString());

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.m_action = Refuse;
        result.m_text = QStringLiteral("%1: %2\nTry 'kestrava --help'.").arg(programName, parser.errorText());
    } else if (parser.isSet(help)) {
        result.m_action = ShowHelp;
        result.m_text = helpText;
    } else if (parser.isSet(version)) {
        result.m_action = ShowVersion;
        result.m_text = QStringLiteral("%1 %2").arg(programName, QStringLiteral(KESTRAVA_VERSION));
    } else if (parser.positionalArguments().size() > 1) {
        result.m_action = Refuse;
        result.m_text = QStringLiteral("%1: one path at most\nTry 'kestrava --help'.").arg(programName);
    } else {
        result.m_path = parser.positionalArguments().value(0);
    }
    return result;
}
