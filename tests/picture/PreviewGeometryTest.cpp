// How a picture is fitted into the preview area.

#include "picture/Picture.h"
#include "picture/PreviewGeometry.h"

#include <gmock/gmock.h>

namespace {

struct FitCase {
    QSize source;
    QSize box;
    bool scalable;
    QSize fitted;
};

class Fitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fitting, KeepsProportionsAndLimitsEnlargement)
{
    const FitCase c = GetParam();
    EXPECT_EQ(picture::fittedSize(c.source, c.box, c.scalable), c.fitted);
}

INSTANTIATE_TEST_SUITE_P(Cases, Fitting, ::testing::Values(
    FitCase{{4000, 3000}, {270, 184}, false, {245, 184}},  // landscape photo: height bound
    FitCase{{3000, 4000}, {270, 184}, false, {138, 184}},  // portrait
    FitCase{{2000, 200}, {270, 184}, false, {270, 27}},    // panorama: width bound
    FitCase{{16, 16}, {270, 184}, false, {32, 32}},        // a small icon is enlarged twice at most
    FitCase{{100, 80}, {270, 184}, false, {200, 160}},
    FitCase{{16, 16}, {270, 184}, true, {184, 184}},       // a drawing fills the area
    FitCase{{800, 600}, {0, 0}, false, {800, 600}}));      // no area: the picture's own size

TEST(PreviewRect, CentresThePictureInTheArea)
{
    const picture::Picture portrait{QImage(), QSize(300, 400), false};
    EXPECT_EQ(picture::previewRect(portrait, QRect(0, 0, 270, 184)), QRect(66, 0, 138, 184));
}

TEST(SharperImage, IsNeededOnlyWhenTheFileHoldsMore)
{
    // A photo decoded reduced for a small area needs decoding again for a larger one.
    const picture::Picture reduced{QImage(200, 150, QImage::Format_RGB32), QSize(4000, 3000), false};
    EXPECT_FALSE(picture::needsSharperImage(reduced, QSize(270, 150)));
    EXPECT_TRUE(picture::needsSharperImage(reduced, QSize(800, 600)));
    // A bitmap read whole has nothing more to give.
    const picture::Picture whole{QImage(80, 60, QImage::Format_RGB32), QSize(80, 60), false};
    EXPECT_FALSE(picture::needsSharperImage(whole, QSize(800, 600)));
    // A drawing is rendered again for any larger area.
    const picture::Picture drawing{QImage(240, 160, QImage::Format_RGB32), QSize(240, 160), true};
    EXPECT_TRUE(picture::needsSharperImage(drawing, QSize(480, 320)));
}

} // namespace
