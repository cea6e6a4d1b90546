#pragma once
// Windows metafiles (WMF, placeable or plain) and enhanced metafiles (EMF), rendered
// at the size they are shown at.

#include "picture/Picture.h"
#include "picture/RenderBudget.h"

#include <QSize>
#include <QString>

namespace picture {

// Renders the metafile in `data` (either kind, told by its contents) fitted into
// `box` keeping its proportions (an empty box: its own size, at 96 pixels an inch),
// on a white page. Raises PictureError, naming `fileName`, when the
// data is not a metafile, a record reaches outside the file or its own end, or the
// drawing would pass `budget`; raises RenderBudget::Cancelled when it is no longer wanted.
Picture renderMetafile(const unsigned char *data, std::size_t length, const QSize &box, const QString &fileName,
                       const RenderBudget &budget = RenderBudget());

} // namespace picture
