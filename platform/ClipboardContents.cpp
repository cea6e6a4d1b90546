#include "platform/ClipboardContents.h"

#include "platform/DrivePaths.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QStringDecoder>

namespace platform {

namespace {
QClipboard *clipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

QString nativeOf(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? path : toNativePath(path);
}

QString decodedText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
} // namespace

bool putPictureFileOnClipboard(const QString &path)
{
    QImageReader reader(nativeOf(path));
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    QClipboard *board = clipboard();
    if (image.isNull() || !board)
        return false;
    board->setImage(image);
    return true;
}

bool putTextFileOnClipboard(const QString &path, bool richText)
{
    QFile file(nativeOf(path));
    QClipboard *board = clipboard();
    if (!board || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    auto *data = new QMimeData;
    data->setText(decodedText(bytes));
    if (richText) {
        data->setData(QStringLiteral("text/rtf"), bytes);
        data->setData(QStringLiteral("application/rtf"), bytes);
    }
    board->setMimeData(data);
    return true;
}

} // namespace platform
