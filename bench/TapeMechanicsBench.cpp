#include "bench/RealTimeFactor.h"
#include "engine/tape/TapeTransportModel.h"

// The tape mechanics run once per sample for the whole reel, before any track: with full wow
// and flutter on cassette, and with sync lock, as the heaviest settings the deck offers.
static void BM_TapeMechanicsAdvance (benchmark::State& state)
{
    constexpr int blockSize = 512;
    constexpr double sampleRate = 48000.0;
    TapeTransportModel model;
    model.prepare (sampleRate);
    model.setTargetSpeed (1.0);
    const bool syncLock = state.range (0) != 0;

    for (auto _ : state)
    {
        for (int i = 0; i < blockSize; ++i)
            model.advance (false, 0.0f, 4.0f, 1.0f, 3, 0.0f, syncLock);

        benchmark::DoNotOptimize (model.speed);
    }

    setRealTimeFactor (state, blockSize, sampleRate);
}
BENCHMARK (BM_TapeMechanicsAdvance)->Arg (0)->Arg (1);
