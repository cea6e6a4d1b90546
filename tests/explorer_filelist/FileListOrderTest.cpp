#include "explorer/filelist/FileListSort.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
FileListItem row(const QString &name, EntryKind kind, const QString &sizeText)
{
    FileListItem item;
    item.caption = name == QLatin1String("..") ? QStringLiteral(" Parent") : name;
    item.name = name;
    item.folder = QStringLiteral("C:\\Music\\");
    item.entryKind = kind;
    item.columnTexts[siSize] = sizeText;
    return item;
}

QStringList names(const std::vector<FileListItem> &items)
{
    QStringList result;
    for (const FileListItem &item : items)
        result.append(item.name);
    return result;
}
} // namespace

// Whatever order the folder pass found them in, the parent row ends first in both
// directions, also where comparing sizes would tie it with the folders.
TEST(FileListOrderTest, ParentRowIsFirstWhateverTheListingOrder)
{
    const std::vector<FileListItem> listed = {
        row(QStringLiteral("Album"), EntryKind::Folder, QStringLiteral(" ")),
        row(QStringLiteral(".."), EntryKind::Folder, QStringLiteral(" ")),
        row(QStringLiteral("a.mp3"), EntryKind::File, QStringLiteral("5 KB")),
        row(QStringLiteral("b.mp3"), EntryKind::File, QStringLiteral("12 KB")),
    };
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
        std::vector<FileListItem> items = listed;
        const std::vector<int> oldRows = sortFileListItems(items, c.order);
        EXPECT_EQ(names(items), c.expected);
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i].name, listed[size_t(oldRows[i])].name);
    }
}
