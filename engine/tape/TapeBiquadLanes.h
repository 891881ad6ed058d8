#pragma once

#include "engine/tape/TapeBiquad.h"

#if JUCE_USE_SSE_INTRINSICS
 #include <xmmintrin.h>

/** Up to four TapeBiquad sections of different tracks run side by side, one per SSE lane.
    The arithmetic is TapeBiquad::Section's, in the same order and without fused operations,
    so each lane gives bit for bit what its own section gives. Unused lanes run on zeros. */
struct TapeBiquadLanes
{
    static constexpr int numLanes = 4;

    TapeBiquadLanes (TapeBiquad* const* sections, int count) noexcept
    {
        alignas (16) float values[7][numLanes] = {};

        for (int k = 0; k < count; ++k)
        {
            const auto& f = *sections[k];
            values[0][k] = f.b0;
            values[1][k] = f.b1;
            values[2][k] = f.b2;
            values[3][k] = f.a1;
            values[4][k] = f.a2;
            values[5][k] = f.v1;
            values[6][k] = f.v2;
        }

        c0 = _mm_load_ps (values[0]);
        c1 = _mm_load_ps (values[1]);
        c2 = _mm_load_ps (values[2]);
        d1 = _mm_load_ps (values[3]);
        d2 = _mm_load_ps (values[4]);
        s1 = _mm_load_ps (values[5]);
        s2 = _mm_load_ps (values[6]);
    }

    __m128 process (__m128 in) noexcept
    {
        auto out = _mm_add_ps (_mm_mul_ps (c0, in), s1);
        // Snapped to zero within +-1e-8 (a NaN too, as the comparisons fail for it).
        out = _mm_and_ps (out, _mm_or_ps (_mm_cmplt_ps (out, _mm_set1_ps (-1.0e-8f)),
                                          _mm_cmpgt_ps (out, _mm_set1_ps (1.0e-8f))));
        s1 = _mm_add_ps (_mm_sub_ps (_mm_mul_ps (c1, in), _mm_mul_ps (d1, out)), s2);
        s2 = _mm_sub_ps (_mm_mul_ps (c2, in), _mm_mul_ps (d2, out));
        return out;
    }

    void storeTo (TapeBiquad* const* sections, int count) const noexcept
    {
        alignas (16) float v1[numLanes], v2[numLanes];
        _mm_store_ps (v1, s1);
        _mm_store_ps (v2, s2);

        for (int k = 0; k < count; ++k)
        {
            sections[k]->v1 = v1[k];
            sections[k]->v2 = v2[k];
        }
    }

    /** Samples i to i + 3 of up to four runs, turned so that register j holds sample i + j of
        every run (zeros for missing runs). */
    static void loadTransposed (const float* const* runs, int count, int i, __m128 (&x)[numLanes]) noexcept
    {
        for (int k = 0; k < numLanes; ++k)
            x[k] = k < count ? _mm_loadu_ps (runs[k] + i) : _mm_setzero_ps();

        _MM_TRANSPOSE4_PS (x[0], x[1], x[2], x[3]);
    }

    /** The inverse of loadTransposed. */
    static void storeTransposed (float* const* runs, int count, int i, __m128 (&x)[numLanes]) noexcept
    {
        _MM_TRANSPOSE4_PS (x[0], x[1], x[2], x[3]);

        for (int k = 0; k < count; ++k)
            _mm_storeu_ps (runs[k] + i, x[k]);
    }

    /** One sample of up to four runs as a register, and back. */
    static __m128 loadSample (const float* const* runs, int count, int i) noexcept
    {
        alignas (16) float values[numLanes] = {};

        for (int k = 0; k < count; ++k)
            values[k] = runs[k][i];

        return _mm_load_ps (values);
    }

    static void storeSample (float* const* runs, int count, int i, __m128 x) noexcept
    {
        alignas (16) float values[numLanes];
        _mm_store_ps (values, x);

        for (int k = 0; k < count; ++k)
            runs[k][i] = values[k];
    }

    __m128 c0, c1, c2, d1, d2, s1, s2;
};
#endif
