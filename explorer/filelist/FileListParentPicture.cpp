#include "explorer/filelist/FileListParentPicture.h"

#include "explorer/shared/SystemImageList.h"
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
    QIcon picture;
    picture.addFile(QStringLiteral(":/filelist/Parent_S282.png"));
    picture.addFile(QStringLiteral(":/filelist/Parent_L282.png"));
    SystemImageList &images = SystemImageList::instance();
    platform::RegistryKey key;
    const bool keyOpen = key.openKey(keyPath);
    const int stored = keyOpen ? storedIndex(key) : -1;
    if (stored >= 0) {
        const int probe = images.append(picture);
        const bool samePicture
            = stored < probe && images.largePixmap(stored).toImage() == images.largePixmap(probe).toImage();
        images.removeLast();
        if (samePicture)
            return stored;
    }
    const int index = images.append(picture);
    if (keyOpen)
        key.writeInteger(valueName, index);
    return index;
}
