#pragma once
// MP3 files for the undo tests, and "Rinomina" done on them with the undo log.

#include <QByteArray>
#include <QString>

class TempFolder;

namespace undofiles {

// A file with a cover and a frame the program does not know, besides its text; `padding`
// bytes free in its tag.
void writeCovered(const TempFolder &folder, const QString &name, int padding, bool withId3v1);
// "Rinomina" of `name` in the folder's `subfolder` (empty for the folder itself) with
// the artist and title given, recorded in the undo log; the new name.
QString rename(const TempFolder &folder, const QString &subfolder, const QString &name, const QString &artist,
               const QString &title);

} // namespace undofiles
