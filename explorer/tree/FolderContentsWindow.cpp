#include "explorer/tree/FolderContentsWindow.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/ListingSession.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellFileInfo.h"
#include "explorer/shared/ShellUtils.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"
#include "platform/MessageBox.h"
#include "platform/WaitCursor.h"
#include "text/Ascii.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {
constexpr int pathRole = Qt::UserRole;

// Names in caption order: letter case ignored, as the file list sorts them.
QStringList sortedByCaption(const QStringList &names)
{
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(size_t(names.size()));
    for (const QString &name : names)
        keyed.emplace_back(ascii::toUpper(name), name);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList sorted;
    sorted.reserve(names.size());
    for (auto &entry : keyed)
        sorted.append(std::move(entry.second));
    return sorted;
}
} // namespace

FolderContentsWindow::FolderContentsWindow(QWidget *tree, const QString &contentsFolder, const QString &titlePart)
    : QFrame(tree)
    , m_tree(tree)
    , m_folder(contentsFolder)
    , m_listing(new ListingSession(ListingSession::networkLimitMs, this))
{
    setObjectName(QStringLiteral("FolderContentsWindow"));
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setWindowTitle(ExplorerTexts.msgFilesIn + titlePart);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    // The caption, as a tool window's title bar would show it.
    m_caption = new QLabel(windowTitle(), this);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setBackgroundRole(QPalette::Highlight);
    m_caption->setForegroundRole(QPalette::HighlightedText);
    m_caption->setAutoFillBackground(true);
    layout->addWidget(m_caption);

    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setIconSize(QSize(SystemImageList::smallSize, SystemImageList::smallSize));
    m_list->setToolTip(QStringLiteral("LeftClick - Select\nDblClick  - Open"));
    QPalette colours = m_list->palette();
    colours.setColor(QPalette::Base, tree->palette().color(QPalette::Base));
    colours.setColor(QPalette::Text, tree->palette().color(QPalette::Text));
    // The selection stays visible when the list has no focus.
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    m_list->setPalette(colours);
    layout->addWidget(m_list, 1);

    // The bottom panel, 22 pixels high, with the OK button in an 80-pixel panel at its right.
    auto *bottom = new QWidget(this);
    bottom->setFixedHeight(22);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->addStretch(1);
    auto *buttonPanel = new QWidget(bottom);
    buttonPanel->setFixedSize(80, 22);
    m_ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&OK"), buttonPanel);
    m_ok->setGeometry(1, 1, 60, 22);
    bottomLayout->addWidget(buttonPanel);
    layout->addWidget(bottom);

    connect(m_list, &QListWidget::itemDoubleClicked, this, &FolderContentsWindow::openItem);
    connect(m_ok, &QPushButton::clicked, this, &FolderContentsWindow::confirm);
    tree->installEventFilter(this);
    fitToTree();
    show();
    raise();

    // The folder is read off the window's thread; a share that stays silent is given up
    // with the file list's message.
    setCursor(Qt::WaitCursor);
    const QString pattern = AddSlash(m_folder) + QStringLiteral("*.*");
    m_listing->start<QStringList>(
        m_folder,
        [pattern](const std::atomic<bool> &cancelled) {
            QStringList names;
            platform::FindFiles finder(pattern, platform::EntryKinds::NonFolders);
            platform::FoundEntry entry;
            while (!cancelled && finder.next(entry)) {
                if (!(entry.attributes & platform::faDirectory))
                    names.append(entry.name);
            }
            return sortedByCaption(names);
        },
        [this](QStringList names) { fill(names); }, [this] { giveUp(); });
}

void FolderContentsWindow::fill(const QStringList &names)
{
    const QString folder = AddSlash(m_folder);
    for (const QString &name : names) {
        const QString path = folder + name;
        auto *item = new QListWidgetItem(SystemImageList::instance().icon(SmallIconIndex(path)), name);
        item->setData(pathRole, path);
        m_list->addItem(item);
    }
    if (m_list->count() > 0)
        m_list->setCurrentItem(m_list->item(0), QItemSelectionModel::NoUpdate);
    unsetCursor();
    m_listed = true;
}

void FolderContentsWindow::giveUp()
{
    unsetCursor();
    platform::showMessage(platform::MessageKind::Error, QCoreApplication::applicationName(),
                          ListingSession::noAnswerText(TreeTextLanguage, m_folder));
}

void FolderContentsWindow::openItem(QListWidgetItem *item)
{
    if (!item)
        return;
    hide();
    const QString path = item->data(pathRole).toString();
    ExecuteFile(QStringLiteral("Open"), path, QString(), folderPart(path), 5);
    show();
}

void FolderContentsWindow::confirm()
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    const QString path = selected.isEmpty() ? QString() : selected.first()->data(pathRole).toString();
    m_tree->removeEventFilter(this);
    hide();
    deleteLater();
    emit confirmed(path);
}

bool FolderContentsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tree && event->type() == QEvent::Resize)
        fitToTree();
    return QFrame::eventFilter(watched, event);
}

// The tree's client area, inside its frame.
void FolderContentsWindow::fitToTree()
{
    const auto *area = qobject_cast<QAbstractScrollArea *>(m_tree);
    setGeometry(area ? area->contentsRect() : m_tree->rect());
}
