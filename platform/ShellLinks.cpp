#include "platform/ShellLinks.h"

#include "platform/DrivePaths.h"
#include "platform/Launcher.h"

#include <QFile>
#include <QFileInfo>
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
        const QChar next = text.at(++i);
        plain += next == QLatin1Char('s')   ? QChar(' ')
                 : next == QLatin1Char('n') ? QChar('\n')
                 : next == QLatin1Char('t') ? QChar('\t')
                 : next == QLatin1Char('r') ? QChar('\r')
                                            : next;
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

// The program of an Exec line: its first argument, quotes and escapes removed.
QString programOf(const QString &exec)
{
    QString program;
    bool inQuotes = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
        } else if (c == QLatin1Char('\\') && inQuotes && i + 1 < exec.size()) {
            program += exec.at(++i);
        } else if (c.isSpace() && !inQuotes) {
            if (!program.isEmpty())
                break;
        } else {
            program += c;
        }
    }
    return program;
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
        text += QStringLiteral("Type=Application\nExec=%1\n").arg(escapedValue(quotedArgument(target)));
        if (!link.workingDirectory.isEmpty())
            text += QStringLiteral("Path=%1\n").arg(escapedValue(nativeOf(link.workingDirectory)));
    } else {
        const QString url = QString::fromUtf8(QUrl::fromLocalFile(target).toEncoded());
        text += QStringLiteral("Type=Link\nURL=%1\n").arg(escapedValue(url));
        text += QStringLiteral("Icon=%1\n").arg(QFileInfo(target).isDir() ? QStringLiteral("folder")
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
    QString target;
    if (values.value(QStringLiteral("Type")) == QLatin1String("Link")) {
        const QUrl url = QUrl::fromEncoded(values.value(QStringLiteral("URL")).toUtf8());
        target = url.isLocalFile() ? url.toLocalFile() : QString();
    } else if (values.value(QStringLiteral("Type")) == QLatin1String("Application")) {
        target = programOf(values.value(QStringLiteral("Exec")));
    }
    if (target.isEmpty())
        return std::nullopt;
    const QString path = values.value(QStringLiteral("Path"));
    return ShellLink{toDrivePath(target), path.isEmpty() ? QString() : toDrivePath(path), values.value(QStringLiteral("Name"))};
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
