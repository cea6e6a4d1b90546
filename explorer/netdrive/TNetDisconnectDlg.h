#pragma once
// The disconnect-network-drive dialog: the mapped network drives (letter, share,
// whether it is mounted now) to pick one from, with OK and Cancel.

#include <QChar>
#include <QDialog>

class QTreeWidget;

class TNetDisconnectDlg : public QDialog {
    Q_OBJECT

public:
    explicit TNetDisconnectDlg(QWidget *owner);

    // Shows the dialog modally; true when a drive was picked and confirmed.
    bool Execute();
    QChar Drive; // the drive picked

private:
    void fitColumns();

    QTreeWidget *m_list;
};
