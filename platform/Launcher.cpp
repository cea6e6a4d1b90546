#include "platform/Launcher.h"

#include "platform/DetachedProcess.h"
#include "platform/DrivePaths.h"
#include "platform/ExecLine.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>
#include <unistd.h>

namespace platform {

namespace {

bool isAddress(const QString &target)
{
    return target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
}

bool sameVerb(const QString &verb, const char *name)
{
    return verb.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QString resolvedNative(const QString &target, const QString &directory)
{
    const QString native = toNativePath(target);
    if (native.startsWith(QLatin1Char('/')) || native.isEmpty())
        return native;
    return absoluteNativePath(native, directory.isEmpty() ? QString() : toNativePath(directory));
}

int missingCode(const QString &native)
{
    return isNativeFolder(nativeFolderOf(native)) ? launchFileNotFound : launchPathNotFound;
}

int openWithAssociation(const QUrl &url)
{
    return openAddress(url) ? launchSucceeded : launchNoAssociation;
}

// The parameters as arguments: a whole text that names an existing file (a drive path
// or a name in the working folder) becomes that file's full native path, one argument
// (names with blanks, names the program could take for an option); any other text is
// split as a command line.
QStringList argumentsOf(const QString &parameters, const QString &workingFolder)
{
    if (parameters.trimmed().isEmpty())
        return {};
    const QString name = toNativePath(parameters);
    const QString file = name.isEmpty() ? QString() : absoluteNativePath(name, workingFolder);
    if (!file.isEmpty() && nativeExists(file))
        return {file};
    return QProcess::splitCommand(parameters);
}

QString nativeOf(const QString &path)
{
    return path.isEmpty() || path.startsWith(QLatin1Char('/')) ? path : toNativePath(path);
}

// The terminal window a program link asks for: the system's choice, else xterm.
QString terminalProgram()
{
    const QString chosen = findProgram(QStringLiteral("x-terminal-emulator"));
    return chosen.isEmpty() ? findProgram(QStringLiteral("xterm")) : chosen;
}

int startProgram(const QString &program, const QString &parameters, const QString &directory)
{
    const QString workingFolder = directory.isEmpty() ? nativeFolderOf(program) : toNativePath(directory);
    return startDetachedProcess(program, argumentsOf(parameters, workingFolder), workingFolder) ? launchSucceeded
                                                                                                : launchAccessDenied;
}

} // namespace

bool openAddress(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool isProgram(const QString &nativePath)
{
    if (!isNativeRegularFile(nativePath) || ::access(encodeNativeName(nativePath).constData(), X_OK) != 0)
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(nativeNameOf(nativePath), QMimeDatabase::MatchExtension);
    return type.isDefault() || type.inherits(QStringLiteral("application/x-executable"))
           || type.inherits(QStringLiteral("application/x-shellscript"))
           || type.inherits(QStringLiteral("application/x-sharedlib"));
}

bool programLinkInstalled(const ShellLink &link)
{
    return link.tryExec.isEmpty() || !findProgram(link.tryExec).isEmpty();
}

int launchProgramLink(const ShellLink &link, const QString &linkFile, const QStringList &nativeFiles,
                      const QString &defaultFolder)
{
    if (!programLinkInstalled(link))
        return launchFileNotFound;
    const std::optional<QStringList> argv =
        expandExecLine(link.exec, {nativeFiles, link.icon, link.description, nativeOf(linkFile)});
    if (!argv)
        return launchNoAssociation;
    QString program = findProgram(argv->first());
    if (program.isEmpty())
        return launchFileNotFound;
    QStringList arguments = argv->mid(1);
    if (link.terminal) {
        arguments = QStringList{QStringLiteral("-e"), program} + arguments;
        program = terminalProgram();
        if (program.isEmpty())
            return launchNoAssociation;
    }
    const QString folder = nativeOf(link.workingDirectory.isEmpty() ? defaultFolder : link.workingDirectory);
    if (!folder.isEmpty() && !isNativeFolder(folder))
        return launchPathNotFound;
    return startDetachedProcess(program, arguments, folder) ? launchSucceeded : launchAccessDenied;
}

int launch(const QString &verb, const QString &target, const QString &parameters, const QString &directory)
{
    const bool open = verb.isEmpty() || sameVerb(verb, "open");
    const bool find = sameVerb(verb, "find") || sameVerb(verb, "explore");
    if (!open && !find)
        return launchNoAssociation;
    if (open && isAddress(target))
        return openWithAssociation(QUrl(target.trimmed()));
    const QString native = resolvedNative(target, directory);
    if (native.isEmpty() || !nativeExists(native))
        return native.isEmpty() ? launchPathNotFound : missingCode(native);
    if (find) {
        const QString folder = isNativeFolder(native) ? native : nativeFolderOf(native);
        return openWithAssociation(nativeFileUrl(folder));
    }
    if (isProgram(native))
        return startProgram(native, parameters, directory);
    return openWithAssociation(nativeFileUrl(native));
}

} // namespace platform
