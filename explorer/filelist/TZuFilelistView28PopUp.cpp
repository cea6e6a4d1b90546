#include "explorer/filelist/TZuFilelistView28PopUp.h"

#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/shared/MenuAccessKeys.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellUtils.h"
#include "explorer/shared/SystemImageList.h"
#include "text/Ascii.h"

#include <QFileInfo>
#include <QIcon>

namespace {
const QString sendToPrefix = QStringLiteral("Send_To");
constexpr int builtInDestinations = 4;

// The caption slots of the language table, in order.
enum Caption { cOpen, cView, cSendTo, cCut, cCopy, cPaste, cRename, cDelete, cProperties, cNewFolder, cAnyFolder,
               cContents, cFileName, cDeskTop };

QIcon glyph(const QString &name)
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/filelist-menu/%1.png").arg(name), QSize(16, 16));
    icon.addFile(QStringLiteral(":/filelist-menu/%1@2x.png").arg(name), QSize(32, 32));
    return icon;
}

QIcon linkIcon(const QString &icon)
{
    if (icon.isEmpty())
        return SystemImageList::instance().icon(SystemImageList::instance().indexOfIcon(QStringLiteral("emblem-symbolic-link")));
    if (QFileInfo(icon).isAbsolute())
        return QIcon(icon);
    return SystemImageList::instance().icon(SystemImageList::instance().indexOfIcon(icon));
}
} // namespace

TZuFilelistView28PopUp::TZuFilelistView28PopUp(TZuFilelistView28 &list)
    : QMenu(&list)
    , m_list(list)
    , m_sendToCommands(list)
{
    setObjectName(QStringLiteral("TZuFilelistView28PopUp"));
    MenuAccessKeys::install(this);
    connect(this, &QMenu::triggered, this, &TZuFilelistView28PopUp::ItemClick);
}

QAction *TZuFilelistView28PopUp::addItem(QMenu *menu, const QString &name, int tag, const QString &caption,
                                        const QString &glyphName)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setData(tag);
    if (!glyphName.isEmpty())
        action->setIcon(glyph(glyphName));
    return action;
}

void TZuFilelistView28PopUp::Build()
{
    if (m_built)
        return;
    m_built = true;
    QStringList captions = FileListPopUpCaptions();
    if (captions.size() < fileListPopUpCount)
        captions = languageRow(lnEnglish)->fileListPopUp;
    addItem(this, QStringLiteral("ItemOpen"), 1, captions[cOpen], QStringLiteral("Open28"));
    addItem(this, QStringLiteral("ItemView"), 2, captions[cView], QStringLiteral("View28"));
    addSeparator();
    m_sendTo = new QMenu(captions[cSendTo], this);
    m_sendTo->setObjectName(QStringLiteral("SubMenuSend"));
    connect(m_sendTo, &QMenu::aboutToShow, this, &TZuFilelistView28PopUp::refreshSendTo);
    QAction *sendTo = addMenu(m_sendTo);
    sendTo->setObjectName(QStringLiteral("SubMenuSend"));
    sendTo->setData(3);
    sendTo->setIcon(glyph(QStringLiteral("SendTo28")));
    addSeparator();
    addItem(this, QStringLiteral("ItemOpCut"), 4, captions[cCut], QStringLiteral("Cut28"));
    addItem(this, QStringLiteral("ItemOpCopy"), 5, captions[cCopy], QStringLiteral("Copy28"));
    addItem(this, QStringLiteral("ItemOpPaste"), 6, captions[cPaste], QStringLiteral("Paste28"));
    addSeparator();
    addItem(this, QStringLiteral("ItemRename"), 7, captions[cRename], QStringLiteral("ReName28"));
    addItem(this, QStringLiteral("ItemDelete"), 8, captions[cDelete], QStringLiteral("Delete28"));
    addSeparator();
    addItem(this, QStringLiteral("ItemProperty"), 9, captions[cProperties], QStringLiteral("Attributes28"));
    addSeparator();
    addItem(this, QStringLiteral("ItemFolder"), 10, captions[cNewFolder], QStringLiteral("NewFolder28"));

    const char *const builtInGlyphs[] = {"AnyFolder28", "ClipBoard28", "ClipBoard28", "DeskTop28"};
    for (int n = 0; n < builtInDestinations; ++n)
        addItem(m_sendTo, sendToPrefix + QString::number(n), 30 + n, captions[cAnyFolder + n],
                QLatin1String(builtInGlyphs[n]));
    fillSendTo();
}

void TZuFilelistView28PopUp::refreshSendTo()
{
    if (FileListSendTo::sendToFolderState() == m_sendToState)
        return;
    const QList<QAction *> items = m_sendTo->actions();
    for (qsizetype index = builtInDestinations; index < items.size(); ++index)
        delete items[index];
    fillSendTo();
}

void TZuFilelistView28PopUp::fillSendTo()
{
    m_sendToState = FileListSendTo::sendToFolderState();
    m_sendToList.clear();
    const QList<SendToEntry> entries = FileListSendTo::sendToEntries();
    for (const SendToEntry &entry : entries) {
        const int count = int(m_sendToList.size());
        QAction *action = addItem(m_sendTo, sendToPrefix + QString::number(count + builtInDestinations),
                                  count + 34, entry.caption, QString());
        action->setIcon(linkIcon(entry.icon));
        m_sendToList.append(entry.path);
    }
}

QAction *TZuFilelistView28PopUp::item(const QString &name) const
{
    for (const QMenu *menu : {static_cast<const QMenu *>(this), static_cast<const QMenu *>(m_sendTo)}) {
        for (QAction *action : menu ? menu->actions() : QList<QAction *>()) {
            if (action->objectName() == name)
                return action;
        }
    }
    return nullptr;
}

void TZuFilelistView28PopUp::updateEnabled()
{
    const QList<int> rows = m_list.selectedRows();
    const int selected = int(rows.size());
    const QString extension = selected > 0 ? ascii::toUpper(extensionPart(m_list.item(rows.first()).path())) : QString();
    const QStringList &viewable = FileListCommands::viewExtensions();
    const bool any = selected > 0;
    const auto enable = [this](const char *name, bool enabled) {
        if (QAction *action = item(QLatin1String(name)))
            action->setEnabled(enabled);
    };
    for (const char *name : {"ItemOpen", "SubMenuSend", "ItemOpCut", "ItemOpCopy", "ItemDelete", "ItemProperty",
                             "Send_To0", "Send_To2", "Send_To3"})
        enable(name, any);
    enable("ItemView", any && viewable.contains(extension));
    enable("ItemOpPaste", m_list.commands().canPaste());
    enable("ItemRename", selected == 1);
    enable("ItemFolder", !m_list.isDriveList());
    // Every viewable extension but the two web-page ones.
    enable("Send_To1", selected == 1 && viewable.indexOf(extension) >= 0 && viewable.indexOf(extension) < 23);
}

void TZuFilelistView28PopUp::Popup(int X, int Y)
{
    updateEnabled();
    popup(QPoint(X + 10, Y + 10));
}

void TZuFilelistView28PopUp::ItemClick(QAction *item)
{
    const QString name = item->objectName();
    const int tag = item->data().toInt();
    if (name.isEmpty() || tag == 0)
        return;
    FileListCommands &commands = m_list.commands();
    const auto trigger = [&commands](TZuListViewAction action) { commands.action(action)->trigger(); };
    switch (tag) {
    case 1: trigger(vaOpen); return;
    case 2: trigger(vaView); return;
    case 3: return;
    case 4: trigger(vaCut); return;
    case 5: trigger(vaCopy); return;
    case 6: trigger(vaPaste); return;
    case 7: trigger(vaRename); return;
    case 8: trigger(vaDelete); return;
    case 9:
        if (const QStringList paths = commands.selectedItemPaths(); !paths.isEmpty())
            ShowProperties(paths.first());
        return;
    case 10: trigger(vaNewFolder); return;
    default: break;
    }
    if (!name.startsWith(sendToPrefix))
        return;
    // Every digit counts: more than 96 links are reachable too.
    bool valid = false;
    const int number = name.mid(sendToPrefix.size()).toInt(&valid);
    if (valid && number >= 0)
        runSendTo(number);
}

void TZuFilelistView28PopUp::runSendTo(int number)
{
    switch (number) {
    case 0: m_sendToCommands.AnyFolder(); return;
    case 1: m_sendToCommands.ClipboardAsContents(); return;
    case 2: m_sendToCommands.ClipboardAsFileName(); return;
    case 3: m_sendToCommands.DeskTopAsShortCut(); return;
    default:
        if (number - builtInDestinations < m_sendToList.size())
            m_sendToCommands.SendToShortcut(m_sendToList[number - builtInDestinations]);
        return;
    }
}
