#pragma once
// A folder combo linked to a file list in a shown window, over a temporary folder of
// real folders mapped to a drive letter of its own.

#include "explorer/combo/TZuDirTreeCombo28.h"
#include "explorer/combo/TZuDirTreeView.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/shared/DirTreeNodes.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QDir>
#include <QTest>
#include <QWidget>

class ComboOnFolder {
public:
    static constexpr char letter = 'K';

    explicit ComboOnFolder(const QStringList &folders)
    {
        for (const QString &relative : folders)
            QDir(folder.path()).mkpath(relative);
        combo = new TZuDirTreeCombo28(&window);
        combo->move(10, 10);
        list = new TZuFilelistView28(&window);
        list->setGeometry(10, 40, 400, 200);
        window.setGeometry(100, 100, 420, 250);
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        list->SetDirTreeCombo(combo);
    }

    // "Music/Rock" gives "K:\Music\Rock"; nothing gives "K:\".
    QString path(const QString &relative = QString()) const
    {
        return QLatin1Char(letter) + QStringLiteral(":\\") + QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
    }
    QString nativePath(const QString &relative) const { return folder.filePath(relative); }
    TZuDirTreeView *dropDown() const { return combo->dropDown(); }

    // The loaded drop-down node of a path; nullptr when the drop-down does not hold it.
    QTreeWidgetItem *node(const QString &relative) const
    {
        QTreeWidgetItem *current = dropDown()->topLevelItem(0);
        for (const QString &key : path(relative).split(QLatin1Char('\\'), Qt::SkipEmptyParts))
            current = current ? childWithKey(current, key) : nullptr;
        return current;
    }

    // A point on the node's caption, in the drop-down's viewport.
    QPoint onCaption(const QTreeWidgetItem *node) const
    {
        const QRect row = dropDown()->visualItemRect(node);
        return QPoint(row.left() + dropDown()->iconSize().width() + 12, row.center().y());
    }
    // A point on the node's expand button.
    QPoint onExpandButton(const QTreeWidgetItem *node) const
    {
        const QRect row = dropDown()->visualItemRect(node);
        return QPoint(row.left() - dropDown()->indentation() / 2, row.center().y());
    }

    TempFolder folder;
    MappedDrive drive{QLatin1Char(letter), folder.path()};
    QWidget window;
    TZuDirTreeCombo28 *combo = nullptr;
    TZuFilelistView28 *list = nullptr;
};
