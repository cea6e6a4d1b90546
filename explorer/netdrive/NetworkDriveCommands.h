#pragma once
// The folder tree's network commands: map a drive (the map dialog, the connection,
// credentials when the share asks for them, the error message) and disconnect one
// (the disconnect dialog, the unmount), and the reconnection of the kept drives at
// start. The dialogs are modal; the network work runs in the background, with a
// progress window and Cancel when it takes its time, and its end comes by signal, so
// the window never waits on the network.

#include "explorer/netdrive/TNetPathDlg.h"
#include "platform/NetworkDrives.h"

#include <QObject>
#include <QPointer>

class QWidget;

class NetworkDriveCommands : public QObject {
    Q_OBJECT

public:
    explicit NetworkDriveCommands(QWidget *owner, TNetPathDlg::FolderBrowser browser = {});

    // Shows the map dialog and starts the connection; false when the dialog was
    // cancelled (nothing happens then). driveMapped or an error message follows.
    bool MapNetworkDrive();
    // Shows the disconnect dialog and starts the disconnection; false when cancelled.
    // driveDisconnected or an error message follows.
    bool DisconnectNetworkDrive();
    // Mounts again the drives kept for the next start, without asking; the failures
    // are told in one message. drivesRestored follows.
    void restoreAtStart();

    bool isBusy() const { return m_jobs > 0; }
    // Stops the connections in progress; they end without a message.
    void cancel();

signals:
    void driveMapped(const QString &drivePath); // "E:\"
    void driveDisconnected(QChar letter);
    void drivesRestored();
    void finished(const platform::NetworkResult &result);

private:
    platform::NetworkDriveJob *newJob();
    // A progress window with Cancel while the job runs.
    void showProgress(platform::NetworkDriveJob *job, const QString &text);
    void connectDrive(const QString &drive, const QString &path, bool reconnect,
                      const platform::NetworkCredentials &credentials);
    void connected(const platform::NetworkResult &result, const QString &drive, bool reconnect, bool askedCredentials);

    QPointer<QWidget> m_owner;
    TNetPathDlg::FolderBrowser m_browser;
    int m_jobs = 0;
};
