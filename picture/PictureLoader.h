#pragma once
// The picture behind the preview, read by the decoder its file extension names.

#include "picture/Picture.h"
#include "picture/RenderBudget.h"

#include <QSize>
#include <QString>

namespace picture {

// Loads `fileName` for showing in `box` (an empty box: at full size). Raises
// FileOpenError when the file cannot be opened and PictureError when it is not a
// picture of its kind, is damaged, is too large, would pass `budget` to draw or
// changed while it was read; RenderBudget::Cancelled when it is no longer wanted.
Picture loadPicture(const QString &fileName, const QSize &box, const RenderBudget &budget = RenderBudget());

} // namespace picture
