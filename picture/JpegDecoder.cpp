#include "picture/JpegDecoder.h"

#include "picture/ExifOrientation.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"
#include "picture/PreviewGeometry.h"
#include "picture/RenderBudget.h"

#include <optional>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace picture {
namespace {

// libjpeg reports errors through callbacks; they jump back to the phase that called
// it. Each phase (below) is a plain function holding no objects with destructors,
// so the jump skips no clean-up; all memory belongs to libjpeg's pools.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void failDecoding(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void reportMessage(j_common_ptr info, int level)
{
    // libjpeg pads data that ends early and only warns; a truncated file is an error here.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        failDecoding(info);
}

// More scans than this are no picture any camera or program makes: each costs a pass
// over every coefficient, and a few bytes can ask for thousands.
constexpr int maxScans = 100;

// libjpeg's progress monitor, asked between rows and scans: it checks the budget and
// the scan count, and stops the decoding by the error jump when either is passed.
struct Progress {
    jpeg_progress_mgr base {};
    const RenderBudget *budget = nullptr;
    bool cancelled = false;
    std::optional<QString> exceeded;
};

void monitorProgress(j_common_ptr common)
{
    auto *progress = reinterpret_cast<Progress *>(common->progress);
    auto *info = reinterpret_cast<j_decompress_ptr>(common);
    try {
        if (info->input_scan_number > maxScans)
            throw RenderBudget::Exceeded{QStringLiteral("ha più di %1 scansioni.").arg(maxScans)};
        progress->budget->check();
        return;
    } catch (const RenderBudget::Cancelled &) {
        progress->cancelled = true;
    } catch (const RenderBudget::Exceeded &exceeded) {
        progress->exceeded = exceeded.reason;
    }
    auto *errors = reinterpret_cast<ErrorManager *>(common->err);
    std::snprintf(errors->message, sizeof errors->message, "%s", "stopped");
    std::longjmp(errors->jump, 1);
}

struct Session {
    jpeg_decompress_struct info {};
    ErrorManager errors {};
    Progress progress {};

    explicit Session(const RenderBudget &budget)
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = failDecoding;
        errors.base.emit_message = reportMessage;
        jpeg_create_decompress(&info);
        info.mem->max_memory_to_use = long(std::min<std::int64_t>(std::int64_t(maxJpegWorkingBytes), budget.bytes()));
        progress.base.progress_monitor = monitorProgress;
        progress.budget = &budget;
        info.progress = &progress.base;
    }
    ~Session() { jpeg_destroy_decompress(&info); }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    bool failedForMemory() const
    {
        const int code = errors.base.msg_code;
        return code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE;
    }
};

bool readHeader(Session &session, const unsigned char *data, std::size_t length)
{
    if (setjmp(session.errors.jump))
        return false;
    jpeg_mem_src(&session.info, data, static_cast<unsigned long>(length));
    jpeg_save_markers(&session.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&session.info, TRUE);
    return true;
}

bool computeOutputSize(Session &session, unsigned eighths, bool forPreview)
{
    if (setjmp(session.errors.jump))
        return false;
    session.info.scale_num = eighths;
    session.info.scale_denom = 8;
    if (forPreview) {
        // Shrunk to the preview, the fast transform and plain upsampling cannot be told
        // from the exact ones, and take a good part less time.
        session.info.dct_method = JDCT_IFAST;
        session.info.do_fancy_upsampling = FALSE;
    }
    jpeg_calc_output_dimensions(&session.info);
    return true;
}

bool startDecoding(Session &session)
{
    if (setjmp(session.errors.jump))
        return false;
    jpeg_start_decompress(&session.info);
    return true;
}

void cmykRowToRgb(const JSAMPLE *cmyk, unsigned char *rgb, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        // Adobe applications store CMYK inverted: 255 means no ink.
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
        const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
        const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        rgb[0] = static_cast<unsigned char>(c * k / 255);
        rgb[1] = static_cast<unsigned char>(m * k / 255);
        rgb[2] = static_cast<unsigned char>(y * k / 255);
    }
}

// Reads every scanline into `bits` (RGB or grey, as the output colour space says).
bool readScanlines(Session &session, unsigned char *bits, qsizetype bytesPerLine)
{
    if (setjmp(session.errors.jump))
        return false;
    jpeg_decompress_struct &info = session.info;
    const bool cmyk = info.out_color_space == JCS_CMYK;
    JSAMPARRAY cmykRow = cmyk
        ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, info.output_width * 4, 1)
        : nullptr;
    while (info.output_scanline < info.output_height) {
        unsigned char *line = bits + qsizetype(info.output_scanline) * bytesPerLine;
        if (cmyk) {
            jpeg_read_scanlines(&info, cmykRow, 1);
            cmykRowToRgb(cmykRow[0], line, info.output_width, info.saw_Adobe_marker);
        } else {
            JSAMPROW row = line;
            jpeg_read_scanlines(&info, &row, 1);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

int orientationOf(const jpeg_decompress_struct &info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1) {
            const int orientation = exifOrientation(marker->data, marker->data_length);
            if (orientation != 1)
                return orientation;
        }
    }
    return 1;
}

// The smallest DCT scale (in eighths) whose output still covers `needed`, kept within
// the decoded-size limit.
unsigned chooseEighths(const QSize &stored, const QSize &needed)
{
    const auto scaled = [](int side, unsigned eighths) { return (qint64(side) * eighths + 7) / 8; };
    unsigned eighths = 8;
    if (!needed.isEmpty()) {
        eighths = 1;
        while (eighths < 8 && (scaled(stored.width(), eighths) < needed.width()
                               || scaled(stored.height(), eighths) < needed.height()))
            ++eighths;
    }
    while (eighths > 1 && scaled(stored.width(), eighths) * scaled(stored.height(), eighths) > maxDecodedPixels)
        --eighths;
    return eighths;
}

} // namespace

Picture decodeJpeg(const unsigned char *data, std::size_t length, const QSize &box, const QString &fileName,
                   const RenderBudget &budget)
{
    Session session(budget);
    const auto fail = [&](const QString &reason) { return PictureError::forFile(fileName, reason); };
    const auto libjpegFailure = [&] {
        if (session.progress.cancelled)
            throw RenderBudget::Cancelled();
        if (session.progress.exceeded)
            return fail(*session.progress.exceeded);
        if (session.failedForMemory())
            return fail(QStringLiteral("l'immagine è troppo grande per essere decodificata entro %1 MiB.")
                            .arg(session.info.mem->max_memory_to_use >> 20));
        return fail(QStringLiteral("non è un'immagine JPEG leggibile (%1).").arg(QString::fromLocal8Bit(session.errors.message)));
    };

    if (!readHeader(session, data, length))
        throw libjpegFailure();
    jpeg_decompress_struct &info = session.info;
    const QSize stored(int(info.image_width), int(info.image_height));
    if (qint64(stored.width()) * stored.height() > maxJpegSourcePixels)
        throw fail(QStringLiteral("l'immagine è troppo grande (%1 x %2 pixel; se ne mostrano al massimo %3 megapixel).")
                       .arg(stored.width()).arg(stored.height()).arg(maxJpegSourcePixels / 1'000'000));

    const int orientation = orientationOf(info);
    const bool swapped = orientationSwapsAxes(orientation);
    const QSize upright = swapped ? stored.transposed() : stored;
    const QSize neededUpright = box.isEmpty() ? QSize() : fittedSize(upright, box, false);
    const QSize needed = swapped ? neededUpright.transposed() : neededUpright;

    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE: info.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: info.out_color_space = JCS_CMYK; break;
    default: info.out_color_space = JCS_RGB; break;
    }
    if (!computeOutputSize(session, chooseEighths(stored, needed), !box.isEmpty()))
        throw libjpegFailure();

    const bool grey = info.out_color_space == JCS_GRAYSCALE;
    const std::int64_t imageBytes = std::int64_t(info.output_width) * info.output_height * (grey ? 1 : 3);
    try {
        budget.requireMemory(imageBytes);
    } catch (const RenderBudget::Exceeded &exceeded) {
        throw fail(exceeded.reason);
    }
    // The coefficients of a progressive picture and the working rows share what is left.
    info.mem->max_memory_to_use = long(std::min<std::int64_t>(info.mem->max_memory_to_use, budget.bytes() - imageBytes));
    QImage image(int(info.output_width), int(info.output_height), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull())
        throw fail(QStringLiteral("memoria insufficiente per un'immagine di %1 x %2 pixel.").arg(info.output_width).arg(info.output_height));
    if (!startDecoding(session) || !readScanlines(session, image.bits(), image.bytesPerLine()))
        throw libjpegFailure();

    return Picture{orientedUpright(image, orientation), upright, false};
}

} // namespace picture
