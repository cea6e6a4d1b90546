#pragma once
// The program's command line: an optional file or folder to open, --help, --version.

#include <QString>
#include <QStringList>

class CommandLine {
public:
    enum Action { Run, ShowHelp, ShowVersion, Refuse };

    // `arguments` as the program received them, the program's name first.
    static CommandLine parse(const QStringList &arguments);

    Action action() const { return m_action; }
    QString path() const { return m_path; } // empty when none was given
    // What to print for ShowHelp, ShowVersion and Refuse.
    QString text() const { return m_text; }
    // The exit status for an action other than Run.
    int exitCode() const { return m_action == Refuse ? 2 : 0; }

private:
    Action m_action = Run;
    QString m_path;
    QString m_text;
};
