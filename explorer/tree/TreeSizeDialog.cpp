#include "explorer/tree/TreeSizeDialog.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "platform/WaitCursor.h"

#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TreeSizeDialog::TreeSizeDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TreeSizeProgress"));
    setWindowTitle(ExplorerTexts.msgTreeSize.isEmpty() ? QStringLiteral("TREE SIZE") : ExplorerTexts.msgTreeSize);
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setMinimumWidth(280);
    layout->addWidget(m_progress);
    m_cancel = new QPushButton(treeCommandText(TreeTextLanguage, QStringLiteral("sizeCancel")), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &TreeSizeDialog::reject);
    m_refresh.setInterval(refreshIntervalMs);
    connect(&m_refresh, &QTimer::timeout, this, &TreeSizeDialog::refresh);
    refresh();
}

TreeSizeDialog::~TreeSizeDialog()
{
    stopWaiting();
}

void TreeSizeDialog::refresh()
{
    const platform::FolderSizeResult sofar = m_counter.progress();
    const QLocale locale;
    m_progress->setText(treeCommandText(TreeTextLanguage, QStringLiteral("sizeProgress"))
                            .arg(locale.toString(qulonglong(sofar.folders)), locale.toString(qulonglong(sofar.bytes))));
}

void TreeSizeDialog::stopWaiting()
{
    if (m_loop)
        m_loop->quit();
}

void TreeSizeDialog::reject()
{
    m_cancelled = true;
    m_counter.cancel();
    stopWaiting();
    QDialog::reject();
}

platform::FolderSizeResult TreeSizeDialog::count(const QString &nativeFolder)
{
    m_cancelled = false;
    QPointer<TreeSizeDialog> self(this);
    m_counter.start(nativeFolder, [self] {
        // on a worker thread: the dialog's own thread stops waiting
        QMetaObject::invokeMethod(self.data(), [self] { if (self) self->stopWaiting(); }, Qt::QueuedConnection);
    });
    m_refresh.start();
    {
        // Most counts end at once: until the window shows, typing and clicks wait.
        platform::WaitCursor hourglass;
        QEventLoop loop;
        m_loop = &loop;
        QTimer::singleShot(showDelayMs, &loop, &QEventLoop::quit);
        if (!m_counter.isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (self)
            m_loop = nullptr;
    }
    if (!self)
        return {0, 0, 0, true};
    if (!m_counter.isFinished() && !m_cancelled) {
        refresh();
        show();
        QEventLoop loop;
        m_loop = &loop;
        while (!m_counter.isFinished() && !m_cancelled) {
            loop.exec();
            if (!self)
                return {0, 0, 0, true};
        }
    }
    m_loop = nullptr;
    m_refresh.stop();
    hide();
    platform::FolderSizeResult result = m_counter.progress();
    result.cancelled = result.cancelled || m_cancelled;
    return result;
}
