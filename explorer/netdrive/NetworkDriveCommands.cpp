#include "explorer/netdrive/NetworkDriveCommands.h"

#include "explorer/shared/LanguageTables.h"
#include "explorer/netdrive/TNetCredentialsDlg.h"
#include "explorer/netdrive/TNetDisconnectDlg.h"
#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ShellUtils.h"

#include <QProgressDialog>
#include <QUrl>
#include <QWidget>

namespace {

constexpr int progressDelayMs = 500;
const QString connectErrorCaption = QStringLiteral("Error while connecting!");
const QString connectErrorText = QStringLiteral("An error occured while connecting:\r\n");

platform::NetworkCredentials credentialsFor(const QString &path)
{
    platform::NetworkCredentials credentials;
    credentials.user = QUrl(platform::shareAddress(path)).userName();
    return credentials;
}

} // namespace

NetworkDriveCommands::NetworkDriveCommands(QWidget *owner, TNetPathDlg::FolderBrowser browser)
    : QObject(owner)
    , m_owner(owner)
    , m_browser(std::move(browser))
{
}

platform::NetworkDriveJob *NetworkDriveCommands::newJob()
{
    auto *job = new platform::NetworkDriveJob(this);
    ++m_jobs;
    const auto done = [this, job] {
        --m_jobs;
        job->deleteLater();
    };
    connect(job, &platform::NetworkDriveJob::finished, this, done);
    connect(job, &platform::NetworkDriveJob::restored, this, done);
    return job;
}

bool NetworkDriveCommands::MapNetworkDrive()
{
    TNetPathDlg dialog(m_owner, m_browser);
    if (!dialog.Execute())
        return false;
    connectDrive(dialog.Drive, dialog.NetPath, dialog.Reconnect, {});
    return true;
}

void NetworkDriveCommands::connectDrive(const QString &drive, const QString &path, bool reconnect,
                                        const platform::NetworkCredentials &credentials)
{
    platform::NetworkDriveJob *job = newJob();
    showProgress(job, dialogText("netConnecting").arg(path));
    const bool askedCredentials = !credentials.isEmpty();
    connect(job, &platform::NetworkDriveJob::finished, this,
            [this, drive, reconnect, askedCredentials](const platform::NetworkResult &result) {
                connected(result, drive, reconnect, askedCredentials);
            });
    job->connectDrive(drive, path, reconnect, credentials);
}

void NetworkDriveCommands::connected(const platform::NetworkResult &result, const QString &drive, bool reconnect,
                                     bool askedCredentials)
{
    if (result.code == platform::netLogonFailure && !askedCredentials) {
        // The share wants a user and password the desktop does not know.
        platform::NetworkCredentials credentials = credentialsFor(result.remote);
        TNetCredentialsDlg dialog(result.remote, m_owner);
        if (dialog.Execute(credentials)) {
            connectDrive(drive, result.remote, reconnect, credentials);
            return;
        }
        emit finished({platform::netCancelled, result.letter, result.remote, QString()});
        return;
    }
    if (result.code == platform::netSucceeded)
        emit driveMapped(QString(result.letter) + QStringLiteral(":\\"));
    else if (result.code != platform::netCancelled)
        showPlainMessage(connectErrorCaption, connectErrorText + networkResultMessage(result));
    emit finished(result);
}

bool NetworkDriveCommands::DisconnectNetworkDrive()
{
    TNetDisconnectDlg dialog(m_owner ? m_owner->window() : nullptr);
    if (!dialog.Execute())
        return false;
    platform::NetworkDriveJob *job = newJob();
    connect(job, &platform::NetworkDriveJob::finished, this, [this](const platform::NetworkResult &result) {
        if (result.code == platform::netSucceeded)
            emit driveDisconnected(result.letter);
        else if (result.code != platform::netCancelled)
            showPlainMessage(dialogText("netDisconnectErrorCaption"),
                             dialogText("netDisconnectError") + networkResultMessage(result));
        emit finished(result);
    });
    showProgress(job, dialogText("netDisconnecting").arg(dialog.Drive));
    job->disconnectDrive(dialog.Drive);
    return true;
}

void NetworkDriveCommands::restoreAtStart()
{
    platform::NetworkDriveJob *job = newJob();
    connect(job, &platform::NetworkDriveJob::restored, this, [this](const QList<platform::NetworkResult> &failures) {
        if (!failures.isEmpty()) {
            QStringList lines;
            for (const platform::NetworkResult &failure : failures)
                lines.append(QString(failure.letter) + QStringLiteral(": ") + failure.remote + QStringLiteral(" - ")
                             + networkResultMessage(failure));
            showPlainMessage(connectErrorCaption, connectErrorText + lines.join(QStringLiteral("\r\n")));
        }
        emit drivesRestored();
    });
    job->restoreDrives();
}

void NetworkDriveCommands::showProgress(platform::NetworkDriveJob *job, const QString &text)
{
    // Not modal: the window stays usable; shown only when the network takes its time.
    auto *progress = new QProgressDialog(text, QString(), 0, 0, m_owner);
    progress->setCancelButtonText(QProgressDialog::tr("Cancel"));
    progress->setObjectName(QStringLiteral("NetProgress"));
    progress->setWindowTitle(dialogText("netProgressTitle"));
    progress->setWindowModality(Qt::NonModal);
    progress->setMinimumDuration(progressDelayMs);
    connect(progress, &QProgressDialog::canceled, job, &platform::NetworkDriveJob::cancel);
    connect(job, &platform::NetworkDriveJob::finished, progress, &QObject::deleteLater);
    connect(job, &QObject::destroyed, progress, &QObject::deleteLater);
}

void NetworkDriveCommands::cancel()
{
    for (platform::NetworkDriveJob *job : findChildren<platform::NetworkDriveJob *>())
        job->cancel();
}
