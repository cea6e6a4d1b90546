// Filling the tag fields from the tags, the rename command and the tag save.

#include "app/ClickableImage.h"
#include "app/ScopedCurrentFolder.h"
#include "app/uMain.h"
#include "naming/TKestrava.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "tags/TID3TagInfo.h"
#include "ui_uMain.h"

namespace {
const QString mp3Extension = QStringLiteral(".mp3");

QString firstNonEmpty(const QString &preferred, const QString &fallback)
{
    return preferred.isEmpty() ? fallback : preferred;
}

// The track field's number, one byte as the tags hold it (modulo 256).
std::uint8_t trackNumber(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (!ok)
        throw platform::ConvertError::notAnInteger(text);
    return static_cast<std::uint8_t>(value % 256);
}
} // namespace

void TfrmMain::CaricaTagV2()
{
    TKestrava &v2 = *m_kestrava;
    TID3TagInfo &v1 = *m_id3v1;
    ui->edtTitolo->setText(firstNonEmpty(v2.Title(), v1.GetTitle()));
    if (isUnlocked(ui->imgArtistaA))
        ui->edtArtista->setText(firstNonEmpty(v2.Artist(), v1.GetArtist()));
    if (isUnlocked(ui->imgAlbumA))
        ui->edtAlbum->setText(firstNonEmpty(v2.Album(), v1.GetAlbum()));
    if (isUnlocked(ui->imgGenereA))
        ui->edtGenere->setText(firstNonEmpty(v2.Genre(), v1.GetGenre()));
    ui->edtTraccia->setText(QString::number(v2.Track() != 0 ? v2.Track() : v1.GetTrack()));
    if (isUnlocked(ui->imgAnnoA))
        ui->edtAnno->setText(firstNonEmpty(v2.Year(), v1.GetYear()));
    if (isUnlocked(ui->imgCommentoA))
        ui->edtCommento->setText(firstNonEmpty(v2.Comment(), v1.GetComment()));
    if (isUnlocked(ui->imgLinkA))
        ui->edtLink->setText(v2.Link());
}

bool TfrmMain::SalvaTag()
{
    TKestrava &v2 = *m_kestrava;
    v2.SetArtist(ui->edtArtista->text());
    v2.SetTitle(ui->edtTitolo->text());
    v2.SetAlbum(ui->edtAlbum->text());
    v2.SetGenre(ui->edtGenere->text());
    if (!ui->edtTraccia->text().isEmpty())
        v2.SetTrack(trackNumber(ui->edtTraccia->text()));
    v2.SetYear(ui->edtAnno->text());
    v2.SetComment(ui->edtCommento->text());
    v2.SetLink(ui->edtLink->text());
    const bool written = v2.WriteToFile(v2.NewName() + v2.Extension());

    TID3TagInfo &v1 = *m_id3v1;
    v1.SetTitle(ui->edtTitolo->text());
    v1.SetArtist(ui->edtArtista->text());
    v1.SetAlbum(ui->edtAlbum->text());
    v1.SetComment(ui->edtCommento->text());
    v1.SetGenre(ui->edtGenere->text());
    v1.SetYear(ui->edtAnno->text());
    if (!ui->edtTraccia->text().isEmpty())
        v1.SetTrack(trackNumber(ui->edtTraccia->text()));
    return written;
}

void TfrmMain::btnRinominaClick()
{
    if (renameLoadedFile())
        btnAvantiClick();
}

bool TfrmMain::renameLoadedFile()
{
    // The file is renamed in the folder it was loaded from, also when the list has
    // moved to another folder since (by the tree's arrow keys, for instance).
    const ScopedCurrentFolder inLoadedFolder(m_loadedFolder);
    if (!inLoadedFolder.entered())
        return TKestrava::refuseFileInUse();
    TKestrava &engine = *m_kestrava;
    if (!engine.PerformRename(engine.OriginalName(), engine.NewName(), engine.Extension()))
        return false;
    // Only a file loaded as MP3 gets tags: a file without extension may take a new
    // name that ends in ".mp3".
    const bool loadedAsMp3 = engine.Extension() == mp3Extension;
    // The list shows what is on disk from here on, whatever the tag writes do.
    const QString newName = engine.NewName() + engine.Extension();
    renameLoadedItem(newName);
    engine.SetFileName(newName);
    ui->edtNomeOriginale->setText(newName);
    if (loadedAsMp3) {
        if (!SalvaTag()) {
            platform::showMessage(platform::MessageKind::Error, QStringLiteral("Kestrava"),
                                  QStringLiteral("Impossibile scrivere il tag ID3v2 nel file \"%1\".").arg(newName));
            return false;
        }
        m_id3v1->WriteToFile(newName);
    }
    return true;
}
