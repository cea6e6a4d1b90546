#include "LayerCheck.h"
#include "LayerTable.h"

#include "tests/common/QtPrinters.h"
#include "tests/common/TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {
const QString tableName = QStringLiteral("tests/layers/Layers.txt");

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A small table: two layers, a wildcard row for the subfolders of "wide".
const QString fixtureTable = QStringLiteral("layers low high\n"
                                            "# folder  layer  also\n"
                                            "low       low\n"
                                            "high      high\n"
                                            "wide/*    high   wide/*\n"
                                            "odd       nowhere\n"
                                            "system low  sys/* QProcess\n");
} // namespace

TEST(LayerTest, SourceTreeKeepsToTheLayers)
{
    const QString root = QStringLiteral(KESTRAVA_SOURCE_DIR);
    const LayerTable table(readText(root + QLatin1Char('/') + tableName));
    const LayerCheck check(root, table, tableName);
    const QStringList includes = check.checkIncludes();
    EXPECT_TRUE(includes.isEmpty()) << qPrintable(includes.join(QLatin1Char('\n')));

    const QString links = readText(QStringLiteral(KESTRAVA_LINK_TABLE));
    ASSERT_FALSE(links.isEmpty()) << "the configure step writes " KESTRAVA_LINK_TABLE;
    const QStringList linked = check.checkLinks(links);
    EXPECT_TRUE(linked.isEmpty()) << qPrintable(linked.join(QLatin1Char('\n')));
}

// A fixture tree with one include of each kind shows that the check finds what runs
// against the table, and only that.
TEST(LayerTest, FindsIncludesAgainstTheTableAndFoldersMissingFromIt)
{
    TempFolder tree(false);
    const QByteArray cmake = "# library\n";
    for (const char *folder : {"low", "high", "wide/one", "wide/two", "stray", "tests/low"})
        tree.write(QString::fromLatin1(folder) + QLatin1String("/CMakeLists.txt"), cmake);
    tree.write(QStringLiteral("low/A.h"), "#pragma once\n#include \"high/B.h\"\n#include <sys/stat.h>\n");
    tree.write(QStringLiteral("low/detail/D.cpp"), "#include \"low/A.h\"\n  #  include \"high/B.h\"\n");
    tree.write(QStringLiteral("high/B.h"), "#include \"low/A.h\"\n#include \"B.h\"\n#include \"ui_B.h\"\n"
                                          "#include <QString>\n#include <QProcess>\n");
    tree.write(QStringLiteral("wide/one/X.h"), "#include \"wide/two/Y.h\"\n#include \"../two/Y.h\"\n");
    tree.write(QStringLiteral("wide/two/Y.h"), "#include \"high/B.h\"\n#include <high/B.h>\n");
    tree.write(QStringLiteral("stray/S.cpp"), "#include \"high/B.h\"\n");
    tree.write(QStringLiteral("stray/notes.txt"), "");
    tree.write(QStringLiteral("tests/low/T.cpp"), "#include \"high/B.h\"\n");
    tree.write(QStringLiteral("build/CMakeCache.txt"), "");
    tree.write(QStringLiteral("build/gen/G.cpp"), "#include \"high/B.h\"\n");

    const LayerTable table(fixtureTable);
    const QStringList expected = {
        QStringLiteral("folder 'stray' holds code but has no line in tests/layers/Layers.txt: add \"stray <layer>\" "
                       "there, with the layers it may use"),
        QStringLiteral("high/B.h:5 includes <QProcess>: only low calls the system"),
        QStringLiteral("line 6: folder 'odd' needs one of the layers low high"),
        QStringLiteral("low/A.h:2 includes \"high/B.h\": low (layer low) may not use high (layer high)"),
        QStringLiteral("low/detail/D.cpp:2 includes \"high/B.h\": low (layer low) may not use high (layer high)"),
        QStringLiteral("wide/two/Y.h:1 includes \"high/B.h\": wide/two (layer high, also wide/*) may not use high "
                       "(layer high)"),
    };
    EXPECT_EQ(LayerCheck(tree.path(), table, tableName).checkIncludes(), expected);
}

TEST(LayerTest, FindsLinksAgainstTheTableThroughAggregates)
{
    TempFolder tree(false);
    const LayerTable table(fixtureTable);
    const QString links = QStringLiteral("k_low\tlow\tk_all Qt6::Core\n"
                                         "k_all\t\tk_high k_wide\n"
                                         "k_high\thigh\tk_low\n"
                                         "k_wide\twide/one\tk_high\n"
                                         "k_stray\tstray\tk_low\n"
                                         "k_res\tresources\t\n");
    const QStringList expected = {
        QStringLiteral("folder 'stray' holds code but has no line in tests/layers/Layers.txt: add \"stray <layer>\" "
                       "there, with the layers it may use"),
        QStringLiteral("k_low (low: layer low) links k_high (high: layer high)"),
        QStringLiteral("k_low (low: layer low) links k_wide (wide/one: layer high, also wide/*)"),
        QStringLiteral("k_wide (wide/one: layer high, also wide/*) links k_high (high: layer high)"),
    };
    EXPECT_EQ(LayerCheck(tree.path(), table, tableName).checkLinks(links), expected);
}

// The project's own table keeps the three explorer controls apart: each may use the
// shared folder (and the network drives), never another control.
TEST(LayerTest, ExplorerControlsMeetOnlyThroughTheSharedFolder)
{
    const QString root = QStringLiteral(KESTRAVA_SOURCE_DIR);
    const LayerTable table(readText(root + QLatin1Char('/') + tableName));
    TempFolder tree(false);
    const QByteArray cmake = "# library\n";
    const QStringList controls = {QStringLiteral("filelist"), QStringLiteral("tree"), QStringLiteral("combo")};
    for (const QString &folder : controls + QStringList{QStringLiteral("shared"), QStringLiteral("netdrive")})
        tree.write(QStringLiteral("explorer/%1/CMakeLists.txt").arg(folder), cmake);
    tree.write(QStringLiteral("explorer/shared/S.h"), "#pragma once\n");
    tree.write(QStringLiteral("explorer/netdrive/N.h"), "#include \"explorer/shared/S.h\"\n");
    QStringList expected;
    for (const QString &user : controls) {
        QByteArray text = "#include \"explorer/shared/S.h\"\n#include \"explorer/netdrive/N.h\"\n";
        int line = 2;
        for (const QString &used : controls) {
            if (used == user)
                continue;
            text += "#include \"explorer/" + used.toLatin1() + "/C.h\"\n";
            expected << QStringLiteral("explorer/%1/C.cpp:%2 includes \"explorer/%3/C.h\": explorer/%1 (layer view, "
                                       "also explorer/shared explorer/netdrive) may not use explorer/%3 (layer view, "
                                       "also explorer/shared explorer/netdrive)")
                            .arg(user).arg(++line).arg(used);
        }
        tree.write(QStringLiteral("explorer/%1/C.h").arg(user), "#pragma once\n");
        tree.write(QStringLiteral("explorer/%1/C.cpp").arg(user), text);
    }
    expected.sort();
    QStringList found = LayerCheck(tree.path(), table, tableName).checkIncludes();
    found.sort();
    EXPECT_EQ(found, expected);
}
