// Enhanced metafiles from elsewhere whose bitmaps are drawn through masks (an icon XORed
// on, masked with AND and XORed again; a chart's plot painted as a mask with OR and the
// image ANDed over it), compared with emf2svg's rendering of the same file (see
// data/README.md). Drawn as copies, these masks leave black boxes.

#include "PictureTestData.h"
#include "picture/PictureLoader.h"

#include <gmock/gmock.h>

using picture::loadPicture;

namespace {

struct ThirdPartyCase {
    const char *file;
    const char *reference;
    QRectF focus; // where the masked bitmap lies, as a share of the picture
    friend std::ostream &operator<<(std::ostream &out, const ThirdPartyCase &c) { return out << c.file; }
};

QRect scaledRect(const QRectF &share, const QSize &size)
{
    return QRectF(share.x() * size.width(), share.y() * size.height(), share.width() * size.width(),
                  share.height() * size.height()).toAlignedRect();
}

// The whole picture and the part around the focus must both be close to the reference.
// emf2svg sizes a picture by its bounds and this renderer by its frame, which may differ in
// shape: both are stretched to one size before comparing.
struct Verdict {
    ImageDifference whole, focus;
};

Verdict compareWithReference(const QImage &actual, const QImage &expected, const QRectF &focus)
{
    const QRect a = scaledRect(focus, actual.size()), e = scaledRect(focus, expected.size());
    return Verdict{compareImages(actual, expected, expected.size() / 4),
                   compareImages(actual.copy(a), expected.copy(e), e.size() / 2)};
}

// emf2svg draws thin pens fainter than a pixel and smooths scaled bitmaps, where GDI and
// this renderer draw pens at least a pixel wide and keep a bitmap's pixels: the files
// come within about 8 (whole) and 11 (focus) of the reference, with a tenth of the focus
// pixels far off; a black box there is about 210 off with nearly all pixels far.
bool looksAlike(const Verdict &v)
{
    return v.whole.meanAbsolute < 10 && v.whole.farFraction < 0.03 && v.focus.meanAbsolute < 16
        && v.focus.farFraction < 0.15;
}

class ThirdPartyMetafiles : public ::testing::TestWithParam<ThirdPartyCase> {};

TEST_P(ThirdPartyMetafiles, RenderLikeTheReferenceAndABlackBoxWouldShow)
{
    const ThirdPartyCase c = GetParam();
    const QImage expected = referenceImage(QString::fromLatin1(c.reference));
    ASSERT_FALSE(expected.isNull()) << c.reference;
    const picture::Picture rendered = loadPicture(pictureData(QString::fromLatin1(c.file)), expected.size());

    const Verdict verdict = compareWithReference(rendered.image, expected, c.focus);
    EXPECT_TRUE(looksAlike(verdict)) << "whole " << verdict.whole.meanAbsolute << " / " << verdict.whole.farFraction
                                     << ", focus " << verdict.focus.meanAbsolute << " / " << verdict.focus.farFraction;

    // The same picture with its focus painted black, as the records were drawn before.
    QImage blackened = rendered.image.convertToFormat(QImage::Format_ARGB32);
    QPainter(&blackened).fillRect(scaledRect(c.focus, blackened.size()), Qt::black);
    const Verdict black = compareWithReference(blackened, expected, c.focus);
    EXPECT_FALSE(looksAlike(black)) << "whole " << black.whole.meanAbsolute << " / " << black.whole.farFraction
                                    << ", focus " << black.focus.meanAbsolute << " / " << black.focus.farFraction;
}

INSTANTIATE_TEST_SUITE_P(Files, ThirdPartyMetafiles, ::testing::Values(
    ThirdPartyCase{"icon-mask-invert.emf", "icon-mask-invert-emf2svg.png", QRectF(258. / 946, 211. / 657, 118. / 946, 118. / 657)},
    ThirdPartyCase{"chart-mask-paint.emf", "chart-mask-paint-emf2svg.png", QRectF(91. / 511, 20. / 212, 248. / 511, 144. / 212)}
));

} // namespace
