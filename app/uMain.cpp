#include "app/uMain.h"

#include "about/About.h"
#include "app/Anchors.h"
#include "app/KestravaApplication.h"
#include "app/PicturePreview.h"
#include "explorer/tree/DirTree.h"
#include "explorer/filelist/FileListView.h"
#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "tags/TID3TagInfo.h"
#include "ui_uMain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {
constexpr QSize minimumWindowSize(790, 550);
} // namespace

TfrmMain::TfrmMain(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    applyAnchors(this);
    setMinimumSize(minimumWindowSize);
    ui->PageControl1->setCurrentIndex(0);
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
}

void TfrmMain::FormClose()
{
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

    TZuFilelistView28 *list = ui->flsFile;
    list->SetLanguage(lnItalian);
    list->SetMultiSelect(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    connect(ui->flsFile, &TZuFilelistView28::OnClick, this, [this] { guarded([this] { flsFileClick(); }); });
    connect(ui->dtrDirectory, &TZuDirTree21::OnClick, this, [this] { guarded([this] { dtrDirectoryClick(); }); });
}

void TfrmMain::keyPressEvent(QKeyEvent *event)
{
    // "Rinomina" is the default button: Enter presses it unless the focused control
    // used the key itself. Enter in the file list is the list's own (it opens there),
    // and a focused button takes Enter as its own click.
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
                       && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QWidget *focused = focusWidget();
    if (!enter || (focused && (focused == ui->flsFile || ui->flsFile->isAncestorOf(focused)))) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (auto *button = qobject_cast<QPushButton *>(focused))
        button->click();
    else
        ui->btnRinomina->click();
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
