#include "engine/tape/TapeTrack.h"

#include "engine/tape/SharedTapeSample.h"
#include "engine/tape/TapeBiquadLanes.h"

#include "engine/tape/TapeReelSize.h"

#if JUCE_USE_SSE_INTRINSICS
 #include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace
{
constexpr int writeKernelHalfWidth = 8;
constexpr int writeKernelTaps = 2 * writeKernelHalfWidth + 1;

/** The write kernel padded to a multiple of eight taps, so that its loops run in whole SIMD
    registers; the padding taps sit beyond the kernel (their weights are never used). */
constexpr int writeKernelPadded = (writeKernelTaps + 7) / 8 * 8;

/** cos and sin of the Blackman window's two angles at every whole tap offset, the offset itself
    and the sign of the sinc's sine there, so that a write at a fractional position needs one
    sine and cosine: cos (a (j + d)) = cos (a j) cos (a d) - sin (a j) sin (a d). */
struct WriteKernelTable
{
    WriteKernelTable()
    {
        for (int tap = 0; tap < writeKernelPadded; ++tap)
        {
            const auto j = (double)(tap - writeKernelHalfWidth);
            offset[tap] = (float)j;
            cos1[tap] = (float)std::cos (juce::MathConstants<double>::twoPi * j / 16.0);
            sin1[tap] = (float)std::sin (juce::MathConstants<double>::twoPi * j / 16.0);
            cos2[tap] = (float)std::cos (2.0 * juce::MathConstants<double>::twoPi * j / 16.0);
            sin2[tap] = (float)std::sin (2.0 * juce::MathConstants<double>::twoPi * j / 16.0);
            sign[tap] = (tap - writeKernelHalfWidth) % 2 == 0 ? 1.0f : -1.0f;
        }
    }

    alignas (16) float offset[writeKernelPadded];
    alignas (16) float cos1[writeKernelPadded];
    alignas (16) float sin1[writeKernelPadded];
    alignas (16) float cos2[writeKernelPadded];
    alignas (16) float sin2[writeKernelPadded];
    alignas (16) float sign[writeKernelPadded];
};

const WriteKernelTable writeKernelTable;

/** sin and cos of an angle within +-pi/8 (the window's angle at a fractional write position)
    to within 1e-12, from their series: cheaper than the library's general functions. For a
    double or a vector of them. */
template <typename Value>
__attribute__ ((always_inline)) inline void sinCosOfSmallAngle (const Value& a, Value& sine, Value& cosine) noexcept
{
    const Value a2 = a * a;
    // The first term left out stays below 1e-12: far finer than the float taps need.
    sine = a * (1.0 + a2 * (-1.0 / 6.0 + a2 * (1.0 / 120.0 + a2 * (-1.0 / 5040.0 + a2 * (1.0 / 362880.0 +
                                                                                       a2 * (-1.0 / 39916800.0))))));
    cosine =
        1.0 + a2 * (-0.5 + a2 * (1.0 / 24.0 + a2 * (-1.0 / 720.0 + a2 * (1.0 / 40320.0 + a2 * (-1.0 / 3628800.0)))));
}

/** Adds a write's taps to the tape. Where the processor has SSE they go four at a time: a
    save's copy that overlaps a write is thrown away through the track's write sequence, so
    the samples need not change one by one. ThreadSanitizer still sees each sample's own
    atomic add. */
inline void addKernel (float* at, const float* products) noexcept
{
#if JUCE_USE_SSE_INTRINSICS && ! defined(__SANITIZE_THREAD__)
    int tap = 0;

    for (; tap + 4 <= writeKernelTaps; tap += 4)
        _mm_storeu_ps (at + tap, _mm_add_ps (_mm_loadu_ps (at + tap), _mm_load_ps (products + tap)));

    for (; tap < writeKernelTaps; ++tap)
        SharedTapeSample::add (at + tap, products[tap]);
#else
    for (int tap = 0; tap < writeKernelTaps; ++tap)
        SharedTapeSample::add (at + tap, products[tap]);
#endif
}

/** How many writes' kernels a run works out together. */
constexpr int writeKernelBatch = 8;

/** The taps one elastic write adds to the tape, times the written value, and where they start. */
struct WriteKernel
{
    int first = 0;
    alignas (16) float products[writeKernelPadded];
};

/** Works out the kernels of up to writeKernelBatch writes; touches nothing else. The angles
    of all of them go first, side by side (the compiler runs them in SIMD lanes), then each
    kernel's taps, a register's width at a time: the same arithmetic for every write whatever
    the count and whatever the registers. */
__attribute__ ((always_inline)) inline void computeWriteKernelsIn (const double* writePoints, const float* values,
                                                                   const double* speeds, int count,
                                                                   WriteKernel* kernels) noexcept
{
    // A 17-tap Blackman-windowed sinc spreads the sample over the tape at its fractional
    // position, so that writing follows a tape that moves at any speed. Every tap sits a whole
    // number of samples from the others, so one sine and cosine of the window's angle give all
    // of it: sin (pi (j + d)) = (-1)^j sin (pi d), and sin (pi d) = sin (8 a) follows from the
    // angle a by doubling three times. The taps themselves are worked out in single precision:
    // the tape holds floats, and the weights stay within a few of their ulps.
    alignas (32) double fractions[writeKernelBatch];
    alignas (32) float dHighs[writeKernelBatch], dLows[writeKernelBatch], sinesOverPi[writeKernelBatch],
        c1s[writeKernelBatch], s1s[writeKernelBatch], c2s[writeKernelBatch], s2s[writeKernelBatch];
    float amounts[writeKernelBatch];
    alignas (32) int wholes[writeKernelBatch];
    count = juce::jmin (count, writeKernelBatch);

    // Four writes at a time in vectors of doubles (the compiler maps them onto the registers
    // the processor has); a short batch repeats its last write in the spare lanes.
    typedef double Doubles __attribute__ ((vector_size (4 * sizeof (double))));
    typedef float Floats __attribute__ ((vector_size (4 * sizeof (float))));
    typedef int Ints __attribute__ ((vector_size (4 * sizeof (int))));
    static_assert (writeKernelBatch % 4 == 0, "whole vectors of writes");

    for (int w = 0; w < count; w += 4)
    {
        Doubles points;

        for (int lane = 0; lane < 4; ++lane)
            points[lane] = writePoints[juce::jmin (w + lane, count - 1)];

        const auto whole = __builtin_convertvector (points, Ints);
        const Doubles d = __builtin_convertvector (whole, Doubles) - points;
        const Doubles angle = juce::MathConstants<double>::twoPi * d / 16.0;
        Doubles sinA, cosA;
        sinCosOfSmallAngle (angle, sinA, cosA);
        const Doubles sin2A = 2.0 * sinA * cosA, cos2A = cosA * cosA - sinA * sinA;
        const Doubles sin4A = 2.0 * sin2A * cos2A, cos4A = cos2A * cos2A - sin2A * sin2A;
        const Doubles sinPiD = 2.0 * sin4A * cos4A;
        std::memcpy (wholes + w, &whole, sizeof (whole));
        std::memcpy (fractions + w, &d, sizeof (d));

        // j + d to within a float's rounding even where it nears zero: d in two parts, the
        // larger one cancelling exactly against the tap offset.
        const auto dHigh = __builtin_convertvector (d, Floats);
        const auto dLow = __builtin_convertvector (d - __builtin_convertvector (dHigh, Doubles), Floats);
        const auto sineOverPi =
            __builtin_convertvector (sinPiD * (1.0 / juce::MathConstants<double>::pi), Floats);
        const auto c1 = __builtin_convertvector (cosA, Floats), s1 = __builtin_convertvector (sinA, Floats);
        const auto c2 = __builtin_convertvector (cos2A, Floats), s2 = __builtin_convertvector (sin2A, Floats);
        std::memcpy (dHighs + w, &dHigh, sizeof (dHigh));
        std::memcpy (dLows + w, &dLow, sizeof (dLow));
        std::memcpy (sinesOverPi + w, &sineOverPi, sizeof (sineOverPi));
        std::memcpy (c1s + w, &c1, sizeof (c1));
        std::memcpy (s1s + w, &s1, sizeof (s1));
        std::memcpy (c2s + w, &c2, sizeof (c2));
        std::memcpy (s2s + w, &s2, sizeof (s2));
    }

    for (int w = 0; w < count; ++w)
        amounts[w] = values[w] * (float)std::min (std::abs (speeds[w]), 1.0);

    const auto& table = writeKernelTable;

    for (int w = 0; w < count; ++w)
    {
        const auto dHigh = dHighs[w], dLow = dLows[w], sineOverPi = sinesOverPi[w];
        const auto c1 = c1s[w], s1 = s1s[w], c2 = c2s[w], s2 = s2s[w];
        alignas (16) float windows[writeKernelPadded];
        auto* weights = kernels[w].products;

        for (int tap = 0; tap < writeKernelPadded; ++tap)
        {
            const auto t = (table.offset[tap] + dHigh) + dLow;
            windows[tap] = 0.42f + 0.5f * (table.cos1[tap] * c1 - table.sin1[tap] * s1) +
                           0.08f * (table.cos2[tap] * c2 - table.sin2[tap] * s2);
            weights[tap] = windows[tap] * ((table.sign[tap] * sineOverPi) / t);
        }

        // At (or within 1e-4 of) a whole sample the sinc is 1: only the taps next to the
        // centre can be there.
        for (int tap = writeKernelHalfWidth - 1; tap <= writeKernelHalfWidth + 1; ++tap)
        {
            if (std::abs ((double)(tap - writeKernelHalfWidth) + fractions[w]) <= 1.0e-4)
                weights[tap] = windows[tap];
        }

        for (int tap = 0; tap < writeKernelPadded; ++tap)
            weights[tap] *= amounts[w];

        kernels[w].first = wholes[w] - writeKernelHalfWidth;
    }
}

#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
// The same steps compiled for AVX registers, on processors that have them: eight taps at a time,
// with the same operations lane by lane and no fused ones, so the same kernels.
__attribute__ ((target ("avx"))) void computeWriteKernelsWide (const double* writePoints, const float* values,
                                                               const double* speeds, int count,
                                                               WriteKernel* kernels) noexcept
{
    computeWriteKernelsIn (writePoints, values, speeds, count, kernels);
}

const bool writeKernelsWide = []
{
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx") != 0;
}();
#endif

void computeWriteKernels (const double* writePoints, const float* values, const double* speeds, int count,
                          WriteKernel* kernels) noexcept
{
#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
    if (writeKernelsWide)
    {
        computeWriteKernelsWide (writePoints, values, speeds, count, kernels);
        return;
    }
#endif

    computeWriteKernelsIn (writePoints, values, speeds, count, kernels);
}

/** A write whose kernel was worked out onto the tape: the erase ahead of the head (unless the
    take goes on top of what is there), then the taps. */
template <typename Stretch>
void applyElasticWrite (float* tape, int length, double writePoint, float gate, double speed, bool soundOnSound,
                        Stretch* erased, const WriteKernel& kernel) noexcept
{
    const auto whole = (int)writePoint;

    if (! soundOnSound)
    {
        // Erase ahead of the write, where the tape is about to arrive under the head: 10 to
        // 29 samples on in the direction the tape runs, as far as they lie on the tape.
        const auto from = juce::jmax (0, speed < 0.0 ? whole - 29 : whole + 10);
        const auto to = juce::jmin (length, speed < 0.0 ? whole - 9 : whole + 30);
        const auto keep = 1.0f - gate;
        const auto eraseRange = [tape, keep] (int begin, int end)
        {
            for (int index = begin; index < end; ++index)
                SharedTapeSample::store (tape + index, SharedTapeSample::load (tape + index) * keep);
        };

        // With the gate fully open the erase multiplies by +0: a sample it already met is +-0
        // (or NaN) and stays bit for bit what it is, so only the stretch newly under the
        // erase head needs the work (19 of its 20 samples were there one sample earlier).
        if (erased != nullptr && keep == 0.0f && erased->from < erased->to)
        {
            const auto skipFrom = juce::jmax (from, erased->from);
            const auto skipTo = juce::jmin (to, erased->to);

            if (skipFrom < skipTo)
            {
                eraseRange (from, skipFrom);
                eraseRange (skipTo, to);
            }
            else
            {
                eraseRange (from, to);
            }
        }
        else
        {
            eraseRange (from, to);
        }

        if (erased != nullptr)
        {
            if (keep != 0.0f || from >= to)
                *erased = {};
            else if (from <= erased->to && to >= erased->from && erased->from < erased->to)
                *erased = {juce::jmin (from, erased->from), juce::jmax (to, erased->to)};
            else
                *erased = {from, to};
        }
    }

    const auto first = kernel.first;
    const auto* weights = kernel.products;

    if (first >= 0 && first + writeKernelTaps <= length)
    {
        addKernel (tape + first, weights);

        // The kernel's samples are no longer known to be erased: keep the larger part of
        // the erased stretch beside them.
        if (erased != nullptr && first < erased->to && first + writeKernelTaps > erased->from)
        {
            const auto below = first - erased->from;
            const auto above = erased->to - (first + writeKernelTaps);

            if (above >= below)
                erased->from = first + writeKernelTaps;
            else
                erased->to = first;

            if (erased->from >= erased->to)
                *erased = {};
        }
    }
    else
    {
        if (erased != nullptr)
            *erased = {};

        // Near the ends the kernel wraps around the tape.
        for (int tap = 0; tap < writeKernelTaps; ++tap)
        {
            auto index = (first + tap) % length;

            if (index < 0)
                index += length;

            SharedTapeSample::add (tape + index, weights[tap]);
        }
    }

}

/** The next numSamples values of a linear smoother, as that many getNextValue calls give
    them: a smoother at rest gives its target every time. */
template <typename Smoother>
void fillFromSmoother (Smoother& smoother, float* values, int numSamples) noexcept
{
    int i = 0;

    for (; i < numSamples && smoother.isSmoothing(); ++i)
        values[i] = smoother.getNextValue();

    std::fill (values + i, values + numSamples, smoother.getTargetValue());
}

juce::String describeTape (double sampleRate, double tapeSeconds)
{
    return juce::String (tapeSeconds / 60.0, 1) + "-minute tape at " + juce::String (juce::roundToInt (sampleRate)) +
           " Hz";
}
} // namespace

//==============================================================================
TapeTrack::TapeTrack (const TapeTrack& other)
{
    copyStateFrom (other);
}

TapeTrack::TapeTrack (TapeTrack&& other) noexcept
    : dirty (other.dirty.load()), sampleRate (other.sampleRate), audio (std::move (other.audio)),
      head (std::move (other.head)), meterLevel (other.meterLevel), armed (other.armed), position (other.position),
      loopStart (other.loopStart), loopEnd (other.loopEnd), loopEnabled (other.loopEnabled),
      lastOutput (other.lastOutput), spliceFadeFrom (other.spliceFadeFrom), spliceFadeActive (other.spliceFadeActive),
      spliceFadeCount (other.spliceFadeCount), spliceFadeLength (other.spliceFadeLength), headGapMs (other.headGapMs),
      outputGain (other.outputGain), drive (other.drive), monitorTape (other.monitorTape),
      recordGate (other.recordGate), recordedLength (other.recordedLength.load()), eqHigh (other.eqHigh), eqMid (other.eqMid),
      eqLow (other.eqLow), trim (other.trim), eqCache (other.eqCache), inverseSampleRate (other.inverseSampleRate)
{
}

TapeTrack& TapeTrack::operator= (const TapeTrack& other)
{
    if (this != &other)
        copyStateFrom (other);

    return *this;
}

TapeTrack& TapeTrack::operator= (TapeTrack&& other) noexcept
{
    if (this != &other)
    {
        dirty.store (other.dirty.load());
        sampleRate = other.sampleRate;
        audio = std::move (other.audio);
        head = std::move (other.head);
        meterLevel = other.meterLevel;
        armed = other.armed;
        position = other.position;
        loopStart = other.loopStart;
        loopEnd = other.loopEnd;
        loopEnabled = other.loopEnabled;
        lastOutput = other.lastOutput;
        spliceFadeFrom = other.spliceFadeFrom;
        spliceFadeActive = other.spliceFadeActive;
        spliceFadeCount = other.spliceFadeCount;
        spliceFadeLength = other.spliceFadeLength;
        headGapMs = other.headGapMs;
        outputGain = other.outputGain;
        drive = other.drive;
        monitorTape = other.monitorTape;
        recordGate = other.recordGate;
        recordedLength = other.recordedLength.load();
        eqHigh = other.eqHigh;
        eqMid = other.eqMid;
        eqLow = other.eqLow;
        trim = other.trim;
        eqCache = other.eqCache;
        inverseSampleRate = other.inverseSampleRate;
    }

    return *this;
}

void TapeTrack::copyStateFrom (const TapeTrack& other)
{
    dirty.store (other.dirty.load());
    sampleRate = other.sampleRate;
    audio.makeCopyOf (other.audio);
    head = other.head;
    meterLevel = other.meterLevel;
    armed = other.armed;
    position = other.position;
    loopStart = other.loopStart;
    loopEnd = other.loopEnd;
    loopEnabled = other.loopEnabled;
    lastOutput = other.lastOutput;
    spliceFadeFrom = other.spliceFadeFrom;
    spliceFadeActive = other.spliceFadeActive;
    spliceFadeCount = other.spliceFadeCount;
    spliceFadeLength = other.spliceFadeLength;
    headGapMs = other.headGapMs;
    outputGain = other.outputGain;
    drive = other.drive;
    monitorTape = other.monitorTape;
    recordGate = other.recordGate;
    recordedLength = other.recordedLength.load();
    eqHigh = other.eqHigh;
    eqMid = other.eqMid;
    eqLow = other.eqLow;
    trim = other.trim;
    eqCache = other.eqCache;
    inverseSampleRate = other.inverseSampleRate;
}

//==============================================================================
juce::int64 TapeTrack::getLengthInSamples (double rate, double tapeSeconds) noexcept
{
    const auto samples = rate * juce::jmax (0.0, tapeSeconds);
    return juce::jmax ((juce::int64)minimumLength, (juce::int64)samples);
}

juce::Result TapeTrack::prepare (double newSampleRate, double tapeSeconds)
{
    const auto rate = newSampleRate > 0.0 ? newSampleRate : 44100.0;

    if (auto check = TapeReelSize::checkRateAndLength (rate, tapeSeconds); check.failed())
        return check;

    const auto length = getLengthInSamples (rate, tapeSeconds);
    sampleRate = rate;
    inverseSampleRate = 1.0 / rate;
    auto result = juce::Result::ok();

    if (audio.getNumSamples() != length || audio.getNumChannels() != 1)
    {
        // Let go of the old tape first, so that changing a reel never needs the memory of
        // both the old and the new one at once. The new tape holds no recording.
        audio = juce::AudioBuffer<float>();
        recordedLength = 0;

        try
        {
            // Zero-filled through calloc: pages of tape that were never written cost nothing.
            juce::AudioBuffer<float> fresh;
            fresh.setSize (1, (int)length, false, true);
            audio = std::move (fresh);
        }
        catch (const std::bad_alloc&)
        {
            result = juce::Result::fail ("There is not enough memory for a " + describeTape (rate, tapeSeconds) + " (" +
                                         juce::File::descriptionOfSizeInBytes (length * (juce::int64)sizeof (float)) +
                                         " per track).");

            try
            {
                juce::AudioBuffer<float> shortest;
                shortest.setSize (1, minimumLength, false, true);
                audio = std::move (shortest);
            }
            catch (const std::bad_alloc&)
            {
                // An empty tape passes its input through and plays nothing.
            }
        }
    }

    head.prepare (rate);

    lastOutput = 0.0f;
    spliceFadeActive = false;
    spliceFadeCount = 0;
    spliceFadeLength = 200;

    const auto shortRamp = (int)std::floor (rate * 0.01);
    headGapMs.reset (shortRamp);
    outputGain.reset (shortRamp);
    drive.reset (shortRamp);
    monitorTape.reset ((int)std::floor (rate * 0.02));
    recordGate.reset ((int)std::floor (rate * 0.05));

    eqHigh.reset();
    eqMid.reset();
    eqLow.reset();
    armed = false;
    eqCache = {-1.0f, -1.0f, -1.0f, -1.0f};

    return result;
}

//==============================================================================
void TapeTrack::setOutputGain (float gain) noexcept
{
    outputGain.setTargetValue (gain);
}

void TapeTrack::setTrim (float newTrim) noexcept
{
    trim = newTrim;
}

void TapeTrack::setEq (double rate, float high, float midGain, float midFreq, float low) noexcept
{
    if (high == eqCache[0] && midGain == eqCache[1] && midFreq == eqCache[2] && low == eqCache[3])
        return;

    eqCache = {high, midGain, midFreq, low};
    eqHigh.setCoefficients (
        juce::IIRCoefficients::makeHighShelf (rate, TapeBiquad::limitFrequency (10000.0, rate), 0.707, high));
    eqMid.setCoefficients (
        juce::IIRCoefficients::makePeakFilter (rate, TapeBiquad::limitFrequency (midFreq, rate), 1.0, midGain));
    eqLow.setCoefficients (juce::IIRCoefficients::makeLowShelf (rate, 100.0, 0.707, low));
}

void TapeTrack::setLoop (double loopInSeconds, double loopOutSeconds, bool enabled) noexcept
{
    loopStart = loopInSeconds * sampleRate;
    loopEnd = loopOutSeconds * sampleRate;
    loopEnabled = enabled;
}

void TapeTrack::setDrive (float newDrive) noexcept
{
    drive.setTargetValue (newDrive);
}

//==============================================================================
float TapeTrack::process (float input, double speed, float newHeadGapMs, bool recording, int monitorMode,
                          int recordOffsetSamples, bool muteInputMonitor, bool elasticWrite, bool eqBeforeTape,
                          bool soundOnSound) noexcept
{
    const auto length = audio.getNumSamples();

    if (length <= 0 || audio.getNumChannels() < 1)
        return input;

    headGapMs.setTargetValue (newHeadGapMs);
    const auto gapMs = headGapMs.getNextValue();
    const auto gain = outputGain.getNextValue();
    const auto driveNow = drive.getNextValue();

    auto in = input * trim;

    if (eqBeforeTape)
        in = applyConsoleEq (in);

    auto recorded = 0.0f;

    if (recording && armed)
    {
        recorded = head.recordSample (in, driveNow, 1.0f);

        if (! dirty.load (std::memory_order_relaxed))
            dirty.store (true);

        // Without the elastic write the recording track runs at exactly one sample per
        // sample, whatever varispeed, wow and flutter do to the others.
        if (! elasticWrite)
            speed = speed >= 0.0 ? 1.0 : -1.0;

        recordGate.setTargetValue (1.0f);
    }
    else
    {
        // The record filters keep running on the input, so that a punch-in starts from the
        // state the input has put them in.
        recorded = head.recordSample (in, driveNow, 0.0f);

        recordGate.setTargetValue (0.0f);
    }

    const auto gate = recordGate.getNextValue();

    if (gate > 1.0e-4f)
    {
        // The gate's fade-out after a take still writes: the tape has changed.
        if (! dirty.load (std::memory_order_relaxed))
            dirty.store (true);

        const auto writePoint = position - (double)recordOffsetSamples * speed;

        beginTapeWrite();

        if (elasticWrite)
            writeElastic (writePoint, gate * recorded, gate, speed, soundOnSound);
        else
            writeDirect (writePoint, gate * recorded, gate, soundOnSound);

        endTapeWrite();
    }

    position += speed;
    wrapLoop();

    // Every track is called with the same speed within one sample: one division serves all.
    static thread_local double lastSpeed = 0.0, lastInverseSpeed = 1.0 / 0.05;

    if (speed != lastSpeed)
    {
        lastSpeed = speed;
        lastInverseSpeed = 1.0 / juce::jmax (std::abs (speed), 0.05);
    }

    const auto direction = speed >= 0.0 ? 1.0 : -1.0;
    const auto playPoint = position - (gapMs * 0.001) * sampleRate * lastInverseSpeed * direction;
    auto fromTape = 0.0f;

    if (playPoint >= 0.0 && playPoint < (double)length)
    {
        fromTape = head.playbackSample (audio, playPoint, playPoint * inverseSampleRate, speed,
                                             recordedLength.load (std::memory_order_relaxed));

        // Fade at both ends of the tape, so that running off it does not click.
        const auto fadeSamples = 0.05 * sampleRate;

        if (playPoint < fadeSamples)
            fromTape *= (float)(playPoint / fadeSamples);

        if ((double)length - playPoint < fadeSamples)
            fromTape *= (float)(((double)length - playPoint) / fadeSamples);
    }

    monitorTape.setTargetValue (monitorMode == 1 ? 1.0f : 0.0f);
    const auto tapeShare = monitorTape.getNextValue();
    auto out = driveNow * in * (1.0f - tapeShare) + tapeShare * fromTape;

    if (! eqBeforeTape)
        out = applyConsoleEq (out);

    meterLevel = std::abs (out) > meterLevel ? std::abs (out) : meterLevel * 0.995f;

    if (muteInputMonitor)
        out *= tapeShare;

    out *= gain;

    if (spliceFadeActive)
        out = stepSpliceFade (out);

    lastOutput = out;
    return out;
}

float TapeTrack::applyConsoleEq (float x) noexcept
{
    // A flat EQ passes the signal, snapped to zero within +-1e-8 like any filter step.
    if (eqHigh.identity && eqMid.identity && eqLow.identity)
        return (x < -1.0e-8f || x > 1.0e-8f) ? x : 0.0f;

    return eqLow.process (eqMid.process (eqHigh.process (x)));
}

//==============================================================================
void TapeTrack::processBlock (const float* input, const double* speeds, float* output, int numSamples,
                              const RunSettings& settings) noexcept
{
    if (audio.getNumSamples() <= 0 || audio.getNumChannels() < 1)
    {
        for (int i = 0; i < numSamples; ++i)
            output[i] = process (input[i], speeds[i], settings.headGapMs, settings.recording, settings.monitorMode,
                                 settings.recordOffsetSamples, settings.muteInputMonitor, settings.elasticWrite,
                                 settings.eqBeforeTape, settings.soundOnSound);
        return;
    }

    RunScratch scratch;

    for (int start = 0; start < numSamples; start += maxChunk)
        runChunk (input + start, speeds + start, output + start, juce::jmin (maxChunk, numSamples - start), settings,
                  scratch);
}

void TapeTrack::processBlockGroup (TapeTrack* const* tracks, const float* const* inputs, const double* speeds,
                                   float* const* outputs, const RunSettings* settings, int numTracks, int numSamples,
                                   RunScratch* scratch) noexcept
{
    numTracks = juce::jmin (numTracks, maxGroup);
    std::array<TapeTrack*, maxGroup> members{};
    std::array<int, maxGroup> memberIndex{};
    int numMembers = 0;

    // A track without a tape takes the sample-by-sample path of processBlock.
    for (int t = 0; t < numTracks; ++t)
    {
        auto& track = *tracks[t];

        if (track.audio.getNumSamples() <= 0 || track.audio.getNumChannels() < 1)
        {
            track.processBlock (inputs[t], speeds, outputs[t], numSamples, settings[t]);
            continue;
        }

        members[(size_t)numMembers] = &track;
        memberIndex[(size_t)numMembers++] = t;
    }

    for (int start = 0; start < numSamples; start += maxChunk)
    {
        const auto length = juce::jmin (maxChunk, numSamples - start);
        std::array<TapeHeadModel*, maxGroup> heads{};
        std::array<float*, maxGroup> chains{};
        std::array<const float*, maxGroup> hissTerms{};
        std::array<bool, maxGroup> together{};
        int numTogether = 0;

        for (int m = 0; m < numMembers; ++m)
        {
            const auto t = memberIndex[(size_t)m];
            auto& work = scratch[m];
            members[(size_t)m]->runHeadSteps (inputs[t] + start, speeds + start, length, settings[t], work);

            if (members[(size_t)m]->canRunHeadChainTogether (work))
            {
                together[(size_t)m] = true;
                heads[(size_t)numTogether] = &members[(size_t)m]->head;
                chains[(size_t)numTogether] = work.bandSums.data();
                hissTerms[(size_t)numTogether++] = work.hissTerms.data();
            }
        }

        // The usual case: the heads' filter chains run side by side, one track per lane.
        if (numTogether > 1)
            TapeHeadModel::finishRunTogether (heads.data(), chains.data(), hissTerms.data(), numTogether, length);

        std::array<TapeTrack*, maxGroup> eqTracks{};
        std::array<RunScratch*, maxGroup> eqScratch{};
        std::array<bool, maxGroup> eqTogether{};
        int numEqTogether = 0;

        for (int m = 0; m < numMembers; ++m)
        {
            auto& track = *members[(size_t)m];
            auto& work = scratch[m];
            const auto& trackSettings = settings[memberIndex[(size_t)m]];

            if (numTogether > 1 && together[(size_t)m])
                std::copy (work.bandSums.begin(), work.bandSums.begin() + length, work.playing.begin());
            else
                track.runHeadChain (work);

            track.runMonitorMix (trackSettings, work);

            if (track.canRunConsoleEqTogether (trackSettings))
            {
                eqTogether[(size_t)m] = true;
                eqTracks[(size_t)numEqTogether] = &track;
                eqScratch[(size_t)numEqTogether++] = &work;
            }
        }

        // The console EQs of the tracks side by side as well.
        if (numEqTogether > 1)
            runConsoleEqTogether (eqTracks.data(), eqScratch.data(), numEqTogether, length);

        std::array<float, maxGroup> meters{};
        std::array<const float*, maxGroup> metered{};

        for (int m = 0; m < numMembers; ++m)
        {
            auto& track = *members[(size_t)m];
            const auto t = memberIndex[(size_t)m];

            if (! (numEqTogether > 1 && eqTogether[(size_t)m]))
                track.runConsoleEq (settings[t], scratch[m]);

            meters[(size_t)m] = track.meterLevel;
            metered[(size_t)m] = scratch[m].playing.data();
        }

        // The meters' recurrences side by side, so that each does not wait on itself alone.
        followMetersTogether (meters.data(), metered.data(), numMembers, length);

        for (int m = 0; m < numMembers; ++m)
        {
            auto& track = *members[(size_t)m];
            const auto t = memberIndex[(size_t)m];
            track.meterLevel = meters[(size_t)m];
            track.runOutputFinish (outputs[t] + start, settings[t], scratch[m], false);
        }
    }
}

void TapeTrack::runChunk (const float* input, const double* speeds, float* output, int numSamples,
                          const RunSettings& settings, RunScratch& scratch) noexcept
{
    if (numSamples <= 0)
        return;

    runHeadSteps (input, speeds, numSamples, settings, scratch);
    runHeadChain (scratch);
    runOutputSteps (output, settings, scratch);
}

void TapeTrack::runHeadSteps (const float* input, const double* speeds, int numSamples, const RunSettings& settings,
                              RunScratch& scratch) noexcept
{
    // The steps of process(), each over the whole run before the next, so that every filter
    // runs in a tight loop. Only the write onto the tape and the read from it stay together
    // sample by sample: the play head may pass over what was written a moment before. The
    // noise is drawn in the first pass, in process()'s order. Every array entry read later
    // was written earlier in the same run.
    auto& gains = scratch.gains;
    auto& drives = scratch.drives;
    auto& inputs = scratch.inputs;
    auto& wanderNoise = scratch.wanderNoise;
    auto& hissTerms = scratch.hissTerms;
    auto& recordGates = scratch.recordGates;
    auto& recorded = scratch.recorded;
    auto& inputNoise = scratch.inputNoise;
    auto& outputNoise = scratch.outputNoise;
    auto& playPoints = scratch.playPoints;
    auto& readPoints = scratch.readPoints;
    auto& readSeconds = scratch.readSeconds;
    auto& readSpeeds = scratch.readSpeeds;
    auto& writePoints = scratch.writePoints;
    auto& writeSpeeds = scratch.writeSpeeds;
    auto& inRange = scratch.inRange;
    auto& wrapped = scratch.wrapped;
    auto& bandSums = scratch.bandSums;
    int numInRange = 0;
    scratch.numSamples = numSamples;

    const auto length = audio.getNumSamples();
    const bool records = settings.recording && armed;
    const bool printsNoise = records && head.noisePrintEnabled;
    auto writes = false;

    if (records && ! dirty.load (std::memory_order_relaxed))
        dirty.store (true);

    // The targets stay the same over the run: setting them once is setting them every sample.
    headGapMs.setTargetValue (settings.headGapMs);
    recordGate.setTargetValue (records ? 1.0f : 0.0f);

    // A gate shut and staying shut writes nothing: its steps change nothing either.
    const bool gateMoves = recordGate.isSmoothing() || recordGate.getCurrentValue() != 0.0f;

    // 1. Controls, input, record gate, tape motion, the play head's position and the noise
    // draws, each in a pass of its own so that the passes without a carried state run as
    // vector loops. Everything gives what process() gives sample by sample.
    float gaps[maxChunk];
    fillFromSmoother (headGapMs, gaps, numSamples);
    fillFromSmoother (outputGain, gains.data(), numSamples);
    fillFromSmoother (drive, drives.data(), numSamples);

    if (settings.eqBeforeTape)
    {
        for (int i = 0; i < numSamples; ++i)
            inputs[(size_t)i] = applyConsoleEq (input[i] * trim);
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
            inputs[(size_t)i] = input[i] * trim;
    }

    // The tape's motion: the speed each sample moves it by (held in readSpeeds until the
    // play points are gathered) and the position after it (held in playPoints).
    auto* motion = readSpeeds.data();
    auto* positions = playPoints.data();
    const bool loops = loopEnabled && loopStart < loopEnd;

    if (records && ! settings.elasticWrite)
    {
        // Without the elastic write the recording track runs at exactly one sample per
        // sample, whatever varispeed, wow and flutter do to the others.
        for (int i = 0; i < numSamples; ++i)
            motion[i] = speeds[i] >= 0.0 ? 1.0 : -1.0;
    }
    else
    {
        std::copy (speeds, speeds + numSamples, motion);
    }

    // The position stays in a register; the loop's wrap, rare, takes it through the member.
    auto at = position;
    const auto loopFrom = loopStart, loopTo = loopEnd;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto speed = motion[i];

        if (gateMoves)
        {
            recordGates[(size_t)i] = recordGate.getNextValue();
            writePoints[(size_t)i] = at - (double)settings.recordOffsetSamples * speed;
            writeSpeeds[(size_t)i] = speed;
            writes = writes || recordGates[(size_t)i] > 1.0e-4f;
        }

        at += speed;
        auto wraps = false;

        if (loops && (at >= loopTo || at < loopFrom))
        {
            position = at;
            wraps = wrapLoopPosition();
            at = position;
        }

        wrapped[(size_t)i] = wraps;
        positions[i] = at;
    }

    position = at;

    // The play head trails the record head by the gap, in samples of the tape's speed.
    {
        const auto rate = sampleRate;
        const auto end = (double)length;
        auto* __restrict points = positions;
        const auto* __restrict moved = motion;
        const auto* __restrict gapsMs = gaps;

        int i = 0;
#if JUCE_USE_SSE_INTRINSICS
        // Two samples at a time, the same operations in the same order (the compiler keeps
        // these loops scalar).
        const auto signBit = _mm_set1_pd (-0.0), slowest = _mm_set1_pd (0.05), one = _mm_set1_pd (1.0),
                   minusOne = _mm_set1_pd (-1.0), zero = _mm_setzero_pd(), milli = _mm_set1_pd (0.001),
                   rates = _mm_set1_pd (rate), ends = _mm_set1_pd (end);

        for (; i + 2 <= numSamples; i += 2)
        {
            const auto speed = _mm_loadu_pd (moved + i);
            // jmax (|speed|, 0.05): a NaN stays NaN, as max_pd gives its second operand then.
            const auto inverseSpeed = _mm_div_pd (one, _mm_max_pd (slowest, _mm_andnot_pd (signBit, speed)));
            const auto forwards = _mm_cmpge_pd (speed, zero);
            const auto direction = _mm_or_pd (_mm_and_pd (forwards, one), _mm_andnot_pd (forwards, minusOne));
            const auto gap = _mm_cvtps_pd (_mm_castpd_ps (_mm_load_sd (reinterpret_cast<const double*> (gapsMs + i))));
            const auto trail = _mm_mul_pd (_mm_mul_pd (_mm_mul_pd (_mm_mul_pd (gap, milli), rates), inverseSpeed),
                                           direction);
            const auto point = _mm_sub_pd (_mm_loadu_pd (points + i), trail);
            _mm_storeu_pd (points + i, point);

            const auto onTape = _mm_movemask_pd (_mm_and_pd (_mm_cmpge_pd (point, zero), _mm_cmplt_pd (point, ends)));
            inRange[(size_t)i] = (onTape & 1) != 0;
            inRange[(size_t)i + 1] = (onTape & 2) != 0;
            numInRange += (onTape & 1) + (onTape >> 1);
        }
#endif

        for (; i < numSamples; ++i)
        {
            const auto speed = moved[i];
            const auto inverseSpeed = 1.0 / juce::jmax (std::abs (speed), 0.05);
            const auto direction = speed >= 0.0 ? 1.0 : -1.0;
            points[i] -= ((double)gapsMs[i] * 0.001) * rate * inverseSpeed * direction;

            const auto onTape = (int)(points[i] >= 0.0) & (int)(points[i] < end);
            inRange[(size_t)i] = onTape != 0;
            numInRange += onTape;
        }
    }

    // What the head reads: the play points on the tape, gathered (in place for the speeds).
    if (numInRange == numSamples)
    {
        std::copy (playPoints.begin(), playPoints.begin() + numSamples, readPoints.begin());

        for (int i = 0; i < numSamples; ++i)
            readSeconds[(size_t)i] = playPoints[(size_t)i] * inverseSampleRate;
    }
    else
    {
        for (int i = 0, k = 0; i < numSamples; ++i)
        {
            if (! inRange[(size_t)i])
                continue;

            readPoints[(size_t)k] = playPoints[(size_t)i];
            readSeconds[(size_t)k] = playPoints[(size_t)i] * inverseSampleRate;
            readSpeeds[(size_t)k] = motion[i];
            ++k;
        }
    }

    // The hiss steps and noise draws of the record chain and the play head, in process()'s
    // order: per sample the printed noise's two draws, then the wander's and the hiss's.
    if (! printsNoise && ! head.hissLevel.isSmoothing())
    {
        // The usual case: a steady hiss level, and two draws per sample on the tape.
        float noise[2 * maxChunk];
        head.random.fill (noise, 2 * numInRange);
        const auto hiss = head.hissLevel.getNextValue();

        if (numInRange == numSamples)
        {
            for (int i = 0; i < numSamples; ++i)
            {
                wanderNoise[(size_t)i] = noise[2 * i];
                hissTerms[(size_t)i] = TapeHeadModel::getHissTerm (readSpeeds[(size_t)i], hiss, noise[2 * i + 1]);
            }
        }
        else
        {
            for (int i = 0, k = 0; i < numSamples; ++i)
            {
                if (! inRange[(size_t)i])
                    continue;

                wanderNoise[(size_t)k] = noise[2 * k];
                hissTerms[(size_t)i] = TapeHeadModel::getHissTerm (readSpeeds[(size_t)k], hiss, noise[2 * k + 1]);
                ++k;
            }
        }
    }
    else
    {
        auto wanderNow = head.wander;

        for (int i = 0, k = 0; i < numSamples; ++i)
        {
            const auto hiss = head.hissLevel.getNextValue();

            if (printsNoise)
            {
                inputNoise[(size_t)i] = TapeHeadModel::getPrintedInputNoise (hiss, head.random.nextFloat(), 1.0f);
                outputNoise[(size_t)i] = TapeHeadModel::getPrintedOutputNoise (head.random.nextFloat(), wanderNow, 1.0f);
            }

            if (! inRange[(size_t)i])
                continue;

            wanderNoise[(size_t)k] = head.random.nextFloat();
            wanderNow = TapeHeadModel::stepWander (wanderNow, wanderNoise[(size_t)k]);
            const auto playHiss =
                head.noisePrintEnabled ? head.hissLevel.getCurrentValue() : head.hissLevel.getNextValue();
            hissTerms[(size_t)i] = TapeHeadModel::getHissTerm (readSpeeds[(size_t)k], playHiss, head.random.nextFloat());
            ++k;
        }
    }

    // The gate's fade-out after a take still writes: the tape has changed.
    if (writes && ! dirty.load (std::memory_order_relaxed))
        dirty.store (true);

    // 2. The record chain, which runs on the input whether or not the track records.
    head.recordRun (inputs.data(), drives.data(), printsNoise ? inputNoise.data() : nullptr,
                    printsNoise ? outputNoise.data() : nullptr, recorded.data(), numSamples);

    // 3. The head: the write, then defects, tape and band bank per sample.

    if (writes)
    {
        // Sample i's write goes before sample i's read, as in process(). The reads go through
        // the head's run, which does the writes of every sample up to each read first.
        struct Writer
        {
            TapeTrack& track;
            const RunSettings& settings;
            const RunScratch& scratch;
            int numSamples;
            int next = 0;
            ErasedStretch erased{};

            // The kernels of the next few writes, worked out together: each is a long chain of
            // arithmetic, and side by side they overlap.
            WriteKernel kernels[writeKernelBatch]{};
            int kernelsFrom = 0, kernelsTo = 0;

            void writeSample (int i) noexcept
            {
                const auto gate = scratch.recordGates[(size_t)i];

                if (! (gate > 1.0e-4f))
                    return;

                const auto writePoint = scratch.writePoints[(size_t)i];

                if (! settings.elasticWrite)
                {
                    track.writeDirect (writePoint, gate * scratch.recorded[(size_t)i], gate, settings.soundOnSound);
                    return;
                }

                if (i >= kernelsTo)
                {
                    kernelsFrom = i;
                    kernelsTo = juce::jmin (i + writeKernelBatch, numSamples);

                    float values[writeKernelBatch];

                    for (int j = kernelsFrom; j < kernelsTo; ++j)
                        values[j - kernelsFrom] = scratch.recordGates[(size_t)j] * scratch.recorded[(size_t)j];

                    computeWriteKernels (scratch.writePoints.data() + kernelsFrom, values,
                                         scratch.writeSpeeds.data() + kernelsFrom, kernelsTo - kernelsFrom, kernels);
                }

                applyElasticWrite (track.audio.getWritePointer (0, 0), track.audio.getNumSamples(), writePoint, gate,
                                   scratch.writeSpeeds[(size_t)i], settings.soundOnSound, &erased,
                                   kernels[i - kernelsFrom]);
                track.raiseRecordedLength ((int)writePoint);
            }

            /** True when no read of the run can reach a sample that a later write of the
                run touches, whatever the defects under the head do to the read position: then
                every write may go before the first read, with the same result. */
            bool readsMissLaterWrites (const double* readPoints, const double* readSeconds,
                                       const double* readSpeeds, int numReads) const noexcept
            {
                const auto& head = track.head;
                const auto length = track.audio.getNumSamples();

                // A track never written before reads nothing until its first write: keep
                // that order exact.
                if (track.recordedLength.load (std::memory_order_relaxed) < 1 || head.cellCount < 1)
                    return false;

                // How far the defects can move a read: the largest offset of any cell under
                // the reads, the splice shift and the dropout lag at their furthest.
                double offsetPerSpeed = 0.0, dropoutMost = 0.0, speedMost = 0.1;
                bool spliced = false;
                auto lastCell = std::numeric_limits<int>::min();

                for (int k = 0; k < numReads; ++k)
                {
                    speedMost = juce::jmax (speedMost, std::abs (readSpeeds[k]));
                    const auto where = readSeconds[k] * TapeHeadModel::cellsPerSecond;

                    if (! (std::abs (where) < 2.0e9))
                        return false;

                    // Many reads in a row share a cell: the division only where it changes.
                    const auto wholeCells = (int)where;

                    if (wholeCells == lastCell)
                        continue;

                    lastCell = wholeCells;
                    auto cell = wholeCells % head.cellCount;
                    cell += cell < 0 ? head.cellCount : 0;

                    if (cell >= (int)head.defects.size())
                        continue;

                    // The same sums the head's read takes its offset from.
                    const auto sums = TapeDefectSums::of (head.defects[(size_t)cell]);
                    spliced = spliced || sums.splice < -0.5f;
                    offsetPerSpeed = juce::jmax (offsetPerSpeed, 10.0 * (double)sums.flutter, 2.5 * (double)sums.crinkle,
                                                 1.5 * (double)sums.drag);
                    dropoutMost = juce::jmax (dropoutMost, (double)sums.dropout);
                }

                const auto reach = offsetPerSpeed * speedMost + juce::jmax (std::abs (head.spliceOffset), spliced ? 4.0 : 0.0) +
                                   20.0 * juce::jmax (std::abs (head.dropoutLag), 2.0 * dropoutMost) + 2.0;

                // The writes touch their kernel and the erase, whole - 29 to whole + 29. On a run
                // whose writes all move one way, the writes after a sample lie beyond the next
                // one's: a read behind that (or ahead of it, backwards) by more than its reach
                // meets none of them. Anything else (a loop's wrap, a turn, a write near an end
                // of the tape, where the kernel wraps round) reads sample by sample.
                const auto* points = scratch.writePoints.data();
                const bool forwards = points[numSamples - 1] >= points[0];

                if (! (juce::jmin (points[0], points[numSamples - 1]) >= 30.0 &&
                       juce::jmax (points[0], points[numSamples - 1]) + 31.0 < (double)length))
                    return false;

                for (int i = 0, k = 0; i < numSamples; ++i)
                {
                    const bool nextIsLater = i + 1 < numSamples;

                    if (nextIsLater && (forwards ? points[i + 1] < points[i] : points[i + 1] > points[i]))
                        return false;

                    if (! scratch.inRange[(size_t)i])
                        continue;

                    const auto from = readPoints[k] - reach, to = readPoints[k] + reach;
                    ++k;

                    if (! (from >= 0.0 && to + 2.0 < (double)length))
                        return false;

                    // floor (x) lies within (x - 1, x].
                    if (nextIsLater && ! (forwards ? to + 31.0 < points[i + 1] : from - 32.0 > points[i + 1]))
                        return false;
                }

                return true;
            }

            static int beforeRead (void* context, int) noexcept
            {
                auto& writer = *static_cast<Writer*> (context);

                // Up to and including the sample of this read (samples off the tape read nothing).
                for (;;)
                {
                    const auto i = writer.next++;
                    writer.writeSample (i);

                    if (writer.scratch.inRange[(size_t)i] || writer.next >= writer.numSamples)
                        break;
                }

                return writer.track.recordedLength.load (std::memory_order_relaxed);
            }
        };

        beginTapeWrite();
        Writer writer{*this, settings, scratch, numSamples};

        if (numInRange > 0 &&
            writer.readsMissLaterWrites (readPoints.data(), readSeconds.data(), readSpeeds.data(), numInRange))
        {
            // The usual case, a play head well clear of the record head: writes, then reads.
            while (writer.next < numSamples)
                writer.writeSample (writer.next++);

            head.readRun (audio, readPoints.data(), readSeconds.data(), readSpeeds.data(), wanderNoise.data(),
                          recordedLength.load (std::memory_order_relaxed), bandSums.data(), numInRange);
        }
        else
        {
            if (numInRange > 0)
                head.readRun (audio, readPoints.data(), readSeconds.data(), readSpeeds.data(), wanderNoise.data(),
                              recordedLength.load (std::memory_order_relaxed), bandSums.data(), numInRange,
                              {&Writer::beforeRead, &writer});

            while (writer.next < numSamples)
                writer.writeSample (writer.next++);
        }

        endTapeWrite();
    }
    else
    {
        head.readRun (audio, readPoints.data(), readSeconds.data(), readSpeeds.data(), wanderNoise.data(),
                      recordedLength.load (std::memory_order_relaxed), bandSums.data(), numInRange);
    }

    scratch.numInRange = numInRange;
}

bool TapeTrack::canRunHeadChainTogether (const RunScratch& scratch) const noexcept
{
    return scratch.numInRange == scratch.numSamples &&
           head.canFinishRunTogether (scratch.wrapped.data(), scratch.numSamples);
}

void TapeTrack::runHeadChain (RunScratch& scratch) noexcept
{
    // 4. The head's filter chain over the run.
    const auto numSamples = scratch.numSamples;
    auto* bandSums = scratch.bandSums.data();
    const auto* hissTerms = scratch.hissTerms.data();
    const auto* wrapped = scratch.wrapped.data();
    auto* playing = scratch.playing.data();

    if (scratch.numInRange == numSamples)
    {
        head.finishRun (bandSums, hissTerms, wrapped, numSamples);

        for (int i = 0; i < numSamples; ++i)
            playing[i] = bandSums[i];
    }
    else
    {
        head.filterChain (bandSums, scratch.numInRange);

        for (int i = 0, k = 0; i < numSamples; ++i)
        {
            if (wrapped[i])
                head.spliceThump = 1.0f;

            playing[i] = scratch.inRange[(size_t)i] ? head.finishAfterChain (bandSums[k++], hissTerms[i]) : 0.0f;
        }
    }
}

void TapeTrack::runOutputSteps (float* output, const RunSettings& settings, RunScratch& scratch) noexcept
{
    runMonitorMix (settings, scratch);
    runConsoleEq (settings, scratch);
    runOutputFinish (output, settings, scratch);
}

void TapeTrack::runMonitorMix (const RunSettings& settings, RunScratch& scratch) noexcept
{
    const auto numSamples = scratch.numSamples;
    const auto length = audio.getNumSamples();
    const auto& playPoints = scratch.playPoints;
    const auto& inRange = scratch.inRange;
    const auto& drives = scratch.drives;
    const auto& inputs = scratch.inputs;
    auto& playing = scratch.playing;
    const auto fadeSamples = 0.05 * sampleRate;

    // Fade at both ends of the tape; most runs lie wholly between the fades.
    // (Bitwise rather than short-circuit, so that the check runs as a vector loop.)
    juce::int64 nearAnEnd = 0;
    const auto end = (double)length;
    const auto* points = playPoints.data();

    if (scratch.numInRange == numSamples)
    {
        int i = 0;
#if JUCE_USE_SSE_INTRINSICS
        // Two play points at a time (the compiler keeps this loop scalar).
        const auto fade = _mm_set1_pd (fadeSamples), last = _mm_set1_pd (end);
        auto near = _mm_setzero_pd();

        for (; i + 2 <= numSamples; i += 2)
        {
            const auto p = _mm_loadu_pd (points + i);
            near = _mm_or_pd (near, _mm_or_pd (_mm_cmplt_pd (p, fade), _mm_cmplt_pd (_mm_sub_pd (last, p), fade)));
        }

        nearAnEnd = _mm_movemask_pd (near);
#endif

        for (; i < numSamples; ++i)
            nearAnEnd |= (juce::int64)(points[i] < fadeSamples) | (juce::int64)(end - points[i] < fadeSamples);
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
            nearAnEnd |= (juce::int64)inRange[(size_t)i] &
                         ((juce::int64)(points[i] < fadeSamples) | (juce::int64)(end - points[i] < fadeSamples));
    }

    if (nearAnEnd != 0)
    {
        for (int i = 0; i < numSamples; ++i)
        {
            const auto playPoint = playPoints[(size_t)i];

            if (! inRange[(size_t)i])
                continue;

            if (playPoint < fadeSamples)
                playing[(size_t)i] *= (float)(playPoint / fadeSamples);

            if ((double)length - playPoint < fadeSamples)
                playing[(size_t)i] *= (float)(((double)length - playPoint) / fadeSamples);
        }
    }

    // 5. Monitoring: the input or the tape, as monitored, into the console (in place).
    monitorTape.setTargetValue (settings.monitorMode == 1 ? 1.0f : 0.0f);
    auto* tapeShares = scratch.tapeShares.data();
    fillFromSmoother (monitorTape, tapeShares, numSamples);

    for (int i = 0; i < numSamples; ++i)
        playing[(size_t)i] =
            drives[(size_t)i] * inputs[(size_t)i] * (1.0f - tapeShares[i]) + tapeShares[i] * playing[(size_t)i];
}

bool TapeTrack::canRunConsoleEqTogether (const RunSettings& settings) const noexcept
{
#if JUCE_USE_SSE_INTRINSICS
    return ! settings.eqBeforeTape && ! eqHigh.identity && ! eqMid.identity && ! eqLow.identity;
#else
    juce::ignoreUnused (settings);
    return false;
#endif
}

void TapeTrack::runConsoleEq (const RunSettings& settings, RunScratch& scratch) noexcept
{
    // With the EQ before the tape it ran on the input in the first pass.
    if (settings.eqBeforeTape)
        return;

    auto* out = scratch.playing.data();
    const auto numSamples = scratch.numSamples;

    if (eqHigh.identity && eqMid.identity && eqLow.identity)
    {
        for (int i = 0; i < numSamples; ++i)
            out[i] = (out[i] < -1.0e-8f || out[i] > 1.0e-8f) ? out[i] : 0.0f;
    }
    else if (! eqHigh.identity && ! eqMid.identity && ! eqLow.identity)
    {
        TapeBiquad::Section high (eqHigh), mid (eqMid), low (eqLow);

        for (int i = 0; i < numSamples; ++i)
            out[i] = low.process (mid.process (high.process (out[i])));

        high.storeTo (eqHigh);
        mid.storeTo (eqMid);
        low.storeTo (eqLow);
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
            out[i] = applyConsoleEq (out[i]);
    }
}

void TapeTrack::runConsoleEqTogether (TapeTrack* const* tracks, RunScratch* const* scratch, int numTracks,
                                      int numSamples) noexcept
{
#if JUCE_USE_SSE_INTRINSICS
    using Lanes = TapeBiquadLanes;
    numTracks = juce::jmin (numTracks, Lanes::numLanes);
    std::array<TapeBiquad*, Lanes::numLanes> highs{}, mids{}, lows{};
    std::array<float*, Lanes::numLanes> runs{};

    for (int t = 0; t < numTracks; ++t)
    {
        highs[(size_t)t] = &tracks[t]->eqHigh;
        mids[(size_t)t] = &tracks[t]->eqMid;
        lows[(size_t)t] = &tracks[t]->eqLow;
        runs[(size_t)t] = scratch[t]->playing.data();
    }

    Lanes high (highs.data(), numTracks), mid (mids.data(), numTracks), low (lows.data(), numTracks);
    int i = 0;

    for (; i + 4 <= numSamples; i += 4)
    {
        __m128 x[4];
        Lanes::loadTransposed (runs.data(), numTracks, i, x);

        for (auto& v : x)
            v = low.process (mid.process (high.process (v)));

        Lanes::storeTransposed (runs.data(), numTracks, i, x);
    }

    for (; i < numSamples; ++i)
        Lanes::storeSample (runs.data(), numTracks, i,
                            low.process (mid.process (high.process (Lanes::loadSample (runs.data(), numTracks, i)))));

    high.storeTo (highs.data(), numTracks);
    mid.storeTo (mids.data(), numTracks);
    low.storeTo (lows.data(), numTracks);
#else
    // Never called: canRunConsoleEqTogether says no without the intrinsics.
    juce::ignoreUnused (tracks, scratch, numTracks, numSamples);
    jassertfalse;
#endif
}

void TapeTrack::runOutputFinish (float* output, const RunSettings& settings, RunScratch& scratch,
                                 bool meters) noexcept
{
    // Meter, gain and the splice crossfade.
    const auto numSamples = scratch.numSamples;
    const auto* playing = scratch.playing.data();
    const auto* wrapped = scratch.wrapped.data();
    const auto* gains = scratch.gains.data();
    const auto* tapeShares = scratch.tapeShares.data();

    if (meters)
        meterLevel = followMeter (meterLevel, playing, numSamples);

    if (settings.muteInputMonitor)
    {
        for (int i = 0; i < numSamples; ++i)
            output[i] = playing[i] * tapeShares[i] * gains[i];
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
            output[i] = playing[i] * gains[i];
    }

    // The crossfade from the held output after a splice; without one sounding or starting,
    // the output is what it is.
    if (spliceFadeActive || std::find (wrapped, wrapped + numSamples, true) != wrapped + numSamples)
    {
        auto held = lastOutput;

        for (int i = 0; i < numSamples; ++i)
        {
            auto out = output[i];

            if (wrapped[i])
            {
                spliceFadeFrom = held;
                spliceFadeActive = true;
                spliceFadeCount = 0;
            }

            if (spliceFadeActive)
                out = stepSpliceFade (out);

            held = out;
            output[i] = out;
        }
    }

    if (numSamples > 0)
        lastOutput = output[numSamples - 1];
}

void TapeTrack::followMetersTogether (float* levels, const float* const* samples, int numTracks,
                                      int numSamples) noexcept
{
    if (numTracks != maxGroup)
    {
        for (int t = 0; t < numTracks; ++t)
            levels[t] = followMeter (levels[t], samples[t], numSamples);

        return;
    }

    const auto follow = [] (float level, float sample)
    {
        const auto magnitude = std::abs (sample);
        return magnitude > level ? magnitude : level * 0.995f;
    };

    auto a = levels[0], b = levels[1], c = levels[2], d = levels[3];
    const auto *x0 = samples[0], *x1 = samples[1], *x2 = samples[2], *x3 = samples[3];

    for (int i = 0; i < numSamples; ++i)
    {
        a = follow (a, x0[i]);
        b = follow (b, x1[i]);
        c = follow (c, x2[i]);
        d = follow (d, x3[i]);
    }

    levels[0] = a;
    levels[1] = b;
    levels[2] = c;
    levels[3] = d;
}

float TapeTrack::followMeter (float level, const float* samples, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
    {
        const auto magnitude = std::abs (samples[i]);
        level = magnitude > level ? magnitude : level * 0.995f;
    }

    return level;
}

void TapeTrack::writeElastic (double writePoint, float value, float gate, double speed, bool soundOnSound,
                              ErasedStretch* erased) noexcept
{
    WriteKernel kernel;
    computeWriteKernels (&writePoint, &value, &speed, 1, &kernel);
    applyElasticWrite (audio.getWritePointer (0, 0), audio.getNumSamples(), writePoint, gate, speed, soundOnSound, erased,
                       kernel);
    raiseRecordedLength ((int)writePoint);
}

void TapeTrack::writeDirect (double writePoint, float value, float gate, bool soundOnSound) noexcept
{
    const auto index = (int)writePoint;

    if (index < 0 || index >= audio.getNumSamples())
        return;

    auto* tape = audio.getWritePointer (0, 0);
    SharedTapeSample::store (tape + index,
                             value + SharedTapeSample::load (tape + index) * (soundOnSound ? 1.0f : 1.0f - gate));
    raiseRecordedLength (index);
}

bool TapeTrack::wrapLoopPosition() noexcept
{
    if (! loopEnabled || loopStart >= loopEnd)
        return false;

    const auto loopLength = loopEnd - loopStart;

    if (position >= loopEnd)
        position = std::fmod (position - loopEnd, loopLength) + loopStart;
    else if (position < loopStart)
        position = loopEnd - std::fmod (loopStart - position, loopLength);
    else
        return false;

    return true;
}

void TapeTrack::wrapLoop() noexcept
{
    if (! wrapLoopPosition())
        return;

    // A wrap is a splice: crossfade from the last output and let the head thump.
    spliceFadeFrom = lastOutput;
    head.spliceThump = 1.0f;
    spliceFadeActive = true;
    spliceFadeCount = 0;
}
