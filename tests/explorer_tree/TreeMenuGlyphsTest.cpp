#include "explorer/shared/MenuGlyph.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 200;
    return count;
}

int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

} // namespace

TEST(TreeMenuGlyphsTest, EveryGlyphHasItsOwnPictureAtBothSizes)
{
    for (const char *name : {"NewFolder28", "EditFolder28", "DelFolder28", "Cut28", "Copy28", "Paste28", "TreeSize28",
                             "DirContents28", "NetConnect28", "NetDisConnect28", "Attributes28"}) {
        SCOPED_TRACE(name);
        const QIcon icon = menuGlyph(QLatin1String(name));
        ASSERT_FALSE(icon.isNull());
        const QImage small = icon.pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        // The 2x picture serves high-density screens.
        const QImage large = icon.pixmap(QSize(16, 16), 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(small.size(), QSize(16, 16));
        ASSERT_EQ(large.size(), QSize(32, 32));
        EXPECT_GT(opaquePixels(small), 16);
        EXPECT_GT(opaquePixels(large), 64);
        // The 2x picture is drawn at its size, not the 1x one blown up.
        for (const Qt::TransformationMode mode : {Qt::FastTransformation, Qt::SmoothTransformation})
            EXPECT_GT(differingPixels(large, small.scaled(32, 32, Qt::IgnoreAspectRatio, mode)), 32);
    }
    EXPECT_TRUE(menuGlyph(QStringLiteral("NoSuchGlyph")).isNull());
}
