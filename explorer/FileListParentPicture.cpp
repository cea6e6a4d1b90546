#include "explorer/FileListParentPicture.h"

#include "explorer/FileListShell.h"
#include "platform/Errors.h"
#include "platform/Registry.h"

namespace {
const QString keyPath = QStringLiteral("Software\\Vorlik\\ZuFileExplorer");
const QString valueName = QStringLiteral("ParentImgIdx");

// The stored index, or -1 when there is none that can be read.
int storedIndex(const platform::RegistryKey &key)
{
    if (!key.valueExists(valueName))
        return -1;
    try {
        return key.readInteger(valueName);
    } catch (const platform::RegistryError &) {
        return -1;
    }
}
} // namespace

int parentPictureIndex()
{
    const QImage small(QStringLiteral(":/filelist/Parent_S282.png"));
    const QImage large(QStringLiteral(":/filelist/Parent_L282.png"));
    platform::RegistryKey key;
    const bool keyOpen = key.openKey(keyPath);
    const int stored = keyOpen ? storedIndex(key) : -1;
    if (stored >= 0) {
        const int probe = fileListShell::appendImage(small, large);
        const bool samePicture = stored < probe && fileListShell::largeImage(stored) == fileListShell::largeImage(probe);
        fileListShell::removeLastImage();
        if (samePicture)
            return stored;
    }
    const int index = fileListShell::appendImage(small, large);
    if (keyOpen)
        key.writeInteger(valueName, index);
    return index;
}
