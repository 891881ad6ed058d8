#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "tests/instruments/InstrumentTestUtils.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

using namespace InstrumentTestUtils;

//==============================================================================
// Counting every heap allocation this test program makes while a flag is up, to prove
// that rendering allocates nothing.
namespace
{
thread_local bool countingAllocations = false;
std::atomic<int> allocationsSeen{0};

void* allocate (std::size_t size)
{
    if (countingAllocations)
        ++allocationsSeen;

    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    if (countingAllocations)
        ++allocationsSeen;

    const auto align = (std::size_t)alignment;
    if (void* p = std::aligned_alloc (align, (size + align - 1) / align * align))
        return p;

    throw std::bad_alloc();
}

struct ScopedAllocationCount
{
    ScopedAllocationCount() { allocationsSeen = 0, countingAllocations = true; }
    ~ScopedAllocationCount() { countingAllocations = false; }
    int count() const { return allocationsSeen.load(); }
};
} // namespace

void* operator new (std::size_t size)
{
    return allocate (size);
}
void* operator new[] (std::size_t size)
{
    return allocate (size);
}
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc (size == 0 ? 1 : size);
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc (size == 0 ? 1 : size);
}
void* operator new (std::size_t size, std::align_val_t a)
{
    return allocateAligned (size, a);
}
void* operator new[] (std::size_t size, std::align_val_t a)
{
    return allocateAligned (size, a);
}
void operator delete (void* p) noexcept
{
    std::free (p);
}
void operator delete[] (void* p) noexcept
{
    std::free (p);
}
void operator delete (void* p, std::size_t) noexcept
{
    std::free (p);
}
void operator delete[] (void* p, std::size_t) noexcept
{
    std::free (p);
}
void operator delete (void* p, std::align_val_t) noexcept
{
    std::free (p);
}
void operator delete[] (void* p, std::align_val_t) noexcept
{
    std::free (p);
}
void operator delete (void* p, std::size_t, std::align_val_t) noexcept
{
    std::free (p);
}
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept
{
    std::free (p);
}

//==============================================================================
namespace
{
constexpr double fs = 48000.0;

/** One engine behind the common render call, prepared and with a note (or pattern) playing. */
struct EngineUnderTest
{
    const char* name;
    std::function<void (juce::AudioBuffer<float>&, juce::MidiBuffer&)> render;
    std::shared_ptr<void> owner;
};

EngineUnderTest makeEngine (int which)
{
    switch (which)
    {
        case 0:
        {
            auto e = std::shared_ptr<MonoSynthEngine> (makeMonoSynthEngine());
            e->prepare (fs);
            return {"mono synthesizer", [e] (auto& b, auto& m) { e->renderNextBlock (b, m); }, e};
        }
        case 1:
        {
            auto e = std::shared_ptr<PolySynthEngine> (makePolySynthEngine());
            e->prepare (fs);
            return {"poly synthesizer", [e] (auto& b, auto& m) { e->renderNextBlock (b, m); }, e};
        }
        case 2:
        {
            auto e = std::shared_ptr<RhythmEngine> (makeRhythmEngine());
            e->prepare (fs);
            e->random.setSeed (7);
            e->rmSync = false;
            e->playing = true;
            e->rmBpm = 200.0f;
            return {"rhythm machine", [e] (auto& b, auto& m) { e->renderNextBlock (b, m, 120.0, true); }, e};
        }
        case 3:
        {
            auto e = std::shared_ptr<TannerinEngine> (makeTannerinEngine());
            e->prepare (fs);
            return {"slide instrument", [e] (auto& b, auto& m) { e->renderNextBlock (b, m); }, e};
        }
        default:
        {
            auto e = std::shared_ptr<StageKeyboardEngine> (makeStageKeyboardEngine());
            e->prepare (fs);
            return {"stage keyboard", [e] (auto& b, auto& m) { e->renderNextBlock (b, m); }, e};
        }
    }
}

constexpr int numEngines = 5;

juce::MidiBuffer chord()
{
    return notesOn ({36, 38, 42, 48, 55, 60, 64, 67}); // drum voices for the rhythm machine too
}
} // namespace

TEST (InstrumentEngines, AddTheSameMonoSignalToBothChannelsWithoutClearing)
{
    for (int which = 0; which < numEngines; ++which)
    {
        auto clean = makeEngine (which), onTop = makeEngine (which);
        SCOPED_TRACE (clean.name);

        const auto expected = renderWith (clean.render, 24000, chord());

        juce::AudioBuffer<float> prefilled (2, 24000);
        for (int ch = 0; ch < 2; ++ch)
            juce::FloatVectorOperations::fill (prefilled.getWritePointer (ch), 0.25f, 24000);

        auto midi = chord();
        for (int start = 0; start < 24000; start += 512)
        {
            juce::AudioBuffer<float> block (prefilled.getArrayOfWritePointers(), 2, start,
                                            juce::jmin (512, 24000 - start));
            juce::MidiBuffer blockMidi;
            if (start == 0)
                blockMidi.swapWith (midi);
            onTop.render (block, blockMidi);
        }

        EXPECT_GT (AudioTestUtils::peak (expected, 0), 0.01f);

        for (int i = 0; i < 24000; i += 7)
        {
            ASSERT_EQ (expected.getSample (0, i), expected.getSample (1, i)) << i;
            ASSERT_NEAR (prefilled.getSample (0, i), expected.getSample (0, i) + 0.25f, 2.0e-6f) << i;
            ASSERT_NEAR (prefilled.getSample (1, i), expected.getSample (1, i) + 0.25f, 2.0e-6f) << i;
        }
    }
}

TEST (InstrumentEngines, HandleOneChannelAndEmptyBuffersAndKeepMidiFromEmptyBlocks)
{
    for (int which = 0; which < numEngines; ++which)
    {
        auto engine = makeEngine (which), reference = makeEngine (which);
        SCOPED_TRACE (engine.name);

        // The notes arrive in a block of no samples; they still sound from the next block on.
        juce::AudioBuffer<float> empty (2, 0);
        auto midi = chord();
        engine.render (empty, midi);

        juce::AudioBuffer<float> mono (1, 4800);
        mono.clear();
        juce::MidiBuffer none;
        engine.render (mono, none);
        EXPECT_TRUE (AudioTestUtils::allFinite (mono));
        EXPECT_GT (AudioTestUtils::peak (mono, 0), 0.01f);
    }
}

TEST (InstrumentEngines, OutputDoesNotDependOnTheBlockSize)
{
    // Noise-free settings, so that any two renders can be compared sample by sample.
    for (int which = 0; which < numEngines; ++which)
    {
        std::vector<juce::AudioBuffer<float>> results;

        for (int blockSize : {512, 480, 37, 1})
        {
            auto engine = makeEngine (which);
            if (which == 2)
                for (auto& row : std::static_pointer_cast<RhythmEngine> (engine.owner)->steps)
                    row[4] = row[5] = false; // no hats (noise) in the rhythm machine's pattern

            SCOPED_TRACE (testing::Message() << engine.name << ", blocks of " << blockSize);
            auto midi = which == 2 ? notesOn ({36, 50}) : chord();
            results.push_back (renderWith (engine.render, 24000, midi, blockSize));

            const auto& first = results.front();
            double worst = 0.0;
            for (int i = 0; i < 24000; ++i)
                worst = std::max (worst, (double)std::abs (results.back().getSample (0, i) - first.getSample (0, i)));
            EXPECT_LT (worst, 1.0e-4);
        }
    }
}

TEST (InstrumentEngines, RenderingAllocatesNothing)
{
    TempDir folder ("dravin8-alloc");
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();

    for (int which = 0; which < numEngines; ++which)
    {
        auto engine = makeEngine (which);
        SCOPED_TRACE (engine.name);

        if (which == 2)
        {
            // A custom sample in the mix as well.
            const auto file = folder / "clap.wav";
            juce::AudioBuffer<float> audio (1, 2000);
            audio.clear();
            audio.setSample (0, 10, 0.5f);
            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatWriter> writer (
                wav.createWriterFor (new juce::FileOutputStream (file), fs, 1, 16, {}, 0));
            writer->writeFromAudioSampleBuffer (audio, 0, 2000);
            writer.reset();
            ASSERT_TRUE (std::static_pointer_cast<RhythmEngine> (engine.owner)->loadCustomSample (0, file, formats));
        }

        juce::AudioBuffer<float> buffer (2, 512);
        auto midi = chord();
        midi.addEvent (juce::MidiMessage::pitchWheel (1, 12000), 0);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, 90), 0);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 64, 127), 0);
        juce::MidiBuffer offs;
        offs.addEvent (juce::MidiMessage::noteOff (1, 60), 0);
        offs.addEvent (juce::MidiMessage::allNotesOff (1), 0);
        juce::MidiBuffer none;

        const ScopedAllocationCount allocations;
        for (int block = 0; block < 200; ++block)
        {
            buffer.clear();
            engine.render (buffer, block == 0 ? midi : (block == 100 ? offs : none));
        }

        EXPECT_EQ (allocations.count(), 0);
    }
}

TEST (InstrumentEngines, WideAndPortableRenderLoopsAgree)
{
    if (! VoiceLanes::hasWideTarget())
        GTEST_SKIP() << "this processor has no AVX2 and FMA";

    // The poly synthesizer and the stage keyboard each have an AVX2 copy of their voice loop;
    // both copies must sound the same (FMA rounds differently, nothing more).
    for (int which : {1, 4})
    {
        std::vector<juce::AudioBuffer<float>> results;

        for (bool wide : {true, false})
        {
            VoiceLanes::wideTargetAllowed() = wide;
            auto engine = makeEngine (which);
            SCOPED_TRACE (engine.name);
            results.push_back (renderWith (engine.render, 24000, chord()));
        }

        VoiceLanes::wideTargetAllowed() = true;

        double worst = 0.0;
        for (int i = 0; i < 24000; ++i)
            worst = std::max (worst, (double)std::abs (results[0].getSample (0, i) - results[1].getSample (0, i)));

        EXPECT_GT (AudioTestUtils::peak (results[1], 0), 0.01f);
        EXPECT_LT (worst, 1.0e-3);
    }
}
