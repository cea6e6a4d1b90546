// A new listing of the same folder merged into the list's rows: each change reaches the
// views as an insert, a removal or an update, and rows keep their identity.

#include "explorer/filelist/FileListModel.h"

#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString folder = u"K:\\Music\\"_s;

// "name:size", a trailing "/" for a folder.
std::vector<FileListRow> rowsOf(const QStringList &rowTexts)
{
    std::vector<FileListRow> rows;
    for (const QString &text : rowTexts) {
        FileListRow row;
        row.name = text.section(u':', 0, 0);
        row.size = text.section(u':', 1).toLongLong();
        if (row.name.endsWith(u'/')) {
            row.name.chop(1);
            row.kind = EntryKind::Folder;
        }
        rows.push_back(row);
    }
    return rows;
}

FileListContext contextOf()
{
    FileListContext context;
    context.folder = folder;
    context.typeNames = {u"Folder"_s};
    return context;
}

QStringList namesOf(const FileListModel &model)
{
    QStringList names;
    for (int row = 0; row < model.count(); ++row)
        names.append(model.row(row).name);
    return names;
}

struct MergeCase {
    const char *name;
    FileListOrder order;
    QStringList before;
    QStringList after;
    QStringList merged; // the rows' names afterwards
    int inserted, removed, updated;
};
} // namespace

TEST(FileListMergeTest, EachChangeIsAnInsertARemovalOrAnUpdateInTheListOrder)
{
    const FileListOrder byName{0, false};
    const FileListOrder bySizeDown{1, true};
    const MergeCase cases[] = {
        {"nothing changed", byName, {u"a:1"_s, u"b:2"_s}, {u"a:1"_s, u"b:2"_s}, {u"a"_s, u"b"_s}, 0, 0, 0},
        {"one size", byName, {u"a:1"_s, u"b:2"_s, u"c:3"_s}, {u"a:1"_s, u"b:2000"_s, u"c:3"_s},
         {u"a"_s, u"b"_s, u"c"_s}, 0, 0, 1},
        {"two runs removed", byName, {u"a:1"_s, u"b:1"_s, u"c:1"_s, u"d:1"_s, u"e:1"_s, u"f:1"_s},
         {u"a:1"_s, u"d:1"_s, u"f:1"_s}, {u"a"_s, u"d"_s, u"f"_s}, 0, 2, 0},
        {"new at their places", byName, {u"b:1"_s, u"d:1"_s}, {u"a:1"_s, u"b:1"_s, u"c:1"_s, u"d:1"_s, u"e:1"_s},
         {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, 3, 0, 0},
        {"a folder first", byName, {u"a:1"_s, u"z:1"_s}, {u"a:1"_s, u"z:1"_s, u"m/:0"_s}, {u"m"_s, u"a"_s, u"z"_s}, 1, 0, 0},
        {"by size, descending", bySizeDown, {u"big:300000"_s, u"small:100000"_s},
         {u"small:100000"_s, u"mid:200000"_s, u"big:300000"_s}, {u"big"_s, u"mid"_s, u"small"_s}, 1, 0, 0},
        {"renamed", byName, {u"a:1"_s, u"b:1"_s, u"c:1"_s}, {u"a:1"_s, u"bb:1"_s, u"c:1"_s},
         {u"a"_s, u"bb"_s, u"c"_s}, 1, 1, 0},
    };
    for (const MergeCase &c : cases) {
        SCOPED_TRACE(c.name);
        FileListModel model;
        model.setColumns({{u"Name"_s}, {u"Size"_s}});
        std::vector<FileListRow> before = rowsOf(c.before);
        model.setRows(std::move(before), contextOf());
        model.sort(c.order);
        const QPersistentModelIndex last(model.index(model.count() - 1, 0));
        const QString lastName = model.row(last.row()).name;
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy updated(&model, &QAbstractItemModel::dataChanged);
        std::vector<FileListRow> after = rowsOf(c.after);
        FileListContext context = contextOf();
        ASSERT_TRUE(model.mergeRows(after, context, c.order));
        EXPECT_EQ(namesOf(model), c.merged);
        EXPECT_EQ(resets.size(), 0);
        EXPECT_EQ(inserted.size(), c.inserted);
        EXPECT_EQ(removed.size(), c.removed);
        EXPECT_EQ(updated.size(), c.updated);
        if (c.merged.contains(lastName)) {
            EXPECT_EQ(model.row(last.row()).name, lastName) << "a kept row keeps its index";
        }
    }
}

TEST(FileListMergeTest, AListingTooDifferentOrOfAnotherFolderIsLeftToAReset)
{
    QStringList many;
    for (int i = 0; i < 1000; ++i)
        many.append(u"f%1:1"_s.arg(i, 4, 10, QLatin1Char('0')));
    FileListModel model;
    model.setRows(rowsOf(many), contextOf());
    // Every other entry gone: 500 runs of removed rows.
    QStringList halved;
    for (int i = 0; i < 1000; i += 2)
        halved.append(many.at(i));
    std::vector<FileListRow> fresh = rowsOf(halved);
    FileListContext context = contextOf();
    EXPECT_FALSE(model.mergeRows(fresh, context, {0, false}));
    EXPECT_EQ(model.count(), 1000);
    EXPECT_EQ(fresh.size(), 500u) << "the listing is left to the caller";

    fresh = rowsOf(many);
    context.folder = u"K:\\Other\\"_s;
    EXPECT_FALSE(model.mergeRows(fresh, context, {0, false}));
}
