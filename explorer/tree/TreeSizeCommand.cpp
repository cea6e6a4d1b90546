#include "explorer/tree/TreeSizeCommand.h"

#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/tree/TreeSizeDialog.h"
#include "explorer/tree/TreeSizeMessage.h"
#include "platform/DrivePaths.h"

#include <QPointer>
#include <QWidget>

double TreeSizeCommand::run(QWidget *tree, const QString &drivePath, int nodeLevel)
{
    platform::FolderSizeResult result;
    const QString nativeFolder = nodeLevel > 0 ? platform::toNativePath(drivePath) : QString();
    if (!nativeFolder.isEmpty()) {
        QPointer<TreeSizeDialog> dialog = new TreeSizeDialog(tree ? tree->window() : nullptr);
        result = dialog->count(nativeFolder);
        delete dialog;
        if (result.cancelled)
            return 0;
    }
    showInformationDialog(TreeSizeMessage::compose(TreeSizeMessage::label(drivePath, nodeLevel), result.bytes,
                                                   result.unreadableFolders));
    return double(result.bytes);
}

double TreeSizeCommand::folderBytes(const QString &drivePath)
{
    const QString nativeFolder = platform::toNativePath(drivePath);
    if (nativeFolder.isEmpty())
        return 0;
    return double(platform::FolderSizeCounter().count(nativeFolder).bytes);
}
