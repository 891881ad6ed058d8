#include "engine/tape/TapeHeadModel.h"

#include "engine/tape/SharedTapeSample.h"

#include <algorithm>
#include <cmath>

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
    dragSum = crinkleSum = flutterSum = spliceSum = dropoutSum = 0.0f;

    for (size_t k = 0; k < numBands; ++k)
    {
        const auto v = cell.lanes[k];

        // The kind sums drive the read offset...
        if (v >= 30.0f)
            dragSum += v - 30.0f;
        else if (v >= 20.0f)
            crinkleSum += v - 20.0f;
        else if (v >= 10.0f)
            flutterSum += v - 10.0f;
        else if (v < -0.5f)
            spliceSum += v;
        else if (v > 0.0f)
            dropoutSum += v;

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

    const auto a = juce::jmax (std::abs (speed), 0.1);
    double offset = 0.0;

    if (flutterSum > 0.001f)
        offset = std::sin (wobblePhase * 6.28318 * 28.0) * flutterSum * 10.0 * a;
    else if (crinkleSum > 0.001f)
        offset = -(a * crinkleSum * 2.5);

    dragAmount = dragSum;
    double spliceTarget = 0.0;

    if (dragSum > 0.001f)
        offset = -(a * dragSum * 1.5);
    else if (spliceSum < -0.5f)
        spliceTarget = 4.0;

    // Both drift towards their targets for ever: snap the last traces to zero so that they
    // never decay into denormal numbers, whatever the calling thread's floating-point mode.
    spliceOffset += (spliceTarget - spliceOffset) * 0.05;
    spliceOffset = std::abs (spliceOffset - spliceTarget) < 1.0e-12 ? spliceTarget : spliceOffset;
    dropoutLag += ((dropoutSum > 0.0f ? 2.0 * dropoutSum : 0.0) - dropoutLag) * 0.0005;
    dropoutLag = std::abs (dropoutLag) < 1.0e-12 ? 0.0 : dropoutLag;

    return offset;
}

float TapeHeadModel::readTape (const juce::AudioBuffer<float>& tape, double readPosition, double offset) const noexcept
{
    const auto length = tape.getNumSamples();
    const auto* samples = tape.getReadPointer (0);
    const auto q = readPosition + offset + spliceOffset - 20.0 * dropoutLag;
    auto i = (int)q;
    const auto frac = (float)(q - (double)i);

    if (i >= length || i < 0)
    {
        i %= length;

        if (i < 0)
            i += length;
    }

    const auto current = samples[i];
    const auto next = i + 1 == length ? samples[0] : samples[i + 1];
    return current + (next - current) * frac;
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
                             int recordedLength, float* bandSums, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
    {
        const auto offset = advanceDefects (positionSeconds[i], speeds[i]);
        bandSums[i] = filterBands (readTape (tape, readPositions[i], offset), wanderNoise[i], recordedLength);
    }
}

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
