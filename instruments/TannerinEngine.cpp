#include "instruments/TannerinEngine.h"

using namespace VoiceHelpers;

struct TannerinEngine::Settings
{
    float masterVol, slidePitch, slideTime;
    int globalOctave, waveShape, filterType, osc2Wave;
    float synthCutoff, synthRes, synthEnvMod;
    EnvelopeSettings envelopes;
    float lfoRate, lfoAmt, lfoDelay, lfoAttack, osc1Mix, osc2Mix, osc2Tune, osc2Fine;
};

TannerinEngine::TannerinEngine() = default;

std::unique_ptr<TannerinEngine> makeTannerinEngine()
{
    return std::make_unique<TannerinEngine>();
}

// Also the fallbacks for non-finite values.
constexpr EnvelopeSettings envelopeDefaults{5.0f, 500.0f, 1.0f, 500.0f, 407.0f, 500.0f, 1.0f, 1100.0f};

TannerinEngine::Settings TannerinEngine::readSettings() const noexcept
{
    Settings s;
    s.masterVol = clampSetting (masterVol, 0.0f, 1.0f, 1.0f);
    s.slidePitch = clampSetting (slidePitch, 36.0f, 84.0f, 60.0f);
    s.slideTime = clampSetting (slideTime, 1.0f, 10000.0f, 20.0f);
    s.globalOctave = clampSetting (globalOctave, -3, 3, 1);
    s.waveShape = clampSetting (waveShape, 0, 2, 0);
    s.filterType = clampSetting (filterType, 0, 2, 0);
    s.osc2Wave = clampSetting (osc2Wave, 0, 2, 0);
    s.synthCutoff = clampSetting (synthCutoff, 20.0f, 20000.0f, 2000.0f);
    s.synthRes = clampSetting (synthRes, 0.0f, 0.95f, 0.1f);
    s.synthEnvMod = clampSetting (synthEnvMod, 0.0f, 10000.0f, 0.0f);
    s.envelopes = readEnvelopeSettings (*this, 2000.0f, envelopeDefaults);
    s.lfoRate = clampSetting (lfoRate, 1.0f, 20.0f, 6.0f);
    s.lfoAmt = clampSetting (lfoAmt, 0.0f, 2.0f, 0.0f);
    s.lfoDelay = clampSetting (lfoDelay, 0.0f, 2000.0f, 0.0f);
    s.lfoAttack = clampSetting (lfoAttack, 0.0f, 2000.0f, 0.0f);
    s.osc1Mix = clampSetting (osc1Mix, 0.0f, 1.0f, 1.0f);
    s.osc2Mix = clampSetting (osc2Mix, 0.0f, 1.0f, 0.3f);
    s.osc2Tune = clampSetting (osc2Tune, -24.0f, 24.0f, 12.0f);
    s.osc2Fine = clampSetting (osc2Fine, -100.0f, 100.0f, 0.0f);
    return s;
}

void TannerinEngine::clampSettings() noexcept
{
    const auto s = readSettings();
    masterVol = s.masterVol;
    slidePitch = s.slidePitch;
    slideTime = s.slideTime;
    globalOctave = s.globalOctave;
    waveShape = s.waveShape;
    filterType = s.filterType;
    osc2Wave = s.osc2Wave;
    synthCutoff = s.synthCutoff;
    synthRes = s.synthRes;
    synthEnvMod = s.synthEnvMod;
    writeEnvelopeSettings (*this, s.envelopes);
    lfoRate = s.lfoRate;
    lfoAmt = s.lfoAmt;
    lfoDelay = s.lfoDelay;
    lfoAttack = s.lfoAttack;
    osc1Mix = s.osc1Mix;
    osc2Mix = s.osc2Mix;
    osc2Tune = s.osc2Tune;
    osc2Fine = s.osc2Fine;
}

void TannerinEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    ampEnvelope.setSampleRate (sampleRate);
    filterEnvelope.setSampleRate (sampleRate);
    ampEnvelope.reset();
    filterEnvelope.reset();

    heldNoteCount = 0;
    std::fill (std::begin (filterState), std::end (filterState), 0.0f);
    currentFrequency = 440.0f;
    smoothedCutoff = 2000.0f;
    gate = false;
    sustainPedal = false;
    appliedGateRequest = gateRequest.load(); // requests made before the restart are dropped
}

void TannerinEngine::openGate() noexcept
{
    ampEnvelope.noteOn();
    filterEnvelope.noteOn();
    gateSamples = 0;
    gate = true;
}

void TannerinEngine::closeGate() noexcept
{
    ampEnvelope.noteOff();
    filterEnvelope.noteOff();
    gate = false;
}

void TannerinEngine::gateOn() noexcept
{
    const auto previous = gateRequest.load (std::memory_order_relaxed);
    gateRequest.store ((((previous >> 1) + 1) << 1) | 1u, std::memory_order_release);
    gate = true;
}

void TannerinEngine::gateOff() noexcept
{
    const auto previous = gateRequest.load (std::memory_order_relaxed);
    gateRequest.store (((previous >> 1) + 1) << 1, std::memory_order_release);
    gate = false;
}

void TannerinEngine::handleMidiEvent (const MidiEvent& event) noexcept
{
    // Notes only count keys and open or close the gate.
    applyMidiEvent (
        event, pitchBend, modWheel, sustainPedal,
        [this] (int, int)
        {
            ++heldNoteCount;

            if (! gateLatch)
                openGate();
        },
        [this] (int)
        {
            if (--heldNoteCount <= 0)
            {
                heldNoteCount = 0;

                if (! gateLatch && ! sustainPedal)
                    closeGate();
            }
        },
        [this]
        {
            if (heldNoteCount <= 0 && ! gateLatch)
                closeGate();
        },
        [this]
        {
            heldNoteCount = 0;

            if (! gateLatch)
                closeGate();
        });
}

void TannerinEngine::renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept
{
    const juce::ScopedNoDenormals noDenormals; // decaying states must not fall into slow denormal arithmetic

    const auto s = readSettings();
    const float sr = (float)sampleRate;

    setEnvelopesFromSettings (ampEnvelope, filterEnvelope, s.envelopes);

    // Editor gate requests first, then MIDI.
    if (const auto request = gateRequest.load (std::memory_order_acquire); request != appliedGateRequest)
    {
        appliedGateRequest = request;

        if ((request & 1u) != 0)
            openGate();
        else
            closeGate();
    }

    for (const auto metadata : midi)
        handleMidiEvent (decodeMidi (metadata.data, metadata.numBytes));

    const int numSamples = buffer.getNumSamples();

    if (numSamples <= 0 || buffer.getNumChannels() <= 0)
        return;

    const float smoothCoeff = smoothingCoefficient (0.005, sampleRate);
    const float slideCoeff = smoothingCoefficient (s.slideTime * 0.001, sampleRate);
    const float lfoIncrement = (float)(s.lfoRate * juce::MathConstants<double>::twoPi / sampleRate);
    const float bend = clampSetting (pitchBend, -2.0f, 2.0f, 0.0f);
    const float wheel = clampSetting (modWheel, 0.0f, 1.0f, 0.0f);
    const float targetFrequency =
        (float)(440.0 * std::exp2 ((s.slidePitch + bend + (float)s.globalOctave * 12.0f - 69.0f) / 12.0));
    const float osc2Ratio = std::exp2 ((s.osc2Fine / 100.0f + s.osc2Tune) / 12.0f);
    const float vibratoDepth = (s.lfoAmt + wheel) * 2.0f / 12.0f; // octaves at full swing
    const bool rampVibrato = s.lfoDelay > 0.0f || s.lfoAttack > 0.0f;
    const float delaySamples = s.lfoDelay * 0.001f * sr;
    const float attackSamples = s.lfoAttack * 0.001f * sr;
    const int gateLimit = (int)juce::jmin (sampleRate * 3600.0, (double)std::numeric_limits<int>::max() - 1.0);
    const float cutoffLimit = maxCutoff (sampleRate);
    const float invSampleRate = 1.0f / sr;
    const bool gateOpen = gate.load (std::memory_order_relaxed);
    const float outputGain = 0.35f * s.masterVol;

    auto shape = [] (int wave, float t, float dt) noexcept
    {
        if (wave == 1)
            return sawShape (t, dt);
        if (wave == 2)
            return squareShape (t, dt);
        return sineShape (t);
    };

    for (int start = 0; start < numSamples; start += renderChunk)
    {
        const int count = juce::jmin (renderChunk, numSamples - start);

        for (int i = 0; i < count; ++i)
        {
            currentFrequency += (targetFrequency - currentFrequency) * slideCoeff;

            lfoPhase += lfoIncrement;
            if (lfoPhase >= twoPi)
                lfoPhase -= twoPi;

            const float lfo = fastSin (lfoPhase);

            if (gateOpen && gateSamples < gateLimit)
                ++gateSamples;

            float ramp = 1.0f;

            if (rampVibrato)
            {
                const float sinceGate = (float)gateSamples;

                if (sinceGate < delaySamples)
                    ramp = 0.0f;
                else if (attackSamples > 0.0f)
                    ramp = juce::jlimit (0.0f, 1.0f, (sinceGate - delaySamples) / attackSamples);
            }

            const float f1 = currentFrequency * fastExp2 (vibratoDepth * lfo * ramp);
            const float dt1 = f1 * invSampleRate;
            osc1Phase = wrapPhase (osc1Phase + dt1);
            const float dt2 = osc2Ratio * dt1;
            osc2Phase = wrapPhase (osc2Phase + dt2);

            const float mix =
                (shape (s.osc2Wave, osc2Phase, dt2) * s.osc2Mix + shape (s.waveShape, osc1Phase, dt1) * s.osc1Mix) *
                0.3f;

            const float a = ampEnvelope.getNextSample();
            const float e = filterEnvelope.getNextSample();

            const float cutoff = juce::jlimit (20.0f, cutoffLimit, e * s.synthEnvMod + s.synthCutoff);
            smoothedCutoff += (cutoff - smoothedCutoff) * smoothCoeff;

            const float y = processLadderFilter (filterState, mix, smoothedCutoff, s.synthRes, sr, s.filterType);
            scratch[i] = fastTanh (2.0f * y * a) * outputGain;
        }

        addMonoToBuffer (buffer, start, scratch, count);
    }
}
