#include "platform/ShellLinks.h"

#include "platform/DrivePaths.h"
#include "platform/ExecLine.h"
#include "platform/Launcher.h"
#include "platform/NativePaths.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {

const QString entryGroup = QStringLiteral("[Desktop Entry]");

QString nativeOf(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? path : toNativePath(path);
}

// Escapes of desktop-entry string values.
QString escapedValue(const QString &text)
{
    QString escaped;
    for (QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapedValue(const QString &text)
{
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('\\') || i + 1 == text.size()) {
            plain += text.at(i);
            continue;
        }
        // an escape the format does not know stays as it is (an Exec line's \" among them)
        const QChar next = text.at(++i);
        if (next == QLatin1Char('s'))
            plain += QLatin1Char(' ');
        else if (next == QLatin1Char('n'))
            plain += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            plain += QLatin1Char('\t');
        else if (next == QLatin1Char('r'))
            plain += QLatin1Char('\r');
        else if (next == QLatin1Char('\\'))
            plain += next;
        else
            plain += QLatin1Char('\\') + next;
    }
    return plain;
}

// The quoting of an Exec argument.
QString quotedArgument(const QString &argument)
{
    QString quoted = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

// The program of an Exec line, found through PATH; empty when the line or the program
// is not valid.
QString programOf(const QString &exec)
{
    const std::optional<QStringList> argv = expandExecLine(exec, {});
    return argv ? findProgram(argv->first()) : QString();
}

QHash<QString, QString> entryValues(const QByteArray &content)
{
    QHash<QString, QString> values;
    bool inEntry = false;
    for (const QString &line : QString::fromUtf8(content).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')))
            inEntry = trimmed == entryGroup;
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (inEntry && equals > 0 && !trimmed.startsWith(QLatin1Char('#')))
            values.insert(trimmed.left(equals).trimmed(), unescapedValue(trimmed.mid(equals + 1).trimmed()));
    }
    return values;
}

} // namespace

bool saveShellLink(const QString &linkFile, const ShellLink &link)
{
    const QString target = nativeOf(link.target);
    if (target.isEmpty())
        return false;
    QString text = entryGroup + QLatin1Char('\n');
    text += QStringLiteral("Version=1.0\nName=%1\n").arg(escapedValue(link.description));
    if (isProgram(target)) {
        text += QStringLiteral("Type=Application\nExec=%1 %f\n").arg(escapedValue(quotedArgument(target)));
        if (!link.workingDirectory.isEmpty())
            text += QStringLiteral("Path=%1\n").arg(escapedValue(nativeOf(link.workingDirectory)));
    } else {
        const QString url = QString::fromLatin1(nativeFileUrl(target).toEncoded());
        text += QStringLiteral("Type=Link\nURL=%1\n").arg(escapedValue(url));
        text += QStringLiteral("Icon=%1\n").arg(isNativeFolder(target) ? QStringLiteral("folder")
                                                                          : QStringLiteral("text-x-generic"));
    }
    QSaveFile file(nativeOf(linkFile));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    if (!file.commit())
        return false;
    // desktops run only the link files that their owner may execute
    QFile::setPermissions(nativeOf(linkFile), QFile::permissions(nativeOf(linkFile)) | QFile::ExeOwner);
    return true;
}

std::optional<ShellLink> loadShellLink(const QString &linkFile)
{
    QFile file(nativeOf(linkFile));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QHash<QString, QString> values = entryValues(file.readAll());
    const QString type = values.value(QStringLiteral("Type"));
    const QString path = values.value(QStringLiteral("Path"));
    ShellLink link{QString(), path.isEmpty() ? QString() : toDrivePath(path), values.value(QStringLiteral("Name"))};
    if (type == QLatin1String("Link")) {
        const QUrl url = QUrl::fromEncoded(values.value(QStringLiteral("URL")).toUtf8());
        const QString target = nativePathOfUrl(url);
        if (target.isEmpty())
            return std::nullopt;
        link.target = toDrivePath(target);
    } else if (type == QLatin1String("Application") && !values.value(QStringLiteral("Exec")).isEmpty()) {
        link.exec = values.value(QStringLiteral("Exec"));
        link.tryExec = values.value(QStringLiteral("TryExec"));
        link.icon = values.value(QStringLiteral("Icon"));
        link.terminal = values.value(QStringLiteral("Terminal")) == QLatin1String("true");
        const QString program = programOf(link.exec);
        link.target = program.isEmpty() ? QString() : toDrivePath(program);
    } else {
        return std::nullopt;
    }
    return link;
}

QString shellLinkIcon(const QString &linkFile)
{
    QFile file(nativeOf(linkFile));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return entryValues(file.readAll()).value(QStringLiteral("Icon"));
}

bool trustShellLink(const QString &linkFile)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
        return false;
    QProcess gio;
    gio.start(QStringLiteral("gio"), {QStringLiteral("set"), nativeOf(linkFile), QStringLiteral("metadata::trusted"),
                                      QStringLiteral("true")});
    return gio.waitForFinished(5000) && gio.exitStatus() == QProcess::NormalExit && gio.exitCode() == 0;
}

} // namespace platform
