#pragma once

#include <benchmark/benchmark.h>

/** Reports how many seconds of audio one second of CPU time processes, as the counter "RTF".
    Call once after the benchmark loop, with the samples (per channel) one iteration renders. */
inline void setRealTimeFactor (benchmark::State& state, double samplesPerIteration, double sampleRate)
{
    const double audioSeconds = samplesPerIteration * (double) state.iterations() / sampleRate;
    // kIsRate divides by the measured (CPU) time, which turns audio seconds into the factor.
    state.counters["RTF"] = benchmark::Counter (audioSeconds, benchmark::Counter::kIsRate);
}
