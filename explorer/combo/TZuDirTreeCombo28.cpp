#include "explorer/combo/TZuDirTreeCombo28.h"

#include "explorer/combo/DropDownPlacement.h"
#include "explorer/combo/TNewWindowProc.h"
#include "explorer/combo/TZuDirTreeView.h"
#include "explorer/combo/TZuSpeedButton.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/ListingSession.h"
#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ListPartner.h"
#include "explorer/shared/PartnerLink.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/SystemImageList.h"
#include "explorer/shared/DirTreeFolders.h"
#include "explorer/shared/DirTreeNodes.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

namespace {
const QString drivesPath = QStringLiteral("Drives");
constexpr int buttonSize = 17;

// A stored path and a given one name the same folder: equal, or differing in letter
// case only, unless the given text names another existing folder (where letter case
// tells folders apart).
bool sameFolderText(const QString &stored, const QString &given)
{
    if (stored == given)
        return true;
    if (stored.compare(given, Qt::CaseInsensitive) != 0)
        return false;
    return !DirExists(given) || platform::isSameFile(stored, given);
}

// The style's drop-down arrow, as a combo box draws it.
QPixmap comboArrow(const QWidget *widget)
{
    QPixmap arrow(buttonSize - 6, buttonSize - 6);
    arrow.fill(Qt::transparent);
    QPainter painter(&arrow);
    QStyleOption option;
    option.initFrom(widget);
    option.rect = arrow.rect();
    widget->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, widget);
    return arrow;
}
} // namespace

TZuDirTreeCombo28::TZuDirTreeCombo28(QWidget *parent)
    : QLineEdit(parent)
    , m_button(new TZuSpeedButton(this))
    , m_dropDown(new TZuDirTreeView(this))
    , m_wheelHook(new TNewWindowProc(this))
{
    resize(216, 21);
    setReadOnly(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_Hover);
    m_dropDown->hide();
    m_dropDown->resize(width(), m_treeHeight);
    m_dropDown->setIconSize(QSize(SystemImageList::smallSize, SystemImageList::smallSize));
    SetHideSelection(true); // as a tree view hides it
    connect(m_dropDown, &FolderTree::drivesChanged, this, [this] { m_rebuild.request(); });
    connect(m_dropDown, &FolderTree::selectedFolderRemoved, this, &TZuDirTreeCombo28::followRemovedFolder);
    connect(m_dropDown, &FolderTree::openingResumed, this, &TZuDirTreeCombo28::OpenPath);
    connect(m_dropDown, &FolderTree::folderGivenUp, this, [this](const QString &folder) {
        showErrorDialog(ListingSession::noAnswerText(m_language, folder));
    });
    SetLanguage(lnSysDefault);

    m_button->setGeometry(width() - buttonSize - 4, 2, buttonSize, buttonSize);
    m_glyph = comboArrow(m_button);
    m_button->setIcon(m_glyph);
    connect(m_button, &QToolButton::clicked, this, &TZuDirTreeCombo28::ToggleDropDown);

    m_dropDown->LoadDrives();
    SetExpandRoot(true);
    if (!m_dropDown->currentItem())
        showNode(m_dropDown->topLevelItem(0));
    m_dropDown->setSelectedPath(drivesPath);
    SetTextRect();
}

TZuDirTreeCombo28::~TZuDirTreeCombo28()
{
    SetFileList(nullptr);
    // The drop-down goes first: closing it hands the focus back to a whole combo.
    delete m_dropDown;
}

QString TZuDirTreeCombo28::SelectedPath() const
{
    return m_dropDown->SelectedPath();
}

void TZuDirTreeCombo28::SetSelectedPath(const QString &path)
{
    if (!sameFolderText(m_dropDown->SelectedPath(), path))
        m_dropDown->setSelectedPath(path);
    if (ListPartner *list = listPartner())
        list->followFolder(m_dropDown->SelectedPath());
}

void TZuDirTreeCombo28::listLinked()
{
    if (!SelectedPath().isEmpty())
        showInFileList(SelectedPath());
}

void TZuDirTreeCombo28::showChangedFolder(const QString &path)
{
    if (path != drivesPath && path != topNodeCaption())
        m_dropDown->updateFolderNode(DelSlash(path));
    OpenPath(path == drivesPath ? topNodeCaption() : path);
}

void TZuDirTreeCombo28::reloadKeeping(const QString &path)
{
    RebuildTree();
    OpenPath(path);
}

bool TZuDirTreeCombo28::ExpandRoot() const
{
    return m_dropDown->ExpandRoot();
}

void TZuDirTreeCombo28::SetExpandRoot(bool expandRoot)
{
    m_dropDown->SetExpandRoot(expandRoot);
}

void TZuDirTreeCombo28::SetHideSelection(bool hide)
{
    m_hideSelection = hide;
    // Without the focus the selection is drawn like any other row.
    QPalette palette = m_dropDown->palette();
    const QPalette standard = m_dropDown->style()->standardPalette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     hide ? palette.color(QPalette::Inactive, QPalette::Base)
                          : standard.color(QPalette::Inactive, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     hide ? palette.color(QPalette::Inactive, QPalette::Text)
                          : standard.color(QPalette::Inactive, QPalette::HighlightedText));
    m_dropDown->setPalette(palette);
}

void TZuDirTreeCombo28::SetLanguage(TLanguage language)
{
    language = ResolveLanguage(language);
    if (language == m_language)
        return;
    m_language = language;
    TreeTextLanguage = language;
    LoadTreeTexts();
    QCoreApplication::processEvents();
}

void TZuDirTreeCombo28::SetGlyph(const QPixmap &glyph)
{
    if (glyph.isNull())
        return;
    m_glyph = glyph.copy();
    m_button->setIcon(m_glyph);
}

void TZuDirTreeCombo28::SetTreeHeight(int height)
{
    m_treeHeight = height;
    m_dropDown->resize(m_dropDown->width(), height);
}

bool TZuDirTreeCombo28::isDroppedDown() const
{
    return m_dropDown->isVisible();
}

QString TZuDirTreeCombo28::topNodeCaption() const
{
    const QTreeWidgetItem *root = m_dropDown->topLevelItem(0);
    return root ? root->text(0) : QString();
}

void TZuDirTreeCombo28::showNode(const QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_iconIndex = nodeImageIndex(node);
    setText(node->text(0));
    SetTextRect();
    update();
}

void TZuDirTreeCombo28::OpenPath(const QString &path)
{
    if (!path.isEmpty() && path == topNodeCaption()) {
        QTreeWidgetItem *root = m_dropDown->topLevelItem(0);
        collapseRecursively(root);
        root->setExpanded(true);
        m_dropDown->setCurrentItem(root);
        showNode(root);
        m_dropDown->setSelectedPath(drivesPath);
        emit OnPathChange(this, drivesPath);
        return;
    }
    if (path.size() <= 1 || !DirExists(path))
        return;
    const QString wanted = AddSlash(path);
    m_dropDown->OpenPath(wanted);
    showNode(m_dropDown->currentItem());
    if (!sameFolderText(m_dropDown->SelectedPath(), wanted))
        m_dropDown->setSelectedPath(wanted);
    emit OnPathChange(this, m_dropDown->SelectedPath());
}

void TZuDirTreeCombo28::RebuildTree()
{
    m_dropDown->beginUpdate();
    m_dropDown->setCurrentItem(nullptr);
    m_dropDown->LoadDrives();
    m_dropDown->endUpdate();
}

void TZuDirTreeCombo28::ToggleDropDown()
{
    setFocus(Qt::OtherFocusReason);
    if (isDroppedDown()) {
        m_dropDown->CloseUp();
        return;
    }
    const QRect field(mapToGlobal(QPoint(0, 0)), size());
    const QScreen *shown = screen();
    const int screenBottom = shown ? shown->geometry().bottom() + 1 : field.bottom() + 1 + m_treeHeight;
    m_dropDown->setGeometry(QRect(dropDownTopLeft(field, m_treeHeight, screenBottom), QSize(width(), m_treeHeight)));
    QToolTip::hideText();
    setToolTip(QString());
    m_dropDown->show();
    m_dropDown->raise();
    if (!m_dropDown->hasFocus())
        m_dropDown->setFocus(Qt::PopupFocusReason);
}

void TZuDirTreeCombo28::SetTextRect()
{
    const bool icon = m_iconIndex >= 0 && m_iconIndex < SystemImageList::instance().count();
    setTextMargins(icon ? 23 : 0, 0, m_button->width() + 2, 0);
}

QString TZuDirTreeCombo28::hintText() const
{
    if (!m_dropDown->currentItem())
        return QStringLiteral("Selected = nil");
    return QStringLiteral("SelectedPath =\r") + SelectedPath();
}

void TZuDirTreeCombo28::chooseFromDropDown(QObject *sender)
{
    m_dropDown->TakeSelection();
    SetSelectedPath(m_dropDown->SelectedPath());
    showNode(m_dropDown->currentItem());
    emit OnPathChange(sender, SelectedPath());
}

void TZuDirTreeCombo28::takeSelectionByEnter()
{
    m_dropDown->TakeSelection();
    SetSelectedPath(m_dropDown->SelectedPath());
    emit OnPathChange(this, SelectedPath());
    m_dropDown->CloseUp();
    showNode(m_dropDown->currentItem());
}

void TZuDirTreeCombo28::selectRootWhenNothingIsSelected()
{
    QTreeWidgetItem *root = m_dropDown->topLevelItem(0);
    if (m_dropDown->currentItem() || !root)
        return;
    m_dropDown->setCurrentItem(root);
    root->setExpanded(true);
}

bool TZuDirTreeCombo28::keyDown(int key)
{
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
    if (arrow)
        selectRootWhenNothingIsSelected();
    QTreeWidgetItem *selected = m_dropDown->currentItem();
    const QTreeWidgetItem *root = m_dropDown->topLevelItem(0);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        takeSelectionByEnter();
        return false;
    case Qt::Key_Escape:
        m_dropDown->CloseUp();
        return false;
    case Qt::Key_Right:
        if (selected)
            selected->setExpanded(true);
        return false;
    case Qt::Key_Left: {
        if (!selected)
            return true;
        if (selected->isExpanded())
            collapseRecursively(selected);
        QTreeWidgetItem *previous = m_dropDown->itemAbove(selected);
        if (selected == root || !previous || previous == root)
            return true;
        m_dropDown->setCurrentItem(previous);
        return false;
    }
    case Qt::Key_Down: {
        if (!isDroppedDown()) {
            ToggleDropDown();
            return false;
        }
        QTreeWidgetItem *next = selected ? m_dropDown->itemBelow(selected) : nullptr;
        if (!next)
            return true;
        m_dropDown->setCurrentItem(next);
        return false;
    }
    case Qt::Key_Up: {
        QTreeWidgetItem *previous = selected ? m_dropDown->itemAbove(selected) : nullptr;
        if (selected == root || !previous)
            return true;
        m_dropDown->setCurrentItem(previous);
        return false;
    }
    case Qt::Key_F4:
        ToggleDropDown();
        return false;
    case Qt::Key_F5:
        refreshByKey();
        return false;
    default:
        return false;
    }
}

void TZuDirTreeCombo28::refreshByKey()
{
    reloadKeeping(SelectedPath());
    if (ListPartner *list = listPartner())
        list->rereadKeepingSelection();
}

void TZuDirTreeCombo28::comboKeyPress(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        event->ignore();
        return;
    }
    keyDown(event->key());
    event->accept();
}

void TZuDirTreeCombo28::keyPressEvent(QKeyEvent *event)
{
    if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && keyDown(event->key()))
        return;
    QLineEdit::keyPressEvent(event);
}

void TZuDirTreeCombo28::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    const SystemImageList &images = SystemImageList::instance();
    if (m_iconIndex < 0 || m_iconIndex >= images.count())
        return;
    QPainter painter(this);
    painter.drawPixmap(5, height() / 2 - 8, images.smallPixmap(m_iconIndex));
}

void TZuDirTreeCombo28::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int buttonHeight = qMax(buttonSize, height() - 4);
    m_button->setGeometry(width() - m_button->width() - 2, (height() - buttonHeight) / 2, m_button->width(), buttonHeight);
    SetTextRect();
}

void TZuDirTreeCombo28::focusOutEvent(QFocusEvent *event)
{
    // The open drop-down takes the focus as a popup: it stays open then.
    if (event->reason() != Qt::PopupFocusReason && isDroppedDown())
        m_dropDown->CloseUp();
    QLineEdit::focusOutEvent(event);
}

void TZuDirTreeCombo28::enterEvent(QEnterEvent *event)
{
    QLineEdit::enterEvent(event);
    // Shown as lines: the hint's carriage return breaks it.
    setToolTip(isDroppedDown() ? QString() : hintText().replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

void TZuDirTreeCombo28::leaveEvent(QEvent *event)
{
    QLineEdit::leaveEvent(event);
    setToolTip(QString());
}

void TZuDirTreeCombo28::showInFileList(const QString &path)
{
    listPartner()->showFolder(path, true);
}

void TZuDirTreeCombo28::followRemovedFolder()
{
    const QString path = SelectedPath();
    if (path.isEmpty() || path == drivesPath || DirExists(path))
        return;
    const QString kept = nearestExistingFolder(path, drivesPath);
    OpenPath(kept == drivesPath ? topNodeCaption() : kept);
    if (listPartner())
        showInFileList(kept);
}

// Drives come and go in bursts; the drop-down is rebuilt once for each burst.
void TZuDirTreeCombo28::rebuildAfterChange()
{
    // A chosen folder that is gone leaves its nearest remaining parent chosen.
    const QString path = SelectedPath();
    const QString kept = path.isEmpty() || path == drivesPath ? path : nearestExistingFolder(path, drivesPath);
    setUpdatesEnabled(false);
    m_dropDown->beginUpdate();
    RebuildTree();
    if (QTreeWidgetItem *root = m_dropDown->topLevelItem(0); root && !root->isExpanded())
        root->setExpanded(true);
    if (!kept.isEmpty())
        OpenPath(kept == drivesPath ? topNodeCaption() : kept);
    if (listPartner())
        showInFileList(kept);
    m_dropDown->endUpdate();
    setUpdatesEnabled(true);
}
