#pragma once

#include <atomic>
#include <cstdint>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

// Four voices at a time: the polyphonic engines keep their voices' running state in
// the lanes of these vectors while they render a chunk, so that one instruction works
// on four voices. Built on the compiler's vector extensions (GCC and Clang), which map
// onto the SSE2 registers every x86-64 processor has; no intrinsics or build flags.
//
// The maths mirrors the scalar helpers in VoiceHelpers.h, lane by lane and without
// branches (both sides of a choice are computed and one is selected). The filter's tan
// and tanh use cheaper rational approximations than the scalar helpers; their errors
// (below 3e-5 relative and 1e-4 absolute) are far below anything audible.
// Every helper is forced inline, so that the wide-instruction copies of the engines'
// render loops (see VOICE_LANES_WIDE_TARGET) compile it with their own instruction set.
#if defined(__GNUC__) || defined(__clang__)
#define VOICE_LANES_INLINE inline __attribute__ ((always_inline))
#else
#define VOICE_LANES_INLINE inline
#endif

// On x86-64 the render loops are also compiled for AVX2 with FMA and chosen at run time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VOICE_LANES_HAS_WIDE_TARGET 1
#define VOICE_LANES_WIDE_TARGET __attribute__ ((target ("avx2,fma")))
#else
#define VOICE_LANES_HAS_WIDE_TARGET 0
#define VOICE_LANES_WIDE_TARGET
#endif

namespace VoiceLanes
{
constexpr int width = 4;

/** Switches the AVX2 copies off, so that tests can compare them with the portable ones. */
inline std::atomic<bool>& wideTargetAllowed() noexcept
{
    static std::atomic<bool> allowed{true};
    return allowed;
}

/** Whether the render loops take their AVX2 and FMA copies on this processor. */
inline bool hasWideTarget() noexcept
{
#if VOICE_LANES_HAS_WIDE_TARGET
    static const bool supported = __builtin_cpu_supports ("avx2") && __builtin_cpu_supports ("fma");
    return supported && wideTargetAllowed().load (std::memory_order_relaxed);
#else
    return false;
#endif
}

typedef float Float __attribute__ ((vector_size (16)));
typedef std::int32_t Int __attribute__ ((vector_size (16)));
typedef std::uint32_t UInt __attribute__ ((vector_size (16)));

VOICE_LANES_INLINE Float splat (float x) noexcept
{
    return Float{} + x;
}

VOICE_LANES_INLINE Float load (const float* p) noexcept
{
    return Float{p[0], p[1], p[2], p[3]};
}

VOICE_LANES_INLINE float sum (Float x) noexcept
{
    return (x[0] + x[1]) + (x[2] + x[3]);
}

/** mask lanes are all ones (true) or zero (false), as comparisons produce them. */
VOICE_LANES_INLINE Float select (Int mask, Float whenTrue, Float whenFalse) noexcept
{
    return mask ? whenTrue : whenFalse;
}

/** x where the mask is set, else 0 (one instruction). */
VOICE_LANES_INLINE Float keepWhere (Int mask, Float x) noexcept
{
    return (Float)((Int)x & mask);
}

/** x where the mask is clear, else 0 (one instruction). */
VOICE_LANES_INLINE Float keepWhereNot (Int mask, Float x) noexcept
{
    return (Float)((Int)x & ~mask);
}

VOICE_LANES_INLINE Float min (Float a, Float b) noexcept
{
#if defined(__SSE__)
    return (Float)_mm_min_ps ((__m128)a, (__m128)b); // a < b ? a : b in one instruction
#else
    return a < b ? a : b;
#endif
}

VOICE_LANES_INLINE Float max (Float a, Float b) noexcept
{
#if defined(__SSE__)
    return (Float)_mm_max_ps ((__m128)a, (__m128)b); // a > b ? a : b in one instruction
#else
    return a > b ? a : b;
#endif
}

/** The nearest whole number, for |x| < 2^22 (adding and removing 1.5 * 2^23 rounds). */
VOICE_LANES_INLINE Float roundToWhole (Float x) noexcept
{
    const Float magic = splat (12582912.0f);
    return (x + magic) - magic;
}

VOICE_LANES_INLINE Float clamp (Float x, Float low, Float high) noexcept
{
    return min (max (x, low), high);
}

VOICE_LANES_INLINE Float abs (Float x) noexcept
{
    return (Float)((Int)x & 0x7fffffff);
}

VOICE_LANES_INLINE Float copySign (Float magnitude, Float sign) noexcept
{
    return (Float)(((Int)magnitude & 0x7fffffff) | ((Int)sign & (std::int32_t)0x80000000));
}

VOICE_LANES_INLINE Float toFloat (Int x) noexcept
{
    return __builtin_convertvector(x, Float);
}

/** Truncation towards zero, like a scalar (int) cast; |x| must stay below 2^31. */
VOICE_LANES_INLINE Int truncate (Float x) noexcept
{
    return __builtin_convertvector(x, Int);
}

VOICE_LANES_INLINE Float floor (Float x) noexcept
{
    const Float t = toFloat (truncate (x));
    return t + toFloat (t > x); // a true mask is -1
}

/** Phase wrap into [0, 1) for phases that stepped past the end (or below 0). */
VOICE_LANES_INLINE Float wrap (Float t) noexcept
{
    const Float w = t - floor (t);
    return select (w < 1.0f, w, Float{});
}

/** Phase wrap into [0, 1) for phases that are not negative. */
VOICE_LANES_INLINE Float wrapPositive (Float t) noexcept
{
    return t - toFloat (truncate (t));
}

/** Advances phases in [0, 1) by increments in [0, 1): one subtraction at most. */
VOICE_LANES_INLINE Float advancePhase (Float t, Float dt) noexcept
{
    t += dt;
    return t - keepWhere (t >= 1.0f, splat (1.0f));
}

/** Phase increment kept within [1e-6, 0.999] cycles per sample: below one cycle so that
    advancePhase stays exact (a frequency above the sample rate is only aliasing), and
    above the smallest step the step correction handles (0.05 Hz at 48 kHz). */
VOICE_LANES_INLINE Float limitIncrement (Float dt) noexcept
{
    return clamp (dt, splat (0.000001f), splat (0.999f));
}

/** One bit per lane of a mask, lane 0 in bit 0. */
VOICE_LANES_INLINE int laneBits (Int mask) noexcept
{
#if defined(__SSE__)
    return _mm_movemask_ps ((__m128)mask);
#else
    return (mask[0] & 1) | (mask[1] & 2) | (mask[2] & 4) | (mask[3] & 8);
#endif
}

/** Lanes where x is a finite number. */
VOICE_LANES_INLINE Int isFinite (Float x) noexcept
{
    return (x - x) == 0.0f;
}

VOICE_LANES_INLINE Float exp2 (Float x) noexcept
{
    x = clamp (x, splat (-126.0f), splat (126.0f));
    const Float whole = roundToWhole (x);
    const Float f = (x - whole) * 0.69314718055994531f;
    const Float p =
        1.0f +
        f * (1.0f + f * (0.5f + f * (1.0f / 6.0f + f * (1.0f / 24.0f + f * (1.0f / 120.0f + f * (1.0f / 720.0f))))));
    return p * (Float)((truncate (whole) + 127) << 23);
}

VOICE_LANES_INLINE Float exp (Float x) noexcept
{
    return exp2 (x * 1.44269504088896341f);
}

/** tanh by Lambert's continued fraction, clamped to +-1: absolute error below 1e-4 (at
    |x| near 5), below 1e-6 for |x| < 3. Used for soft saturation, where that is inaudible. */
VOICE_LANES_INLINE Float tanh (Float x) noexcept
{
    const Float x2 = x * x;
    const Float num = x * (135135.0f + x2 * (17325.0f + x2 * (378.0f + x2)));
    const Float den = 135135.0f + x2 * (62370.0f + x2 * (3150.0f + x2 * 28.0f));
    const Float r = num / den;
    return max (min (r, splat (1.0f)), splat (-1.0f));
}

/** sin(2 pi t) for phases in cycles, |t| < 1e6; absolute error below 4e-6. */
VOICE_LANES_INLINE Float sinCycles (Float t) noexcept
{
    t -= roundToWhole (t);
    const Float a = abs (t);
    const Float folded = copySign (min (a, 0.5f - a), t); // sin is symmetric about +-0.25
    const Float x = folded * 6.28318530717958647692f;
    const Float x2 = x * x;
    return x * (1.0f + x2 * (-1.0f / 6.0f + x2 * (1.0f / 120.0f + x2 * (-1.0f / 5040.0f + x2 * (1.0f / 362880.0f)))));
}

/** tan(w) for w in [0, 0.45 pi] by a [5/4] Pade approximant: relative error below 3e-5. */
VOICE_LANES_INLINE Float tan (Float w) noexcept
{
    const Float w2 = w * w;
    return w * (945.0f + w2 * (-105.0f + w2)) / (945.0f + w2 * (-420.0f + w2 * 15.0f));
}

/** Step correction for four oscillators, for increments from limitIncrement; invDt = 1 / dt,
    shared by the calls of one oscillator in one sample. */
VOICE_LANES_INLINE Float polyBlep (Float t, Float dt, Float invDt) noexcept
{
    const Float x1 = t * invDt;
    const Float x2 = (t - 1.0f) * invDt;
    const Float rising = x1 + x1 - x1 * x1 - 1.0f;
    const Float falling = x2 * x2 + x2 + x2 + 1.0f;
    return keepWhere (t < dt, rising) + keepWhere (t > 1.0f - dt, falling);
}

VOICE_LANES_INLINE Float saw (Float t, Float dt, Float invDt) noexcept
{
    return 2.0f * t - 1.0f - polyBlep (t, dt, invDt);
}

VOICE_LANES_INLINE Float pulse (Float t, Float dt, Float invDt, Float width) noexcept
{
    Float shifted = t + 1.0f - width;
    shifted -= keepWhere (shifted >= 1.0f, splat (1.0f));
    const Float level = keepWhere (t < width, splat (2.0f)) - 1.0f;
    return polyBlep (t, dt, invDt) + level - polyBlep (shifted, dt, invDt);
}

VOICE_LANES_INLINE Float triangle (Float t) noexcept
{
    return 4.0f * abs (t - 0.5f) - 1.0f;
}

/** Four independent white-noise sources in [-1, 1) (xorshift). */
struct Noise
{
    UInt state{0x9e3779b9u, 0x7f4a7c15u, 0x2545f491u, 0x6c078965u};

    void seed (std::uint32_t s) noexcept
    {
        state = UInt{s | 1u, s * 747796405u + 1u, s * 2891336453u + 3u, s ^ 0xa5a5a5a5u};
        state = state == 0u ? UInt{1u, 2u, 3u, 4u} : state;
    }

    VOICE_LANES_INLINE Float next() noexcept
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const Float r = __builtin_convertvector((Int)(state >> 8), Float) * (1.0f / 16777216.0f); // [0, 1)
        return 2.0f * r - 1.0f;
    }
};

/** The ladder filter of VoiceHelpers::processLadderFilter for four voices. A lane that goes
    non-finite returns 0; the caller zeroes such lanes' state with resetNonFinite. */
VOICE_LANES_INLINE Float ladderFilter (Float state[4], Float input, Float cutoffHz, Float resonance, float sampleRate,
                                       int mode) noexcept
{
    const Float fc = max (min (cutoffHz, splat (0.45f * sampleRate)), splat (20.0f));
    const Float k = 4.0f * clamp (resonance, Float{}, splat (1.0f));

    // g = tan(pi fc / fs) = n / d; then G = g / (1 + g) = n / (n + d) and 1 / (1 + g) = d / (n + d).
    const Float w = fc * (6.28318530717958647692f * (1.0f / sampleRate) * 0.5f);
    const Float w2 = w * w;
    const Float n = w * (945.0f + w2 * (-105.0f + w2));
    const Float d = 945.0f + w2 * (-420.0f + w2 * 15.0f); // the [5/4] Pade approximant of tan
    const Float r = 1.0f / (n + d);
    const Float G = n * r;
    const Float inv = d * r;
    const Float s0 = state[0] * inv, s1 = state[1] * inv, s2 = state[2] * inv, s3 = state[3] * inv;

    const Float G2 = G * G;
    const Float sigma = G2 * G * s0 + G2 * s1 + G * s2 + s3;
    const Float u = ((1.0f + 0.5f * k) * input - k * sigma) / (1.0f + k * G2 * G2);

    const Float y1 = G * tanh (u) + s0;
    const Float y2 = G * y1 + s1;
    const Float y3 = G * y2 + s2;
    const Float y4 = G * y3 + s3;

    state[0] = 2.0f * y1 - state[0];
    state[1] = 2.0f * y2 - state[1];
    state[2] = 2.0f * y3 - state[2];
    state[3] = 2.0f * y4 - state[3];

    const Float result = mode == 1 ? input - y4 : (mode == 2 ? 3.0f * (y2 - y4) : y4);
    return keepWhere (isFinite (result), result);
}

/** Zeroes the filter state of lanes that went non-finite (checked once per chunk). */
VOICE_LANES_INLINE void resetNonFinite (Float state[4]) noexcept
{
    const Int finite = isFinite (state[0]) & isFinite (state[1]) & isFinite (state[2]) & isFinite (state[3]);

    for (int k = 0; k < 4; ++k)
        state[k] = keepWhere (finite, state[k]);
}
} // namespace VoiceLanes
