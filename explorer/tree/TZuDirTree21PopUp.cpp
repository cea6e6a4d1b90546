#include "explorer/tree/TZuDirTree21PopUp.h"

#include "explorer/shared/MenuAccessKeys.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/MenuGlyph.h"
#include "explorer/tree/DirTree.h"
#include "explorer/tree/DirTreeCommands.h"
#include "explorer/shared/DirTreeNodes.h"

namespace {
struct MenuItem {
    const char *name;
    int tag; // 0 for a separator
    const char *glyph;
};

// In menu order; the tag is the caption's slot + 1 and selects the command.
constexpr MenuItem menuItems[] = {
    {"AddNode", 1, "NewFolder28"},
    {"EditNode", 2, "EditFolder28"},
    {"DelNode", 3, "DelFolder28"},
    {nullptr, 0, nullptr},
    {"CutNode", 4, "Cut28"},
    {"CopyNode", 5, "Copy28"},
    {"PasteNode", 6, "Paste28"},
    {nullptr, 0, nullptr},
    {"GetTreeSize", 7, "TreeSize28"},
    {"ShowFolderContents", 8, "DirContents28"},
    {nullptr, 0, nullptr},
    {"ConnectNetResource", 9, "NetConnect28"},
    {"DisConnectNetResource", 10, "NetDisConnect28"},
    {nullptr, 0, nullptr},
    {"ItemProperty", 11, "Attributes28"},
};

// The command of each tag, 1 to 11.
constexpr TZuTreeAction commandOfTag[] = {taNewFolder, taRename, taDelete, taCut, taCopy, taPaste,
                                          taTreeSize, taFolderContents, taMapNetworkDrive,
                                          taDisconnectNetworkDrive, taProperties};
} // namespace

TZuDirTree21PopUp::TZuDirTree21PopUp(TZuDirTree21 &tree)
    : QMenu(&tree)
    , m_tree(tree)
{
    setObjectName(QStringLiteral("TZuDirTree21PopUp"));
    MenuAccessKeys::install(this);
    connect(this, &QMenu::triggered, this, &TZuDirTree21PopUp::ItemClick);
    Build();
}

void TZuDirTree21PopUp::Build()
{
    QStringList captions = TreePopUpCaptions();
    if (captions.size() < treePopUpCount)
        captions = languageRow(lnEnglish)->treePopUp;
    for (const MenuItem &entry : menuItems) {
        if (entry.tag == 0) {
            addSeparator();
            continue;
        }
        QAction *action = addAction(captions[entry.tag - 1]);
        action->setObjectName(QLatin1String(entry.name));
        action->setData(entry.tag);
        action->setIcon(menuGlyph(QLatin1String(entry.glyph)));
    }
}

QAction *TZuDirTree21PopUp::item(const QString &name) const
{
    for (QAction *action : actions()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

void TZuDirTree21PopUp::updateEnabled()
{
    const QTreeWidgetItem *node = m_tree.currentItem();
    const int level = node ? nodeLevel(node) : -1;
    const auto enable = [this](const char *name, bool enabled) {
        if (QAction *action = item(QLatin1String(name)))
            action->setEnabled(enabled);
    };
    for (const char *name : {"AddNode", "GetTreeSize", "ShowFolderContents", "ItemProperty"})
        enable(name, level > 0);
    for (const char *name : {"DelNode", "CutNode", "CopyNode"})
        enable(name, level > 1);
    // A read-only tree renames nothing.
    enable("EditNode", m_tree.commands().CanEdit(node));
    // A paste from the menu follows each cut or copy once, or what another program cut or copied.
    enable("PasteNode", level > 1 && (m_tree.PasteEnabled() || m_tree.commands().foreignFilesOnClipboard()));
    enable("ConnectNetResource", true);
    enable("DisConnectNetResource", true);
}

void TZuDirTree21PopUp::Popup(int X, int Y)
{
    updateEnabled();
    popup(QPoint(X + 10, Y + 10));
}

void TZuDirTree21PopUp::ItemClick(QAction *item)
{
    const int tag = item->data().toInt();
    if (item->objectName().isEmpty() || tag < 1 || tag > int(std::size(commandOfTag)))
        return;
    m_tree.commands().action(commandOfTag[tag - 1])->trigger();
}
