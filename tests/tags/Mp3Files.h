#pragma once
// MP3 files with tags written by the program's own tag classes, for tests of what is
// built on them (the workflow, the window, the tool).

#include <QString>

class TempFolder;

namespace tagbytes {

struct Mp3Tags {
    QString title{}, artist{}, album{}, genre{}, year{}, comment{}, link{};
    int track = 0;
    bool empty() const { return title.isEmpty() && artist.isEmpty() && album.isEmpty() && track == 0; }
};

// Writes `name` in the folder: silent audio with an ID3v2.3 tag (when `v2` has a title,
// artist, album or track) and an ID3v1 tag (the same for `v1`). Returns its native path.
QString writeMp3(const TempFolder &folder, const QString &name, const Mp3Tags &v2, const Mp3Tags &v1 = {});

} // namespace tagbytes
