#include "explorer/combo/TZuDirTreeView.h"

#include "explorer/combo/TZuDirTreeCombo28.h"
#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/DirTreeFolders.h"
#include "explorer/shared/DirTreeNodes.h"
#include "platform/DriveTable.h"

#include <QMouseEvent>
#include <QStyleOptionViewItem>

namespace {
const QString drivesPath = QStringLiteral("Drives");
} // namespace

TZuDirTreeView::TZuDirTreeView(TZuDirTreeCombo28 *combo)
    : FolderTree(combo)
    , m_combo(combo)
{
    // A window of its own over every other, placed in screen coordinates.
    setWindowFlags(Qt::Popup);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMouseTracking(true);
    // Every subfolder is listed, whatever its attributes, and probed on network drives too.
    setAllowedAttributes(folderFilterBits);
    setProbesNetworkFolders(true);
    connect(this, &QTreeWidget::itemExpanded, this, &TZuDirTreeView::NodeExpanding);
}

void TZuDirTreeView::SetExpandRoot(bool expandRoot)
{
    m_expandRoot = expandRoot;
    if (QTreeWidgetItem *root = topLevelItem(0); root && expandRoot)
        root->setExpanded(true);
}

void TZuDirTreeView::LoadDrives()
{
    beginUpdate();
    loadRootNode();
    loadDrives();
    endUpdate();
}

void TZuDirTreeView::OpenPath(const QString &path)
{
    bool complete = false;
    openNodesTo(path, &complete);
}

void TZuDirTreeView::TakeSelection()
{
    // The drive list is no folder: it is kept as it is, without a trailing "\".
    m_previousPath = m_selectedPath == drivesPath ? m_selectedPath : AddSlash(m_selectedPath);
    QTreeWidgetItem *node = currentItem();
    const QString path = nodePath(node);
    m_selectedPath = path.isEmpty() ? drivesPath : path;
    if (nodeLevel(node) == 1) {
        const QChar letter = nodeDriveLetter(node);
        const platform::DriveKind kind = platform::driveKind(letter);
        if ((kind == platform::DriveKind::Removable || kind == platform::DriveKind::CdRom)
            && !DriveReady(letter, true)) {
            OpenPath(m_previousPath);
            m_selectedPath = m_previousPath;
            return;
        }
    }
    m_previousPath = m_selectedPath;
}

void TZuDirTreeView::CloseUp()
{
    if (!isVisible())
        return;
    hide();
}

void TZuDirTreeView::hideEvent(QHideEvent *event)
{
    QTreeWidget::hideEvent(event);
    m_mouseInside = false;
    m_combo->setFocus(Qt::PopupFocusReason);
}

bool TZuDirTreeView::isOnLabelOrIcon(const QPoint &position) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return ::isOnLabelOrIcon(this, option, position);
}

// A press outside the window reaches the popup itself, not its viewport: it closes
// the drop-down. A press on the combo is not passed on afterwards, so that its button
// closes the drop-down without opening it again.
bool TZuDirTreeView::event(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        if (!rect().contains(press->position().toPoint())) {
            const QPoint onCombo = m_combo->mapFromGlobal(press->globalPosition().toPoint());
            setAttribute(Qt::WA_NoMouseReplay, m_combo->rect().contains(onCombo));
            m_mouseInside = false;
            CloseUp();
            return true;
        }
    }
    return QTreeWidget::event(event);
}

void TZuDirTreeView::mousePressEvent(QMouseEvent *event)
{
    // The view's own handling first: a press on an expand button opens or closes it.
    QTreeWidget::mousePressEvent(event);
    m_mouseInside = true;
    if (event->button() != Qt::LeftButton || !isOnLabelOrIcon(event->position().toPoint()))
        return;
    setCurrentItem(itemAt(event->position().toPoint()));
    m_combo->chooseFromDropDown(this);
    CloseUp();
}

void TZuDirTreeView::mouseMoveEvent(QMouseEvent *event)
{
    m_mouseInside = viewport()->rect().contains(event->position().toPoint());
    if (m_mouseInside && isVisible() && isOnLabelOrIcon(event->position().toPoint())) {
        QTreeWidgetItem *node = itemAt(event->position().toPoint());
        if (node && node != currentItem())
            setCurrentItem(node);
    }
    QTreeWidget::mouseMoveEvent(event);
}

void TZuDirTreeView::keyPressEvent(QKeyEvent *event)
{
    // The open drop-down holds the keyboard: its keys are the combo's keys.
    m_combo->comboKeyPress(event);
}
