#pragma once
// Contents of files on the desktop's clipboard: text, rich text and pictures.

#include <QString>

namespace platform {

// A picture file (BMP, GIF, JPEG, TIFF, PNG, ICO …) as an image; false when it cannot
// be read as a picture.
bool putPictureFileOnClipboard(const QString &path);
// A text file as text: UTF-8 when it is valid UTF-8, else Latin-1. A rich-text (RTF)
// file goes as rich text with its plain characters beside it. False when unreadable.
bool putTextFileOnClipboard(const QString &path, bool richText);

} // namespace platform
