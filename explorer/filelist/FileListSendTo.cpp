#include "explorer/filelist/FileListSendTo.h"

#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/filelist/SendToAnyDialog.h"
#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/KnownFolders.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellUtils.h"
#include "platform/ClipboardContents.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/FileClipboard.h"
#include "platform/ExecLine.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"
#include "platform/Launcher.h"
#include "platform/ShellLinks.h"
#include "platform/WaitCursor.h"
#include "text/Ascii.h"

#include <algorithm>

FileListSendTo::FileListSendTo(TZuFilelistView28 &list)
    : m_list(list)
{
}

namespace {
// The link files of the send-to folder, in no particular order.
QList<platform::FoundEntry> sendToLinkFiles(const QString &folder)
{
    QList<platform::FoundEntry> files;
    if (folder.isEmpty())
        return files;
    platform::FoundEntry found;
    platform::FindFiles links(JoinPath(folder, QLatin1Char('*') + platform::shellLinkExtension),
                              platform::EntryKinds::NonFolders);
    while (links.next(found))
        files.append(found);
    return files;
}
} // namespace

QString FileListSendTo::sendToFolderState()
{
    const QString folder = SpecialFolderPath(5);
    QStringList lines;
    for (const platform::FoundEntry &file : sendToLinkFiles(folder))
        lines.append(QStringLiteral("%1/%2/%3").arg(file.name).arg(file.size).arg(file.lastWriteTime));
    std::sort(lines.begin(), lines.end());
    return folder + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
}

QList<SendToEntry> FileListSendTo::sendToEntries()
{
    QList<SendToEntry> entries;
    const QString folder = SpecialFolderPath(5);
    QStringList names;
    for (const platform::FoundEntry &file : sendToLinkFiles(folder))
        names.append(file.name);
    std::sort(names.begin(), names.end());
    for (const QString &name : std::as_const(names)) {
        const QString path = JoinPath(folder, name);
        const std::optional<platform::ShellLink> link = platform::loadShellLink(path);
        if (link && !platform::programLinkInstalled(*link))
            continue;
        QString caption = link && !link->description.isEmpty() ? link->description : FileNameNoExt(name);
        entries.append({path, caption, platform::shellLinkIcon(path)});
    }
    return entries;
}

bool FileListSendTo::isPictureExtension(const QString &extension)
{
    static const QStringList pictures = {QStringLiteral(".BMP"), QStringLiteral(".GIF"), QStringLiteral(".JPG"),
                                         QStringLiteral(".TIFF"), QStringLiteral(".PNG"), QStringLiteral(".ICO"),
                                         QStringLiteral(".WMF")};
    return pictures.contains(extension);
}

void FileListSendTo::copyToFolder(const QString &destination)
{
    m_list.commands().CopyToFolder(destination);
}

void FileListSendTo::AnyFolder()
{
    const QString destination = askSendToDestination(m_list.window(), QString());
    if (!destination.isEmpty())
        copyToFolder(platform::normalizedDrivePath(destination));
}

void FileListSendTo::ClipboardAsContents()
{
    const QStringList paths = m_list.commands().selectedItemPaths();
    if (paths.isEmpty())
        return;
    const QString path = paths.first();
    const QString extension = ascii::toUpper(extensionPart(path));
    platform::WaitCursor hourglass;
    const bool placed = isPictureExtension(extension)
                            ? platform::putPictureFileOnClipboard(path)
                            : platform::putTextFileOnClipboard(path, extension == QLatin1String(".RTF"));
    if (!placed)
        // msgCant carries the error prefix already.
        showErrorDialog(ExplorerTexts.msgCant + QStringLiteral("Copy") + ExplorerTexts.msgFile + path);
}

void FileListSendTo::ClipboardAsFileName()
{
    const QStringList paths = m_list.commands().selectedItemPaths();
    QStringList natives;
    for (const QString &path : paths)
        natives.append(platform::toNativePath(DelSlash(path)));
    // other programs take the system's own paths, one a line, each its own bytes
    if (!natives.isEmpty())
        platform::putPathsAsTextOnClipboard(natives);
}

void FileListSendTo::DeskTopAsShortCut()
{
    const QStringList paths = m_list.commands().selectedItemPaths();
    if (paths.isEmpty()) {
        showErrorDialog(ExplorerTexts.msgNoSelection);
        return;
    }
    const QString target = DelSlash(paths.first());
    const QString desktop = SpecialFolderPath(0);
    const QString name = FileNameNoExt(fileNamePart(target));
    // An existing file of that name on the desktop is kept: the link takes a numbered name.
    QString linkFile = AddSlash(desktop) + name + platform::shellLinkExtension;
    for (int number = 2; !desktop.isEmpty() && platform::fileAttributes(linkFile) != platform::invalidFileAttributes;
         ++number)
        linkFile = AddSlash(desktop) + name + QStringLiteral(" (%1)").arg(number) + platform::shellLinkExtension;
    if (desktop.isEmpty() || !platform::saveShellLink(linkFile, {target, folderPart(target), name})) {
        showErrorDialog(ExplorerTexts.msgShortcutFailed);
        return;
    }
    platform::trustShellLink(linkFile);
}

void FileListSendTo::SendToShortcut(const QString &path)
{
    const QStringList selected = m_list.commands().selectedItemPaths();
    if (selected.isEmpty())
        return;
    if (ascii::toUpper(extensionPart(path)) != ascii::toUpper(platform::shellLinkExtension)) {
        if (DirExists(path))
            copyToFolder(path);
        return;
    }
    const std::optional<platform::ShellLink> link = platform::loadShellLink(path);
    if (!link)
        return;
    if (!link->exec.isEmpty()) {
        // a program link: the selected items are its files, each one argument
        QStringList natives;
        for (const QString &item : selected)
            natives.append(platform::toNativePath(DelSlash(item)));
        const QString first = DelSlash(selected.first());
        if (platform::launchProgramLink(*link, path, natives, folderPart(first)) <= 32) {
            // the entry as the menu shows it, and the program it could not start
            const QString entry = link->description.isEmpty() ? FileNameNoExt(fileNamePart(path)) : link->description;
            const bool tryExecMissing = !link->tryExec.isEmpty() && platform::findProgram(link->tryExec).isEmpty();
            const std::optional<QStringList> words = platform::expandExecLine(link->exec, {});
            const QString program = tryExecMissing ? link->tryExec : words && !words->isEmpty() ? words->first() : link->exec;
            const bool found = !tryExecMissing && !link->target.isEmpty();
            showErrorDialog(fileListCommandText(m_list.Language(), found ? QStringLiteral("sendToNotStarted")
                                                                         : QStringLiteral("sendToNoProgram"))
                                .arg(entry, program));
        }
        return;
    }
    const QString target = link->target;
    if (platform::driveKind(driveLetterOf(target)) == platform::DriveKind::Removable) {
        platform::WaitCursor hourglass;
        if (DriveReady(driveLetterOf(target), true))
            copyToFolder(target);
    } else if (DirExists(target)) {
        copyToFolder(target);
    } else {
        // the item's whole path, never its name alone: a name such as "C:" is no path
        const QString first = DelSlash(selected.first());
        ExecuteFile(QStringLiteral("Open"), target, first, folderPart(first), 5);
    }
}
