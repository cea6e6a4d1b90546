#include "explorer/shared/FileOperationProgressDialog.h"
#include "explorer/shared/LanguageTables.h"

#include <QApplication>

FileOperationProgressDialog::FileOperationProgressDialog(int delayMs) : m_delayMs(delayMs) {}

FileOperationProgressDialog::~FileOperationProgressDialog()
{
    finish();
}

void FileOperationProgressDialog::start(platform::FileOperationKind kind, qint64 total)
{
    static const char *const kinds[] = {"", "Move", "Copy", "Delete", "Rename"};
    finish();
    m_kind = QByteArray(kinds[int(kind)]);
    m_total = total;
    m_running = true;
    m_sinceStart.start();
    m_sincePump.start();
}

void FileOperationProgressDialog::show()
{
    m_dialog = new QProgressDialog(QApplication::activeWindow());
    m_dialog->setObjectName(QStringLiteral("FileOperationProgress"));
    m_dialog->setWindowTitle(dialogText(("progress" + m_kind).constData()));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setRange(0, steps);
    m_dialog->setMinimumDuration(0);
    m_dialog->show();
    m_shown = true;
}

bool FileOperationProgressDialog::advance(const QString &currentName, qint64 done)
{
    if (!m_running)
        return true;
    // The dialog is made only for work that lasts: most operations end before.
    if (!m_shown && m_sinceStart.elapsed() >= m_delayMs)
        show();
    if (m_dialog) {
        m_dialog->setLabelText(dialogText(("progressItem" + m_kind).constData()).arg(currentName));
        const qint64 step = m_total > 0 ? std::min<qint64>(steps, done * steps / m_total) : 0;
        m_dialog->setValue(int(std::max<qint64>(step, m_dialog->value())));
    }
    // The windows repaint and timers run while the work lasts; until the modal dialog
    // shows, what the user types or clicks waits for the end of the operation.
    if (m_sincePump.elapsed() >= pumpIntervalMs) {
        QCoreApplication::processEvents(m_dialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        m_sincePump.restart();
    }
    // a dialog closed by other means than Cancel also stops the work
    return !m_shown || (m_dialog && !m_dialog->wasCanceled());
}

void FileOperationProgressDialog::finish()
{
    delete m_dialog;
    m_running = false;
    m_shown = false;
}
