// Loading a file into the window and moving through the file list.

#include "app/PicturePreview.h"
#include "app/ClickableImage.h"
#include "app/uMain.h"
#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "platform/NativeNames.h"
#include "tags/TID3TagInfo.h"
#include "ui_uMain.h"

namespace {
const QString mp3Extension = QStringLiteral(".mp3");

bool isPictureExtension(const QString &extension)
{
    static const QStringList pictures = {QStringLiteral(".bmp"), QStringLiteral(".jpg"), QStringLiteral(".ico"),
                                         QStringLiteral(".jpeg"), QStringLiteral(".emf"), QStringLiteral(".wmf")};
    return pictures.contains(extension);
}

constexpr int pageAnyFile = 0;
constexpr int pageMp3 = 1;
} // namespace

void TfrmMain::CaricaFile(const QString &name)
{
    m_kestrava->SetFileName(name);
    CancellaEdit();
    ui->edtNomeOriginale->setText(platform::displayName(m_kestrava->OriginalName()));
    if (m_kestrava->Extension() == mp3Extension) {
        ui->PageControl1->setCurrentIndex(pageMp3);
        m_kestrava->ReadFromFile(m_kestrava->OriginalName());
        m_id3v1->ReadFromFile(name);
        CaricaTagV2();
    } else {
        if (!m_opzioni->Trascrivi())
            ui->edtRinomina->setText(m_kestrava->BareName());
        if (m_opzioni->NomePulito()) {
            m_kestrava->cleanBareName();
            ui->edtRinomina->setText(m_kestrava->NewName());
        }
        ui->PageControl1->setCurrentIndex(pageAnyFile);
        if (isPictureExtension(m_kestrava->Extension()))
            ui->imgAnteprima->load(m_kestrava->OriginalName());
    }
    ui->edtNuovoNome->setText(m_kestrava->NewName());
}

void TfrmMain::CancellaEdit()
{
    ui->edtTitolo->clear();
    for (const Lock &lock : locks()) {
        if (lock.field == ui->edtAnno)
            ui->edtTraccia->clear(); // the track stands between genre and year
        if (isUnlocked(lock.openImage))
            lock.field->clear();
    }
    ui->edtNomeOriginale->clear();
    ui->edtNuovoNome->clear();
    ui->edtRinomina->clear();
    ui->imgAnteprima->clear();
}

void TfrmMain::loadSelectedItem()
{
    const int index = listSelectedIndex();
    m_loadedItemPath = index >= 0 ? listItemPath(index) : QString();
    m_loadedFolder = index >= 0 ? listItemFolder(index) : QString();
    CaricaFile(index >= 0 ? listItemCaption(index) : QString());
}

void TfrmMain::flsFileClick()
{
    if (listSelectedIndex() >= 0)
        loadSelectedItem();
}

void TfrmMain::dtrDirectoryClick()
{
    if (listCount() > 0)
        listSelect(0);
    loadSelectedItem();
}

void TfrmMain::btnAvantiClick()
{
    const int index = listSelectedIndex();
    if (index < listCount() - 1) {
        listSelect(index + 1);
        listScrollTo(index + 1);
    }
    loadSelectedItem();
    focusAfterStep();
}

void TfrmMain::btnIndietroClick()
{
    const int index = listSelectedIndex();
    if (index > 0) {
        listSelect(index - 1);
        listScrollTo(index - 1);
    }
    loadSelectedItem();
    focusAfterStep();
}

void TfrmMain::focusAfterStep()
{
    if (ui->PageControl1->currentIndex() == pageMp3)
        (isUnlocked(ui->imgArtistaA) ? ui->edtArtista : ui->edtTitolo)->setFocus();
    else
        ui->edtRinomina->setFocus();
}

void TfrmMain::FormResize()
{
    listSetNameColumnWidth(listWidth() - 221);
}
