// Saving the tag of a large MP3 file, measured pair by pair against a peer in the same
// iteration (so both see the same disk and cache):
// - a tag that fits in the old one's space, saved in place through a journal, against
//   TagLib saving the same change in place in its own copy of the file;
// - a tag that does not fit, saved by rewriting the file, against replacing a file
//   durably by a copy: cp to a new file, flush it, rename it over, flush the folder.
// Each reports the medians of its own time and the peer's as counters, and the median of
// the ratios ours / peer's of the iterations. TagLib does not flush what it writes; the
// same save followed by an fdatasync of the file is reported too, as the durable peer.

#include "BenchFiles.h"

#include "tags/ID3v2Tag.h"
#include "tags/TID3v2.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <unistd.h>

extern char **environ;

namespace {
void copyWithCp(const QByteArray &from, const QByteArray &to)
{
    const char *arguments[] = {"cp", from.constData(), to.constData(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, "cp", nullptr, nullptr, const_cast<char **>(arguments), environ) != 0)
        std::abort();
    int status = 0;
    ::waitpid(child, &status, 0);
}

void flush(const QByteArray &file, int flags = O_RDONLY)
{
    const int fd = ::open(file.constData(), flags);
    ::fsync(fd);
    ::close(fd);
}

void durableCopy(const QByteArray &file)
{
    const QByteArray copy = file + ".copy";
    const QByteArray replaced = file + ".replaced";
    copyWithCp(file, copy);
    flush(copy);
    ::rename(copy.constData(), replaced.constData());
    flush(QFile::encodeName(QFileInfo(QFile::decodeName(file)).path()), O_RDONLY | O_DIRECTORY);
}

bool saveTitleAndComment(const QString &file, const QString &title, const QString &comment)
{
    TID3v2 tag;
    tag.ReadFromFile(file);
    tag.SetTitle(title);
    tag.SetComment(comment);
    return tag.WriteToFile(file);
}

// The padding of the file's tag.
qint64 freeSpace(const QString &file)
{
    id3v2::TagInfo info;
    id3v2::readTag(file, info);
    qint64 used = id3v2::HeaderSize;
    for (const id3v2::Frame &frame : info.frames)
        used += 10 + frame.stored.size();
    return id3v2::GetTagSize(info) - used;
}

QString copyOf(const QString &file, const QString &suffix)
{
    const QString copy = file + suffix;
    QFile::remove(copy);
    QFile::copy(file, copy);
    ::sync();
    return copy;
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void saveWithTagLib(const QByteArray &file, const QString &title, bool flushed)
{
    TagLib::MPEG::File mp3(file.constData(), false);
    mp3.ID3v2Tag(true)->setTitle(title.toStdString());
    mp3.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone);
    if (flushed) {
        const int fd = ::open(file.constData(), O_RDONLY);
        ::fdatasync(fd);
        ::close(fd);
    }
}

// Times of the pairs of one benchmark and the counters made of them.
struct Pairs {
    std::vector<double> ours, peer, durablePeer;

    void report(benchmark::State &state) const
    {
        std::vector<double> ratios, durableRatios;
        for (size_t i = 0; i < ours.size(); ++i) {
            ratios.push_back(ours[i] / peer[i]);
            if (i < durablePeer.size())
                durableRatios.push_back(ours[i] / durablePeer[i]);
        }
        state.counters["ours_ms"] = median(ours);
        state.counters["peer_ms"] = median(peer);
        state.counters["ratio"] = median(ratios);
        if (!durablePeer.empty()) {
            state.counters["durable_peer_ms"] = median(durablePeer);
            state.counters["durable_ratio"] = median(durableRatios);
        }
    }
};
} // namespace

static void SaveTagThatFits_VsTagLibInPlace(benchmark::State &state)
{
    const QString ours = copyOf(largeFile(int(state.range(0))), QStringLiteral(".ours"));
    const QByteArray peer = QFile::encodeName(copyOf(largeFile(int(state.range(0))), QStringLiteral(".taglib")));
    // One save each first, so that both tags have room for the change.
    saveTitleAndComment(ours, QStringLiteral("Title"), QStringLiteral("Comment"));
    saveWithTagLib(peer, QStringLiteral("Title"), true);
    Pairs pairs;
    int round = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        const QString title = QStringLiteral("Title %1").arg(++round % 1000);
        timer.start();
        if (!saveTitleAndComment(ours, title, QStringLiteral("Comment")))
            state.SkipWithError("save failed");
        pairs.ours.push_back(milliseconds(timer));
        timer.start();
        saveWithTagLib(peer, title, false);
        pairs.peer.push_back(milliseconds(timer));
        timer.start();
        saveWithTagLib(peer, title + "!", true);
        pairs.durablePeer.push_back(milliseconds(timer));
        state.SetIterationTime(pairs.ours.back() / 1000);
    }
    pairs.report(state);
    QFile::remove(ours);
    QFile::remove(QFile::decodeName(peer));
}
BENCHMARK(SaveTagThatFits_VsTagLibInPlace)->Arg(50)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(60);

static void SaveTagThatDoesNotFit_VsDurableCopy(benchmark::State &state)
{
    const QString ours = copyOf(largeFile(int(state.range(0))), QStringLiteral(".grown"));
    const QByteArray oursName = QFile::encodeName(ours);
    QString comment = QStringLiteral("Comment");
    Pairs pairs;
    QElapsedTimer timer;
    for (auto _ : state) {
        // Longer than the old comment by all the free space: the tag cannot fit.
        comment = QString(comment.size() + freeSpace(ours) + 1, QLatin1Char('c'));
        timer.start();
        if (!saveTitleAndComment(ours, QStringLiteral("Title"), comment))
            state.SkipWithError("save failed");
        pairs.ours.push_back(milliseconds(timer));
        timer.start();
        durableCopy(oursName);
        pairs.peer.push_back(milliseconds(timer));
        state.SetIterationTime(pairs.ours.back() / 1000);
    }
    pairs.report(state);
    QFile::remove(ours);
    QFile::remove(ours + ".replaced");
}
BENCHMARK(SaveTagThatDoesNotFit_VsDurableCopy)->Arg(50)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
