#include "app/PicturePreview.h"

#include "picture/PreviewGeometry.h"

#include <QCoreApplication>
#include <QPainter>
#include <QResizeEvent>

PicturePreview::PicturePreview(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("imgAnteprima"));
    connect(&m_decoder, &picture::PreviewDecoder::decoded, this, &PicturePreview::showDecoded);
}

QSize PicturePreview::devicePixelArea() const
{
    return size() * devicePixelRatioF();
}

void PicturePreview::load(const QString &fileName)
{
    clear();
    m_fileName = fileName;
    m_decoder.request(fileName, devicePixelArea());
}

void PicturePreview::clear()
{
    m_decoder.cancel();
    m_picture = picture::Picture();
    m_shown = QImage();
    m_fileName.clear();
    update();
}

void PicturePreview::showDecoded(const QString &fileName, const picture::Picture &picture)
{
    if (fileName != m_fileName)
        return;
    m_picture = picture;
    m_shown = QImage();
    update();
    emit pictureShown();
}

void PicturePreview::waitForDecoding()
{
    m_decoder.waitForDone();
    QCoreApplication::sendPostedEvents(&m_decoder);
}

QRect PicturePreview::pictureRect() const
{
    if (!hasPicture())
        return QRect();
    const qreal ratio = devicePixelRatioF();
    const QRect device = picture::previewRect(m_picture, QRect(QPoint(0, 0), devicePixelArea()));
    return QRect(QPoint(qRound(device.left() / ratio), qRound(device.top() / ratio)), device.size() / ratio);
}

void PicturePreview::paintEvent(QPaintEvent *)
{
    if (!hasPicture())
        return;
    QPainter painter(this);
    // The panel's colour under the whole area: its caption does not show through
    // the margins or the transparent parts of a picture.
    painter.fillRect(rect(), Qt::white);
    const QRect place = pictureRect();
    const QSize devicePixels = place.size() * devicePixelRatioF();
    if (m_shown.size() != devicePixels)
        m_shown = m_picture.image.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(QRectF(place), m_shown);
}

void PicturePreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Grown past what was decoded: decode again, sharper, showing the picture held
    // meanwhile. Should the file have gone, that picture stays, enlarged.
    if (hasPicture() && picture::needsSharperImage(m_picture, devicePixelArea()))
        m_decoder.request(m_fileName, devicePixelArea(), picture::PreviewDecoder::Errors::Ignore);
}
