#include "LayerCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {
// Folders that are not part of the program: tests, benchmarks, build trees, hidden ones.
bool isOutsideProgram(const QString &relativeFolder, const QString &absoluteFolder)
{
    const QString top = relativeFolder.section(QLatin1Char('/'), 0, 0);
    return top == QLatin1String("tests") || top == QLatin1String("bench") || top.startsWith(QLatin1Char('.'))
           || QFileInfo::exists(absoluteFolder + QLatin1String("/CMakeCache.txt"));
}

bool isCode(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".cpp")) || fileName.endsWith(QLatin1String(".h"));
}

struct LinkRow {
    QString folder;
    QStringList links;
};
} // namespace

LayerCheck::LayerCheck(const QString &sourceRoot, const LayerTable &table, const QString &tableName)
    : m_root(QDir::cleanPath(sourceRoot))
    , m_table(table)
    , m_tableName(tableName)
{
}

QString LayerCheck::ownerOf(const QString &relativeFolder) const
{
    QString folder = relativeFolder;
    while (!folder.isEmpty() && folder != QLatin1String(".")) {
        if (QFileInfo::exists(m_root + QLatin1Char('/') + folder + QLatin1String("/CMakeLists.txt")))
            return folder;
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        folder = slash < 0 ? QString() : folder.left(slash);
    }
    return QString();
}

QString LayerCheck::unknownFolder(const QString &folder) const
{
    return QStringLiteral("folder '%1' holds code but has no line in %2: add \"%1 <layer>\" there, "
                          "with the layers it may use")
        .arg(folder, m_tableName);
}

QStringList LayerCheck::checkIncludes() const
{
    static const QRegularExpression includeLine(QStringLiteral("^\\s*#\\s*include\\s*([<\"])([^>\"]+)[>\"]"));
    const QDir root(m_root);
    QStringList findings = m_table.errors();
    QSet<QString> reportedFolders;
    QDirIterator files(m_root, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        const QString relativeFolder = root.relativeFilePath(file.absolutePath());
        if (!isCode(file.fileName()) || isOutsideProgram(relativeFolder, file.absolutePath()))
            continue;
        const QString user = ownerOf(relativeFolder);
        if (user.isEmpty())
            continue;
        if (!m_table.knows(user)) {
            if (!reportedFolders.contains(user))
                findings << unknownFolder(user);
            reportedFolders.insert(user);
            continue;
        }
        QFile source(file.absoluteFilePath());
        if (!source.open(QIODevice::ReadOnly)) {
            findings << QStringLiteral("%1: cannot be read").arg(root.relativeFilePath(file.absoluteFilePath()));
            continue;
        }
        int lineNumber = 0;
        while (!source.atEnd()) {
            ++lineNumber;
            const QRegularExpressionMatch match = includeLine.match(QString::fromUtf8(source.readLine()));
            if (!match.hasMatch())
                continue;
            const QString included = match.captured(2);
            const QString where = QStringLiteral("%1:%2").arg(root.relativeFilePath(file.absoluteFilePath())).arg(lineNumber);
            if (match.captured(1) == QLatin1String("<")) {
                if (m_table.isSystemHeader(included) && user != m_table.systemFolder())
                    findings << QStringLiteral("%1 includes <%2>: only %3 calls the system")
                                    .arg(where, included, m_table.systemFolder());
                continue;
            }
            QString target = QDir::cleanPath(m_root + QLatin1Char('/') + included);
            if (!QFileInfo::exists(target))
                target = QDir::cleanPath(file.absolutePath() + QLatin1Char('/') + included);
            if (!QFileInfo::exists(target))
                continue; // generated (ui_*.h) or a system header in quotes
            const QString used = ownerOf(root.relativeFilePath(QFileInfo(target).absolutePath()));
            if (used.isEmpty() || !m_table.knows(used) || m_table.allows(user, used))
                continue;
            findings << QStringLiteral("%1 includes \"%2\": %3 (%4) may not use %5 (%6)")
                            .arg(where, included, user, m_table.describe(user), used, m_table.describe(used));
        }
    }
    findings.sort();
    return findings;
}

QStringList LayerCheck::checkLinks(const QString &linkTable) const
{
    QHash<QString, LinkRow> rows;
    for (const QString &line : linkTable.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 3)
            rows.insert(fields[0], {fields[1], fields[2].split(QLatin1Char(' '), Qt::SkipEmptyParts)});
    }
    // The libraries a link brings, with aggregates of the top folder opened.
    const auto linkedFolders = [&rows](const QStringList &links) {
        QHash<QString, QString> folders; // library -> folder
        QStringList pending = links;
        QSet<QString> seen;
        while (!pending.isEmpty()) {
            const QString name = pending.takeFirst();
            if (seen.contains(name) || !rows.contains(name))
                continue;
            seen.insert(name);
            const LinkRow &row = rows[name];
            if (row.folder.isEmpty())
                pending += row.links;
            else
                folders.insert(name, row.folder);
        }
        return folders;
    };
    QStringList findings;
    for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
        const QString &user = row->folder;
        if (user.isEmpty() || row->links.isEmpty())
            continue;
        if (!m_table.knows(user)) {
            findings << unknownFolder(user);
            continue;
        }
        const QHash<QString, QString> used = linkedFolders(row->links);
        for (auto link = used.cbegin(); link != used.cend(); ++link) {
            if (m_table.knows(link.value()) && !m_table.allows(user, link.value()))
                findings << QStringLiteral("%1 (%2: %3) links %4 (%5: %6)")
                                .arg(row.key(), user, m_table.describe(user), link.key(), link.value(),
                                     m_table.describe(link.value()));
        }
    }
    findings.removeDuplicates();
    findings.sort();
    return findings;
}
