// Checks that the engines' audio-thread calls never allocate. The C allocation functions are
// replaced for this test executable (forwarding to glibc's own), so that everything that reaches
// the heap is seen: operator new, std::vector and juce::HeapBlock alike.

#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"
#include "effects/ReverbEngine.h"
#include "effects/TapeEchoEngine.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/support/AllocationCounter.h"

namespace
{
class AllocationCounter
{
public:
#if DRAVIN8_COUNT_ALLOCATIONS
    AllocationCounter() noexcept
    {
        allocationCount = 0;
        countingAllocations = true;
    }
    ~AllocationCounter()
    {
        stop();
    }
    void stop() noexcept
    {
        countingAllocations = false;
    }
    int count() const noexcept
    {
        return allocationCount;
    }
#else
    void stop() noexcept {}
    int count() const noexcept
    {
        return 0;
    }
#endif
};

constexpr double rate = 48000.0;
const int blockSizes[] = {1, 63, 512, 4096, 4097, 10000};

// Every channel layout the processor can hand an engine: mono, stereo and wider.
std::vector<juce::AudioBuffer<float>> makeBlocks()
{
    std::vector<juce::AudioBuffer<float>> blocks;
    for (const int channels : {1, 2, 3})
        for (const int size : blockSizes)
            blocks.push_back (AudioTestUtils::makeNoise (channels, size, 0.9f));
    return blocks;
}

#if DRAVIN8_COUNT_ALLOCATIONS
constexpr bool countsAllocations = true;
#else
constexpr bool countsAllocations = false;
#endif
} // namespace

TEST (EffectsRealTimeSafety, TheCounterSeesHeapUse)
{
    if (! countsAllocations)
        GTEST_SKIP() << "allocation counting needs glibc without sanitizers";
    AllocationCounter counter;
    std::vector<int> grows (100);
    juce::HeapBlock<float> block (100);
    counter.stop();
    EXPECT_GE (counter.count(), 2);
}

TEST (EffectsRealTimeSafety, NoEngineAllocatesWhileProcessing)
{
    if (! countsAllocations)
        GTEST_SKIP() << "allocation counting needs glibc without sanitizers";

    ReverbEngine reverb;
    TapeEchoEngine echo;
    OptoCompEngine opto;
    FetCompEngine fet;
    auto eq = makeEqualizerEngine();
    auto multi = makeMultiModulatorEngine();
    reverb.prepare (rate);
    echo.prepare (rate);
    opto.prepare (rate);
    fet.prepare (rate);
    eq->sampleRate = rate;
    multi->prepare (rate);
    auto blocks = makeBlocks();

    AllocationCounter counter;

    for (auto& block : blocks)
    {
        for (int algorithm = 1; algorithm <= 4; ++algorithm)
        {
            reverb.setParameters (algorithm, 0.9f, 0.3f, 0.7f, 0.2f);
            reverb.process (block);
        }

        for (int age = 1; age <= 3; ++age)
        {
            echo.setParameters (350.0f, 0.8f, age, 0.5f, -0.3f, age == 2, 120.0, 0.5f);
            echo.process (block);
        }

        for (int mode = 0; mode <= 1; ++mode)
        {
            opto.setParameters (60.0f, 70.0f, mode);
            opto.process (block);
        }

        for (int ratio = 0; ratio <= 4; ++ratio)
        {
            fet.setParameters (12.0f, -6.0f, 0.1f, 200.0f, ratio);
            fet.process (block);
        }

        for (int band = 0; band < EqualizerEngine::numBands; ++band)
            eq->gainDb[(size_t)band] += 1.5f; // a change each round, so the bands recompute
        eq->process (block);

        for (int type = 0; type <= 6; ++type)
        {
            multi->setParameters (type, 0.8f, 0.6f, type % 2 == 0, 128.0);
            multi->process (block);
        }
    }

    counter.stop();
    EXPECT_EQ (counter.count(), 0);
}
