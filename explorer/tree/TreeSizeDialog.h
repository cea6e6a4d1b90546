#pragma once
// The small window of a running tree size count: the folders and bytes counted so far
// and Cancel. The count runs on worker threads; the window's thread keeps answering.

#include "explorer/shared/ExplorerTypes.h"
#include "platform/FolderSizeCounter.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;

class TreeSizeDialog : public QDialog {
    Q_OBJECT
public:
    TreeSizeDialog(QWidget *parent, const QString &shownPath, TLanguage language);

    // Counts below the native path and returns when done or cancelled; the window shows
    // itself only when the count lasts. A cancelled count returns at once, even while a
    // worker waits on a folder that does not answer (it ends on its own later).
    platform::FolderSizeResult count(const QString &nativePath);
    // As the Cancel button does.
    void cancelCount();
    QPushButton *cancelButton() const { return m_cancel; }
    // How long a count runs before the window shows (300 ms).
    void setShowDelay(int milliseconds) { m_showDelayMs = milliseconds; }

protected:
    void reject() override;

private:
    void showProgress();

    TLanguage m_language;
    int m_showDelayMs = 300;
    struct Run;
    std::shared_ptr<Run> m_run;
    QLabel *m_progress;
    QPushButton *m_cancel;
};
