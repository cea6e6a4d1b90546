#include "explorer/filelist/FileListSort.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
FileListRow row(const QString &name, EntryKind kind, qint64 size)
{
    FileListRow item;
    item.name = name;
    item.kind = kind;
    item.size = size;
    return item;
}

QStringList names(const std::vector<FileListRow> &items)
{
    QStringList result;
    for (const FileListRow &item : items)
        result.append(item.name);
    return result;
}
} // namespace

// Whatever order the folder pass found them in, the parent row ends first in both
// directions, also where comparing sizes would tie it with the folders.
TEST(FileListOrderTest, ParentRowIsFirstWhateverTheListingOrder)
{
    const std::vector<FileListRow> listed = {
        row(QStringLiteral("Album"), EntryKind::Folder, 0),
        row(QStringLiteral(".."), EntryKind::Folder, 0),
        row(QStringLiteral("a.mp3"), EntryKind::File, 5 * 1024),
        row(QStringLiteral("b.mp3"), EntryKind::File, 12 * 1024),
    };
    FileListContext context;
    context.folder = QStringLiteral("C:\\Music\\");
    context.parentCaption = QStringLiteral(" Parent");
    const struct {
        FileListOrder order;
        QStringList expected;
    } cases[] = {
        {{1, true}, {"..", "b.mp3", "a.mp3", "Album"}},
        {{1, false}, {"..", "Album", "a.mp3", "b.mp3"}},
        {{0, true}, {"..", "b.mp3", "a.mp3", "Album"}},
        {{0, false}, {"..", "Album", "a.mp3", "b.mp3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.order.column << (c.order.descending ? " descending" : " ascending"));
        std::vector<FileListRow> items = listed;
        const std::vector<int> oldRows = sortFileListRows(items, context, c.order);
        EXPECT_EQ(names(items), c.expected);
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i].name, listed[size_t(oldRows[i])].name);
    }
}
