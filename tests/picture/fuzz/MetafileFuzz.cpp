// Renders mutated metafiles at preview size, one after the other, and reports how many
// were drawn or refused and the longest any took. The seeds are the sample metafiles
// and the hostile ones the tests make. Each input is written to OUT/current before it
// is drawn, so that one that brings the program down can be drawn again; inputs that
// take longer than the limit are kept as OUT/slow-N.
//
//   fuzz_metafiles [--count N] [--seed S] [--limit-ms MS] [--out DIR]
//   fuzz_metafiles --replay FILE     draws one kept input again

#include "HostileMetafiles.h"
#include "picture/MetafileRenderer.h"
#include "picture/PictureError.h"
#include "picture/RenderBudget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <cstdio>
#include <cstring>

namespace {

QList<QByteArray> seeds()
{
    QList<QByteArray> all;
    const QDir data(QStringLiteral(KESTRAVA_PICTURE_DATA));
    for (const QString &name : data.entryList({QStringLiteral("*.emf"), QStringLiteral("*.wmf")}, QDir::Files)) {
        QFile file(data.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            all << file.readAll();
    }
    // The hostile ones that draw quickly: a mutation of one that runs to the budget
    // would only measure the budget again.
    static const QList<QByteArray> slow = {"EndlessRasterWork", "LongWidePath", "LongDashedPath", "ZigzagPolygon",
                                           "ZigzagPolygonWmf", "LongText"};
    for (const auto &[name, make] : hostile::all())
        if (!slow.contains(QByteArray(name)))
            all << make();
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
        const int copies = random.bounded(4) == 0 ? random.bounded(100, 3000) : random.bounded(1, 4);
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

QByteArray mutated(const QByteArray &seed, QRandomGenerator &random)
{
    QByteArray data = seed;
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
    const quint32 seed = option("--seed", QStringLiteral("31")).toUInt();
    const qint64 limit = option("--limit-ms", QString::number(2000 * picture::buildSlowdown)).toLongLong();
    const QDir out(option("--out", QStringLiteral("fuzz-out")));
    QDir().mkpath(out.path());

    if (arguments.contains(QStringLiteral("--replay"))) {
        QFile kept(option("--replay", QString()));
        if (!kept.open(QIODevice::ReadOnly))
            return 2;
        const QByteArray data = kept.readAll();
        try {
            picture::renderMetafile(reinterpret_cast<const unsigned char *>(data.constData()), std::size_t(data.size()),
                                    QSize(270, 184), kept.fileName());
            std::printf("drawn\n");
        } catch (const picture::PictureError &error) {
            std::printf("%s\n", qPrintable(error.message()));
        }
        return 0;
    }

    const QList<QByteArray> inputs = seeds();
    QRandomGenerator random(seed);
    int drawn = 0, refused = 0, slow = 0;
    qint64 longest = 0, total = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray data = mutated(inputs[random.bounded(int(inputs.size()))], random);
        QFile current(out.filePath(QStringLiteral("current")));
        if (current.open(QIODevice::WriteOnly | QIODevice::Truncate))
            current.write(data);
        current.close();
        QElapsedTimer timer;
        timer.start();
        try {
            picture::renderMetafile(reinterpret_cast<const unsigned char *>(data.constData()), std::size_t(data.size()),
                                    QSize(270, 184), QStringLiteral("fuzz"));
            ++drawn;
        } catch (const picture::PictureError &) {
            ++refused;
        }
        const qint64 elapsed = timer.elapsed();
        total += elapsed;
        longest = std::max(longest, elapsed);
        if (elapsed > limit) {
            QFile kept(out.filePath(QStringLiteral("slow-%1").arg(i)));
            if (kept.open(QIODevice::WriteOnly))
                kept.write(data);
            ++slow;
        }
        if ((i + 1) % 1000 == 0)
            std::printf("%d inputs, longest %lld ms\n", i + 1, static_cast<long long>(longest)), std::fflush(stdout);
    }
    std::printf("inputs %d: drawn %d, refused %d, over %lld ms %d, longest %lld ms, mean %.1f ms\n", count, drawn, refused,
                static_cast<long long>(limit), slow, static_cast<long long>(longest), count ? double(total) / count : 0.0);
    QFile::remove(out.filePath(QStringLiteral("current")));
    return slow == 0 ? 0 : 1;
}
