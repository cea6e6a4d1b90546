#pragma once
// The progress display of long file operations: a modal progress dialog, made when
// the work has lasted the delay, with a Cancel button that stops it. The event loop
// runs between the operation's steps, so the windows stay alive meanwhile.

#include "platform/FileOperation.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

class FileOperationProgressDialog : public platform::FileOperationProgress {
public:
    static constexpr int defaultDelayMs = 700;
    explicit FileOperationProgressDialog(int delayMs = defaultDelayMs);
    ~FileOperationProgressDialog() override;

    void start(platform::FileOperationKind kind, qint64 total) override;
    void setTotal(qint64 total) override { m_total = total; }
    bool advance(const QString &currentName, qint64 done) override;
    void finish() override;

    QProgressDialog *dialog() const { return m_dialog; }

private:
    void show();

    static constexpr int steps = 1000;
    static constexpr int pumpIntervalMs = 50;
    int m_delayMs;
    qint64 m_total = 0;
    QByteArray m_kind; // "Move", "Copy" ... : the end of the progress texts' names
    QPointer<QProgressDialog> m_dialog;
    bool m_running = false;
    bool m_shown = false;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sincePump;
};
