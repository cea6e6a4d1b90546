#pragma once
// Points XDG_STATE_HOME (where the undo log lives) at a folder for one test, and back at
// what it was afterwards.

#include <QByteArray>
#include <QFile>
#include <QString>

class StateHome {
public:
    explicit StateHome(const QString &folder) : m_before(qgetenv("XDG_STATE_HOME"))
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(folder));
    }
    ~StateHome() { qputenv("XDG_STATE_HOME", m_before); }
    StateHome(const StateHome &) = delete;
    StateHome &operator=(const StateHome &) = delete;

private:
    QByteArray m_before;
};
