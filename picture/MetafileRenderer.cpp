#include "picture/MetafileRenderer.h"

#include "picture/EmfReader.h"
#include "picture/GdiPlayer.h"
#include "picture/MetafileDamage.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"
#include "picture/PreviewGeometry.h"
#include "picture/RenderBudget.h"
#include "picture/WmfReader.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>

namespace picture {
namespace {

constexpr double screenDpi = 96;
constexpr double twipsPerInch = 1440;

// An enhanced metafile that draws only with EMF+ records, which are not played.
struct OnlyEmfPlus {};

using Play = std::function<void(GdiPlayer &)>;
using Prepare = std::function<void(GdiPlayer &, const QSize &output)>;

// The size in pixels an output may have: at least one pixel, at most the decoded limit.
QSize outputSize(const QSizeF &natural, const QSize &box)
{
    const auto side = [](double length) { return int(std::clamp(std::round(length), 1.0, 1e6)); };
    QSize size = fittedSize(QSize(side(natural.width()), side(natural.height())), box, true);
    const double pixels = double(size.width()) * size.height();
    if (pixels > maxDecodedPixels) {
        const double factor = std::sqrt(maxDecodedPixels / pixels);
        size = QSize(std::max(1, int(size.width() * factor)), std::max(1, int(size.height() * factor)));
    }
    return size;
}

Picture render(const QSizeF &natural, const QSize &box, const RenderBudget &budget, const Prepare &prepare,
               const Play &play)
{
    const QSize size = outputSize(natural, box);
    budget.requireMemory(std::int64_t(size.width()) * size.height() * 4);
    // The page the records were made for: white and opaque, so that raster operations
    // that combine with it (an OR over white, a mask and its image) come out as there.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    GdiPlayer player(&painter, &budget);
    prepare(player, size);
    play(player);
    painter.end();
    return Picture{image, outputSize(natural, QSize()), true};
}

// Maps `frame` (in the space given) onto the whole output.
QTransform frameToOutput(const QRectF &frame, const QSize &output)
{
    return QTransform::fromTranslate(-frame.left(), -frame.top())
         * QTransform::fromScale(output.width() / frame.width(), output.height() / frame.height());
}

// The extent of what the records draw, in the player's output space.
QRectF measuredExtent(const RenderBudget &budget, const std::function<void(GdiPlayer &)> &playUnscaled)
{
    GdiPlayer measurer(nullptr, &budget);
    playUnscaled(measurer);
    return measurer.measuredBounds();
}

bool hasArea(const QRectF &rect)
{
    return rect.width() >= 1 && rect.height() >= 1;
}

QRectF requireArea(const QRectF &frame)
{
    if (!hasArea(frame))
        throw MetafileDamage(QStringLiteral("il metafile non indica una dimensione e non disegna nulla."));
    return frame;
}

Picture renderWmf(const unsigned char *data, std::size_t length, const QSize &box, const RenderBudget &budget)
{
    const WmfHeader header = readWmfHeader(data, length);
    const auto playOn = [&](GdiPlayer &player) { playWmf(data, length, header, player); };
    QRectF window;
    QSizeF natural;
    if (header.placeable && header.bounds.width() > 0 && header.bounds.height() > 0) {
        window = header.bounds;
        const double unitsPerInch = header.unitsPerInch > 0 ? header.unitsPerInch : twipsPerInch;
        natural = window.size() * (screenDpi / unitsPerInch);
    } else if (header.firstWindow.isValid() || (header.firstWindow.width() != 0 && header.firstWindow.height() != 0)) {
        window = header.firstWindow;
        natural = QSizeF(std::abs(window.width()), std::abs(window.height()));
    } else {
        window = requireArea(measuredExtent(budget, [&](GdiPlayer &measurer) {
            measurer.setMapMode(gdi::mmAnisotropic);
            measurer.setViewportRecordsHonoured(false);
            playOn(measurer);
        }));
        natural = window.size();
    }
    const auto prepare = [&](GdiPlayer &player, const QSize &output) {
        // The output is the viewport; the frame is the window until the records set their own.
        player.setMapMode(gdi::mmAnisotropic);
        player.setViewportOrg(QPointF(0, 0));
        player.setViewportExt(QSizeF(output));
        player.setWindowOrg(window.topLeft());
        player.setWindowExt(window.size());
        player.setViewportRecordsHonoured(false);
    };
    return render(natural, box, budget, prepare, playOn);
}

Picture renderEmf(const unsigned char *data, std::size_t length, const QSize &box, const RenderBudget &budget)
{
    const EmfHeader header = readEmfHeader(data, length);
    const auto playOn = [&](GdiPlayer &player) { playEmf(data, length, header, player); };
    QSizeF pixelsPerMm(screenDpi / 25.4, screenDpi / 25.4);
    if (header.devicePixels.width() > 0 && header.devicePixels.height() > 0
        && header.deviceMillimetres.width() > 0 && header.deviceMillimetres.height() > 0)
        pixelsPerMm = QSizeF(header.devicePixels.width() / header.deviceMillimetres.width(),
                             header.devicePixels.height() / header.deviceMillimetres.height());

    QRectF frameDevice;
    QSizeF natural;
    const QRectF frame = header.frameHundredthsMm.normalized();
    if (hasArea(frame)) {
        frameDevice = QRectF(frame.left() / 100 * pixelsPerMm.width(), frame.top() / 100 * pixelsPerMm.height(),
                             frame.width() / 100 * pixelsPerMm.width(), frame.height() / 100 * pixelsPerMm.height());
        natural = frame.size() / 2540 * screenDpi;
    } else {
        frameDevice = header.bounds.normalized();
        natural = frameDevice.size();
    }
    // Some writers state a frame in the wrong units; when nothing is drawn inside it,
    // the frame is what the records draw.
    const QRectF drawn = measuredExtent(budget, [&](GdiPlayer &measurer) {
        measurer.setDeviceResolution(pixelsPerMm);
        playOn(measurer);
    });
    if (!hasArea(drawn) && header.hasEmfPlus)
        throw OnlyEmfPlus();
    if (!hasArea(frameDevice) || (hasArea(drawn) && !drawn.intersects(frameDevice))) {
        frameDevice = requireArea(drawn);
        natural = frameDevice.size();
    }
    const auto prepare = [&](GdiPlayer &player, const QSize &output) {
        player.setDeviceResolution(pixelsPerMm);
        player.setDeviceToOutput(frameToOutput(frameDevice, output));
    };
    return render(natural, box, budget, prepare, playOn);
}

} // namespace

Picture renderMetafile(const unsigned char *data, std::size_t length, const QSize &box, const QString &fileName,
                       const RenderBudget &budget)
{
    try {
        if (looksLikeEmf(data, length))
            return renderEmf(data, length, box, budget);
        if (looksLikeWmf(data, length))
            return renderWmf(data, length, box, budget);
    } catch (const RenderBudget::Exceeded &exceeded) {
        throw PictureError::forFile(fileName, exceeded.reason);
    } catch (const MetafileDamage &damage) {
        throw PictureError::forFile(fileName, QStringLiteral("metafile danneggiato: %1").arg(damage.reason()));
    } catch (const OnlyEmfPlus &) {
        throw PictureError::forFile(fileName, QStringLiteral("l'immagine è disegnata solo con record EMF+, "
                                                             "che l'anteprima non mostra."));
    }
    throw PictureError::forFile(fileName, QStringLiteral("non è un metafile leggibile."));
}

} // namespace picture
