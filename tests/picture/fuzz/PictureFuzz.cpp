// Loads mutated pictures of every kind the preview shows (EMF, WMF, BMP, ICO, JPEG) at
// preview size, one after the other, and reports for each kind how many were drawn or
// refused, the longest any took and the peak memory. The seeds are the sample pictures
// and the ones the tests make. Each input is written to OUT/current.EXT before it is
// loaded, so that one that brings the program down can be loaded again; inputs that
// take longer than the limit are kept as OUT/slow-N.EXT.
//
//   fuzz_pictures [--count N] [--minutes M] [--formats emf,wmf,bmp,ico,jpg] [--seed S] [--limit-ms MS] [--out DIR]
//   (--minutes: stops after M minutes even before N inputs)
//   fuzz_pictures --replay FILE     loads one kept input again

#include "HostileMetafiles.h"
#include "RasterFiles.h"
#include "picture/PictureError.h"
#include "picture/PictureLoader.h"
#include "platform/Errors.h"
#include "picture/RenderBudget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <map>
#include <sys/resource.h>

namespace {

bool isEmf(const QByteArray &data)
{
    return data.size() >= 44 && data.mid(40, 4) == QByteArray(" EMF");
}

QList<QByteArray> sampleFiles(const QString &pattern)
{
    QList<QByteArray> all;
    const QDir data(QStringLiteral(KESTRAVA_PICTURE_DATA));
    for (const QString &name : data.entryList({pattern}, QDir::Files)) {
        QFile file(data.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            all << file.readAll();
    }
    return all;
}

QByteArray savedAs(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Bitmaps of every depth and compression, small enough to mutate quickly.
QList<QByteArray> bitmapSeeds()
{
    QList<QByteArray> all = sampleFiles(QStringLiteral("*.bmp"));
    const QList<QRgb> two = {qRgb(0, 128, 0), qRgb(0, 0, 255)};
    QList<QRgb> sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen << qRgb(i * 16, 255 - i * 16, i * 8);
    const QByteArray rle8("\3\1\0\2\1\1\0\4\1\0\1\0\0\0\5\1\0\1", 18);
    const QByteArray rle4("\4\x12\0\0\0\4\x1F\x23\3\x45\0\1", 12);
    all << raster::bmpFile(8, 8, 8, 1, two, rle8) << raster::bmpFile(8, 8, 4, 2, sixteen, rle4)
        << raster::bmpFile(8, 8, 8, 0, {qRgb(255, 0, 0)}, QByteArray(64, '\x07'))
        << raster::bmpFile(16, 4, 1, 0, two, QByteArray(16, '\x5A'))
        << raster::bmpFile(8, 4, 4, 0, sixteen, QByteArray(16, '\x3C'))
        << raster::bmpFile(4, 4, 16, 0, {}, QByteArray(32, '\x11'))
        << raster::bmpFile(4, 4, 32, 0, {}, QByteArray(64, '\x22'));
    QImage indexed(12, 9, QImage::Format_Indexed8);
    indexed.setColorTable(sixteen);
    indexed.fill(3);
    all << savedAs(indexed, "bmp") << savedAs(QImage(10, 7, QImage::Format_RGB32), "bmp");
    return all;
}

QList<QByteArray> iconSeeds()
{
    QList<QByteArray> all = sampleFiles(QStringLiteral("*.ico"));
    all << raster::iconFile(3, 40);
    QImage small(16, 16, QImage::Format_ARGB32);
    small.fill(qRgba(10, 200, 30, 128));
    all << savedAs(small, "ico");
    QImage indexed(16, 16, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0)});
    indexed.fill(2);
    all << savedAs(indexed, "ico");
    return all;
}

QList<QByteArray> jpegSeeds()
{
    QList<QByteArray> all = sampleFiles(QStringLiteral("*.jpg"));
    all << raster::manyScanJpeg(8);
    QImage small(24, 16, QImage::Format_RGB32);
    small.fill(qRgb(200, 40, 90));
    all << savedAs(small, "jpg");
    return all;
}

// The seeds of a kind: the samples and the pictures the tests make.
QList<QByteArray> seeds(const QString &kind)
{
    if (kind == u"bmp")
        return bitmapSeeds();
    if (kind == u"ico")
        return iconSeeds();
    if (kind == u"jpg")
        return jpegSeeds();
    QList<QByteArray> all = sampleFiles(QStringLiteral("*.") + kind);
    // The hostile ones that draw quickly: a mutation of one that runs to the budget
    // would only measure the budget again.
    static const QList<QByteArray> slow = {"EndlessRasterWork", "LongWidePath", "LongDashedPath", "ZigzagPolygon",
                                           "ZigzagPolygonWmf", "LongText"};
    for (const auto &[name, make] : hostile::all()) {
        if (slow.contains(QByteArray(name)))
            continue;
        const QByteArray made = make();
        if (isEmf(made) == (kind == u"emf"))
            all << made;
    }
    return all;
}

quint32 interestingValue(QRandomGenerator &random)
{
    static const quint32 values[] = {0, 1, 2, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0xFFFF, 0x8000, 0x7FFF, 0x10000,
                                     0x7F800000 /* inf */, 0xFF800000 /* -inf */, 0x7FC00000 /* nan */,
                                     0x7F7FFFFF /* largest float */, 0x00000001 /* smallest float */, 0x4E6E6B28 /* 1e9 */};
    return values[random.bounded(int(std::size(values)))];
}

// Where each record of a metafile starts and how long it is (the header left out).
QList<std::pair<qsizetype, qsizetype>> recordsOf(const QByteArray &data)
{
    QList<std::pair<qsizetype, qsizetype>> records;
    const auto u32At = [&](qsizetype at) {
        quint32 value = 0;
        std::memcpy(&value, data.constData() + at, 4);
        return value;
    };
    const bool emf = data.size() >= 44 && u32At(40) == 0x464D4520;
    qsizetype at = 0;
    if (emf) {
        at = u32At(4);
    } else {
        at = data.size() >= 4 && u32At(0) == 0x9AC6CDD7 ? 22 + 18 : 18;
    }
    while (at >= 0 && at + 8 <= data.size()) {
        const qsizetype length = emf ? qsizetype(u32At(at + 4)) : qsizetype(u32At(at)) * 2;
        if (length < 6 || length > data.size() - at)
            break;
        records << std::pair(at, length);
        at += length;
    }
    return records;
}

void writeField(QByteArray &data, qsizetype at, QRandomGenerator &random)
{
    const bool wide = random.bounded(2) == 0;
    const quint32 value = interestingValue(random);
    if (wide && at + 4 <= data.size())
        std::memcpy(data.data() + at, &value, 4);
    else if (at + 2 <= data.size()) {
        const quint16 half = quint16(random.bounded(2) ? value : value >> 16);
        std::memcpy(data.data() + at, &half, 2);
    }
}

// One change that keeps the file's records in step: a field of a record, or whole
// records repeated, left out or moved.
bool mutateRecords(QByteArray &data, QRandomGenerator &random)
{
    const auto records = recordsOf(data);
    if (records.size() < 2)
        return false;
    const auto [at, length] = records[random.bounded(int(records.size()) - 1)]; // not the end record
    switch (random.bounded(6)) {
    case 0: {
        const QByteArray record = data.mid(at, length);
        // At most a few megabytes: the peak memory measured is the reader's, not this program's.
        const int copies = std::min<qsizetype>(random.bounded(4) == 0 ? random.bounded(100, 3000) : random.bounded(1, 4),
                                               1 + (qsizetype(4) << 20) / length);
        QByteArray repeated;
        for (int i = 0; i < copies; ++i)
            repeated += record;
        data.insert(at, repeated);
        break;
    }
    case 1: data.remove(at, length); break;
    case 2: {
        const QByteArray record = data.mid(at, length);
        data.remove(at, length);
        const auto [to, unused] = records[random.bounded(int(records.size()) - 1)];
        data.insert(std::min(to, data.size()), record);
        break;
    }
    default: {
        const qsizetype headerLength = length >= 8 && data.size() >= 44 ? 8 : 6;
        if (length > headerLength)
            writeField(data, at + headerLength + (random.bounded(int(length - headerLength)) & ~1), random);
        break;
    }
    }
    return true;
}

// Where the fields of a raster picture lie: its headers and directory, counts and
// sizes, colour tables, RLE runs, JPEG segments; most changes go there.
qsizetype rasterPlace(const QByteArray &data, QRandomGenerator &random)
{
    if (random.bounded(2) == 0)
        return random.bounded(std::min<qsizetype>(data.size(), 128));
    // Near a JPEG marker: a segment's length or a frame's, scan's or table's fields.
    if (data.startsWith("\xFF\xD8") && random.bounded(2) == 0) {
        QList<qsizetype> markers;
        for (qsizetype at = data.indexOf('\xFF'); at >= 0 && markers.size() < 200; at = data.indexOf('\xFF', at + 1))
            if (at + 1 < data.size() && quint8(data[at + 1]) >= 0xC0 && quint8(data[at + 1]) != 0xFF)
                markers << at;
        if (!markers.isEmpty())
            return std::min<qsizetype>(data.size() - 1, markers[random.bounded(int(markers.size()))] + random.bounded(12));
    }
    return random.bounded(data.size());
}

// One change to a raster picture: a field set to a value that hurts, bytes changed,
// a stretch repeated (JPEG scans, icon entries, RLE runs) or cut.
void mutateRaster(QByteArray &data, QRandomGenerator &random)
{
    const qsizetype at = rasterPlace(data, random);
    switch (random.bounded(6)) {
    case 0: writeField(data, at, random); break;
    case 1: data[at] = char(random.bounded(256)); break;
    case 2: data[at] = char(data[at] ^ (1 << random.bounded(8))); break;
    case 3: {
        const qsizetype length = std::min<qsizetype>(data.size() - at, random.bounded(2, 400));
        const QByteArray stretch = data.mid(at, length);
        const int copies = random.bounded(4) == 0 ? random.bounded(10, 300) : random.bounded(1, 4);
        for (int i = 0; i < copies; ++i)
            data.insert(at, stretch);
        break;
    }
    case 4: data.truncate(std::max<qsizetype>(at, data.size() - random.bounded(1, 64))); break;
    default: data.remove(at, std::min<qsizetype>(data.size() - at, random.bounded(1, 64))); break;
    }
}

QByteArray mutated(const QByteArray &seed, bool metafile, QRandomGenerator &random)
{
    QByteArray data = seed;
    if (!metafile) {
        const int steps = 1 + random.bounded(6);
        for (int step = 0; step < steps && !data.isEmpty(); ++step)
            mutateRaster(data, random);
        return data;
    }
    const int steps = 1 + random.bounded(8);
    for (int step = 0; step < steps && !data.isEmpty(); ++step) {
        if (random.bounded(10) < 7 && mutateRecords(data, random))
            continue;
        const qsizetype at = random.bounded(data.size());
        switch (random.bounded(5)) {
        case 0: data[at] = char(random.bounded(256)); break;
        case 1: data[at] = char(data[at] ^ (1 << random.bounded(8))); break;
        case 2: writeField(data, at & ~qsizetype(1), random); break;
        case 3: data.truncate(at); break;
        default: data.remove(at, std::min<qsizetype>(data.size() - at, random.bounded(1, 64))); break;
        }
    }
    return data;
}

qint64 peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Figures {
    int inputs = 0, drawn = 0, refused = 0, slow = 0;
    qint64 longest = 0, total = 0, peakKiB = 0;
};

// Loads the file, as the preview does; false when it was refused.
bool load(const QString &fileName)
{
    try {
        picture::loadPicture(fileName, QSize(270, 184));
        return true;
    } catch (const platform::Error &) {
        return false;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv); // fonts for the text records
    const QStringList arguments = application.arguments();
    const auto option = [&](const char *name, const QString &fallback) {
        const qsizetype at = arguments.indexOf(QString::fromLatin1(name));
        return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
    };
    const int count = option("--count", QStringLiteral("20000")).toInt();
    const QStringList kinds = option("--formats", QStringLiteral("emf,wmf,bmp,ico,jpg")).split(u',');
    const quint32 seed = option("--seed", QStringLiteral("31")).toUInt();
    const qint64 limit = option("--limit-ms", QString::number(2000 * picture::buildSlowdown)).toLongLong();
    const QDir out(option("--out", QStringLiteral("fuzz-out")));
    const qint64 minutes = option("--minutes", QStringLiteral("0")).toLongLong();
    QDir().mkpath(out.path());
    QElapsedTimer running;
    running.start();

    if (arguments.contains(QStringLiteral("--replay"))) {
        const QString kept = option("--replay", QString());
        try {
            picture::loadPicture(kept, QSize(270, 184));
            std::printf("drawn\n");
        } catch (const platform::Error &error) {
            std::printf("%s\n", qPrintable(error.message()));
        }
        return 0;
    }

    std::map<QString, QList<QByteArray>> inputs;
    for (const QString &kind : kinds)
        inputs[kind] = seeds(kind);
    std::map<QString, Figures> figures;
    QRandomGenerator random(seed);
    for (int i = 0; i < count && (minutes <= 0 || !running.hasExpired(minutes * 60'000)); ++i) {
        const QString kind = kinds[i % kinds.size()];
        const QList<QByteArray> &pool = inputs[kind];
        const QByteArray data = mutated(pool[random.bounded(int(pool.size()))], kind == u"emf" || kind == u"wmf", random);
        const QString current = out.filePath(QStringLiteral("current.") + kind);
        QFile file(current);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(data);
        file.close();
        QElapsedTimer timer;
        timer.start();
        Figures &f = figures[kind];
        ++f.inputs;
        const qint64 peakBefore = peakResidentKiB();
        ++(load(current) ? f.drawn : f.refused);
        const qint64 elapsed = timer.elapsed();
        // The inputs that raise the process's peak are kept, to see what it took.
        const qint64 peak = peakResidentKiB();
        f.peakKiB = std::max(f.peakKiB, peak);
        if (peak > peakBefore + (16 << 10)) {
            QFile::copy(current, out.filePath(QStringLiteral("peak-%1-%2MiB.%3").arg(i).arg(peak >> 10).arg(kind)));
            std::printf("input %d (%s) raised the peak to %lld MiB\n", i, qPrintable(kind), static_cast<long long>(peak >> 10));
        }
        f.total += elapsed;
        f.longest = std::max(f.longest, elapsed);
        if (elapsed > limit) {
            QFile::copy(current, out.filePath(QStringLiteral("slow-%1.%2").arg(i).arg(kind)));
            ++f.slow;
        }
        QFile::remove(current);
        if ((i + 1) % 1000 == 0)
            std::printf("%d inputs, peak %lld MiB\n", i + 1, static_cast<long long>(peakResidentKiB() >> 10)), std::fflush(stdout);
    }
    int slow = 0;
    for (const auto &[kind, f] : figures) {
        std::printf("%s: inputs %d, drawn %d, refused %d, over %lld ms %d, longest %lld ms, mean %.1f ms, peak %lld MiB\n",
                    qPrintable(kind), f.inputs, f.drawn, f.refused, static_cast<long long>(limit), f.slow,
                    static_cast<long long>(f.longest), f.inputs ? double(f.total) / f.inputs : 0.0,
                    static_cast<long long>(f.peakKiB >> 10));
        slow += f.slow;
    }
    std::printf("peak resident memory %lld MiB\n", static_cast<long long>(peakResidentKiB() >> 10));
    return slow == 0 ? 0 : 1;
}
