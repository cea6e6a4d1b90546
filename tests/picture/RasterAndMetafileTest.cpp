// BMP and ICO files written by ImageMagick; EMF and WMF files written by Inkscape and
// pstoedit, compared with Inkscape's and Ghostscript's renderings of the same drawing.

#include "PictureTestData.h"
#include "picture/PictureLoader.h"

#include <gmock/gmock.h>

using picture::loadPicture;

namespace {

TEST(QtRasterPictures, BitmapsMatchTheirScene)
{
    const QImage scene = referenceImage("scene.png").scaled(80, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (const auto &[file, tolerance] : {std::pair{"scene-24bit.bmp", 3.0}, std::pair{"scene-palette.bmp", 14.0}}) {
        const picture::Picture decoded = loadPicture(pictureData(QString::fromLatin1(file)), QSize(270, 184));
        EXPECT_EQ(decoded.image.size(), QSize(80, 60)) << file;
        EXPECT_LT(compareImages(decoded.image, scene, QSize(80, 60)).meanAbsolute, tolerance) << file;
    }
}

TEST(QtRasterPictures, IconShowsItsLargestImage)
{
    const picture::Picture icon = loadPicture(pictureData("scene.ico"), QSize(270, 184));
    EXPECT_EQ(icon.image.size(), QSize(48, 48));
    EXPECT_FALSE(icon.scalable);
}

struct MetafileCase {
    const char *file;
    const char *reference;
    friend std::ostream &operator<<(std::ostream &out, const MetafileCase &c) { return out << c.file; }
};

class Metafiles : public ::testing::TestWithParam<MetafileCase> {};

TEST_P(Metafiles, RenderLikeTheReference)
{
    const MetafileCase c = GetParam();
    const QImage expected = referenceImage(QString::fromLatin1(c.reference));
    const picture::Picture rendered = loadPicture(pictureData(QString::fromLatin1(c.file)), QSize(240, 240));
    EXPECT_TRUE(rendered.scalable);
    EXPECT_NEAR(rendered.image.width(), 240, 1);
    EXPECT_NEAR(rendered.image.height(), 160, 2);
    const ImageDifference difference = compareImages(rendered.image, expected, QSize(120, 80));
    EXPECT_LT(difference.meanAbsolute, 8) << c.file;
    // Inkscape's frame reaches a pixel or two past its drawing; pstoedit gives its pens
    // widths in logical units so small that they are drawn one pixel wide, as GDI draws them.
    EXPECT_LT(difference.farFraction, 0.08) << c.file;

    // Drawn again for a larger area, a metafile stays sharp: it is rendered at that size.
    const picture::Picture larger = loadPicture(pictureData(QString::fromLatin1(c.file)), QSize(480, 480));
    EXPECT_NEAR(larger.image.width(), 480, 1);
}

INSTANTIATE_TEST_SUITE_P(Files, Metafiles, ::testing::Values(
    MetafileCase{"drawing-inkscape.emf", "drawing-inkscape.png"},
    MetafileCase{"drawing-inkscape.wmf", "drawing-inkscape.png"},
    MetafileCase{"drawing-inkscape-plain.wmf", "drawing-inkscape.png"},
    MetafileCase{"drawing-pstoedit.emf", "drawing-ghostscript.png"}));

TEST(Metafiles, ComparisonNoticesAWrongDrawing)
{
    // The tolerance above is tight enough to tell two different drawings apart.
    const QImage inkscape = referenceImage("drawing-inkscape.png");
    QImage shifted(inkscape.size(), QImage::Format_ARGB32);
    shifted.fill(Qt::white);
    QPainter(&shifted).drawImage(40, 30, inkscape);
    EXPECT_GT(compareImages(shifted, inkscape, QSize(120, 80)).meanAbsolute, 8);
}

} // namespace
