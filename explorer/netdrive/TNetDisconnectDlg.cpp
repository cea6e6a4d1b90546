#include "explorer/netdrive/TNetDisconnectDlg.h"

#include "explorer/shared/LanguageTables.h"
#include "platform/DriveTable.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
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
    fitColumns();
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_list->topLevelItemCount() > 0);
}

void TNetDisconnectDlg::fitColumns()
{
    // Every column as wide as its widest text; the dialog as wide as the columns, up to
    // the screen's width.
    int columnsWidth = 0;
    for (int column = 0; column < m_list->columnCount(); ++column) {
        m_list->resizeColumnToContents(column);
        columnsWidth += m_list->columnWidth(column);
    }
    const QMargins margins = layout()->contentsMargins();
    int wanted = columnsWidth + 2 * m_list->frameWidth() + margins.left() + margins.right()
                 + m_list->verticalScrollBar()->sizeHint().width();
    if (const QScreen *shown = screen())
        wanted = qMin(wanted, shown->availableGeometry().width());
    resize(qMax(width(), wanted), height());
}

bool TNetDisconnectDlg::Execute()
{
    if (exec() != QDialog::Accepted || !m_list->currentItem())
        return false;
    Drive = m_list->currentItem()->data(0, Qt::UserRole).toChar();
    return true;
}
