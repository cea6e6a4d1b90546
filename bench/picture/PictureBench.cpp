// A 12-megapixel JPEG shown in the 270 x 184 preview: our libjpeg loader, which
// decodes straight to the preview size by DCT scaling, against Qt's JPEG plugin on
// the same file in the same run. Also the full-size decode of both.

#include "picture/PictureLoader.h"
#include "picture/PreviewGeometry.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QSize previewArea(270, 184);
QString photoPath;

// A photo-like 4000 x 3000 picture: gradients, shapes and fine noise, so that it does
// not compress to nothing.
void writeTwelveMegapixelJpeg(const QString &path)
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 4000, 3000);
    sky.setColorAt(0, QColor(40, 90, 200));
    sky.setColorAt(1, QColor(250, 200, 120));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(12);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate() | 0xFF000000));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(random.bounded(4000), random.bounded(3000)), random.bounded(20, 300), random.bounded(20, 300));
    }
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random.bounded(7)) - 3;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                           std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image))
        qFatal("cannot write the benchmark photo: %s", qPrintable(writer.errorString()));
}

QSize previewSize()
{
    return picture::fittedSize(QSize(4000, 3000), previewArea, false);
}

void LibjpegLoaderToPreview(benchmark::State &state)
{
    for (auto _ : state) {
        const picture::Picture loaded = picture::loadPicture(photoPath, previewArea);
        QImage shown = loaded.image.scaled(previewSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(shown.constBits());
    }
}

void QtPluginWholeThenScaled(benchmark::State &state)
{
    for (auto _ : state) {
        QImageReader reader(photoPath, "jpeg");
        QImage shown = reader.read().scaled(previewSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(shown.constBits());
    }
}

void QtPluginScaledSize(benchmark::State &state)
{
    for (auto _ : state) {
        QImageReader reader(photoPath, "jpeg");
        reader.setScaledSize(previewSize());
        QImage shown = reader.read();
        benchmark::DoNotOptimize(shown.constBits());
    }
}

void LibjpegLoaderFullSize(benchmark::State &state)
{
    for (auto _ : state) {
        const picture::Picture loaded = picture::loadPicture(photoPath, QSize());
        benchmark::DoNotOptimize(loaded.image.constBits());
    }
}

void QtPluginFullSize(benchmark::State &state)
{
    for (auto _ : state) {
        QImageReader reader(photoPath, "jpeg");
        QImage image = reader.read();
        benchmark::DoNotOptimize(image.constBits());
    }
}

BENCHMARK(LibjpegLoaderToPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(QtPluginWholeThenScaled)->Unit(benchmark::kMillisecond);
BENCHMARK(QtPluginScaledSize)->Unit(benchmark::kMillisecond);
BENCHMARK(LibjpegLoaderFullSize)->Unit(benchmark::kMillisecond);
BENCHMARK(QtPluginFullSize)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QTemporaryDir folder;
    photoPath = folder.filePath(QStringLiteral("twelve-megapixels.jpg"));
    writeTwelveMegapixelJpeg(photoPath);
    benchmark::AddCustomContext("photo", QStringLiteral("4000 x 3000, %1 bytes").arg(QFileInfo(photoPath).size()).toStdString());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
