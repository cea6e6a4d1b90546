#pragma once
// Sizes and readiness of drives asked off the window thread: a drive whose server has
// stopped answering cannot hold the window. Each answer comes by signal on the thread
// that asked; a drive that has not answered within the timeout counts as not ready
// (sizes -1), and a late answer is dropped.

#include <QChar>
#include <QObject>

namespace platform {

class DriveSpaceQuery : public QObject {
    Q_OBJECT

public:
    explicit DriveSpaceQuery(QObject *parent = nullptr);

    // Asks for the total and free bytes of a present drive; `answered` follows.
    void query(QChar letter);
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int pending() const { return m_pending; }

signals:
    // -1 for both when the drive is not there, does not answer or is not ready.
    void answered(QChar letter, qint64 totalBytes, qint64 freeBytes);

private:
    int m_timeoutMs = 5000;
    int m_pending = 0;
};

} // namespace platform
