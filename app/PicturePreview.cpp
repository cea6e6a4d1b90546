#include "app/PicturePreview.h"

#include "picture/PictureLoader.h"
#include "picture/PreviewGeometry.h"
#include "platform/Errors.h"

#include <QPainter>
#include <QResizeEvent>

PicturePreview::PicturePreview(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("imgAnteprima"));
}

QSize PicturePreview::devicePixelArea() const
{
    return size() * devicePixelRatioF();
}

void PicturePreview::load(const QString &fileName)
{
    clear();
    m_picture = picture::loadPicture(fileName, devicePixelArea());
    m_fileName = fileName;
    update();
}

void PicturePreview::clear()
{
    m_picture = picture::Picture();
    m_shown = QImage();
    m_fileName.clear();
    update();
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
    // Grown past what was decoded: decode again, sharper. Should the file have gone
    // meanwhile, the picture already held is shown enlarged.
    if (hasPicture() && picture::needsSharperImage(m_picture, devicePixelArea())) {
        try {
            m_picture = picture::loadPicture(m_fileName, devicePixelArea());
        } catch (const platform::Error &) {
        }
    }
}
