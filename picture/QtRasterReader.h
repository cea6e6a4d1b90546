#pragma once
// BMP and ICO pictures, read with Qt's image readers.

#include "picture/Picture.h"

#include <QByteArray>
#include <QString>

namespace picture {

class FileBytes;

// Reads the file's bytes as `format` ("bmp" or "ico") whatever they look like; of an
// icon's images, the largest. Raises PictureError, naming `fileName`, for damaged or
// oversized pictures.
Picture readWithQt(const QString &fileName, const FileBytes &bytes, const QByteArray &format);

} // namespace picture
