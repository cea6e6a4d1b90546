// The preview widget: a picture centred and fitted in its area, nothing when empty.

#include "HostileMetafiles.h"
#include "PictureTestData.h"
#include "app/PicturePreview.h"
#include "picture/PictureError.h"
#include "tests/common/TempFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <gmock/gmock.h>

namespace {

QImage grab(PicturePreview &preview)
{
    return preview.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(PicturePreview, ShowsThePictureCentredAndFitted)
{
    PicturePreview preview;
    preview.resize(273, 184);
    preview.load(pictureData("photo-baseline.jpg"));
    preview.waitForDecoding();
    ASSERT_TRUE(preview.hasPicture());
    // 160 x 120 in 273 x 184: 245 x 184, centred across.
    EXPECT_EQ(preview.pictureRect(), QRect(14, 0, 245, 184));

    const QImage shown = grab(preview);
    const QImage scene = referenceImage("scene.png");
    EXPECT_LT(compareImages(shown.copy(preview.pictureRect()), scene, QSize(80, 60)).meanAbsolute, 4);
    EXPECT_EQ(shown.pixel(3, 90), qRgb(255, 255, 255)); // the margin is the panel's white
}

TEST(PicturePreview, EmptyPreviewLetsThePanelShow)
{
    QWidget panel;
    panel.resize(273, 184);
    panel.setAutoFillBackground(true);
    QPalette red = panel.palette();
    red.setColor(QPalette::Window, Qt::red);
    panel.setPalette(red);
    auto *preview = new PicturePreview(&panel);
    preview->resize(273, 184);
    preview->load(pictureData("scene.ico"));
    preview->waitForDecoding();
    preview->clear();
    EXPECT_FALSE(preview->hasPicture());
    EXPECT_EQ(panel.grab().toImage().pixel(136, 92), QColor(Qt::red).rgb());
}

TEST(PicturePreview, BadPictureRaisesAndLeavesThePreviewEmpty)
{
    TempFolder folder;
    folder.write("broken.jpg", QByteArray("not a picture at all"));
    PicturePreview preview;
    preview.resize(273, 184);
    preview.load(pictureData("photo-baseline.jpg"));
    preview.waitForDecoding();
    preview.load("broken.jpg");
    EXPECT_THROW(preview.waitForDecoding(), picture::PictureError);
    EXPECT_FALSE(preview.hasPicture());
}

TEST(PicturePreview, GrowingTheAreaDecodesAgainSharper)
{
    PicturePreview preview;
    preview.resize(40, 30);
    preview.show();
    preview.load(pictureData("photo-progressive.jpg"));
    preview.waitForDecoding();
    EXPECT_EQ(preview.picture().image.size(), QSize(40, 30));
    preview.resize(160, 120);
    EXPECT_EQ(preview.picture().image.size(), QSize(40, 30)); // shown enlarged until the sharper one is ready
    preview.waitForDecoding();
    EXPECT_EQ(preview.picture().image.size(), QSize(160, 120));
}

TEST(PicturePreview, DecodesInTheBackgroundAndShowsOnlyTheLatestFile)
{
    PicturePreview preview;
    preview.resize(273, 184);
    QSignalSpy shown(&preview, &PicturePreview::pictureShown);
    preview.load(pictureData("photo-baseline.jpg"));
    EXPECT_FALSE(preview.hasPicture()); // load returned before decoding
    preview.load(pictureData("scene.ico"));
    preview.waitForDecoding();
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(preview.picture().image.size(), QSize(48, 48));

    // A load dropped by a clear shows nothing, nor raises its error.
    preview.load(pictureData("missing.jpg"));
    preview.clear();
    EXPECT_NO_THROW(preview.waitForDecoding());
    EXPECT_FALSE(preview.hasPicture());
    EXPECT_EQ(shown.count(), 1);
}

TEST(PicturePreview, ClosingTheWindowStopsTheRenderAtOnce)
{
    TempFolder folder;
    folder.write("endless.emf", hostile::endlessRasterWork());
    auto *window = new QWidget;
    auto *preview = new PicturePreview(window);
    preview->resize(273, 184);
    window->show();
    preview->load(QStringLiteral("endless.emf"));
    QThread::msleep(200); // well into the drawing
    ASSERT_FALSE(preview->hasPicture()); // the drawing takes longer than this
    QElapsedTimer timer;
    timer.start();
    delete window;
    const qint64 closing = timer.elapsed();
    std::cout << "  closing the window took " << closing << " ms\n";
    EXPECT_LT(closing, 200);
}

TEST(PicturePreview, ANewerPictureStopsTheOlderRenders)
{
    TempFolder folder;
    folder.write("endless.emf", hostile::endlessRasterWork());
    PicturePreview preview;
    preview.resize(273, 184);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 3; ++i)
        preview.load(QStringLiteral("endless.emf"));
    QThread::msleep(100);
    preview.load(pictureData("scene.ico"));
    preview.waitForDecoding();
    // Without stopping, two renders would each run to their whole budget first.
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(preview.picture().image.size(), QSize(48, 48));
}

} // namespace
