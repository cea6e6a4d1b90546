#pragma once
// The map-network-drive dialog: a free drive letter, the path of a share
// ("\\server\share" or "smb://server/share") and whether to reconnect at the next start.
// It only collects the three values; NetworkDriveCommands connects them.

#include <QDialog>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TNetPathDlg : public QObject {
    Q_OBJECT

public:
    // The folder-browse dialog of the Browse button: true when a folder was chosen, the
    // path (a drive path) then set to it. BrowseForFolder rooted at the network unless
    // another is given.
    using FolderBrowser = std::function<bool(QWidget *owner, QString &path)>;

    explicit TNetPathDlg(QWidget *owner, FolderBrowser browser = {});
    ~TNetPathDlg() override;

    // Shows the form modally; true when confirmed with OK. Drive, NetPath and Reconnect
    // then hold the choice (Reconnect also after Cancel).
    bool Execute();

    QString Drive;
    QString NetPath;
    bool Reconnect = true;

    QDialog *form() const { return m_form; }
    const QStringList &offeredDrives() const { return m_drives; }

private:
    void FillDriveLetters();
    void browse();

    QDialog *m_form;
    QComboBox *m_driveField;
    QLineEdit *m_pathField;
    QCheckBox *m_reconnectBox;
    QLabel *m_noLetterLabel;
    QPushButton *m_okButton;
    QStringList m_drives;
    FolderBrowser m_browser;
};
