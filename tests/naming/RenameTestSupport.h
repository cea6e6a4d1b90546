#pragma once
// Shared by the rename tests: the messages, a folder's contents, and a fixture that
// renames files the way the main window does, in a temporary current folder.

#include "naming/RenameFileSystem.h"
#include "naming/TKestrava.h"
#include "tests/common/TempFolder.h"

#include "tests/common/ScriptedMessageResponder.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <gtest/gtest.h>

namespace renameMessages {
inline const QString tooLong = QStringLiteral("Il nome del file non puo superare i 200 caratteri.");
inline const QString exists = QStringLiteral("Nome file gia' esistente; specificare un altro nome.");
inline const QString inUse = QStringLiteral("Il file e' attualmente in uso.");
inline const QString emptyName = QStringLiteral("Specificare il nuovo nome del file.");
inline const QString tooManyBytes = QStringLiteral("Il nome del file non può superare i 255 byte.");
inline QString gone(const QString &name) { return QStringLiteral("Il file \"%1\" non esiste più.").arg(name); }
inline QString denied(const QString &name)
{
    return QStringLiteral("Permesso negato: impossibile rinominare il file \"%1\".").arg(name);
}
} // namespace renameMessages

// Each name in the folder with its content ("<folder>" for a folder).
using FolderContents = QMap<QString, QByteArray>;
FolderContents folderContents(const QString &folder);

template <class FileSystem>
class RenameFixture : public ::testing::Test {
protected:
    // Loads `oldName` and renames it to `newName` with the loaded extension.
    bool rename(const QString &oldName, const QString &newName)
    {
        TKestrava engine;
        engine.SetFileName(oldName);
        return TKestrava::PerformRename(engine.OriginalName(), newName, engine.Extension(), fileSystem);
    }

    TempFolder folder;
    FileSystem fileSystem;
    platform::ScriptedMessageResponder messages;
};
