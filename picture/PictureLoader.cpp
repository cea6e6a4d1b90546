#include "picture/PictureLoader.h"

#include "picture/FileBytes.h"
#include "picture/JpegDecoder.h"
#include "picture/MetafileRenderer.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"
#include "picture/QtRasterReader.h"
#include "text/Ascii.h"

#include <QFileInfo>

namespace picture {
namespace {

enum class Kind { None, Jpeg, Bmp, Ico, Metafile };

// The longest file of each kind that is read: a metafile to its own limit, a bitmap
// to its largest decodable picture, a JPEG to what its decoder may hold of it, an
// icon to a bitmap's limit. The size is checked before anything is read.
qint64 maxFileBytes(Kind kind)
{
    switch (kind) {
    case Kind::Metafile: return maxMetafileBytes;
    case Kind::Jpeg: return qint64(maxJpegWorkingBytes);
    default: return maxDecodedPixels * 4 + (qint64(1) << 20);
    }
}

Kind kindOf(const QString &extension)
{
    if (extension == u".jpg" || extension == u".jpeg")
        return Kind::Jpeg;
    if (extension == u".bmp")
        return Kind::Bmp;
    if (extension == u".ico")
        return Kind::Ico;
    if (extension == u".emf" || extension == u".wmf")
        return Kind::Metafile;
    return Kind::None;
}

} // namespace

Picture loadPicture(const QString &fileName, const QSize &box, const RenderBudget &budget)
{
    const QString suffix = QFileInfo(fileName).suffix();
    const Kind kind = suffix.isEmpty() ? Kind::None : kindOf(u'.' + ascii::toLower(suffix));
    if (kind == Kind::None)
        throw PictureError::forFile(fileName, QStringLiteral("l'anteprima non mostra file di questo tipo."));
    FileBytes bytes(fileName, maxFileBytes(kind));
    const auto decoded = [&] {
        switch (kind) {
        case Kind::Jpeg: return decodeJpeg(bytes.data(), std::size_t(bytes.size()), box, fileName, budget);
        case Kind::Metafile: return renderMetafile(bytes.data(), std::size_t(bytes.size()), box, fileName, budget);
        case Kind::Bmp: return readWithQt(fileName, bytes, "bmp", budget);
        default: return readWithQt(fileName, bytes, "ico", budget);
        }
    };
    Picture picture;
    try {
        picture = decoded();
    } catch (const RenderBudget::Exceeded &exceeded) {
        throw PictureError::forFile(fileName, exceeded.reason);
    }
    bytes.requireUnchanged();
    return picture;
}

} // namespace picture
