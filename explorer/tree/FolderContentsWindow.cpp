#include "explorer/tree/FolderContentsWindow.h"

#include "explorer/filelist/FolderListingJob.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellUtils.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/DriveTable.h"
#include "platform/NetworkThreads.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QThreadPool>

namespace {
// A folder this small, or read this fast, is shown before the window returns.
constexpr int shownAtOnceEntries = 500;
constexpr int shownAtOnceMilliseconds = 200;

constexpr int buttonPanelWidth = 80;
constexpr int buttonWidth = 60;

const TFileType everyFile{ftReadOnly, ftHidden, ftSystem, ftArchive, ftNormal};

bool isOnNetworkDrive(const QString &folder)
{
    return !folder.isEmpty() && platform::driveKind(folder.at(0).toUpper()) == platform::DriveKind::Network;
}
} // namespace

FolderContentsWindow::FolderContentsWindow(QWidget *tree, const QString &contentsFolder, int nodeLevel)
    : QFrame(tree)
    , m_contentsFolder(contentsFolder)
{
    setObjectName(QStringLiteral("FolderContentsWindow"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(ExplorerTexts.msgFilesIn + titlePart(contentsFolder, nodeLevel));

    m_caption = new QLabel(windowTitle(), this);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setAutoFillBackground(true);
    m_caption->setBackgroundRole(QPalette::Highlight);
    m_caption->setForegroundRole(QPalette::HighlightedText);
    m_caption->setContentsMargins(3, 1, 3, 1);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize(QSize(SystemImageList::smallSize, SystemImageList::smallSize));
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_list->setToolTip(QStringLiteral("LeftClick - Select\nDblClick  - Open"));
    QPalette colours = m_list->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, tree->palette().color(group, QPalette::Base));
        colours.setColor(group, QPalette::Text, tree->palette().color(group, QPalette::Text));
    }
    // The selection looks the same whether or not the list has the focus.
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    m_list->setPalette(colours);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &FolderContentsWindow::openItem);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("panel"));
    m_buttonPanel = new QWidget(m_panel);
    m_buttonPanel->setObjectName(QStringLiteral("buttonPanel"));
    m_ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&OK"), m_buttonPanel);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setGeometry(1, 1, buttonWidth, panelHeight);
    m_ok->setFocusPolicy(Qt::StrongFocus);
    connect(m_ok, &QPushButton::clicked, this, &FolderContentsWindow::confirm);

    tree->installEventFilter(this);
    fitToTree();
    startListing();
    show();
    raise();
}

FolderContentsWindow::~FolderContentsWindow()
{
    if (m_job)
        m_job->cancel();
}

QString FolderContentsWindow::titlePart(const QString &contentsFolder, int nodeLevel)
{
    if (nodeLevel <= 1)
        return QStringLiteral("\" ") + contentsFolder.left(1) + QStringLiteral(":\\ \"");
    const QString folder = DelSlash(contentsFolder);
    return QStringLiteral("\" ..\\") + folder.mid(folder.lastIndexOf(QLatin1Char('\\')) + 1) + QStringLiteral(" \"");
}

void FolderContentsWindow::startListing()
{
    m_job = std::make_shared<FolderListingJob>(FolderListingRequest{
        FolderListingSettings(), AddSlash(m_contentsFolder), everyFile, QStringLiteral("*.*"), false,
        FileListOrder{0, false}});
    const std::shared_ptr<FolderListingJob> job = m_job;
    // The worker may outlive the window (a dead network drive): it reaches the window
    // through the application object, and only while the window exists.
    const QPointer<FolderContentsWindow> window(this);
    job->setOnDone([window, job] {
        QMetaObject::invokeMethod(qApp, [window, job] {
            if (window && window->m_job == job)
                window->fill();
        }, Qt::QueuedConnection);
    });
    (isOnNetworkDrive(m_contentsFolder) ? platform::networkThreadPool() : QThreadPool::globalInstance())
        ->start([job] { job->run(); });
    if (job->waitBriefly(shownAtOnceEntries, shownAtOnceMilliseconds))
        fill();
    else
        setCursor(Qt::WaitCursor);
}

void FolderContentsWindow::fill()
{
    if (!m_job)
        return;
    m_job->waitUntilDone();
    const std::shared_ptr<FolderListingJob> job = std::exchange(m_job, nullptr);
    FileListContext context;
    const std::vector<FileListRow> rows = job->takeRows(context);
    // The rows come sorted by caption, as the file list sorts names.
    for (const FileListRow &row : rows) {
        auto *item = new QListWidgetItem(SystemImageList::instance().icon(row.imageIndex), row.name);
        item->setData(Qt::UserRole, rowPath(row, context));
        m_list->addItem(item);
    }
    if (m_list->count() > 0)
        m_list->selectionModel()->setCurrentIndex(m_list->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    unsetCursor();
}

void FolderContentsWindow::fitToTree()
{
    if (QWidget *tree = parentWidget())
        setGeometry(tree->contentsRect());
}

bool FolderContentsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        fitToTree();
    return QFrame::eventFilter(watched, event);
}

void FolderContentsWindow::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    const QRect client = contentsRect();
    const int captionHeight = m_caption->sizeHint().height();
    m_caption->setGeometry(client.x(), client.y(), client.width(), captionHeight);
    m_list->setGeometry(client.x(), client.y() + captionHeight, client.width(),
                        qMax(0, client.height() - captionHeight - panelHeight));
    m_panel->setGeometry(client.x(), client.bottom() + 1 - panelHeight, client.width(), panelHeight);
    m_buttonPanel->setGeometry(client.width() - buttonPanelWidth, 0, buttonPanelWidth, panelHeight);
}

void FolderContentsWindow::openItem(QListWidgetItem *item)
{
    if (item && item->isSelected()) {
        hide();
        ExecuteFile(QStringLiteral("Open"), item->text(), QString(), m_contentsFolder, 5);
    }
    show();
}

void FolderContentsWindow::confirm()
{
    m_selectedFile.clear();
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    if (!selected.isEmpty()) {
        m_selectedFile = selected.first()->data(Qt::UserRole).toString();
        emit fileChosen(m_selectedFile);
    }
    parentWidget()->removeEventFilter(this);
    close();
    deleteLater();
    emit finished();
}
