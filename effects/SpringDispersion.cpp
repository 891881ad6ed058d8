#include "effects/SpringDispersion.h"

#include <algorithm>

#if (defined(__SSE2__) || defined(_M_X64)) && ! defined(DRAVIN8_NO_SIMD)
#include <emmintrin.h>
#define DRAVIN8_DISPERSION_SSE2 1
#endif

namespace
{
constexpr int lanes = 4;
constexpr int stagesPerPass = 4;

#if DRAVIN8_DISPERSION_SSE2
// Four consecutive stages over whole rows. Lanes are samples one stage-length apart in time, so they
// never depend on each other; interleaving four stages keeps several independent chains in flight.
void runRows (float* rows, int numRows, int stride, SpringDispersion::Stage* stages) noexcept
{
    float* ring[stagesPerPass];
    __m128 gain[stagesPerPass];
    for (int s = 0; s < stagesPerPass; ++s)
    {
        ring[s] = stages[s].buffer.data();
        gain[s] = _mm_set1_ps (stages[s].g);
    }

    for (int m = 0; m < numRows; ++m)
    {
        float* row = rows + m * stride;

        for (int v = 0; v < stride; v += lanes)
        {
            __m128 x = _mm_loadu_ps (row + v);

            for (int s = 0; s < stagesPerPass; ++s)
            {
                const __m128 d = _mm_loadu_ps (ring[s] + v);
                const __m128 w = _mm_sub_ps (x, _mm_mul_ps (d, gain[s]));
                _mm_storeu_ps (ring[s] + v, w);
                x = _mm_add_ps (_mm_mul_ps (gain[s], w), d);
            }

            _mm_storeu_ps (row + v, x);
        }
    }
}
#endif
} // namespace

void SpringDispersion::prepare (double sampleRate, int maxBlockSize)
{
    length = std::max (1, (int)(sampleRate * 0.00015));
    stride = (length + lanes - 1) / lanes * lanes;
    pos = 0;

    stages.resize ((size_t)numStages);
    for (auto& stage : stages)
    {
        stage.buffer.assign ((size_t)stride, 0.0f);
        stage.g = 0.65f;
    }

    maxRows = std::max (1, maxBlockSize / length + 1);
    rows.assign ((size_t)(maxRows * stride), 0.0f);
}

float SpringDispersion::processSample (float x) noexcept
{
    for (auto& stage : stages)
    {
        const float d = stage.buffer[(size_t)pos];
        const float w = x - d * stage.g;
        stage.buffer[(size_t)pos] = w;
        x = stage.g * w + d;
    }

    if (++pos == length)
        pos = 0;

    return x;
}

void SpringDispersion::process (float* samples, int numSamples) noexcept
{
    if (stages.empty())
        return;

    int n = 0;

#if DRAVIN8_DISPERSION_SSE2
    if (length >= lanes)
    {
        // Up to the start of a row sample by sample, then whole rows, then the rest.
        while (n < numSamples && pos != 0)
        {
            samples[n] = processSample (samples[n]);
            ++n;
        }

        const int numRows = std::min (maxRows, (numSamples - n) / length);
        if (numRows > 0)
        {
            // Padding lanes stay zero: zero in, zero state, zero out.
            for (int m = 0; m < numRows; ++m)
                std::copy (samples + n + m * length, samples + n + (m + 1) * length, rows.data() + m * stride);

            for (int s = 0; s < numStages; s += stagesPerPass)
                runRows (rows.data(), numRows, stride, stages.data() + s);

            for (int m = 0; m < numRows; ++m)
                std::copy (rows.data() + m * stride, rows.data() + m * stride + length, samples + n + m * length);

            n += numRows * length;
        }
    }
#endif

    for (; n < numSamples; ++n)
        samples[n] = processSample (samples[n]);
}
