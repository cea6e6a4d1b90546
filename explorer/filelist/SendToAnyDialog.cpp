#include "explorer/filelist/SendToAnyDialog.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/ShellUtils.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SendToAnyDialog::SendToAnyDialog(QWidget *owner, const QString &initialText)
    : QDialog(owner)
    , m_edit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("SendToAnyDialog"));
    setWindowTitle(ExplorerTexts.msgSendToAny);
    setFixedSize(333, 135);
    auto *label = new QLabel(ExplorerTexts.msgEnterSendTo, this);
    label->move(20, 12);
    m_edit->setObjectName(QStringLiteral("edtSendTo"));
    m_edit->setGeometry(20, 32, 293, m_edit->sizeHint().height());
    m_edit->setMaxLength(285);
    m_edit->setText(initialText);
    m_edit->selectAll();
    // 75 x 25 at the given lefts, or wider where the caption needs it, the next button
    // moving along (the dialog grows with them)
    int right = 0;
    const auto addButton = [this, &right](const QString &name, const QString &caption, int left) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        const QSize hint = button->sizeHint();
        button->setGeometry(qMax(left, right > 0 ? right + 17 : 0), 80, qMax(75, hint.width()), qMax(25, hint.height()));
        right = button->geometry().right();
        return button;
    };
    QPushButton *ok = addButton(QStringLiteral("btnOK"), QStringLiteral("OK"), 37);
    QPushButton *cancel = addButton(QStringLiteral("btnCancel"), ExplorerTexts.msgCancel, 129);
    QPushButton *browse = addButton(QStringLiteral("btnBrowse"), ExplorerTexts.msgBrowse, 221);
    setFixedSize(qMax(width(), right + 21), qMax(height(), browse->geometry().bottom() + 31));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] { done(BrowseResult); });
}

QString SendToAnyDialog::text() const
{
    return m_edit->text();
}

QString askSendToDestination(QWidget *owner, const QString &initialText)
{
    QString text = initialText;
    for (;;) {
        SendToAnyDialog dialog(owner, text);
        const int result = dialog.exec();
        if (result == QDialog::Accepted)
            return dialog.text();
        if (result != SendToAnyDialog::BrowseResult)
            return QString();
        QString chosen;
        if (!BrowseForFolder(owner, chosen, brDesktop, false))
            return QString();
        text = chosen;
    }
}
