#pragma once
// Counts a folder tree in the background: the hourglass for the first moments, then a
// small window with the folders and bytes counted so far and a Cancel button. The
// event loop keeps running all along, so the windows repaint and timers fire.

#include "platform/FolderSizeCounter.h"

#include <QDialog>
#include <QTimer>

class QEventLoop;
class QLabel;
class QPushButton;

class TreeSizeDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int showDelayMs = 200;
    static constexpr int refreshIntervalMs = 100;

    explicit TreeSizeDialog(QWidget *parent = nullptr);
    ~TreeSizeDialog() override;

    // Counts the native folder and returns the totals; `cancelled` is set when the
    // user stopped the count (Cancel, Escape or closing the window) or the dialog was
    // destroyed meanwhile.
    platform::FolderSizeResult count(const QString &nativeFolder);

    void reject() override;

private:
    void refresh();
    void stopWaiting();

    platform::FolderSizeCounter m_counter;
    QLabel *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
    QTimer m_refresh;
    QEventLoop *m_loop = nullptr;
    bool m_cancelled = false;
};
