#pragma once
// A temporary folder with real files, made the process's current folder while it lives.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempFolder {
public:
    explicit TempFolder(bool makeCurrent = true);
    ~TempFolder();

    QString path() const { return m_dir.path(); }         // native
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString drivePath() const;                              // "C:\tmp\..."

    // Writes a file (folders on the way are created); returns its native path.
    QString write(const QString &name, const QByteArray &content) const;
    QByteArray read(const QString &name) const;
    bool exists(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QString m_previousFolder;
};
