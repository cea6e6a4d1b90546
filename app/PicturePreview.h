#pragma once
// The picture preview (imgAnteprima): a picture centred in the area, fitted keeping its
// proportions. It paints nothing while empty, so that the panel behind it shows.

#include "picture/Picture.h"

#include <QString>
#include <QWidget>

class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget *parent = nullptr);

    // Loads a picture file, decoded for the area's current size. Raises FileOpenError
    // or picture::PictureError; the preview is then empty.
    void load(const QString &fileName);
    void clear();

    bool hasPicture() const { return !m_picture.image.isNull(); }
    const picture::Picture &picture() const { return m_picture; }
    // Where the picture is drawn, in the widget.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize devicePixelArea() const;

    picture::Picture m_picture;
    QImage m_shown; // the picture at the size it is drawn
    QString m_fileName;
};
