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

constexpr qint64 maxPictureFileBytes = qint64(1) << 30;

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
    FileBytes bytes(fileName, kind == Kind::Metafile ? maxMetafileBytes : maxPictureFileBytes);
    const auto decoded = [&] {
        switch (kind) {
        case Kind::Jpeg: return decodeJpeg(bytes.data(), std::size_t(bytes.size()), box, fileName);
        case Kind::Metafile: return renderMetafile(bytes.data(), std::size_t(bytes.size()), box, fileName, budget);
        case Kind::Bmp: return readWithQt(fileName, bytes, "bmp");
        default: return readWithQt(fileName, bytes, "ico");
        }
    };
    const Picture picture = decoded();
    bytes.requireUnchanged();
    return picture;
}

} // namespace picture
