#include "platform/Platform.h"
#include "storage/ReelLibrary.h"
#include "storage/ReelList.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
// A library in a temporary folder, with reels whose track files hold 16-bit audio: a tone
// under quiet noise, which deflate barely shrinks, like real recordings.
struct BenchLibrary
{
    TempDir temp{"dravin8-bench"};
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    ReelLibrary library;

    juce::int64 addReel (const juce::String& name, int tracks, int secondsPerTrack)
    {
        const auto folder = library.libraryRoot.getChildFile (name);
        folder.createDirectory();
        folder.getChildFile ("settings.xml")
            .replaceWithText ("<PARAMETERS reelLength=\"600.0\" numTracks=\"" + juce::String (tracks) +
                              "\" sampleRate=\"48000.0\" tapePosition=\"0.0\"/>");

        juce::Random random (7);
        juce::int64 bytes = 0;

        for (int t = 1; t <= tracks; ++t)
        {
            juce::MemoryBlock audio ((size_t)secondsPerTrack * 48000 * 2);
            auto* samples = static_cast<juce::int16*> (audio.getData());

            for (size_t i = 0; i < audio.getSize() / 2; ++i)
                samples[i] =
                    (juce::int16) (8000.0 * std::sin (0.0575 * (double)(i * (size_t)t)) + random.nextInt (200) - 100);

            folder.getChildFile ("track_" + juce::String (t) + ".wav")
                .replaceWithData (audio.getData(), audio.getSize());
            bytes += (juce::int64)audio.getSize();
        }

        return bytes;
    }
};

void BM_ZipReel (benchmark::State& state)
{
    BenchLibrary bench;
    const auto bytes = bench.addReel ("Song", 8, 10);
    const auto archive = bench.temp / "Song.reel";

    for (auto _ : state)
        if (! bench.library.zipReel ("Song", archive).wasOk())
            state.SkipWithError ("backup failed");

    state.SetBytesProcessed (state.iterations() * bytes);
    state.counters["ratio"] = (double)archive.getSize() / (double)bytes;
}
BENCHMARK (BM_ZipReel)->Unit (benchmark::kMillisecond);

void BM_ImportReelArchive (benchmark::State& state)
{
    BenchLibrary bench;
    const auto bytes = bench.addReel ("Song", 8, 10);
    const auto archive = bench.temp / "Song.reel";
    bench.library.zipReel ("Song", archive);

    for (auto _ : state)
    {
        const auto name = bench.library.importReelArchive (archive);

        state.PauseTiming();
        if (name.isEmpty())
            state.SkipWithError ("import failed");
        bench.library.libraryRoot.getChildFile (name).deleteRecursively();
        state.ResumeTiming();
    }

    state.SetBytesProcessed (state.iterations() * bytes);
}
BENCHMARK (BM_ImportReelArchive)->Unit (benchmark::kMillisecond);

// What the tape room does on every keystroke in its search box: a fresh shelf and rows.
void BM_BuildReelList (benchmark::State& state)
{
    BenchLibrary bench;

    for (int i = 0; i < state.range (0); ++i)
    {
        const auto folder = bench.library.libraryRoot.getChildFile ("Reel " + juce::String (i));
        bench.addReel ("Reel " + juce::String (i), 0, 0);
        folder.getChildFile ("settings.xml")
            .replaceWithText ("<PARAMETERS reelLength=\"600.0\" numTracks=\"8\" sampleRate=\"48000.0\">" +
                              juce::String::repeatedString ("<PARAM id=\"X\" value=\"0.5\"/>", 400) + "</PARAMETERS>");

        for (int f = 1; f <= 8; ++f)
            folder.getChildFile ("track_" + juce::String (f) + ".wav").replaceWithText ("RIFF");
    }

    for (auto _ : state)
        benchmark::DoNotOptimize (ReelList::buildRows (bench.library.loadShelf(), "reel", ReelList::sortByName));

    state.counters["reels"] = (double)state.range (0);
}
BENCHMARK (BM_BuildReelList)->Arg (100)->Unit (benchmark::kMillisecond);
} // namespace
