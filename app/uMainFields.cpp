// Change rules of the tag fields and of the new-name field, and the padlocks.

#include "app/ClickableImage.h"
#include "app/uMain.h"
#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "ui_uMain.h"

#include <QPalette>

namespace {
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
} // namespace

void TfrmMain::assignKeepingCaret(QLineEdit *field, const QString &text)
{
    // Assigning the text a field already holds changes nothing, its undo history included.
    if (field->text() == text)
        return;
    const int caret = field->cursorPosition();
    field->setText(text);
    field->setCursorPosition(caret);
}

void TfrmMain::tagFieldChange(QLineEdit *edited)
{
    m_kestrava->SetNewName(m_kestrava->ComposeName(ui->edtArtista->text(), ui->edtTitolo->text(),
                                                   ui->edtAlbum->text(), ui->edtGenere->text(),
                                                   ui->edtTraccia->text(), m_opzioni->StringaFormato()));
    assignKeepingCaret(edited, TKestrava::ApplyCase(m_opzioni->Maiuscole(), edited->text()));
    ui->edtNuovoNome->setText(m_kestrava->NewName());
}

void TfrmMain::edtRinominaChange()
{
    const QString cased = TKestrava::ApplyCase(m_opzioni->Maiuscole(), ui->edtRinomina->text());
    m_kestrava->SetNewName(ui->edtPrima->text() + cased + ui->edtDopo->text());
    assignKeepingCaret(ui->edtRinomina, cased);
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
    for (QLineEdit *field : tagFields()) {
        connect(field, &QLineEdit::textChanged, this, [this, field] { guarded([this, field] { tagFieldChange(field); }); });
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

QList<QLineEdit *> TfrmMain::tagFields() const
{
    return {ui->edtArtista, ui->edtTitolo, ui->edtAlbum, ui->edtGenere, ui->edtCommento, ui->edtLink};
}

QList<TfrmMain::Lock> TfrmMain::locks() const
{
    return {
        {ui->imgArtistaA, ui->imgArtistaC, ui->edtArtista}, {ui->imgAlbumA, ui->imgAlbumC, ui->edtAlbum},
        {ui->imgGenereA, ui->imgGenereC, ui->edtGenere},     {ui->imgAnnoA, ui->imgAnnoC, ui->edtAnno},
        {ui->imgCommentoA, ui->imgCommentoC, ui->edtCommento}, {ui->imgLinkA, ui->imgLinkC, ui->edtLink},
    };
}
