#include "engine/tape/TapeHeadModel.h"

#include "engine/tape/SharedTapeSample.h"

#include <algorithm>
#include <cmath>

#include "engine/tape/TapeBiquadLanes.h"

#include <atomic>

#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
 #include <immintrin.h>
#endif

namespace
{
struct FormatEq
{
    double lowFrequency;
    float lowGain;
    double highFrequency;
    float highGain;
    double peakFrequency;
    float peakGain;
};

// "1 inch Master", "1/2 inch Studio", "1/4 inch Home", "Cassette"
constexpr FormatEq formatEqs[] = {
    {40.0, 1.0f, 15000.0, 1.2f, 2500.0, 1.0f},
    {60.0, 1.1f, 14000.0, 1.0f, 2500.0, 1.0f},
    {100.0, 0.9f, 10000.0, 0.8f, 3000.0, 1.1f},
    {150.0, 0.7f, 7000.0, 0.5f, 2000.0, 1.8f},
};

constexpr float twoPi = 6.28318f;

/** The read offset the decoded defects give at a tape speed, after one step of the splice thump
    and the dropout lag towards their targets: the step every read path takes, in one order. */
inline double defectOffset (double phase, double speed, float flutter, float crinkle, float drag, float spliced,
                            float dropout, double& splice, double& lag) noexcept
{
    const auto a = juce::jmax (std::abs (speed), 0.1);
    double offset = 0.0;

    if (flutter > 0.001f)
        offset = std::sin (phase * 6.28318 * 28.0) * flutter * 10.0 * a;
    else if (crinkle > 0.001f)
        offset = -(a * crinkle * 2.5);

    double spliceTarget = 0.0;

    if (drag > 0.001f)
        offset = -(a * drag * 1.5);
    else if (spliced < -0.5f)
        spliceTarget = 4.0;

    // Both drift towards their targets for ever: snap the last traces to zero so that they
    // never decay into denormal numbers, whatever the calling thread's floating-point mode.
    splice += (spliceTarget - splice) * 0.05;
    splice = std::abs (splice - spliceTarget) < 1.0e-12 ? spliceTarget : splice;
    lag += ((dropout > 0.0f ? 2.0 * dropout : 0.0) - lag) * 0.0005;
    lag = std::abs (lag) < 1.0e-12 ? 0.0 : lag;

    return offset;
}

/** The tape at a fractional position, wrapped onto the loop and linearly interpolated. */
inline float interpolatedTape (const float* samples, int length, double q) noexcept
{
    auto index = (int)q;
    const auto frac = (float)(q - (double)index);

    if (index >= length || index < 0)
    {
        index %= length;

        if (index < 0)
            index += length;
    }

    const auto current = samples[index];
    const auto next = index + 1 == length ? samples[0] : samples[index + 1];
    return current + (next - current) * frac;
}
} // namespace

float TapeHeadModel::getBandCentreFrequency (int band) noexcept
{
    const auto ratio = std::pow (800.0f / 3.0f, 1.0f / 7.0f);
    return 60.0f * std::pow (ratio, (float)band);
}

void TapeHeadModel::prepare (double newSampleRate)
{
    if (cellCount != defaultCellCount)
    {
        cellCount = defaultCellCount;
        defects.assign ((size_t)defaultCellCount, TapeDefectCell{});
    }

    sampleRate = newSampleRate;
    inverseSampleRate = 1.0 / sampleRate;
    coefficientBandwidth = -1.0f;
    decodedCellValid = false;
    envelopesAtRest = true;

    for (int k = 0; k < numBands; ++k)
    {
        const auto frequency = TapeBiquad::limitFrequency (getBandCentreFrequency (k), sampleRate);
        bandFilters.setCoefficients (k, juce::IIRCoefficients::makeBandPass (sampleRate, frequency, 0.6));
        bandFilters.reset (k);
        laneEnvelope[(size_t)k] = 0.0f;
    }

    formatCache = -1;
    headBumpCache = -1.0f;
    setHeadBump (100.0f);

    const auto emphasisFrequency = TapeBiquad::limitFrequency (4000.0, sampleRate);
    emphasisFilter.setCoefficients (juce::IIRCoefficients::makeHighShelf (sampleRate, emphasisFrequency, 0.707, 2.0f));
    deEmphasisFilter.setCoefficients (
        juce::IIRCoefficients::makeHighShelf (sampleRate, emphasisFrequency, 0.707, 0.5f));
    emphasisFilter.reset();
    deEmphasisFilter.reset();

    dcBlocker.setCoefficients (juce::IIRCoefficients::makeHighPass (sampleRate, 10.0));
    dcBlocker.reset();

    const auto rampSamples = (int)std::floor (sampleRate * 0.1);
    hissLevel.reset (rampSamples);
    bandwidth.reset (rampSamples);
    bandwidth.setCurrentAndTargetValue (20000.0f);
}

void TapeHeadModel::setFormat (int format) noexcept
{
    if (format == formatCache)
        return;

    formatCache = format;
    const auto& eq = formatEqs[juce::jlimit (0, 3, format)];

    formatLowShelf.setCoefficients (juce::IIRCoefficients::makeLowShelf (
        sampleRate, TapeBiquad::limitFrequency (eq.lowFrequency, sampleRate), 0.707, eq.lowGain));
    formatPeak.setCoefficients (juce::IIRCoefficients::makePeakFilter (
        sampleRate, TapeBiquad::limitFrequency (eq.peakFrequency, sampleRate), 0.8, eq.peakGain));
    formatHighShelf.setCoefficients (juce::IIRCoefficients::makeHighShelf (
        sampleRate, TapeBiquad::limitFrequency (eq.highFrequency, sampleRate), 0.707, eq.highGain));
}

void TapeHeadModel::setHeadBump (float frequencyHz) noexcept
{
    if (frequencyHz == headBumpCache)
        return;

    headBumpCache = frequencyHz;
    headBumpFilter.setCoefficients (
        juce::IIRCoefficients::makeHighPass (sampleRate, TapeBiquad::limitFrequency (frequencyHz, sampleRate), 1.5));
}

void TapeHeadModel::setNoiseAndAge (float newHissLevel, float age, float bandwidthHz, bool noisePrint)
{
    hissLevel.setTargetValue (newHissLevel);
    bandwidth.setTargetValue (bandwidthHz);
    noisePrintEnabled = noisePrint;

    if (std::abs (age - lastAge) > 0.05f)
    {
        lastAge = age;
        regenerateAgeDefects (age);
    }
}

void TapeHeadModel::regenerateAgeDefects (float age) noexcept
{
    clearDefects();

    if (age <= 0.001f)
        return;

    // A fixed seed: the same age gives the same worn tape on every track and every run.
    juce::Random spots (12345);
    const auto numSpots = (int)(age * 800.0f);

    for (int s = 0; s < numSpots; ++s)
    {
        const auto position = spots.nextDouble() * (sampleRate * 30.0);
        const auto lane = spots.nextInt (TapeDefectCell::numLanes);
        const auto kind = spots.nextFloat() > 0.98f ? TapeDefectKind::splice : TapeDefectKind::dropout;
        const auto halfWidth = spots.nextFloat() * 0.1f + 0.01f;
        const auto strength = spots.nextFloat() * 0.8f + 0.2f;
        paintSpot (position, lane, kind, halfWidth, strength);
    }
}

void TapeHeadModel::paintSpot (double positionSamples, int lane, int kind, float halfWidthSeconds,
                               float strength) noexcept
{
    if (cellCount <= 0 || sampleRate <= 0.0 || ! std::isfinite (positionSamples))
        return;

    auto centre = (int)((juce::int64) (positionSamples / sampleRate * cellsPerSecond) % cellCount);

    if (centre < 0)
        centre += cellCount;

    const auto halfWidthCells = (int)(halfWidthSeconds * (float)cellsPerSecond);
    const auto laneIndex = (size_t)juce::jlimit (0, TapeDefectCell::numLanes - 1, lane);

    for (int i = -halfWidthCells; i <= halfWidthCells; ++i)
    {
        auto cell = centre + i;

        if (cell >= cellCount)
            cell -= cellCount;
        else if (cell < 0)
            cell += cellCount;

        if (cell < 0 || cell >= (int)defects.size())
            continue;

        const auto x = halfWidthCells > 0 ? (float)i / (float)halfWidthCells : 0.0f;
        const auto h = juce::jmax (0.0f, 1.0f - x * x) * strength;
        // The save thread may be copying the map meanwhile: the cell changes in one store.
        auto* lane = &defects[(size_t)cell].lanes[laneIndex];
        auto value = SharedTapeSample::load (lane);

        switch (kind)
        {
            case TapeDefectKind::dropout:
                value = juce::jmin (1.0f, (value > 5.0f ? 0.0f : value) + h);
                break;
            case TapeDefectKind::splice:
                value = -1.0f;
                break;
            case TapeDefectKind::flutter:
                value = juce::jmin (11.0f, (value < 5.0f ? 10.0f : value) + h);
                break;
            case TapeDefectKind::crinkle:
                value = juce::jmin (21.0f, (value < 15.0f ? 20.0f : value) + h);
                break;
            case TapeDefectKind::drag:
                value = juce::jmin (35.0f, (value < 25.0f ? 30.0f : value) + h);
                break;
            default:
                break;
        }

        SharedTapeSample::store (lane, value);
    }
}

void TapeHeadModel::clearDefects() noexcept
{
    for (auto& cell : defects)
        for (auto& lane : cell.lanes)
            lane = 0.0f;
}

void TapeHeadModel::settleIdleRecordChain (float drive) noexcept
{
    if (! recordChainIdle)
        return;

    // Settle the chain on silence: the emphasis at rest, the high-pass holding the saturated
    // bias so that its output starts at zero.
    recordChainIdle = false;
    emphasisFilter.reset();
    const auto biased = juce::jlimit (-3.0f, 3.0f, 0.05f * drive);
    const auto bias = biased * (biased * biased + 27.0f) / (9.0f * biased * biased + 27.0f);
    dcBlocker.v1 = -dcBlocker.b0 * bias;
    dcBlocker.v2 = dcBlocker.b2 * bias;
}

float TapeHeadModel::recordSample (float in, float drive, float recordGate) noexcept
{
    settleIdleRecordChain (drive);
    in = flushTiny (in);

    const auto hiss = hissLevel.getNextValue();
    const bool printNoise = noisePrintEnabled && recordGate > 0.0f;

    if (printNoise)
        in += getPrintedInputNoise (hiss, random.nextFloat(), recordGate);

    auto z = dcBlocker.process (saturate (emphasisFilter.process (in), drive));

    if (printNoise)
        z += getPrintedOutputNoise (random.nextFloat(), wander, recordGate);

    return z;
}

void TapeHeadModel::recordRun (const float* inputs, const float* drives, const float* inputNoise,
                               const float* outputNoise, float* recorded, int numSamples) noexcept
{
    if (numSamples <= 0)
        return;

    settleIdleRecordChain (drives[0]);

    // A track fed silence (most tracks while they play) soon sits at the chain's resting
    // point, where one more sample of silence changes nothing: the whole run then changes
    // nothing either, and gives the resting output.
    if (inputNoise == nullptr)
    {
        bool silent = true;

        for (int i = 0; i < numSamples; ++i)
            silent = silent && flushTiny (inputs[i]) == 0.0f && drives[i] == drives[0];

        if (silent)
        {
            auto emphasis = emphasisFilter;
            auto highPass = dcBlocker;
            const auto rest = highPass.process (saturate (emphasis.process (0.0f), drives[0]));

            if (emphasis.v1 == emphasisFilter.v1 && emphasis.v2 == emphasisFilter.v2 && highPass.v1 == dcBlocker.v1 &&
                highPass.v2 == dcBlocker.v2)
            {
                std::fill (recorded, recorded + numSamples, rest);
                return;
            }
        }
    }

    if (emphasisFilter.identity || dcBlocker.identity)
    {
        for (int i = 0; i < numSamples; ++i)
        {
            auto in = flushTiny (inputs[i]);

            if (inputNoise != nullptr)
                in += inputNoise[i];

            auto z = dcBlocker.process (saturate (emphasisFilter.process (in), drives[i]));
            recorded[i] = outputNoise != nullptr ? z + outputNoise[i] : z;
        }

        return;
    }

    // Both sections in one loop, so that neighbouring samples overlap.
    TapeBiquad::Section emphasis (emphasisFilter), highPass (dcBlocker);

    if (inputNoise != nullptr && outputNoise != nullptr)
    {
        for (int i = 0; i < numSamples; ++i)
            recorded[i] =
                highPass.process (saturate (emphasis.process (flushTiny (inputs[i]) + inputNoise[i]), drives[i])) +
                outputNoise[i];
    }
    else
    {
        for (int i = 0; i < numSamples; ++i)
            recorded[i] = highPass.process (saturate (emphasis.process (flushTiny (inputs[i])), drives[i]));
    }

    emphasis.storeTo (emphasisFilter);
    highPass.storeTo (dcBlocker);
}

int TapeHeadModel::cellIndexFor (double positionSeconds) const noexcept
{
    const auto cell = positionSeconds * cellsPerSecond;

    if (cellCount < 1 || ! (std::abs (cell) < 2.0e9))
        return 0;

    // A constant divisor for the usual map lets the compiler avoid a division per sample.
    const auto whole = (int)cell;
    const auto m = cellCount == defaultCellCount ? whole % defaultCellCount : whole % cellCount;
    return m < 0 ? m + cellCount : m;
}

void TapeHeadModel::decodeCell (const TapeDefectCell& cell) noexcept
{
    // The kind sums drive the read offset...
    const auto sums = TapeDefectSums::of (cell);
    dragSum = sums.drag;
    crinkleSum = sums.crinkle;
    flutterSum = sums.flutter;
    spliceSum = sums.splice;
    dropoutSum = sums.dropout;

    for (size_t k = 0; k < numBands; ++k)
    {
        const auto v = cell.lanes[k];

        // ...and the lane amounts the band attenuation.
        laneAmounts[k] = v >= 30.0f   ? 0.0f
                         : v >= 20.0f ? v - 20.0f
                         : v >= 10.0f ? v - 10.0f
                         : v < -0.5f  ? 1.0f
                                      : v * 0.8f;
    }

    decodedCell = cell;
    decodedCellValid = true;
    decodedCellClear = true;

    for (auto amount : laneAmounts)
        decodedCellClear = decodedCellClear && amount == 0.0f;
}

float TapeHeadModel::getBandwidthCoefficient (float currentBandwidth) noexcept
{
    if (currentBandwidth != coefficientBandwidth)
    {
        coefficientBandwidth = currentBandwidth;
        bandwidthCoefficient = juce::jmin (0.8f, juce::jmax (2000.0f, currentBandwidth) * twoPi / (float)sampleRate);
    }

    return bandwidthCoefficient;
}

float TapeHeadModel::playbackSample (const juce::AudioBuffer<float>& tape, double readPosition, double positionSeconds,
                                     double speed, int recordedLength) noexcept
{
    const auto offset = advanceDefects (positionSeconds, speed);

    if (tape.getNumSamples() < 1 || tape.getNumChannels() < 1)
        return 0.0f;

    const auto x = readTape (tape, readPosition, offset);
    const auto sum = filterBands (x, random.nextFloat(), recordedLength);

    // The record chain advances the hiss ramp while noise printing is on.
    const auto hiss = noisePrintEnabled ? hissLevel.getCurrentValue() : hissLevel.getNextValue();
    const auto hissTerm = getHissTerm (speed, hiss, random.nextFloat());
    return finishSample (sum, hissTerm);
}

double TapeHeadModel::advanceDefects (double positionSeconds, double speed) noexcept
{
    using Vec = TapeBandFilterBank::Vec;
    static constexpr size_t numVecs = TapeBandFilterBank::numVecs;
    static constexpr size_t lanesPerVec = TapeBandFilterBank::lanesPerVec;

    const auto cellIndex = cellIndexFor (positionSeconds);

    wobblePhase += inverseSampleRate;

    if (wobblePhase > 1000.0)
        wobblePhase -= 1000.0;

    static const TapeDefectCell emptyCell{};
    const auto& cell = cellIndex < (int)defects.size() ? defects[(size_t)cellIndex] : emptyCell;
    bool sameCell = decodedCellValid;

    for (size_t v = 0; v < numVecs && sameCell; ++v)
        sameCell =
            Vec::fromRawArray (cell.lanes + v * lanesPerVec) == Vec::fromRawArray (decodedCell.lanes + v * lanesPerVec);

    if (! sameCell)
        decodeCell (cell);

    dragAmount = dragSum;
    return defectOffset (wobblePhase, speed, flutterSum, crinkleSum, dragSum, spliceSum, dropoutSum, spliceOffset,
                         dropoutLag);
}

float TapeHeadModel::readTape (const juce::AudioBuffer<float>& tape, double readPosition, double offset) const noexcept
{
    return interpolatedTape (tape.getReadPointer (0), tape.getNumSamples(),
                             readPosition + offset + spliceOffset - 20.0 * dropoutLag);
}

float TapeHeadModel::filterBands (float x, float wanderNoise, int recordedLength) noexcept
{
    using Vec = TapeBandFilterBank::Vec;
    static constexpr size_t numVecs = TapeBandFilterBank::numVecs;
    static constexpr size_t lanesPerVec = TapeBandFilterBank::lanesPerVec;

    wander = stepWander (wander, wanderNoise);

    // A track never written plays no signal, only hiss.
    if (recordedLength < 1)
        return 0.0f;

    // No defect under the head and none fading out: every band's gain is exactly 1.
    if (envelopesAtRest && decodedCellClear)
        return bandFilters.processAllOpen (x) * 0.5f;

    // Per lane: the envelope follows the defect amount, and the band's gain falls with it,
    // tilted by the wander so that worn bands flicker.
    alignas (16) static const float tilts[TapeBandFilterBank::numBands] = {0.2f, -0.2f, 0.2f, -0.2f,
                                                                           0.2f, -0.2f, 0.2f, -0.2f};
    const auto wanderVec = Vec::expand (wander);
    const auto zero = Vec::expand (0.0f), one = Vec::expand (1.0f), tiny = Vec::expand (1.0e-30f);
    const auto absolute = [zero] (Vec value) { return value - ((value & Vec::lessThan (value, zero)) * 2.0f); };
    Vec gains[numVecs];
    auto active = Vec::expand (0.0f);

    for (size_t v = 0; v < numVecs; ++v)
    {
        auto e = Vec::fromRawArray (laneAmounts.data() + v * lanesPerVec) * 0.02f +
                 Vec::fromRawArray (laneEnvelope.data() + v * lanesPerVec) * 0.98f;
        e = e & Vec::greaterThan (absolute (e), tiny); // no denormal tails
        e.copyToRawArray (laneEnvelope.data() + v * lanesPerVec);
        active += absolute (e);

        const auto tilted = wanderVec + Vec::fromRawArray (tilts + v * lanesPerVec);
        gains[v] = Vec::max (zero, (one - e) - absolute (tilted) * e * 2.0f);
    }

    envelopesAtRest = active.sum() == 0.0f;
    return bandFilters.process (x, gains) * 0.5f;
}

void TapeHeadModel::readRun (const juce::AudioBuffer<float>& tape, const double* readPositions,
                             const double* positionSeconds, const double* speeds, const float* wanderNoise,
                             int recordedLength, float* bandSums, int numSamples, BeforeRead beforeRead) noexcept
{
    using Vec = TapeBandFilterBank::Vec;
    static constexpr size_t numVecs = TapeBandFilterBank::numVecs;
    static constexpr size_t lanesPerVec = TapeBandFilterBank::lanesPerVec;

    if (numSamples <= 0)
        return;

#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
    if (hasWideRegisters())
    {
        readRunWide (tape, readPositions, positionSeconds, speeds, wanderNoise, recordedLength, bandSums, numSamples,
                     beforeRead);
        return;
    }
#endif

    // advanceDefects, readTape and filterBands in one loop, their running state held in local
    // variables: the same arithmetic in the same order, without the calls and without going
    // through memory on every sample.
    const auto length = tape.getNumSamples();
    const auto* samples = tape.getReadPointer (0);
    const auto step = inverseSampleRate;
    auto phase = wobblePhase;
    auto splice = spliceOffset;
    auto lag = dropoutLag;
    auto wanderNow = wander;
    auto atRest = envelopesAtRest;
    TapeBandFilterBank::Run bank (bandFilters);
    Vec envelope[numVecs], amounts[numVecs];

    float flutter = 0.0f, crinkle = 0.0f, drag = 0.0f, spliced = 0.0f, dropout = 0.0f;
    bool clear = true;

    const auto loadDecoded = [&]
    {
        flutter = flutterSum;
        crinkle = crinkleSum;
        drag = dragSum;
        spliced = spliceSum;
        dropout = dropoutSum;
        clear = decodedCellClear;

        for (size_t v = 0; v < numVecs; ++v)
            amounts[v] = Vec::fromRawArray (laneAmounts.data() + v * lanesPerVec);
    };

    loadDecoded();

    for (size_t v = 0; v < numVecs; ++v)
        envelope[v] = Vec::fromRawArray (laneEnvelope.data() + v * lanesPerVec);

    alignas (16) static const float tilts[TapeBandFilterBank::numBands] = {0.2f, -0.2f, 0.2f, -0.2f,
                                                                           0.2f, -0.2f, 0.2f, -0.2f};
    const auto zero = Vec::expand (0.0f), one = Vec::expand (1.0f), tiny = Vec::expand (1.0e-30f);
    const auto absolute = [zero] (Vec value) { return value - ((value & Vec::lessThan (value, zero)) * 2.0f); };
    static const TapeDefectCell emptyCell{};

    for (int i = 0; i < numSamples; ++i)
    {
        if (beforeRead.call != nullptr)
            recordedLength = beforeRead.call (beforeRead.context, i);

        // advanceDefects
        const auto cellIndex = cellIndexFor (positionSeconds[i]);
        phase += step;

        if (phase > 1000.0)
            phase -= 1000.0;

        const auto& cell = cellIndex < (int)defects.size() ? defects[(size_t)cellIndex] : emptyCell;
        bool sameCell = decodedCellValid;

        for (size_t v = 0; v < numVecs && sameCell; ++v)
            sameCell = Vec::fromRawArray (cell.lanes + v * lanesPerVec) ==
                       Vec::fromRawArray (decodedCell.lanes + v * lanesPerVec);

        if (! sameCell)
        {
            decodeCell (cell);

            loadDecoded();
        }

        const auto offset = defectOffset (phase, speeds[i], flutter, crinkle, drag, spliced, dropout, splice, lag);

        // readTape
        const auto x = interpolatedTape (samples, length, readPositions[i] + offset + splice - 20.0 * lag);

        // filterBands
        wanderNow = stepWander (wanderNow, wanderNoise[i]);

        if (recordedLength < 1)
        {
            bandSums[i] = 0.0f;
            continue;
        }

        if (atRest && clear)
        {
            bandSums[i] = bank.processAllOpen (x) * 0.5f;
            continue;
        }

        const auto wanderVec = Vec::expand (wanderNow);
        Vec gains[numVecs];
        auto active = Vec::expand (0.0f);

        for (size_t v = 0; v < numVecs; ++v)
        {
            auto e = amounts[v] * 0.02f + envelope[v] * 0.98f;
            e = e & Vec::greaterThan (absolute (e), tiny);
            envelope[v] = e;
            active += absolute (e);

            const auto tilted = wanderVec + Vec::fromRawArray (tilts + v * lanesPerVec);
            gains[v] = Vec::max (zero, (one - e) - absolute (tilted) * e * 2.0f);
        }

        atRest = active.sum() == 0.0f;
        bandSums[i] = bank.process (x, gains) * 0.5f;
    }

    dragAmount = dragSum;
    wobblePhase = phase;
    spliceOffset = splice;
    dropoutLag = lag;
    wander = wanderNow;
    envelopesAtRest = atRest;
    bank.storeTo (bandFilters);

    for (size_t v = 0; v < numVecs; ++v)
        envelope[v].copyToRawArray (laneEnvelope.data() + v * lanesPerVec);
}

namespace
{
#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
const bool processorHasWideRegisters = []
{
    __builtin_cpu_init();
    return __builtin_cpu_supports ("avx") != 0;
}();
#else
const bool processorHasWideRegisters = false;
#endif

std::atomic<bool> wideRegistersAllowed{true};

#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
using NarrowBands = TapeBandFilterBank::Vec;

__attribute__ ((target ("avx"))) inline __m256 wideJoin (const NarrowBands* halves) noexcept
{
    return _mm256_set_m128 (halves[1].value, halves[0].value);
}

__attribute__ ((target ("avx"))) inline void wideSplit (__m256 x, NarrowBands* halves) noexcept
{
    halves[0].value = _mm256_castps256_ps128 (x);
    halves[1].value = _mm256_extractf128_ps (x, 1);
}

/** The narrow path's absolute value: x - (x where negative) * 2. */
__attribute__ ((target ("avx"))) inline __m256 wideAbsolute (__m256 value) noexcept
{
    const auto negative = _mm256_and_ps (value, _mm256_cmp_ps (value, _mm256_set1_ps (0.0f), _CMP_LT_OS));
    return _mm256_sub_ps (value, _mm256_mul_ps (negative, _mm256_set1_ps (2.0f)));
}

/** The narrow path's band sum: (0 + low half) + high half, then (lane 0 + lane 2) + (lane 1 + lane 3). */
__attribute__ ((target ("avx"))) inline float wideBandSum (__m256 total) noexcept
{
    auto sum = _mm_add_ps (_mm_add_ps (_mm_setzero_ps(), _mm256_castps256_ps128 (total)),
                           _mm256_extractf128_ps (total, 1));
    sum = _mm_add_ps (_mm_shuffle_ps (sum, sum, 0x4e), sum);
    sum = _mm_add_ps (sum, _mm_shuffle_ps (sum, sum, 0xb1));
    return _mm_cvtss_f32 (sum);
}
#endif
} // namespace

void TapeHeadModel::setWideRegistersAllowed (bool allowed) noexcept
{
    wideRegistersAllowed.store (allowed, std::memory_order_relaxed);
}

#if JUCE_USE_SSE_INTRINSICS && defined(__GNUC__)
bool TapeHeadModel::hasWideRegisters() noexcept
{
    return processorHasWideRegisters && wideRegistersAllowed.load (std::memory_order_relaxed);
}

__attribute__ ((target ("avx"))) void TapeHeadModel::readRunWide (const juce::AudioBuffer<float>& tape,
                                                                  const double* readPositions,
                                                                  const double* positionSeconds,
                                                                  const double* speeds, const float* wanderNoise,
                                                                  int recordedLength, float* bandSums,
                                                                  int numSamples, BeforeRead beforeRead) noexcept
{
    // readRun's loop with the two four-band registers of the bank and of the envelopes joined
    // into one eight-lane register: every lane sees the same operations in the same order, and
    // the band sum adds the two halves and then the lanes as the narrow path does.
    static_assert (TapeBandFilterBank::numBands == 8 && TapeBandFilterBank::numVecs == 2, "two halves of four");

    const auto length = tape.getNumSamples();
    const auto* samples = tape.getReadPointer (0);
    const auto step = inverseSampleRate;
    auto phase = wobblePhase;
    auto splice = spliceOffset;
    auto lag = dropoutLag;
    auto wanderNow = wander;
    auto atRest = envelopesAtRest;

    TapeBandFilterBank::Run bank (bandFilters);
    const auto c0 = wideJoin (bank.c0), c1 = wideJoin (bank.c1), c2 = wideJoin (bank.c2), d1 = wideJoin (bank.d1),
               d2 = wideJoin (bank.d2);
    auto s1 = wideJoin (bank.s1), s2 = wideJoin (bank.s2);
    auto envelope = _mm256_loadu_ps (laneEnvelope.data());
    auto amounts = _mm256_loadu_ps (laneAmounts.data());
    auto flutter = flutterSum, crinkle = crinkleSum, drag = dragSum, spliced = spliceSum, dropout = dropoutSum;
    auto clear = decodedCellClear;

    const auto zero = _mm256_set1_ps (0.0f), one = _mm256_set1_ps (1.0f), two = _mm256_set1_ps (2.0f),
               tiny = _mm256_set1_ps (1.0e-30f), snapHigh = _mm256_set1_ps (1.0e-8f),
               snapLow = _mm256_set1_ps (-1.0e-8f), threshold = _mm256_set1_ps (0.001f),
               attack = _mm256_set1_ps (0.02f), hold = _mm256_set1_ps (0.98f),
               tilts = _mm256_setr_ps (0.2f, -0.2f, 0.2f, -0.2f, 0.2f, -0.2f, 0.2f, -0.2f);
    static const TapeDefectCell emptyCell{};

    for (int i = 0; i < numSamples; ++i)
    {
        if (beforeRead.call != nullptr)
            recordedLength = beforeRead.call (beforeRead.context, i);

        const auto cellIndex = cellIndexFor (positionSeconds[i]);
        phase += step;

        if (phase > 1000.0)
            phase -= 1000.0;

        const auto& cell = cellIndex < (int)defects.size() ? defects[(size_t)cellIndex] : emptyCell;
        const bool sameCell =
            decodedCellValid
            && _mm256_movemask_ps (_mm256_cmp_ps (_mm256_loadu_ps (cell.lanes), _mm256_loadu_ps (decodedCell.lanes),
                                                  _CMP_EQ_OQ))
                   == 0xff;

        if (! sameCell)
        {
            decodeCell (cell);
            amounts = _mm256_loadu_ps (laneAmounts.data());
            flutter = flutterSum;
            crinkle = crinkleSum;
            drag = dragSum;
            spliced = spliceSum;
            dropout = dropoutSum;
            clear = decodedCellClear;
        }

        const auto offset = defectOffset (phase, speeds[i], flutter, crinkle, drag, spliced, dropout, splice, lag);

        const auto x = interpolatedTape (samples, length, readPositions[i] + offset + splice - 20.0 * lag);

        wanderNow = stepWander (wanderNow, wanderNoise[i]);

        if (recordedLength < 1)
        {
            bandSums[i] = 0.0f;
            continue;
        }

        const auto input = _mm256_set1_ps (x);
        auto out = _mm256_add_ps (_mm256_mul_ps (c0, input), s1);
        out = _mm256_and_ps (out, _mm256_or_ps (_mm256_cmp_ps (out, snapHigh, _CMP_GT_OS),
                                                _mm256_cmp_ps (out, snapLow, _CMP_LT_OS)));
        const auto newV1 = _mm256_add_ps (_mm256_sub_ps (_mm256_mul_ps (c1, input), _mm256_mul_ps (d1, out)), s2);
        const auto newV2 = _mm256_sub_ps (_mm256_mul_ps (c2, input), _mm256_mul_ps (d2, out));

        if (atRest && clear)
        {
            s1 = newV1;
            s2 = newV2;
            bandSums[i] = wideBandSum (out) * 0.5f;
            continue;
        }

        auto e = _mm256_add_ps (_mm256_mul_ps (amounts, attack), _mm256_mul_ps (envelope, hold));
        e = _mm256_and_ps (e, _mm256_cmp_ps (wideAbsolute (e), tiny, _CMP_GT_OS));
        envelope = e;
        // The narrow path sums the envelopes' sizes: zero exactly when every lane is zero.
        atRest = _mm256_movemask_ps (_mm256_cmp_ps (e, zero, _CMP_NEQ_UQ)) == 0;

        const auto tilted = _mm256_add_ps (_mm256_set1_ps (wanderNow), tilts);
        const auto gains = _mm256_max_ps (
            zero, _mm256_sub_ps (_mm256_sub_ps (one, e), _mm256_mul_ps (_mm256_mul_ps (wideAbsolute (tilted), e), two)));
        const auto run = _mm256_cmp_ps (gains, threshold, _CMP_GE_OS);
        s1 = _mm256_add_ps (_mm256_and_ps (newV1, run), _mm256_andnot_ps (run, s1));
        s2 = _mm256_add_ps (_mm256_and_ps (newV2, run), _mm256_andnot_ps (run, s2));
        bandSums[i] = wideBandSum (_mm256_and_ps (_mm256_mul_ps (out, gains), run)) * 0.5f;
    }

    dragAmount = dragSum;
    wobblePhase = phase;
    spliceOffset = splice;
    dropoutLag = lag;
    wander = wanderNow;
    envelopesAtRest = atRest;
    wideSplit (s1, bank.s1);
    wideSplit (s2, bank.s2);
    bank.storeTo (bandFilters);
    _mm256_storeu_ps (laneEnvelope.data(), envelope);
}
#endif

float TapeHeadModel::finishSample (float bandSum, float hissTerm) noexcept
{
    auto y = deEmphasisFilter.process (bandSum);
    y = headBumpFilter.process (y);
    y = formatLowShelf.process (y);
    y = formatPeak.process (y);
    y = formatHighShelf.process (y);
    return finishAfterChain (y, hissTerm);
}

void TapeHeadModel::filterChain (float* samples, int numSamples) noexcept
{
    // All five sections in one loop, so that the sections of neighbouring samples overlap
    // instead of each section waiting on its own previous output.
    auto& f1 = deEmphasisFilter;
    auto& f2 = headBumpFilter;
    auto& f3 = formatLowShelf;
    auto& f4 = formatPeak;
    auto& f5 = formatHighShelf;

    if (f1.identity || f2.identity || f3.identity || f4.identity || f5.identity)
    {
        f1.processBlock (samples, numSamples);
        f2.processBlock (samples, numSamples);
        f3.processBlock (samples, numSamples);
        f4.processBlock (samples, numSamples);
        f5.processBlock (samples, numSamples);
        return;
    }

    TapeBiquad::Section s1 (f1), s2 (f2), s3 (f3), s4 (f4), s5 (f5);

    for (int i = 0; i < numSamples; ++i)
        samples[i] = s5.process (s4.process (s3.process (s2.process (s1.process (samples[i])))));

    s1.storeTo (f1);
    s2.storeTo (f2);
    s3.storeTo (f3);
    s4.storeTo (f4);
    s5.storeTo (f5);
}

void TapeHeadModel::finishRun (float* samples, const float* hissTerms, const bool* thumpAt, int numSamples) noexcept
{
    auto& f1 = deEmphasisFilter;
    auto& f2 = headBumpFilter;
    auto& f3 = formatLowShelf;
    auto& f4 = formatPeak;
    auto& f5 = formatHighShelf;

    if (f1.identity || f2.identity || f3.identity || f4.identity || f5.identity || bandwidth.isSmoothing())
    {
        filterChain (samples, numSamples);

        for (int i = 0; i < numSamples; ++i)
        {
            if (thumpAt[i])
                spliceThump = 1.0f;

            samples[i] = finishAfterChain (samples[i], hissTerms[i]);
        }

        return;
    }

    // The usual case in one loop: the five sections, the bandwidth low-pass and the hiss.
    TapeBiquad::Section s1 (f1), s2 (f2), s3 (f3), s4 (f4), s5 (f5);
    const auto coefficient = getBandwidthCoefficient (bandwidth.getNextValue());
    auto state = bandwidthState;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto y = s5.process (s4.process (s3.process (s2.process (s1.process (samples[i])))));
        state += coefficient * (y - state);
        state = std::abs (state) < 1.0e-30f ? 0.0f : state;
        auto out = state + hissTerms[i];

        if (thumpAt[i])
            spliceThump = 1.0f;

        if (spliceThump > 0.001f)
        {
            out = juce::jmax (0.0f, 1.0f - spliceThump * spliceThump * spliceThump) * out +
                  std::sin (spliceThump * 3.14159f) * 0.05f;
            spliceThump *= 0.992f;
        }

        samples[i] = out;
    }

    // The ramp stood still: one step or many leave it where it is.
    for (int i = 1; i < numSamples; ++i)
        bandwidth.getNextValue();

    bandwidthState = state;
    s1.storeTo (f1);
    s2.storeTo (f2);
    s3.storeTo (f3);
    s4.storeTo (f4);
    s5.storeTo (f5);
}

bool TapeHeadModel::canFinishRunTogether (const bool* thumpAt, int numSamples) const noexcept
{
#if ! JUCE_USE_SSE_INTRINSICS
    return false;
#endif

    const auto designed = ! (deEmphasisFilter.identity || headBumpFilter.identity || formatLowShelf.identity ||
                             formatPeak.identity || formatHighShelf.identity);

    if (! designed || bandwidth.isSmoothing() || spliceThump > 0.001f)
        return false;

    return std::none_of (thumpAt, thumpAt + numSamples, [] (bool thump) { return thump; });
}

void TapeHeadModel::finishRunTogether (TapeHeadModel* const* heads, float* const* samples,
                                       const float* const* hissTerms, int numHeads, int numSamples) noexcept
{
#if JUCE_USE_SSE_INTRINSICS
    // finishRun's usual case on four lanes, one head per lane.
    using Lanes = TapeBiquadLanes;
    numHeads = juce::jmin (numHeads, Lanes::numLanes);
    std::array<std::array<TapeBiquad*, Lanes::numLanes>, 5> filters{};

    for (int h = 0; h < numHeads; ++h)
    {
        auto& m = *heads[h];
        filters[0][(size_t)h] = &m.deEmphasisFilter;
        filters[1][(size_t)h] = &m.headBumpFilter;
        filters[2][(size_t)h] = &m.formatLowShelf;
        filters[3][(size_t)h] = &m.formatPeak;
        filters[4][(size_t)h] = &m.formatHighShelf;
    }

    Lanes sections[] = {{filters[0].data(), numHeads}, {filters[1].data(), numHeads}, {filters[2].data(), numHeads},
                        {filters[3].data(), numHeads}, {filters[4].data(), numHeads}};

    alignas (16) float values[2][Lanes::numLanes] = {};

    for (int h = 0; h < numHeads; ++h)
    {
        auto& m = *heads[h];
        values[0][h] = m.getBandwidthCoefficient (m.bandwidth.getNextValue());
        values[1][h] = m.bandwidthState;
    }

    const auto coefficient = _mm_load_ps (values[0]);
    auto state = _mm_load_ps (values[1]);
    const auto restHigh = _mm_set1_ps (1.0e-30f), restLow = _mm_set1_ps (-1.0e-30f);

    const auto step = [&] (__m128 x, __m128 hiss)
    {
        for (auto& section : sections)
            x = section.process (x);

        state = _mm_add_ps (state, _mm_mul_ps (coefficient, _mm_sub_ps (x, state)));
        // |state| < 1e-30 snaps to +0; a NaN stays what it is.
        state = _mm_andnot_ps (_mm_and_ps (_mm_cmplt_ps (state, restHigh), _mm_cmpgt_ps (state, restLow)), state);
        return _mm_add_ps (state, hiss);
    };

    int i = 0;

    for (; i + 4 <= numSamples; i += 4)
    {
        __m128 x[4], n[4];
        Lanes::loadTransposed (samples, numHeads, i, x);
        Lanes::loadTransposed (hissTerms, numHeads, i, n);

        for (int k = 0; k < 4; ++k)
            x[k] = step (x[k], n[k]);

        Lanes::storeTransposed (samples, numHeads, i, x);
    }

    for (; i < numSamples; ++i)
        Lanes::storeSample (samples, numHeads, i,
                            step (Lanes::loadSample (samples, numHeads, i), Lanes::loadSample (hissTerms, numHeads, i)));

    _mm_store_ps (values[1], state);

    for (int h = 0; h < numHeads; ++h)
    {
        auto& m = *heads[h];

        // The ramp stood still: one step or many leave it where it is.
        for (int k = 1; k < numSamples; ++k)
            m.bandwidth.getNextValue();

        m.bandwidthState = values[1][h];
    }

    for (size_t f = 0; f < filters.size(); ++f)
        sections[f].storeTo (filters[f].data(), numHeads);
#else
    // Never called: canFinishRunTogether says no without the intrinsics.
    juce::ignoreUnused (heads, samples, hissTerms, numHeads, numSamples);
    jassertfalse;
#endif
}

float TapeHeadModel::finishAfterChain (float y, float hissTerm) noexcept
{
    const auto coefficient = getBandwidthCoefficient (bandwidth.getNextValue());
    bandwidthState += coefficient * (y - bandwidthState);
    bandwidthState = std::abs (bandwidthState) < 1.0e-30f ? 0.0f : bandwidthState;

    auto out = bandwidthState + hissTerm;

    if (spliceThump > 0.001f)
    {
        out = juce::jmax (0.0f, 1.0f - spliceThump * spliceThump * spliceThump) * out +
              std::sin (spliceThump * 3.14159f) * 0.05f;
        spliceThump *= 0.992f;
    }

    return out;
}
