#include "explorer/netdrive/TNetDisconnectDlg.h"

#include "explorer/shared/LanguageTables.h"
#include "platform/DriveTable.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TNetDisconnectDlg::TNetDisconnectDlg(QWidget *owner)
    : QDialog(owner)
    , m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("NetDisconnectDlg"));
    setWindowTitle(dialogText("netDisconnectTitle"));
    resize(420, 220);
    m_list->setObjectName(QStringLiteral("lvwDrives"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({dialogText("netDrive"), dialogText("netPath"), dialogText("netStatus")});
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    const quint32 present = platform::presentDriveMask();
    for (const platform::MappedDrive &mapped : platform::mappedDrives()) {
        if (mapped.remote.isEmpty())
            continue;
        const bool mounted = present & (1u << (mapped.letter.unicode() - 'A'));
        auto *item = new QTreeWidgetItem(m_list, {QString(mapped.letter) + QLatin1Char(':'), mapped.remote,
                                                  dialogText(mounted ? "netConnected" : "netNotConnected")});
        item->setData(0, Qt::UserRole, mapped.letter);
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_list->topLevelItemCount() > 0);
}

bool TNetDisconnectDlg::Execute()
{
    if (exec() != QDialog::Accepted || !m_list->currentItem())
        return false;
    Drive = m_list->currentItem()->data(0, Qt::UserRole).toChar();
    return true;
}
