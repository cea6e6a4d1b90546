#pragma once
// BMP and ICO pictures: bitmaps through the checks of DibImage, icons through Qt's
// reader, given only the one image of the icon that is shown.

#include "picture/Picture.h"

#include <QByteArray>
#include <QString>

namespace picture {

class FileBytes;
class RenderBudget;

// Reads the file's bytes as `format` ("bmp" or "ico") whatever they look like; of an
// icon's images, the largest its directory lists, and that one only. Raises
// PictureError, naming `fileName`, for damaged or oversized pictures and those that
// would pass `budget`.
Picture readWithQt(const QString &fileName, const FileBytes &bytes, const QByteArray &format, const RenderBudget &budget);

} // namespace picture
