#pragma once
// Checks a source tree against a layer table: the "#include" lines of every folder's
// code and the libraries each library links. Each finding is one readable line.

#include "LayerTable.h"

#include <QString>
#include <QStringList>

class LayerCheck {
public:
    // tableName is how messages name the table ("tests/layers/Layers.txt").
    LayerCheck(const QString &sourceRoot, const LayerTable &table, const QString &tableName);

    // Includes that run against the table, and folders with code that it lacks.
    QStringList checkIncludes() const;
    // Links that run against the table. linkTable has one line per library or program:
    // name, folder ("" for an aggregate of the top folder) and linked libraries, tab-separated.
    QStringList checkLinks(const QString &linkTable) const;

private:
    // The folder of the nearest CMakeLists.txt at or above the relative folder; "" for the top.
    QString ownerOf(const QString &relativeFolder) const;
    QString unknownFolder(const QString &folder) const;

    QString m_root;
    const LayerTable &m_table;
    QString m_tableName;
};
