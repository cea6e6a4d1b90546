#include "picture/QtRasterReader.h"

#include "picture/FileBytes.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"

#include <QBuffer>
#include <QImageReader>

namespace picture {
namespace {

qint64 pixelsOf(const QSize &size)
{
    return qint64(size.width()) * size.height();
}

} // namespace

Picture readWithQt(const QString &fileName, const FileBytes &bytes, const QByteArray &format)
{
    QByteArray content = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    const auto failure = [&] {
        return PictureError::forFile(fileName, QStringLiteral("non è un'immagine %1 leggibile (%2).")
                                                   .arg(QString::fromLatin1(format.toUpper()), reader.errorString()));
    };
    const auto tooLarge = [&](const QSize &size) {
        return PictureError::forFile(fileName, QStringLiteral("l'immagine è troppo grande (%1 x %2 pixel; se ne mostrano al massimo %3 megapixel).")
                                                   .arg(size.width()).arg(size.height()).arg(maxDecodedPixels / 1'000'000));
    };

    QImage best;
    const int count = std::max(1, reader.imageCount());
    for (int index = 0; index < count; ++index) {
        if (index > 0 && !reader.jumpToImage(index))
            break;
        if (pixelsOf(reader.size()) > maxDecodedPixels)
            throw tooLarge(reader.size());
        QImage image;
        if (!reader.read(&image)) {
            if (best.isNull())
                throw failure();
            break;
        }
        if (pixelsOf(image.size()) > pixelsOf(best.size()))
            best = std::move(image);
    }
    if (best.isNull())
        throw failure();
    return Picture{best, best.size(), false};
}

} // namespace picture
