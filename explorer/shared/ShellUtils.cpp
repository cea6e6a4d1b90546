#include "explorer/shared/ShellUtils.h"

#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/PropertiesDialog.h"
#include "explorer/shared/KnownFolders.h"
#include "platform/DrivePaths.h"
#include "platform/FileManager.h"
#include "platform/Launcher.h"
#include "platform/FileSystem.h"
#include "platform/NetworkDrives.h"
#include "platform/ShellFolders.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QString rootFolder(int rootKind)
{
    switch (rootKind) {
    case brDesktop:
        return platform::toNativePath(SpecialFolderPath(0));
    case brDocuments:
        return platform::toNativePath(SpecialFolderPath(3));
    case brCommonPrograms:
    case brCommonStartMenu:
        return QStringLiteral("/usr/share/applications");
    case brNetwork:
        return platform::networkPlacesFolder();
    default:
        return QDir::homePath();
    }
}

QString propertiesErrorText(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("Access denied");
    case 8:
        return QStringLiteral("Not enough memory for this operation");
    case 32:
        return QStringLiteral("Sharing violation");
    case 1155:
        return QStringLiteral("There is no application associated with the given filename extension.");
    case 1156:
        return QStringLiteral("The DDE transaction failed.");
    case 1157:
        return QStringLiteral("DLL not found");
    case 1223:
        return QStringLiteral("The function prompted the user for the location of the application, but the user "
                              "cancelled the request.");
    default:
        return QString();
    }
}

} // namespace

int ExecuteFile(const QString &operation, const QString &file, const QString &parameters, const QString &directory,
                int /*showMode*/)
{
    const int code = platform::launch(operation, file, parameters, directory);
    if (code <= 32)
        showErrorDialog(ExplorerTexts.msgCant + operation + ExplorerTexts.msgFile + file);
    return code;
}

bool BrowseForFolder(QWidget *owner, QString &path, int rootKind, bool includeFiles)
{
    QFileDialog dialog(owner, ExplorerTexts.msgSpecifyDir, rootFolder(rootKind));
    dialog.setObjectName(QStringLiteral("BrowseForFolder"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, !includeFiles);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (!QFileInfo(chosen).isDir())
        return false;
    path = AddSlash(platform::toDrivePath(chosen));
    return true;
}

void ShowProperties(const QString &path)
{
    const QString native = platform::toNativePath(path);
    const int error = platform::pathLookupError(native);
    if (error != 0) {
        const QString text = propertiesErrorText(error);
        if (!text.isEmpty())
            showPlainMessage(text);
        return;
    }
    if (platform::showItemPropertiesInFileManager(native))
        return;
    auto *dialog = new PropertiesDialog(path, QApplication::activeWindow());
    dialog->show();
}

QString networkResultMessage(const platform::NetworkResult &result)
{
    static const QHash<int, const char *> names = {
        {platform::netBadNetPath, "netErrBadPath"},     {platform::netBadNetName, "netErrBadName"},
        {platform::netAlreadyAssigned, "netErrAssigned"}, {platform::netBadDevice, "netErrBadDevice"},
        {platform::netExtendedError, "netErrExtended"}, {platform::netNoNetwork, "netErrNoNetwork"},
        {platform::netCancelled, "netErrCancelled"},    {platform::netLogonFailure, "netErrLogon"},
        {platform::netNotConnected, "netErrNotConnected"}, {platform::netOpenFiles, "netErrOpenFiles"},
    };
    if (result.code == platform::netExtendedError && !result.detail.isEmpty())
        return result.detail;
    const char *name = names.value(result.code);
    return name ? dialogText(name) : platform::networkErrorText(result.code);
}

int ConnectNetDrive(const QString &localDevice, const QString &remote, bool showError, bool silent)
{
    const int code = platform::connectNetworkDrive(localDevice, remote, silent);
    if (code != platform::netSucceeded && showError)
        showPlainMessage(QStringLiteral("Error while connecting!"),
                         QStringLiteral("An error occured while connecting:\r\n") + networkResultMessage({code, {}, {}, {}}));
    return code;
}
