// The main window's interactive paths: a keystroke in a tag field until the proposed
// name is repainted, "Avanti" loading the next MP3 file on folders of growing size,
// and "Rinomina" (rename, both tags written, next file loaded) near the end of a
// large folder against the same in a small one. The first two are set against a floor
// measured in the same run: a keystroke in a plain edit, and reading the same file's
// two tags directly; Rinomina at row 100,000 against Rinomina in a 100-file folder.

#include "app/uMain.h"
#include "explorer/filelist/FileListView.h"
#include "platform/DrivePaths.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/tags/TagBytes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

// A folder of `count` small MP3 files with both tags, made once per size.
QString mp3Folder(int count)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto &folder = folders[count];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        const QByteArray audio = tagbytes::silentAudio(2);
        for (int i = 0; i < count; ++i) {
            const QString name = folder->filePath(QStringLiteral("%1 - song.mp3").arg(i, 5, 10, QLatin1Char('0')));
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot create %s", qPrintable(name));
            file.write(audio);
            file.close();
            TID3v2 v2;
            v2.SetTitle(QStringLiteral("Song number %1").arg(i));
            v2.SetArtist(QStringLiteral("Some band"));
            v2.SetAlbum(QStringLiteral("Some album"));
            v2.SetTrack(std::uint16_t(i % 200 + 1));
            v2.WriteToFile(name);
            TID3TagInfo v1;
            v1.ReadFromFile(name);
            v1.SetTitle(v2.Title());
            v1.SetArtist(v2.Artist());
            v1.WriteToFile(name);
        }
    }
    return folder->path();
}

// A new folder of `count` files named by their row; the `tagged` rows from `first` on
// are MP3 files with both tags, the others short files that no step loads.
std::unique_ptr<QTemporaryDir> renamingFolder(int count, int first, int tagged)
{
    auto folder = std::make_unique<QTemporaryDir>();
    const QByteArray audio = tagbytes::silentAudio(2);
    for (int i = 0; i < count; ++i) {
        const QString name = folder->filePath(QStringLiteral("%1 - song.mp3").arg(i, 6, 10, QLatin1Char('0')));
        const bool isTagged = i >= first && i < first + tagged;
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(name));
        file.write(isTagged ? audio : QByteArray("x"));
        file.close();
        if (!isTagged)
            continue;
        TID3v2 v2;
        v2.SetTitle(QStringLiteral("Song number %1").arg(i));
        v2.SetArtist(QStringLiteral("Some band"));
        v2.SetTrack(std::uint16_t(i % 200 + 1));
        v2.WriteToFile(name);
        TID3TagInfo v1;
        v1.ReadFromFile(name);
        v1.SetTitle(v2.Title());
        v1.WriteToFile(name);
    }
    return folder;
}

struct ShownWindow {
    TfrmMain window;
    ShownWindow()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the main window was not shown");
    }
    template <typename T>
    T *child(const char *name) { return window.findChild<T *>(QString::fromLatin1(name)); }
    // Moves the file list to `folder` and waits until its listing is shown: a big
    // folder is read off the window thread.
    TZuFilelistView28 *listFolder(const QString &folder)
    {
        auto *list = child<TZuFilelistView28>("flsFile");
        list->SetDirectory(platform::toDrivePath(folder));
        if (!QTest::qWaitFor([list] { return !list->isListing(); }, 600000))
            qFatal("the folder was not listed in ten minutes");
        return list;
    }
};

void BM_KeystrokeToProposedName(benchmark::State &state)
{
    ShownWindow shown;
    QLineEdit *title = shown.child<QLineEdit>("edtTitolo");
    QLineEdit *proposed = shown.child<QLineEdit>("edtNuovoNome");
    shown.child<QWidget>("PageControl1")->setProperty("currentIndex", 1);
    title->setFocus();
    int typed = 0;
    for (auto _ : state) {
        if (++typed % 64 == 0) {
            state.PauseTiming();
            title->clear();
            state.ResumeTiming();
        }
        QTest::keyClick(title, Qt::Key_A);
        proposed->repaint();
    }
    if (!proposed->text().endsWith(QLatin1Char('a'), Qt::CaseInsensitive))
        state.SkipWithError("the proposed name did not follow the keystroke");
}

void BM_KeystrokeInPlainEdit(benchmark::State &state)
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *echo = new QLineEdit(&window);
    echo->move(0, 30);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the window was not shown");
    edit->setFocus();
    int typed = 0;
    for (auto _ : state) {
        if (++typed % 64 == 0) {
            state.PauseTiming();
            edit->clear();
            state.ResumeTiming();
        }
        QTest::keyClick(edit, Qt::Key_A);
        echo->repaint();
    }
}

void BM_AvantiOnFolder(benchmark::State &state)
{
    const QString folder = mp3Folder(int(state.range(0)));
    ShownWindow shown;
    QPushButton *avanti = shown.child<QPushButton>("btnAvanti");
    QPushButton *indietro = shown.child<QPushButton>("btnIndietro");
    shown.listFolder(folder);
    avanti->click(); // selects and loads the first file
    bool forward = true;
    int steps = 0;
    for (auto _ : state) {
        // Walk back and forth over the first files so that every step loads a new one.
        if (++steps % 50 == 0)
            forward = !forward;
        (forward ? avanti : indietro)->click();
        shown.window.repaint();
    }
    if (shown.child<QLineEdit>("edtArtista")->text() != QLatin1String("Some band"))
        state.SkipWithError("the files were not loaded");
}

// Rinomina on row state.range(1) of a folder of state.range(0) files: each round renames
// the loaded file, writes both tags and loads the next one.
void BM_RinominaAtRow(benchmark::State &state)
{
    const int count = int(state.range(0));
    const int first = int(state.range(1));
    constexpr int rounds = 40;
    const auto folder = renamingFolder(count, first, rounds + 2);
    ShownWindow shown;
    QPushButton *rinomina = shown.child<QPushButton>("btnRinomina");
    TZuFilelistView28 *list = shown.listFolder(folder->path());
    if (list->itemCount() < count) {
        state.SkipWithError("the folder was not listed whole");
        return;
    }
    list->selectItem(first);
    list->scrollItemIntoView(first);
    list->Click(); // loads the file, as a click does
    for (auto _ : state) {
        rinomina->click();
        shown.window.repaint();
    }
    const QString renamed = QStringLiteral("[Some band] - Song number %1.mp3").arg(first);
    if (list->item(first).caption != renamed || !QFile::exists(folder->filePath(renamed)))
        state.SkipWithError("the first file was not renamed");
}

void BM_ReadBothTagsOfOneFile(benchmark::State &state)
{
    const QString folder = mp3Folder(int(state.range(0)));
    QDir::setCurrent(folder);
    int index = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("%1 - song.mp3").arg(index++ % 50, 5, 10, QLatin1Char('0'));
        TID3v2 v2;
        v2.ReadFromFile(name);
        TID3TagInfo v1;
        v1.ReadFromFile(name);
        benchmark::DoNotOptimize(v2.Title());
    }
}

} // namespace

BENCHMARK(BM_KeystrokeToProposedName)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeInPlainEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AvantiOnFolder)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RinominaAtRow)->Args({100, 0})->Args({100100, 100000})->Iterations(40)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadBothTagsOfOneFile)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication application(argc, argv);
    platform::ScriptedMessageResponder boxes;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
