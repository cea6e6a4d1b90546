// A 12-megapixel JPEG shown in the 270 x 184 preview: our libjpeg loader, which
// decodes straight to the preview size by DCT scaling, against Qt's JPEG plugin on
// the same file in the same run. Also the full-size decode of both; how long the
// window's event loop waits while a preview decodes in the background; and a 2 MB
// metafile plot rendered for the preview, against the 100 ms a preview may take.

#include "EmfWriter.h"
#include "PlotMetafile.h"
#include "picture/MetafileRenderer.h"
#include "picture/PictureLoader.h"
#include "picture/PreviewDecoder.h"
#include "picture/PreviewGeometry.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImageWriter>
#include <QPainter>
#include <QTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

const QSize previewArea(270, 184);
QString photoPath;
QByteArray scatterEmf, linesEmf;
constexpr double previewBudgetMs = 100;

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

// Both decodes to the preview, interleaved pair by pair; `ratio` is ours over Qt's.
void PreviewDecodeAgainstQtScaledSize(benchmark::State &state)
{
    double ours = 0, peer = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const picture::Picture loaded = picture::loadPicture(photoPath, previewArea);
        QImage shown = loaded.image.scaled(previewSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        ours += double(timer.nsecsElapsed());
        benchmark::DoNotOptimize(shown.constBits());
        timer.restart();
        QImageReader reader(photoPath, "jpeg");
        reader.setScaledSize(previewSize());
        QImage qt = reader.read();
        peer += double(timer.nsecsElapsed());
        benchmark::DoNotOptimize(qt.constBits());
    }
    state.counters["ours_ms"] = ours / 1e6 / double(state.iterations());
    state.counters["qt_scaled_ms"] = peer / 1e6 / double(state.iterations());
    state.counters["ratio"] = ours / peer;
}

// A preview requested from the window thread: the time the request takes there, and
// the longest the event loop goes without running (ticks of a 1 ms timer) while the
// decode is under way, against the same measure over as long a time with nothing
// being decoded (the machine's own scheduling noise).
double longestEventLoopWait(const std::function<void(QEventLoop &)> &start)
{
    QEventLoop loop;
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTick.nsecsElapsed()));
        sinceTick.restart();
    });
    sinceTick.start();
    ticker.start();
    start(loop);
    loop.exec();
    return longest;
}

void PreviewDecodeOffTheWindowThread(benchmark::State &state)
{
    picture::PreviewDecoder decoder;
    double requestNs = 0, decodeNs = 0, longestDecoding = 0, longestIdle = 0;
    for (auto _ : state) {
        QElapsedTimer total;
        const auto connection = QObject::connect(&decoder, &picture::PreviewDecoder::decoded, [&] { decodeNs += double(total.nsecsElapsed()); });
        longestDecoding = std::max(longestDecoding, longestEventLoopWait([&](QEventLoop &loop) {
            QObject::connect(&decoder, &picture::PreviewDecoder::decoded, &loop, &QEventLoop::quit);
            total.start();
            decoder.request(photoPath, previewArea);
            requestNs += double(total.nsecsElapsed());
        }));
        QObject::disconnect(connection);
        const int idleMs = int(total.elapsed());
        longestIdle = std::max(longestIdle, longestEventLoopWait([&](QEventLoop &loop) {
            QTimer::singleShot(idleMs, &loop, &QEventLoop::quit);
        }));
    }
    state.counters["request_on_window_thread_us"] = requestNs / 1e3 / double(state.iterations());
    state.counters["decode_until_shown_ms"] = decodeNs / 1e6 / double(state.iterations());
    state.counters["longest_wait_decoding_ms"] = longestDecoding / 1e6;
    state.counters["longest_wait_idle_ms"] = longestIdle / 1e6;
}

// Argument 0: a scatter plot of 60,000 markers; 1: a line plot of 400,000 points.
void MetafilePlotToPreview(benchmark::State &state)
{
    const QByteArray &plotEmf = state.range(0) == 0 ? scatterEmf : linesEmf;
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const picture::Picture picture = picture::renderMetafile(reinterpret_cast<const unsigned char *>(plotEmf.constData()),
                                                                 std::size_t(plotEmf.size()), previewArea, QStringLiteral("plot.emf"));
        total += double(timer.nsecsElapsed());
        benchmark::DoNotOptimize(picture.image.constBits());
    }
    const double ms = total / 1e6 / double(state.iterations());
    state.counters["ms"] = ms;
    state.counters["ratio_to_100ms"] = ms / previewBudgetMs;
    state.counters["bytes"] = double(plotEmf.size());
}

BENCHMARK(PreviewDecodeAgainstQtScaledSize)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewDecodeOffTheWindowThread)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(MetafilePlotToPreview)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);
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
    scatterEmf = writePlot(60000, 80000);
    linesEmf = writePlot(2000, 400000);
    benchmark::AddCustomContext("photo", QStringLiteral("4000 x 3000, %1 bytes").arg(QFileInfo(photoPath).size()).toStdString());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
