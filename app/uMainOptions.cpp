// The options dialog, from the main window's side.

#include "app/PicturePreview.h"
#include "app/uMain.h"
#include "options/Opzioni.h"
#include "options/dialog/uOpzioni.h"
#include "ui_uMain.h"

void TfrmMain::btnOpzioniClick()
{
    if (!m_options)
        return;
    m_options->loadOptions(*m_opzioni, ui->PageControl1->currentIndex());
    if (m_options->exec() != QDialog::Accepted)
        return;
    CaricaOpzioni();
    loadSelectedItem();
}

void TfrmMain::CaricaOpzioni()
{
    m_options->copyOptionsInto(*m_opzioni);
    ui->imgAnteprima->setVisible(m_opzioni->Anteprima());
}
