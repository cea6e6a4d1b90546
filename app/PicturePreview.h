#pragma once
// The picture preview (imgAnteprima): a picture centred in the area, fitted keeping its
// proportions. It paints nothing while empty, so that the panel behind it shows.
// Pictures are decoded in the background and shown when ready; a picture that cannot
// be shown raises its error in the message loop then.

#include "picture/Picture.h"
#include "picture/PreviewDecoder.h"

#include <QString>
#include <QWidget>

class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget *parent = nullptr);

    // Empties the preview and starts decoding a picture file for the area's current
    // size. A load or clear before it is ready drops it.
    void load(const QString &fileName);
    void clear();

    bool hasPicture() const { return !m_picture.image.isNull(); }
    const picture::Picture &picture() const { return m_picture; }
    // Where the picture is drawn, in the widget.
    QRect pictureRect() const;

    // Waits for the decoding under way and shows its picture, or raises its error
    // (FileOpenError or picture::PictureError); for tests.
    void waitForDecoding();

signals:
    void pictureShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize devicePixelArea() const;
    void showDecoded(const QString &fileName, const picture::Picture &picture);

    picture::PreviewDecoder m_decoder;
    picture::Picture m_picture;
    QImage m_shown; // the picture at the size it is drawn
    QString m_fileName;
};
