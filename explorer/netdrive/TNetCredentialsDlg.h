#pragma once
// Asks for the user name, domain and password a share wants.

#include "platform/NetworkDrives.h"

#include <QDialog>

class QLineEdit;

class TNetCredentialsDlg : public QDialog {
    Q_OBJECT

public:
    TNetCredentialsDlg(const QString &share, QWidget *owner);

    // True when confirmed; the credentials are then filled.
    bool Execute(platform::NetworkCredentials &credentials);

private:
    QLineEdit *m_user;
    QLineEdit *m_domain;
    QLineEdit *m_password;
};
