#include "platform/FileClipboard.h"

#include "platform/NativeNames.h"
#include "platform/NativePaths.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace platform {

namespace {
const QString gnomeFormat = QStringLiteral("x-special/gnome-copied-files");
const QString kdeCutFormat = QStringLiteral("application/x-kde-cutselection");
const QString uriListFormat = QStringLiteral("text/uri-list");

// The URI lines (comments and blank lines left out) into the files' paths or refusals.
void takeUriLines(const QList<QByteArray> &lines, ClipboardFiles &files)
{
    for (const QByteArray &line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        const QString path = nativePathOfUrl(QUrl::fromEncoded(trimmed));
        if (path.isEmpty())
            files.refused.append(QString::fromUtf8(trimmed));
        else
            files.nativePaths.append(path);
    }
}

const QString textFormat = QStringLiteral("text/plain");

// The paths one a line, as their bytes: the text another program reads names the files.
QByteArray nativeLines(const QStringList &nativePaths)
{
    QByteArray lines;
    for (const QString &path : nativePaths) {
        if (!lines.isEmpty())
            lines += '\n';
        lines += encodeNativeName(path);
    }
    return lines;
}

QClipboard *clipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}
// What this program put on the clipboard last.
QStringList &lastPutPaths()
{
    static QStringList paths;
    return paths;
}
} // namespace

QMimeData *fileListMimeData(const QStringList &nativePaths, bool cut)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    QByteArray gnome = cut ? "cut" : "copy";
    for (const QString &path : nativePaths) {
        const QUrl url = nativeFileUrl(path);
        urls.append(url);
        gnome += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setData(gnomeFormat, gnome);
    data->setData(kdeCutFormat, cut ? "1" : "0");
    data->setData(textFormat, nativeLines(nativePaths));
    return data;
}

ClipboardFiles filesOfMimeData(const QMimeData *data)
{
    ClipboardFiles files;
    if (!data)
        return files;
    if (data->hasFormat(gnomeFormat)) {
        QList<QByteArray> lines = data->data(gnomeFormat).split('\n');
        const QByteArray verb = lines.isEmpty() ? QByteArray() : lines.takeFirst().trimmed();
        if (verb == "cut" || verb == "copy") {
            takeUriLines(lines, files);
            files.cut = verb == "cut";
            return files;
        }
    }
    if (data->hasFormat(uriListFormat)) {
        takeUriLines(data->data(uriListFormat).split('\n'), files);
        files.cut = data->hasFormat(kdeCutFormat) && data->data(kdeCutFormat).trimmed() == "1";
        return files;
    }
    if (data->hasText()) {
        const QList<QByteArray> lines = data->data(textFormat).split('\n');
        for (QByteArray line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.trimmed().isEmpty())
                continue;
            // the line as it stands names the file; blanks around it only when it does not
            QString path = decodeNativeName(line);
            if (!nativeExists(path))
                path = decodeNativeName(line.trimmed());
            if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)) || !nativeExists(path))
                return {};
            files.nativePaths.append(path);
        }
    }
    return files;
}

void putFilesOnClipboard(const QStringList &nativePaths, bool cut)
{
    lastPutPaths() = nativePaths;
    if (QClipboard *board = clipboard())
        board->setMimeData(fileListMimeData(nativePaths, cut));
}

void putPathsAsTextOnClipboard(const QStringList &nativePaths)
{
    if (QClipboard *board = clipboard()) {
        auto *data = new QMimeData;
        data->setData(textFormat, nativeLines(nativePaths));
        board->setMimeData(data);
    }
}

ClipboardFiles filesOnClipboard()
{
    QClipboard *board = clipboard();
    return board ? filesOfMimeData(board->mimeData()) : ClipboardFiles();
}

bool clipboardHoldsFiles()
{
    return !filesOnClipboard().nativePaths.isEmpty();
}

bool clipboardHoldsOtherProgramsFiles()
{
    const QStringList held = filesOnClipboard().nativePaths;
    return !held.isEmpty() && held != lastPutPaths();
}

} // namespace platform
