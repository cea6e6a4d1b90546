#include "explorer/shared/DirTreeNodes.h"

#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/ShellFileInfo.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/DriveTable.h"
#include "platform/FileTypes.h"
#include "platform/NativeNames.h"

#include <QCollator>
#include <QHash>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>
#include <deque>

namespace {
enum NodeRole {
    SubfoldersLoadedRole = Qt::UserRole + 1,
    ImageIndexRole,
};

const QTreeWidgetItem *driveNodeOf(const QTreeWidgetItem *node)
{
    if (!node || !node->parent())
        return nullptr;
    while (node->parent()->parent())
        node = node->parent();
    return node;
}

// One icon per pair of images, shared by every node that shows the pair.
QIcon iconForImages(int imageIndex, int selectedImageIndex)
{
    static QHash<QPair<int, int>, QIcon> icons;
    const QPair<int, int> key(imageIndex, selectedImageIndex);
    auto found = icons.constFind(key);
    if (found != icons.constEnd())
        return *found;
    const SystemImageList &images = SystemImageList::instance();
    QIcon icon;
    if (imageIndex == selectedImageIndex) {
        icon = images.icon(imageIndex);
    } else {
        icon.addPixmap(images.smallPixmap(imageIndex), QIcon::Normal);
        icon.addPixmap(images.smallPixmap(selectedImageIndex), QIcon::Selected);
    }
    icons.insert(key, icon);
    return icon;
}
} // namespace

QTreeWidgetItem *newComputerNode()
{
    const QString caption = dialogText("computer");
    const int image = computerIconIndex();
    if (caption.isEmpty() || image < 0)
        return nullptr;
    auto *node = new QTreeWidgetItem(QStringList{caption});
    setNodeImages(node, image, image);
    return node;
}

QTreeWidgetItem *newDriveNode(QChar letter)
{
    const QString rootPath = QString(letter) + QStringLiteral(":\\");
    auto *node = new QTreeWidgetItem(QStringList{driveCaption(letter, shellDisplayName(rootPath))});
    setHasChildren(node, true);
    setNodeImages(node, SmallIconIndex(rootPath), OpenIconIndex(rootPath));
    return node;
}

QTreeWidgetItem *newFolderNode(const QString &name, bool hasChildren)
{
    auto *node = new QTreeWidgetItem(QStringList{name});
    setHasChildren(node, hasChildren);
    setNodeImages(node, fileIconIndex(name, true), fileIconIndex(name, true, true));
    return node;
}

int nodeLevel(const QTreeWidgetItem *node)
{
    int level = 0;
    for (const QTreeWidgetItem *parent = node ? node->parent() : nullptr; parent; parent = parent->parent())
        ++level;
    return level;
}

QChar nodeDriveLetter(const QTreeWidgetItem *node)
{
    const QTreeWidgetItem *drive = driveNodeOf(node);
    const QString caption = drive ? drive->text(0) : QString();
    return caption.size() > 2 ? caption.at(2) : QChar();
}

QString nodeKey(const QTreeWidgetItem *node)
{
    if (nodeLevel(node) == 1)
        return node->text(0).mid(2, 2);
    return node->text(0);
}

QString nodePath(const QTreeWidgetItem *node)
{
    if (!node || !node->parent())
        return QString();
    QStringList folders;
    for (; node->parent()->parent(); node = node->parent())
        folders.prepend(node->text(0));
    QString path = nodeKey(node) + QLatin1Char('\\');
    return path + folders.join(QLatin1Char('\\'));
}

QTreeWidgetItem *childWithKey(const QTreeWidgetItem *node, const QString &key)
{
    QTreeWidgetItem *caseless = nullptr;
    for (int i = 0, count = node->childCount(); i < count; ++i) {
        QTreeWidgetItem *child = node->child(i);
        const QString childKey = nodeKey(child);
        if (childKey == key)
            return child;
        if (!caseless && childKey.compare(key, Qt::CaseInsensitive) == 0)
            caseless = child;
    }
    return caseless;
}

void sortChildrenByCaption(QTreeWidgetItem *node)
{
    if (node->childCount() < 2)
        return;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // The C locale has no collation: letter case is then folded by plain comparison.
    const bool plain = collator.locale().language() == QLocale::C;
    struct Keyed {
        QString caption;
        QCollatorSortKey key;
        QTreeWidgetItem *node;
    };
    const QList<QTreeWidgetItem *> children = node->takeChildren();
    std::vector<Keyed> keyed;
    keyed.reserve(children.size());
    for (QTreeWidgetItem *child : children) {
        const QString caption = child->text(0);
        keyed.push_back({caption, collator.sortKey(plain ? QString() : caption), child});
    }
    std::sort(keyed.begin(), keyed.end(), [plain](const Keyed &a, const Keyed &b) {
        const int order = plain ? a.caption.compare(b.caption, Qt::CaseInsensitive) : a.key.compare(b.key);
        return order != 0 ? order < 0 : a.caption < b.caption;
    });
    QList<QTreeWidgetItem *> sorted;
    sorted.reserve(children.size());
    for (const Keyed &entry : keyed)
        sorted.append(entry.node);
    node->addChildren(sorted);
}

void insertChildByCaption(QTreeWidgetItem *node, QTreeWidgetItem *child)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool plain = collator.locale().language() == QLocale::C;
    const QString caption = child->text(0);
    const auto before = [&](const QString &other) {
        const int order = plain ? caption.compare(other, Qt::CaseInsensitive) : collator.compare(caption, other);
        return order != 0 ? order < 0 : caption < other;
    };
    int low = 0;
    int high = node->childCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (before(node->child(middle)->text(0)))
            high = middle;
        else
            low = middle + 1;
    }
    node->insertChild(low, child);
}

void setHasChildren(QTreeWidgetItem *node, bool hasChildren)
{
    node->setChildIndicatorPolicy(hasChildren ? QTreeWidgetItem::ShowIndicator
                                              : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool hasChildren(const QTreeWidgetItem *node)
{
    return node->childCount() > 0 || node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void setSubfoldersLoaded(QTreeWidgetItem *node)
{
    node->setData(0, SubfoldersLoadedRole, true);
}

bool subfoldersLoaded(const QTreeWidgetItem *node)
{
    return node->data(0, SubfoldersLoadedRole).toBool();
}

void setNodeImages(QTreeWidgetItem *node, int imageIndex, int selectedImageIndex)
{
    node->setIcon(0, iconForImages(imageIndex, selectedImageIndex));
    node->setData(0, ImageIndexRole, imageIndex);
}

int nodeImageIndex(const QTreeWidgetItem *node)
{
    const QVariant index = node->data(0, ImageIndexRole);
    return index.isValid() ? index.toInt() : -1;
}


void collapseRecursively(QTreeWidgetItem *node)
{
    std::vector<QTreeWidgetItem *> pending{node};
    while (!pending.empty()) {
        QTreeWidgetItem *current = pending.back();
        pending.pop_back();
        // A collapsed node may still hold expanded nodes below it.
        if (current->isExpanded())
            current->setExpanded(false);
        for (int i = 0, count = current->childCount(); i < count; ++i) {
            if (current->child(i)->childCount() > 0)
                pending.push_back(current->child(i));
        }
    }
}

QTreeWidgetItem *openNodesAlong(QTreeWidgetItem *root, const QString &pathWithSlash, bool *complete)
{
    QTreeWidget *tree = root->treeWidget();
    QTreeWidgetItem *current = root;
    *complete = false;
    qsizetype start = 0;
    for (qsizetype separator; (separator = pathWithSlash.indexOf(QLatin1Char('\\'), start)) >= 0; start = separator + 1) {
        QTreeWidgetItem *next = current->childCount() > 0
                                    ? childWithKey(current, pathWithSlash.mid(start, separator - start))
                                    : nullptr;
        if (!next)
            return current;
        tree->setCurrentItem(next);
        next->setExpanded(true);
        current = next;
    }
    *complete = true;
    return current;
}

bool isOnLabelOrIcon(const QTreeView *view, QStyleOptionViewItem option, const QPoint &position)
{
    const QModelIndex index = view->indexAt(position);
    if (!index.isValid())
        return false;
    option.rect = view->visualRect(index);
    option.text = platform::displayName(index.data().toString());
    option.icon = index.data(Qt::DecorationRole).value<QIcon>();
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    const QStyle *style = view->style();
    const QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, view);
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &option, view);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, view) + 1;
    const int labelRight = text.left() + option.fontMetrics.horizontalAdvance(option.text) + 2 * margin;
    return position.x() >= icon.left() && position.x() <= labelRight;
}
