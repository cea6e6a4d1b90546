// Renaming the file in work, with its checks and the messages that explain a refusal.

#include "naming/RenameFileSystem.h"
#include "naming/TKestrava.h"

#include "platform/MessageBox.h"
#include "text/Ascii.h"

namespace {
constexpr qsizetype maxNameLength = 200;

const QString tooLongMessage = QStringLiteral("Il nome del file non puo superare i 200 caratteri.");
const QString tooManyBytesMessage = QStringLiteral("Il nome del file non può superare i %1 byte.");
const QString existsMessage = QStringLiteral("Nome file gia' esistente; specificare un altro nome.");
const QString refusedCharacterMessage =
    QStringLiteral("Il nome del file non può contenere il carattere \"%1\" in questa cartella.");
const QString inUseMessage = QStringLiteral("Il file e' attualmente in uso.");
const QString emptyNameMessage = QStringLiteral("Specificare il nuovo nome del file.");
const QString missingMessage = QStringLiteral("Il file \"%1\" non esiste più.");
const QString folderGoneMessage = QStringLiteral("La cartella \"%1\" non esiste più.");
const QString deniedMessage = QStringLiteral("Permesso negato: impossibile rinominare il file \"%1\".");
const QString notRegularMessage =
    QStringLiteral("\"%1\" non è un file ma una cartella, un dispositivo o un collegamento: non viene rinominato.");
const QString noFileMessage = QStringLiteral("Nessun file da rinominare.");
const QString failedMessage = QStringLiteral("Impossibile rinominare il file \"%1\".");

bool refuse(const QString &message)
{
    platform::showMessage(platform::MessageKind::Information, QStringLiteral("Information"), message,
                          int(platform::MessageButton::Ok));
    return false;
}

QString byteLimitMessage()
{
    return tooManyBytesMessage.arg(platform::maxNameBytes(QString()));
}

// True when done; otherwise tells why the file system refused to rename `name` to `target`.
bool renamed(platform::RenameResult result, const QString &name, const QString &target)
{
    switch (result) {
    case platform::RenameResult::Done:
        return true;
    case platform::RenameResult::TargetExists:
        return refuse(existsMessage);
    case platform::RenameResult::NameTooLong:
        return refuse(byteLimitMessage());
    case platform::RenameResult::NameRefused:
        return refuse(refusedCharacterMessage.arg(platform::characterRefusedByShares(target)));
    case platform::RenameResult::SourceMissing:
        return refuse(missingMessage.arg(name));
    case platform::RenameResult::AccessDenied:
        return refuse(deniedMessage.arg(name));
    case platform::RenameResult::Busy:
        return refuse(inUseMessage);
    case platform::RenameResult::Failed:
        break;
    }
    return refuse(failedMessage.arg(name));
}

// A name that differs from `target` at most in letter case passes through a free
// temporary name, so that file systems that ignore letter case take the new spelling.
bool renameThroughTemporary(RenameFileSystem &fileSystem, const QString &oldName, const QString &target,
                            const QString &extension)
{
    QString temporary = QStringLiteral("Zerko") + extension;
    while (fileSystem.fileExists(temporary))
        temporary += QLatin1Char('1');
    if (!renamed(fileSystem.rename(oldName, temporary), oldName, temporary))
        return false;
    const platform::RenameResult result = fileSystem.rename(temporary, target);
    if (result != platform::RenameResult::Done)
        fileSystem.rename(temporary, oldName); // keep the file under its old name
    return renamed(result, oldName, target);
}
} // namespace

bool TKestrava::PerformRename(const QString &oldName, const QString &newName, const QString &extension)
{
    PlatformRenameFileSystem fileSystem;
    return PerformRename(oldName, newName, extension, fileSystem);
}

bool TKestrava::PerformRename(const QString &oldName, const QString &newName, const QString &extension,
                              RenameFileSystem &fileSystem)
{
    // An empty new name leaves only the extension, which here names a hidden file; a
    // name of blanks alone is no name either.
    if (ascii::trimmed(newName).isEmpty())
        return refuse(emptyNameMessage);
    const QString target = newName + extension;
    if (target.size() > maxNameLength)
        return refuse(tooLongMessage);
    if (!fileSystem.nameFits(target))
        return refuse(byteLimitMessage());

    // Only a regular file (or a link to one: the link is renamed, never what it points
    // to): no folder, device or FIFO is made writable or renamed in its place.
    if (oldName.isEmpty())
        return refuseNoFile();
    switch (fileSystem.kindOf(oldName)) {
    case platform::EntryKind::Missing:
        return refuse(missingMessage.arg(oldName));
    case platform::EntryKind::NotRegularFile:
        return refuse(notRegularMessage.arg(oldName));
    case platform::EntryKind::RegularFile:
    case platform::EntryKind::Unreachable: // the rename tells why
        break;
    }
    fileSystem.setAttributesNormal(oldName);
    if (!fileSystem.fileExists(target))
        return renamed(fileSystem.rename(oldName, target), oldName, target);

    const bool sameFile = ascii::equalsIgnoringCase(oldName, target) && fileSystem.isSameFile(oldName, target);
    if (!sameFile)
        return refuse(existsMessage);
    return renameThroughTemporary(fileSystem, oldName, target, extension);
}

bool TKestrava::refuseFolderGone(const QString &folder)
{
    return refuse(folderGoneMessage.arg(folder));
}

bool TKestrava::refuseNoFile()
{
    return refuse(noFileMessage);
}
