#include "explorer/FileOperationProgressDialog.h"

#include <QApplication>

FileOperationProgressDialog::FileOperationProgressDialog(int delayMs) : m_delayMs(delayMs) {}

FileOperationProgressDialog::~FileOperationProgressDialog()
{
    finish();
}

void FileOperationProgressDialog::start(platform::FileOperationKind kind, qint64 total)
{
    static const QString verbs[] = {QString(), QStringLiteral("Moving"), QStringLiteral("Copying"),
                                    QStringLiteral("Deleting"), QStringLiteral("Renaming")};
    m_verb = verbs[int(kind)];
    m_total = total;
    finish();
    m_dialog = new QProgressDialog(QApplication::activeWindow());
    m_dialog->setObjectName(QStringLiteral("FileOperationProgress"));
    m_dialog->setWindowTitle(m_verb + QStringLiteral("..."));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setRange(0, steps);
    m_dialog->setMinimumDuration(m_delayMs);
    m_dialog->setValue(0);
    m_sincePump.start();
}

bool FileOperationProgressDialog::advance(const QString &currentName, qint64 done)
{
    if (!m_dialog)
        return true;
    m_dialog->setLabelText(QStringLiteral("%1 \"%2\"").arg(m_verb, currentName));
    const qint64 step = m_total > 0 ? std::min<qint64>(steps, done * steps / m_total) : 0;
    // setValue shows the dialog once the delay has passed and lets the user act
    m_dialog->setValue(int(std::max<qint64>(step, m_dialog->value())));
    // The windows repaint and timers run while the work lasts; until the modal dialog
    // shows, what the user types or clicks waits for the end of the operation.
    if (m_dialog && m_sincePump.elapsed() >= pumpIntervalMs) {
        QCoreApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        m_sincePump.restart();
    }
    return m_dialog && !m_dialog->wasCanceled();
}

void FileOperationProgressDialog::finish()
{
    delete m_dialog;
}
