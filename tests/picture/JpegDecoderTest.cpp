// JPEG files written by ImageMagick, decoded by our libjpeg loader.

#include "PictureTestData.h"
#include "picture/PictureLoader.h"

#include <gmock/gmock.h>

using picture::loadPicture;

namespace {

struct JpegCase {
    const char *file;
    bool grey;
    double tolerance;
    friend std::ostream &operator<<(std::ostream &out, const JpegCase &c) { return out << c.file; }
};

class JpegKinds : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegKinds, DecodesLikeTheSceneItWasMadeFrom)
{
    const JpegCase c = GetParam();
    const picture::Picture decoded = loadPicture(pictureData(QString::fromLatin1(c.file)), QSize());
    EXPECT_EQ(decoded.image.size(), QSize(160, 120));
    EXPECT_EQ(decoded.sourceSize, QSize(160, 120));
    const QImage expected = referenceImage(c.grey ? "scene-grey.png" : "scene.png");
    const ImageDifference difference = compareImages(decoded.image, expected, QSize(160, 120));
    EXPECT_LT(difference.meanAbsolute, c.tolerance) << c.file;
    EXPECT_LT(difference.farFraction, 0.01) << c.file;
}

INSTANTIATE_TEST_SUITE_P(Files, JpegKinds, ::testing::Values(
    JpegCase{"photo-baseline.jpg", false, 3},
    JpegCase{"photo-progressive.jpg", false, 3},
    JpegCase{"photo-grey.jpg", true, 4},
    JpegCase{"photo-cmyk.jpg", false, 4}));

TEST(JpegDecoder, DecodesStraightToThePreviewSize)
{
    // 160 x 120 shown in 40 x 40 needs 40 x 30: libjpeg's 2/8 scale gives exactly that.
    const picture::Picture decoded = loadPicture(pictureData("photo-progressive.jpg"), QSize(40, 40));
    EXPECT_EQ(decoded.image.size(), QSize(40, 30));
    EXPECT_EQ(decoded.sourceSize, QSize(160, 120));
    EXPECT_LT(compareImages(decoded.image, referenceImage("scene.png"), QSize(40, 30)).meanAbsolute, 4);

    // A box between two scales gets the next larger one, never less than needed.
    const picture::Picture between = loadPicture(pictureData("photo-baseline.jpg"), QSize(50, 100));
    EXPECT_GE(between.image.width(), 50);
    EXPECT_LT(between.image.width(), 160);
}

class JpegOrientation : public ::testing::TestWithParam<int> {};

TEST_P(JpegOrientation, TurnsUprightAsImageMagickDoes)
{
    const int orientation = GetParam();
    const QImage expected = referenceImage(QStringLiteral("orient-%1-upright.png").arg(orientation));
    const picture::Picture decoded = loadPicture(pictureData(QStringLiteral("orient-%1.jpg").arg(orientation)), QSize());
    ASSERT_EQ(decoded.image.size(), expected.size());
    EXPECT_EQ(decoded.sourceSize, expected.size());
    const ImageDifference difference = compareImages(decoded.image, expected, expected.size());
    EXPECT_LT(difference.meanAbsolute, 4);
    EXPECT_LT(difference.farFraction, 0.02);

    // Reduced while decoding, the picture still comes out upright.
    const QSize half = expected.size() / 2;
    const picture::Picture reduced = loadPicture(pictureData(QStringLiteral("orient-%1.jpg").arg(orientation)), half);
    ASSERT_EQ(reduced.image.size(), half);
    EXPECT_LT(compareImages(reduced.image, expected, half).meanAbsolute, 8);
}

INSTANTIATE_TEST_SUITE_P(AllEight, JpegOrientation, ::testing::Range(1, 9));

} // namespace
