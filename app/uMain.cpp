#include "app/uMain.h"

#include "about/About.h"
#include "app/Anchors.h"
#include "app/ClickableImage.h"
#include "app/KestravaApplication.h"
#include "app/PicturePreview.h"
#include "explorer/tree/DirTree.h"
#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListView.h"
#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "options/dialog/uOpzioni.h"
#include "platform/DrivePaths.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"
#include "tags/TID3TagInfo.h"
#include "workflow/RenamingWorkflow.h"
#include "workflow/UndoLog.h"
#include "ui_uMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>

namespace {
constexpr QSize minimumWindowSize(790, 550);
constexpr int pageAnyFile = 0;
constexpr int pageMp3 = 1;
const QColor lockedColour(255, 0, 255);

void giveLookOf(QLineEdit *field, bool unlocked)
{
    QPalette colours = field->palette();
    colours.setColor(QPalette::Base, unlocked ? QApplication::palette().color(QPalette::Base) : lockedColour);
    field->setPalette(colours);
    QFont look = field->font();
    look.setItalic(true);
    look.setBold(!unlocked);
    field->setFont(look);
    field->setFocusPolicy(unlocked ? Qt::StrongFocus : Qt::ClickFocus);
}

bool isEnter(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
           && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
} // namespace

TfrmMain::TfrmMain(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    applyAnchors(this);
    setMinimumSize(minimumWindowSize);
    ui->PageControl1->setCurrentIndex(pageAnyFile);
    configureExplorer();
    connectControls();
    FormCreate();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmMain::~TfrmMain()
{
    FormClose();
}

void TfrmMain::FormCreate()
{
    m_kestrava = std::make_unique<TKestrava>();
    setWindowTitle(QStringLiteral("Kestrava v3.00"));
    ui->imgAnteprima->clear();
    m_opzioni = std::make_unique<TOpzioni>();
    ui->imgAnteprima->setVisible(m_opzioni->Anteprima());
    m_id3v1 = std::make_unique<TID3TagInfo>();
    m_workflow = std::make_unique<RenamingWorkflow>(*m_kestrava, *m_id3v1);
    m_workflow->setSettings(RenamingWorkflow::Settings::from(*m_opzioni));
    m_undoLog = std::make_unique<UndoLog>();
    m_workflow->setUndoLog(m_undoLog.get());
}

void TfrmMain::FormClose()
{
    m_workflow.reset();
    if (m_opzioni) {
        m_opzioni.reset();
        emit sharedObjectFreed(QStringLiteral("TOpzioni"));
    }
    if (m_kestrava) {
        m_kestrava.reset();
        emit sharedObjectFreed(QStringLiteral("TKestrava"));
    }
    if (m_id3v1) {
        m_id3v1.reset();
        emit sharedObjectFreed(QStringLiteral("TID3TagInfo"));
    }
}

void TfrmMain::configureExplorer()
{
    const TFileType shown{ftReadOnly, ftSystem, ftArchive}; // hidden entries are left out
    TZuDirTree21 *tree = ui->dtrDirectory;
    tree->SetLanguage(lnItalian);
    tree->SetFolderType(shown);
    tree->setIndentation(19);
    tree->setRootIsDecorated(false);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->SetReadOnly(true); // no caption editing, no drops

    TZuFilelistView28 *list = ui->flsFile;
    list->SetLanguage(lnItalian);
    list->SetMultiSelect(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->SetReadOnly(true); // no caption editing: F2 and the menu's rename say so
    list->SetShowFolders(false);
    list->SetParentDirEnabled(false);
    list->SetFileType(shown);
    list->SetMask(QStringLiteral("*.*"));
    list->SetTimeFormat(tfShortFormat);
    list->SetColWidth_Name(226);
    list->SetColWidth_Size(100);
    list->SetColWidth_Type(100);
    list->SetColWidth_Mod(0);
    list->SetColWidth_Attr(0);
    tree->SetFileList(list);
    list->SetDirectory(QStringLiteral("Drives"));

    list->bindKeysWithoutSelection();
}

void TfrmMain::connectControls()
{
    connectFields();
    const auto on = [this](QPushButton *button, void (TfrmMain::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    on(ui->btnIndietro, &TfrmMain::btnIndietroClick);
    on(ui->btnAvanti, &TfrmMain::btnAvantiClick);
    on(ui->btnRinomina, &TfrmMain::btnRinominaClick);
    on(ui->btnOpzioni, &TfrmMain::btnOpzioniClick);
    on(ui->btnCredits, &TfrmMain::btnCreditsClick);
    on(ui->btnEsci, &TfrmMain::btnEsciClick);
    // Ctrl+Z anywhere in the window, and in the form's context menu.
    m_undoAction = new QAction(QStringLiteral("&Annulla l'ultima ridenominazione"), this);
    m_undoAction->setObjectName(QStringLiteral("actAnnulla"));
    m_undoAction->setShortcut(QKeySequence::Undo);
    m_undoAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_undoAction, &QAction::triggered, this, [this] { guarded([this] { annullaUltimaModifica(); }); });
    addAction(m_undoAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    ui->btnRinomina->setToolTip(
        QStringLiteral("Rinomina il file e scrive i tag (Ctrl+Z annulla l'ultima ridenominazione, nome e tag)"));
    for (const TagField field : TagFieldValues::all)
        fieldEdit(field)->installEventFilter(this);
    for (QLineEdit *edit : {ui->edtRinomina, ui->edtPrima, ui->edtDopo, ui->edtNuovoNome})
        edit->installEventFilter(this);
    connect(ui->flsFile, &TZuFilelistView28::OnClick, this, [this] { guarded([this] { flsFileClick(); }); });
    connect(ui->dtrDirectory, &TZuDirTree21::OnClick, this, [this] { guarded([this] { dtrDirectoryClick(); }); });
}

void TfrmMain::keyPressEvent(QKeyEvent *event)
{
    // "Rinomina" is the default button of the form's fields: Enter in one of them
    // presses it. A focused button takes Enter as its own click; anywhere else (the
    // folder tree, the file list) Enter renames nothing.
    QWidget *focused = focusWidget();
    if (!isEnter(event) || !focused) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (auto *button = qobject_cast<QPushButton *>(focused); button && isAncestorOf(button))
        button->click();
    else if (isFormField(focused))
        ui->btnRinomina->click();
    else
        QWidget::keyPressEvent(event);
}

void TfrmMain::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (...) {
        KestravaApplication::showCurrentError();
    }
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    emit closed();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize()
{
    ui->flsFile->setNameColumnWidth(ui->flsFile->width() - 221);
}

void TfrmMain::btnEsciClick()
{
    close();
}

void TfrmMain::btnCreditsClick()
{
    if (m_about) {
        m_about->show();
        m_about->raise();
    }
}

// Loading and navigating.

void TfrmMain::CaricaFile(const QString &name, const QString &folder)
{
    m_workflow->setFile(folder, name);
    CancellaEdit();
    ui->edtNomeOriginale->setText(platform::displayName(m_kestrava->OriginalName()));
    if (m_workflow->isMp3()) {
        ui->PageControl1->setCurrentIndex(pageMp3);
        m_workflow->readTags();
        CaricaTagV2();
        // Composed once more from every field filled, the track included.
        ui->edtNuovoNome->setText(m_workflow->proposeFromTags(shownFields()));
        return;
    }
    if (const std::optional<QString> proposal = m_workflow->anyFileName())
        ui->edtRinomina->setText(*proposal);
    ui->PageControl1->setCurrentIndex(pageAnyFile);
    ui->edtNuovoNome->setText(
        m_workflow->proposeFromName(ui->edtPrima->text(), ui->edtRinomina->text(), ui->edtDopo->text()));
    if (m_workflow->isPicture())
        ui->imgAnteprima->load(m_kestrava->OriginalName());
}

void TfrmMain::CancellaEdit()
{
    for (const TagField field : TagFieldValues::all) {
        if (!isLocked(field))
            fieldEdit(field)->clear();
    }
    ui->edtNomeOriginale->clear();
    ui->edtNuovoNome->clear();
    ui->edtRinomina->clear();
    ui->imgAnteprima->clear();
}

void TfrmMain::loadItem(int index)
{
    m_loadedRow = index;
    if (index < 0) {
        CaricaFile(QString());
        return;
    }
    const FileListItem item = ui->flsFile->item(index);
    CaricaFile(item.caption, item.folder);
}

void TfrmMain::flsFileClick()
{
    if (ui->flsFile->selectedIndex() >= 0)
        loadItem(ui->flsFile->selectedIndex());
}

void TfrmMain::dtrDirectoryClick()
{
    // A big folder is still being read: its first file is loaded once it is shown.
    ui->flsFile->whenListed([this] {
        guarded([this] {
            if (ui->flsFile->itemCount() > 0)
                ui->flsFile->selectItem(0);
            loadItem(ui->flsFile->selectedIndex());
        });
    });
}

void TfrmMain::btnAvantiClick()
{
    stepTo(RenamingWorkflow::nextIndex(ui->flsFile->selectedIndex(), ui->flsFile->itemCount()));
}

void TfrmMain::btnIndietroClick()
{
    stepTo(RenamingWorkflow::previousIndex(ui->flsFile->selectedIndex()));
}

void TfrmMain::stepTo(int index)
{
    if (index >= 0 && index != ui->flsFile->selectedIndex()) {
        ui->flsFile->selectItem(index);
        ui->flsFile->scrollItemIntoView(index);
    }
    loadItem(ui->flsFile->selectedIndex());
    focusAfterStep();
}

void TfrmMain::focusAfterStep()
{
    if (ui->PageControl1->currentIndex() == pageMp3)
        (isLocked(TagField::Artist) ? ui->edtTitolo : ui->edtArtista)->setFocus();
    else
        ui->edtRinomina->setFocus();
}

void TfrmMain::openPath(const QString &nativePath)
{
    const QString absolute = platform::absoluteNativePath(nativePath);
    const QString path = platform::toDrivePath(absolute);
    const bool isFolder = platform::folderExists(path);
    if (!isFolder && !platform::fileExists(path)) {
        platform::showMessage(platform::MessageKind::Warning, QStringLiteral("Kestrava"),
                              QStringLiteral("Il percorso \"%1\" non esiste.").arg(nativePath));
        return;
    }
    const qsizetype separator = absolute.lastIndexOf(QLatin1Char('/'));
    const QString folder = isFolder ? path : platform::toDrivePath(absolute.left(qMax(separator, 1)));
    ui->dtrDirectory->OpenPath(folder);
    ui->flsFile->SetDirectory(folder);
    if (isFolder)
        return;
    const QString name = platform::toDrivePath(absolute.mid(separator + 1));
    ui->flsFile->whenListed([this, name] {
        for (int row = 0; row < ui->flsFile->itemCount(); ++row) {
            if (ui->flsFile->item(row).name == name) {
                ui->flsFile->selectItem(row);
                ui->flsFile->scrollItemIntoView(row);
                guarded([this, row] { loadItem(row); });
                return;
            }
        }
    });
}

// Tags and renaming.

void TfrmMain::CaricaTagV2()
{
    const TagFieldValues filled =
        m_workflow->loadedFields(shownFields(), [this](TagField field) { return isLocked(field); });
    for (const TagField field : TagFieldValues::all) {
        QLineEdit *edit = fieldEdit(field);
        if (edit->text() != filled[field])
            edit->setText(filled[field]);
    }
}

bool TfrmMain::askBeforeLoss(const QString &question)
{
    return platform::showMessage(platform::MessageKind::Question, QStringLiteral("Kestrava"), question,
                                 int(platform::MessageButton::Yes) | int(platform::MessageButton::No)) ==
           platform::MessageButton::Yes;
}

void TfrmMain::btnRinominaClick()
{
    if (renameLoadedFile())
        btnAvantiClick();
}

bool TfrmMain::renameLoadedFile()
{
    const QString oldPath = m_workflow->filePath();
    const bool done = m_workflow->renameAndWriteTags(
        shownFields(), [this](const QString &question) { return askBeforeLoss(question); });
    // The change is made also when it could not be recorded for Ctrl+Z; the user is told.
    const QString problem = m_undoLog->takeProblem();
    if (!problem.isEmpty())
        platform::showMessage(platform::MessageKind::Warning, QStringLiteral("Kestrava"), problem,
                              int(platform::MessageButton::Ok));
    const bool renamed = m_workflow->filePath() != oldPath;
    if (renamed) {
        // The list shows what is on disk from here on, whatever the tag writes do.
        renameLoadedItem(oldPath);
        ui->edtNomeOriginale->setText(platform::displayName(m_workflow->fileName()));
    }
    if (done)
        return true;
    // A rename refused was told by the rename; a save the user declined needs no box.
    switch (m_workflow->lastSaveResult().status) {
    case TID3v2::SaveStatus::Saved:
    case TID3v2::SaveStatus::UnreadablePartsWouldBeLost:
        break;
    case TID3v2::SaveStatus::ReadFailed:
        platform::showMessage(platform::MessageKind::Error, QStringLiteral("Kestrava"),
                              m_workflow->lastSaveResult().message, int(platform::MessageButton::Ok));
        break;
    case TID3v2::SaveStatus::WriteFailed: {
        // the reason, and that the name has changed all the same
        QString text = m_workflow->lastSaveResult().message;
        if (text.isEmpty())
            text = QStringLiteral("Impossibile scrivere il tag ID3v2 nel file \"%1\".").arg(m_workflow->fileName());
        if (renamed)
            text += QStringLiteral("\nIl file è stato comunque rinominato in \"%1\"%2")
                        .arg(platform::displayName(m_workflow->fileName()),
                             problem.isEmpty() ? QStringLiteral(": Ctrl+Z ripristina il nome precedente.")
                                               : QStringLiteral("."));
        platform::showMessage(platform::MessageKind::Error, QStringLiteral("Kestrava"), text,
                              int(platform::MessageButton::Ok));
        break;
    }
    }
    return false;
}

void TfrmMain::annullaUltimaModifica()
{
    const UndoLog::UndoResult result = m_undoLog->undoLast();
    if (!result.done && result.entryRefused) {
        // A refused change would hide every older one: it may be dropped from the log.
        const QString question = result.message + QStringLiteral("\n\nTogliere questa modifica dal registro, senza "
                                                                 "annullarla, per poter annullare quelle fatte prima?");
        if (askBeforeLoss(question)) {
            const UndoLog::UndoResult skipped = m_undoLog->skipLast();
            platform::showMessage(skipped.done ? platform::MessageKind::Information : platform::MessageKind::Warning,
                                  QStringLiteral("Kestrava"), skipped.message, int(platform::MessageButton::Ok));
        }
        return;
    }
    if (!result.done) {
        platform::showMessage(platform::MessageKind::Warning, QStringLiteral("Kestrava"), result.message,
                              int(platform::MessageButton::Ok));
        return;
    }
    // The list follows: the row of the file gets its old name back and is loaded.
    TZuFilelistView28 *list = ui->flsFile;
    const QString undone = platform::toDrivePath(result.undonePath);
    int row = -1;
    for (int index = 0; index < list->itemCount() && row < 0; ++index) {
        if (list->item(index).path() == undone)
            row = index;
    }
    if (row >= 0) {
        list->renameItem(row, platform::toDrivePath(platform::nativeNameOf(result.restoredPath)));
        list->selectItem(row);
        list->scrollItemIntoView(row);
        loadItem(row);
    } else {
        openPath(result.restoredPath);
    }
    platform::showMessage(platform::MessageKind::Information, QStringLiteral("Kestrava"), result.message,
                          int(platform::MessageButton::Ok));
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Left unaccepted, the key goes on to the window's Ctrl+Z.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *edit = qobject_cast<QLineEdit *>(watched);
        if (edit && !edit->isUndoAvailable() && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::renameLoadedItem(const QString &oldPath)
{
    TZuFilelistView28 *list = ui->flsFile;
    // The row loaded holds the file unless the list was listed anew since.
    int row = m_loadedRow;
    if (row < 0 || row >= list->itemCount() || list->item(row).path() != oldPath) {
        row = -1;
        for (int index = 0; index < list->itemCount() && row < 0; ++index) {
            if (list->item(index).path() == oldPath)
                row = index;
        }
    }
    m_loadedRow = row;
    if (row >= 0)
        list->renameItem(row, m_workflow->fileName());
}

// Options.

void TfrmMain::btnOpzioniClick()
{
    if (!m_options)
        return;
    m_options->loadOptions(*m_opzioni, ui->PageControl1->currentIndex());
    if (m_options->exec() != QDialog::Accepted)
        return;
    CaricaOpzioni();
    loadItem(ui->flsFile->selectedIndex());
}

void TfrmMain::CaricaOpzioni()
{
    m_options->copyOptionsInto(*m_opzioni);
    ui->imgAnteprima->setVisible(m_opzioni->Anteprima());
    m_workflow->setSettings(RenamingWorkflow::Settings::from(*m_opzioni));
}

// Fields, change rules and padlocks.

QLineEdit *TfrmMain::fieldEdit(TagField field) const
{
    switch (field) {
    case TagField::Title: return ui->edtTitolo;
    case TagField::Artist: return ui->edtArtista;
    case TagField::Album: return ui->edtAlbum;
    case TagField::Genre: return ui->edtGenere;
    case TagField::Track: return ui->edtTraccia;
    case TagField::Year: return ui->edtAnno;
    case TagField::Comment: return ui->edtCommento;
    case TagField::Link: return ui->edtLink;
    }
    return nullptr;
}

TagFieldValues TfrmMain::shownFields() const
{
    TagFieldValues fields;
    for (const TagField field : TagFieldValues::all)
        fields[field] = fieldEdit(field)->text();
    return fields;
}

bool TfrmMain::isLocked(TagField field) const
{
    for (const Lock &lock : locks()) {
        if (lock.field == fieldEdit(field))
            return !isUnlocked(lock.openImage);
    }
    return false; // title and track have no lock
}

bool TfrmMain::isFormField(const QWidget *widget) const
{
    for (const TagField field : TagFieldValues::all) {
        if (widget == fieldEdit(field))
            return true;
    }
    return widget == ui->edtRinomina || widget == ui->edtPrima || widget == ui->edtDopo
           || widget == ui->edtNomeOriginale || widget == ui->edtNuovoNome;
}

void TfrmMain::assignKeepingCaret(QLineEdit *field, const QString &text)
{
    // Assigning the text a field already holds changes nothing, its undo history included.
    if (field->text() == text)
        return;
    const int caret = field->cursorPosition();
    field->setText(text);
    field->setCursorPosition(caret);
}

void TfrmMain::tagFieldChange(TagField edited)
{
    m_workflow->proposeFromTags(shownFields());
    QLineEdit *field = fieldEdit(edited);
    assignKeepingCaret(field, m_workflow->casedField(edited, field->text()));
    ui->edtNuovoNome->setText(m_kestrava->NewName());
}

void TfrmMain::edtRinominaChange()
{
    m_workflow->proposeFromName(ui->edtPrima->text(), ui->edtRinomina->text(), ui->edtDopo->text());
    assignKeepingCaret(ui->edtRinomina, m_workflow->casedName(ui->edtRinomina->text()));
    ui->edtNuovoNome->setText(m_kestrava->NewName());
}

bool TfrmMain::isUnlocked(const TClickableImage *openImage)
{
    return !openImage->isHidden();
}

void TfrmMain::ApriChiudiLucchetto(TClickableImage *openImage, TClickableImage *closedImage, QLineEdit *field)
{
    openImage->setVisible(openImage->isHidden());
    closedImage->setVisible(closedImage->isHidden());
    giveLookOf(field, isUnlocked(openImage));
}

void TfrmMain::connectFields()
{
    for (const TagField field : TagFieldValues::all) {
        if (!RenamingWorkflow::hasChangeRule(field))
            continue;
        connect(fieldEdit(field), &QLineEdit::textChanged, this,
                [this, field] { guarded([this, field] { tagFieldChange(field); }); });
    }
    for (QLineEdit *field : {ui->edtRinomina, ui->edtPrima, ui->edtDopo})
        connect(field, &QLineEdit::textChanged, this, [this] { guarded([this] { edtRinominaChange(); }); });
    for (const Lock &lock : locks()) {
        for (TClickableImage *image : {lock.openImage, lock.closedImage}) {
            connect(image, &TClickableImage::clicked, this,
                    [this, lock] { ApriChiudiLucchetto(lock.openImage, lock.closedImage, lock.field); });
        }
    }
}

QList<TfrmMain::Lock> TfrmMain::locks() const
{
    return {
        {ui->imgArtistaA, ui->imgArtistaC, ui->edtArtista}, {ui->imgAlbumA, ui->imgAlbumC, ui->edtAlbum},
        {ui->imgGenereA, ui->imgGenereC, ui->edtGenere},     {ui->imgAnnoA, ui->imgAnnoC, ui->edtAnno},
        {ui->imgCommentoA, ui->imgCommentoC, ui->edtCommento}, {ui->imgLinkA, ui->imgLinkC, ui->edtLink},
    };
}
