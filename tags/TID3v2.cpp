#include "tags/TID3v2.h"

QString TID3v2::trimmedText(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

void TID3v2::Clear()
{
    fHasTag = 0;
    fVersion = 0;
    fTagSize = 0;
    fTrack = 0;
    for (QString *text : {&fTitle, &fArtist, &fAlbum, &fYear, &fGenre, &fComment, &fComposer,
                          &fEncodedBy, &fRights, &fLanguage, &fLink})
        text->clear();
}

void TID3v2::SetTitle(const QString &text) { fTitle = trimmedText(text); }
void TID3v2::SetArtist(const QString &text) { fArtist = trimmedText(text); }
void TID3v2::SetAlbum(const QString &text) { fAlbum = trimmedText(text); }
void TID3v2::SetYear(const QString &text) { fYear = trimmedText(text); }
void TID3v2::SetGenre(const QString &text) { fGenre = trimmedText(text); }
void TID3v2::SetComment(const QString &text) { fComment = trimmedText(text); }
void TID3v2::SetLink(const QString &text) { fLink = trimmedText(text); }
