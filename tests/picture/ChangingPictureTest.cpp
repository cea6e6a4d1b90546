// A picture file rewritten or truncated while it is shown (`cp other.emf shown.emf`):
// an error names the file, the program goes on.

#include "EmfWriter.h"
#include "PictureTestData.h"
#include "picture/PictureError.h"
#include "picture/PictureLoader.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <atomic>
#include <thread>
#include <gmock/gmock.h>

using ::testing::HasSubstr;

namespace {

QByteArray sample(const QString &name)
{
    QFile file(pictureData(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

QByteArray squares()
{
    EmfWriter emf(100);
    emf.solidBrush(1, qRgb(0, 0, 255));
    emf.select(1);
    for (int i = 0; i < 50; ++i)
        emf.rectangle(i, i, 100 - i, 100 - i);
    return emf.finish();
}

// Rewrites the file in place, as `cp` does: the same file, truncated, then filled again.
void overwrite(const QString &name, const QByteArray &content)
{
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

struct Change {
    const char *name;
    QByteArray (*replacement)(const QByteArray &shown);
    friend std::ostream &operator<<(std::ostream &out, const Change &c) { return out << c.name; }
};

class PictureChangedWhileDrawn : public ::testing::TestWithParam<Change> {};

TEST_P(PictureChangedWhileDrawn, RaisesThatItChanged)
{
    TempFolder folder;
    const QByteArray shown = squares();
    folder.write("shown.emf", shown);
    bool changed = false;
    // The budget is asked between records: the file changes in the middle of the drawing.
    const picture::RenderBudget budget(60000, picture::RenderBudget::defaultBytes, [&] {
        if (!changed) {
            overwrite(QStringLiteral("shown.emf"), GetParam().replacement(shown));
            changed = true;
        }
        return true;
    });
    try {
        picture::loadPicture(QStringLiteral("shown.emf"), QSize(100, 100), budget);
        FAIL() << "a picture was shown for a file that changed meanwhile";
    } catch (const picture::PictureError &error) {
        EXPECT_THAT(error.message().toStdString(), HasSubstr("\"shown.emf\": il file è cambiato"));
    }
    EXPECT_TRUE(changed);
}

INSTANTIATE_TEST_SUITE_P(Changes, PictureChangedWhileDrawn, ::testing::Values(
    Change{"TruncatedToNothing", [](const QByteArray &) { return QByteArray(); }},
    Change{"TruncatedToHalf", [](const QByteArray &shown) { return shown.left(shown.size() / 2); }},
    Change{"ReplacedByAnother", [](const QByteArray &) { return sample("drawing-inkscape.emf"); }}),
    [](const auto &info) { return std::string(info.param.name); });

// Pictures of every kind loaded while another thread keeps truncating and refilling
// them: each load gives a picture or an error, none brings the program down.
TEST(PictureChangedWhileDrawn, KeepTruncatedFilesFromCrashing)
{
    TempFolder folder;
    const QList<std::pair<QString, QByteArray>> files = {
        {QStringLiteral("photo.jpg"), sample("photo-baseline.jpg")},
        {QStringLiteral("scene.bmp"), sample("scene-24bit.bmp")},
        {QStringLiteral("scene.ico"), sample("scene.ico")},
        {QStringLiteral("squares.emf"), squares()},
    };
    for (const auto &[name, content] : files)
        folder.write(name, content);
    std::atomic<bool> stop = false;
    std::thread changer([&] {
        for (int round = 0; !stop; ++round)
            for (const auto &[name, content] : files)
                overwrite(name, round % 2 ? content : content.left(content.size() / 3));
    });
    int pictures = 0, errors = 0;
    for (int i = 0; i < 100; ++i) {
        for (const auto &file : files) {
            try {
                picture::loadPicture(file.first, QSize(100, 100));
                ++pictures;
            } catch (const picture::PictureError &) {
                ++errors;
            }
        }
    }
    stop = true;
    changer.join();
    EXPECT_EQ(pictures + errors, 400);
}

} // namespace
