// Damaged, empty, foreign and oversized pictures raise an error with a clear message.

#include "PictureTestData.h"
#include "picture/PictureError.h"
#include "picture/PictureLoader.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <QRandomGenerator>
#include <cstring>
#include <sys/stat.h>
#include <gmock/gmock.h>

using ::testing::HasSubstr;
using picture::loadPicture;

namespace {

QByteArray sample(const QString &name)
{
    QFile file(pictureData(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

// The message the loader raises for `content` saved as `name`; empty when it raised none.
std::string failureFor(const QString &name, const QByteArray &content)
{
    TempFolder folder;
    folder.write(name, content);
    try {
        loadPicture(name, QSize(270, 184));
    } catch (const picture::PictureError &error) {
        return error.message().toStdString();
    }
    return std::string();
}

struct DamagedCase {
    const char *name;
    const char *sample;
    int keptBytes; // of the sample; 0 keeps nothing
    friend std::ostream &operator<<(std::ostream &out, const DamagedCase &c) { return out << c.name; }
};

class DamagedPictures : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedPictures, RaiseNamingTheFile)
{
    const DamagedCase c = GetParam();
    const QByteArray content = c.sample ? sample(QString::fromLatin1(c.sample)).left(c.keptBytes) : QByteArray();
    const std::string message = failureFor(QString::fromLatin1(c.name), content);
    EXPECT_THAT(message, HasSubstr(std::string("Impossibile mostrare l'immagine \"") + c.name + "\""));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedPictures, ::testing::Values(
    DamagedCase{"empty.jpg", nullptr, 0},
    DamagedCase{"empty.bmp", nullptr, 0},
    DamagedCase{"empty.ico", nullptr, 0},
    DamagedCase{"empty.emf", nullptr, 0},
    DamagedCase{"empty.wmf", nullptr, 0},
    DamagedCase{"cut.jpg", "photo-baseline.jpg", 2000},
    DamagedCase{"cut-progressive.jpeg", "photo-progressive.jpg", 2500},
    DamagedCase{"cut-header.jpg", "photo-baseline.jpg", 100},
    DamagedCase{"cut.bmp", "scene-24bit.bmp", 30},
    DamagedCase{"cut.ico", "scene.ico", 20},
    DamagedCase{"cut.emf", "drawing-inkscape.emf", 1500},
    DamagedCase{"cut.wmf", "drawing-inkscape.wmf", 700},
    DamagedCase{"png-inside.bmp", "scene.png", 4144},
    DamagedCase{"emf-header-only.emf", "drawing-inkscape.emf", 60}));

TEST(DamagedPictures, RandomBytesRaiseForEveryKind)
{
    QRandomGenerator random(20240611);
    for (const char *extension : {"jpg", "jpeg", "bmp", "ico", "emf", "wmf"}) {
        for (int round = 0; round < 20; ++round) {
            QByteArray noise(1 + int(random.bounded(8192)), '\0');
            for (char &byte : noise)
                byte = char(random.bounded(256));
            const QString name = QStringLiteral("noise.%1").arg(QString::fromLatin1(extension));
            EXPECT_THAT(failureFor(name, noise), HasSubstr("Impossibile mostrare l'immagine")) << extension << " round " << round;
        }
    }
}

TEST(DamagedPictures, TruncatedJpegSaysSo)
{
    EXPECT_THAT(failureFor("cut.jpg", sample("photo-baseline.jpg").left(2000)), HasSubstr("Premature end of JPEG file"));
}

TEST(DamagedPictures, PipeNamedAsAPictureIsRefusedWithoutWaiting)
{
    TempFolder folder;
    ASSERT_EQ(::mkfifo("pipe.jpg", 0600), 0);
    try {
        loadPicture(QStringLiteral("pipe.jpg"), QSize(270, 184));
        FAIL() << "a pipe was read as a picture";
    } catch (const picture::PictureError &error) {
        EXPECT_THAT(error.message().toStdString(), HasSubstr("non è un file normale"));
    }
}

TEST(DamagedPictures, MissingFileCannotBeOpened)
{
    TempFolder folder;
    EXPECT_THROW(loadPicture("absent.jpg", QSize(270, 184)), platform::FileOpenError);
}

// A JPEG whose frame header claims `width` x `height`, with the rest of a real file.
QByteArray jpegClaiming(const QString &sampleName, int width, int height)
{
    QByteArray data = sample(sampleName);
    for (qsizetype i = 2; i + 9 < data.size(); ++i) {
        const auto marker = uchar(data[i + 1]);
        if (uchar(data[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            data[i + 5] = char(height >> 8);
            data[i + 6] = char(height & 0xFF);
            data[i + 7] = char(width >> 8);
            data[i + 8] = char(width & 0xFF);
            return data;
        }
    }
    ADD_FAILURE() << "no frame header";
    return data;
}

TEST(OversizedPictures, AreRefusedBeforeTheyAreDecoded)
{
    // Beyond the source limit outright; a progressive picture needs all its
    // coefficients at once, more than the decoder may take; a bitmap claiming a huge size.
    EXPECT_THAT(failureFor("huge.jpg", jpegClaiming("photo-baseline.jpg", 65000, 65000)), HasSubstr("troppo grande"));
    EXPECT_THAT(failureFor("huge-progressive.jpg", jpegClaiming("photo-progressive.jpg", 18000, 18000)), HasSubstr("troppo grande"));

    QByteArray bitmap = sample("scene-24bit.bmp");
    const qint32 side = 10000;
    std::memcpy(bitmap.data() + 18, &side, 4);
    std::memcpy(bitmap.data() + 22, &side, 4);
    EXPECT_THAT(failureFor("huge.bmp", bitmap), HasSubstr("troppo grande"));
}

// Little-endian record fields for hand-made damaged metafiles.
struct Bytes {
    QByteArray data;
    Bytes &u16(quint16 v) { data.append(char(v & 0xFF)).append(char(v >> 8)); return *this; }
    Bytes &u32(quint32 v) { return u16(quint16(v & 0xFFFF)).u16(quint16(v >> 16)); }
};

QByteArray emfWith(const QByteArray &records)
{
    Bytes header;
    header.u32(1).u32(88);
    for (int v : {0, 0, 100, 100, 0, 0, 2646, 2646})
        header.u32(quint32(v)); // bounds, frame (0.01 mm)
    header.u32(0x464D4520).u32(0x10000).u32(0).u32(0).u16(4).u16(0).u32(0).u32(0).u32(0);
    header.u32(1024).u32(768).u32(320).u32(240); // device pixels, millimetres
    return header.data + records + Bytes().u32(14).u32(20).u32(0).u32(16).u32(20).data;
}

TEST(DamagedMetafiles, RecordsReachingOutsideRaise)
{
    // A polygon claiming 100000 points in a 36-byte record.
    const QByteArray polygon = Bytes().u32(86).u32(36).u32(0).u32(0).u32(10).u32(10).u32(100000).u32(0).data;
    EXPECT_THAT(failureFor("points.emf", emfWith(polygon)), HasSubstr("metafile danneggiato"));

    // A text whose characters lie past its record.
    Bytes text;
    text.u32(84).u32(76);
    for (int i = 0; i < 4 + 1 + 2; ++i) text.u32(0); // bounds, mode, scales
    text.u32(10).u32(10).u32(500).u32(76).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    EXPECT_THAT(failureFor("text.emf", emfWith(text.data)), HasSubstr("metafile danneggiato"));

    // A WMF record of size zero would never advance.
    const QByteArray wmf = Bytes().u16(1).u16(9).u16(0x300).u32(20).u16(0).u32(3).u16(0).u32(0).u16(0x0214).data;
    EXPECT_THAT(failureFor("zero.wmf", wmf), HasSubstr("metafile danneggiato"));
}

TEST(DamagedMetafiles, UnknownObjectsAndRecordsAreSkipped)
{
    // Selecting and deleting objects that were never made, and a record type nobody knows.
    const QByteArray records = Bytes().u32(37).u32(12).u32(60000).u32(40).u32(12).u32(70000)
                                   .u32(9999).u32(8).u32(42).u32(24).u32(10).u32(10).u32(90).u32(90).data;
    TempFolder folder;
    folder.write("odd.emf", emfWith(records));
    const picture::Picture rendered = loadPicture("odd.emf", QSize(100, 100));
    EXPECT_EQ(rendered.image.size(), QSize(100, 100));
    // The ellipse is drawn with the default white brush and black pen.
    EXPECT_EQ(rendered.image.pixel(50, 50), qRgb(255, 255, 255));
}

} // namespace
