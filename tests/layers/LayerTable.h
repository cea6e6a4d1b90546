#pragma once
// The table of layers: which folders the code of a folder may use.

#include <QHash>
#include <QString>
#include <QStringList>

class LayerTable {
public:
    // Parses the table's text; mistakes in it are kept in errors().
    explicit LayerTable(const QString &text);

    QStringList errors() const { return m_errors; }
    // Whether the folder (relative, "/"-separated) has a line, itself or as "parent/*".
    bool knows(const QString &folder) const;
    // Whether code of `user` may use code of `used`; both must be known.
    bool allows(const QString &user, const QString &used) const;
    // Whether a header in angle brackets is one of the system's, which only the
    // table's system folder may include.
    bool isSystemHeader(const QString &header) const;
    QString systemFolder() const { return m_systemFolder; }
    // "layer core, also tags naming", for messages.
    QString describe(const QString &folder) const;

private:
    struct Row {
        int layer = 0;
        QStringList alsoUses;
    };
    const Row *rowOf(const QString &folder) const;
    static bool matches(const QString &pattern, const QString &folder);

    QStringList m_layers;
    QString m_systemFolder;
    QStringList m_systemHeaders; // a trailing "*" matches any rest
    QHash<QString, Row> m_rows;
    QStringList m_errors;
};
