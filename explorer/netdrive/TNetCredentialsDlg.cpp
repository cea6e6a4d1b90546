#include "explorer/netdrive/TNetCredentialsDlg.h"

#include "explorer/shared/LanguageTables.h"
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

TNetCredentialsDlg::TNetCredentialsDlg(const QString &share, QWidget *owner)
    : QDialog(owner)
    , m_user(new QLineEdit(this))
    , m_domain(new QLineEdit(this))
    , m_password(new QLineEdit(this))
{
    setObjectName(QStringLiteral("NetCredentialsDlg"));
    setWindowTitle(dialogText("netConnectTitle").arg(share));
    m_user->setObjectName(QStringLiteral("edtUser"));
    m_domain->setObjectName(QStringLiteral("edtDomain"));
    m_password->setObjectName(QStringLiteral("edtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QFormLayout(this);
    layout->addRow(new QLabel(dialogText("netCredentials").arg(share), this));
    layout->addRow(dialogText("netUser"), m_user);
    layout->addRow(dialogText("netDomain"), m_domain);
    layout->addRow(dialogText("netPassword"), m_password);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TNetCredentialsDlg::Execute(platform::NetworkCredentials &credentials)
{
    m_user->setText(credentials.user);
    m_domain->setText(credentials.domain);
    m_password->clear();
    if (exec() != QDialog::Accepted)
        return false;
    credentials.user = m_user->text();
    credentials.domain = m_domain->text();
    credentials.password = m_password->text();
    return true;
}
