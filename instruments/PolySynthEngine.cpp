#include "instruments/PolySynthEngine.h"

using namespace VoiceHelpers;

struct PolySynthEngine::Settings
{
    float globalTune, masterVol, glide, polyModFEnvFreqA, polyModOscBFreqA, polyModOscBFilter, polyModOscBPW;
    int osc1Octave, osc2Octave, osc1Wave, osc2Wave;
    float osc1PW, osc2PW, osc2Fine, osc1Mix, osc2Mix, noiseMix;
    bool syncMode, osc2LfoMode, osc2KeyTrack;
    float synthCutoff, synthRes, synthEnvMod, velSens, filterKeyTrack;
    float lfoRate, lfoAmt;
    EnvelopeSettings envelopes;
    int lfoTarget, lfoWave;
};

PolySynthEngine::PolySynthEngine()
{
    random.setSeedRandomly();
    laneNoise.seed ((std::uint32_t)random.nextInt());
}

std::unique_ptr<PolySynthEngine> makePolySynthEngine()
{
    return std::make_unique<PolySynthEngine>();
}

// Also the fallbacks for non-finite values.
constexpr EnvelopeSettings envelopeDefaults{5.0f, 500.0f, 0.2f, 500.0f, 5.0f, 500.0f, 1.0f, 500.0f};

PolySynthEngine::Settings PolySynthEngine::readSettings() const noexcept
{
    Settings s;
    s.globalTune = clampSetting (globalTune, -100.0f, 100.0f, 0.0f);
    s.masterVol = clampSetting (masterVol, 0.0f, 2.0f, 1.0f);
    s.glide = clampSetting (glide, 0.0f, 1000.0f, 0.0f);
    s.polyModFEnvFreqA = clampSetting (polyModFEnvFreqA, 0.0f, 24.0f, 0.0f);
    s.polyModOscBFreqA = clampSetting (polyModOscBFreqA, 0.0f, 24.0f, 0.0f);
    s.polyModOscBFilter = clampSetting (polyModOscBFilter, 0.0f, 1.0f, 0.0f);
    s.polyModOscBPW = clampSetting (polyModOscBPW, 0.0f, 1.0f, 0.0f);
    s.osc1Octave = clampSetting (osc1Octave, -2, 2, 0);
    s.osc2Octave = clampSetting (osc2Octave, -2, 2, 0);
    s.osc1Wave = clampSetting (osc1Wave, 0, 3, 0);
    s.osc2Wave = clampSetting (osc2Wave, 0, 3, 1);
    s.osc1PW = clampSetting (osc1PW, 0.05f, 0.95f, 0.5f);
    s.osc2PW = clampSetting (osc2PW, 0.05f, 0.95f, 0.5f);
    s.osc2Fine = clampSetting (osc2Fine, -100.0f, 100.0f, 0.0f);
    s.osc1Mix = clampSetting (osc1Mix, 0.0f, 1.0f, 1.0f);
    s.osc2Mix = clampSetting (osc2Mix, 0.0f, 1.0f, 1.0f);
    s.noiseMix = clampSetting (noiseMix, 0.0f, 1.0f, 0.0f);
    s.syncMode = syncMode;
    s.osc2LfoMode = osc2LfoMode;
    s.osc2KeyTrack = osc2KeyTrack;
    s.synthCutoff = clampSetting (synthCutoff, 20.0f, 20000.0f, 1000.0f);
    s.synthRes = clampSetting (synthRes, 0.0f, 0.95f, 0.5f);
    s.synthEnvMod = clampSetting (synthEnvMod, 0.0f, 10000.0f, 4000.0f);
    s.velSens = clampSetting (velSens, 0.0f, 1.0f, 0.5f);
    s.filterKeyTrack = clampSetting (filterKeyTrack, 0.0f, 1.0f, 0.5f);
    s.envelopes = readEnvelopeSettings (*this, 5000.0f, envelopeDefaults);
    s.lfoRate = clampSetting (lfoRate, 0.01f, 50.0f, 5.0f);
    s.lfoAmt = clampSetting (lfoAmt, 0.0f, 1.0f, 0.0f);
    s.lfoTarget = clampSetting (lfoTarget, 0, 2, 0);
    s.lfoWave = clampSetting (lfoWave, 0, 3, 0);
    return s;
}

void PolySynthEngine::clampSettings() noexcept
{
    const auto s = readSettings();
    globalTune = s.globalTune;
    masterVol = s.masterVol;
    glide = s.glide;
    polyModFEnvFreqA = s.polyModFEnvFreqA;
    polyModOscBFreqA = s.polyModOscBFreqA;
    polyModOscBFilter = s.polyModOscBFilter;
    polyModOscBPW = s.polyModOscBPW;
    osc1Octave = s.osc1Octave;
    osc2Octave = s.osc2Octave;
    osc1Wave = s.osc1Wave;
    osc2Wave = s.osc2Wave;
    osc1PW = s.osc1PW;
    osc2PW = s.osc2PW;
    osc2Fine = s.osc2Fine;
    osc1Mix = s.osc1Mix;
    osc2Mix = s.osc2Mix;
    noiseMix = s.noiseMix;
    synthCutoff = s.synthCutoff;
    synthRes = s.synthRes;
    synthEnvMod = s.synthEnvMod;
    velSens = s.velSens;
    filterKeyTrack = s.filterKeyTrack;
    writeEnvelopeSettings (*this, s.envelopes);
    lfoRate = s.lfoRate;
    lfoAmt = s.lfoAmt;
    lfoTarget = s.lfoTarget;
    lfoWave = s.lfoWave;
}

void PolySynthEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    sustainPedal = false;

    for (auto& voice : voices)
    {
        voice.ampEnvelope.setSampleRate (sampleRate);
        voice.filterEnvelope.setSampleRate (sampleRate);
        // Freed voices must also fall silent: a voice still sounding with no note
        // could never be released again.
        voice.ampEnvelope.reset();
        voice.filterEnvelope.reset();
        voice.note = -1;
        voice.held = false;
        voice.smoothedCutoff = 1000.0f;
        std::fill (std::begin (voice.filterState), std::end (voice.filterState), 0.0f);
    }
}

int PolySynthEngine::getNumSoundingVoices() const noexcept
{
    int count = 0;

    for (const auto& voice : voices)
        if (! voice.isFree())
            ++count;

    return count;
}

void PolySynthEngine::startNote (int note, int velocity127) noexcept
{
    PolyVoice* chosen = nullptr;

    for (auto& voice : voices)
    {
        if (voice.isFree())
        {
            chosen = &voice;
            break;
        }
    }

    if (chosen == nullptr)
    {
        // Steal a releasing or pedal-held voice before one whose key is down.
        for (auto& voice : voices)
        {
            if (! voice.held)
            {
                chosen = &voice;
                break;
            }
        }
    }

    if (chosen == nullptr)
        chosen = &voices[0];

    auto& voice = *chosen;
    const bool wasSilent = ! voice.ampEnvelope.isActive();

    voice.note = note;
    voice.playedNote = note;
    voice.held = true;
    voice.velocity = (float)velocity127 / 127.0f;
    voice.targetFrequency = noteToFrequency (note);

    // Glide only carries a stolen voice from the pitch it was playing.
    if (clampSetting (glide, 0.0f, 1000.0f, 0.0f) < 1.0f || wasSilent)
        voice.currentFrequency = voice.targetFrequency;

    voice.ampEnvelope.noteOn();
    voice.filterEnvelope.noteOn();
}

void PolySynthEngine::stopNote (int note) noexcept
{
    for (auto& voice : voices)
    {
        if (voice.note != note)
            continue;

        voice.held = false;

        if (! sustainPedal)
        {
            voice.note = -1;
            voice.ampEnvelope.noteOff();
            voice.filterEnvelope.noteOff();
        }
    }
}

void PolySynthEngine::handleMidiEvent (const MidiEvent& event) noexcept
{
    applyMidiEvent (
        event, pitchBend, modWheel, sustainPedal, [this] (int note, int velocity127) { startNote (note, velocity127); },
        [this] (int note) { stopNote (note); },
        [this]
        {
            for (auto& voice : voices)
            {
                if (! voice.held && ! voice.isFree())
                {
                    voice.note = -1;
                    voice.ampEnvelope.noteOff();
                    voice.filterEnvelope.noteOff();
                }
            }
        },
        [this]
        {
            for (auto& voice : voices)
            {
                voice.note = -1;
                voice.held = false;
                voice.ampEnvelope.noteOff();
                voice.filterEnvelope.noteOff();
            }
        });
}

template <int NumGroups>
VOICE_LANES_INLINE void PolySynthEngine::renderVoiceGroups (const int* voiceIndices, int numSounding, const Settings& s,
                                                            int count) noexcept
{
    using namespace VoiceLanes;
    constexpr int numLanes = NumGroups * width;

    const float sr = (float)sampleRate;
    const float invSampleRate = 1.0f / sr;
    const Float cutoffLimit = splat (maxCutoff (sampleRate));
    const float oscBOffset = std::exp2 (((float)s.osc2Octave * 12.0f + s.osc2Fine / 100.0f) / 12.0f);
    const float oscAFactor = tuneFactor * std::exp2 ((float)s.osc1Octave);
    const bool pitchModulated = s.polyModOscBFreqA != 0.0f || s.polyModFEnvFreqA != 0.0f;
    const bool noisy = s.noiseMix > 0.0f;
    const float oscBFactor = tuneFactor * oscBOffset * (s.osc2LfoMode ? 0.015f : 1.0f);
    const Float keyTrackedB = splat (s.osc2KeyTrack ? 1.0f : 0.0f);
    const Float resonance = splat (s.synthRes);

    // Gather the voices into lanes; unused lanes run silent. Groups of four lanes are
    // processed side by side in the sample loop, so their filter chains overlap.
    Float current[NumGroups] = {}, target[NumGroups] = {}, velocityFactor[NumGroups] = {}, cutoffBase[NumGroups] = {};
    Float phaseA[NumGroups] = {}, phaseB[NumGroups] = {}, previousB[NumGroups] = {}, smoothed[NumGroups] = {};
    Float filter[NumGroups][4] = {};

    for (int lane = 0; lane < numLanes; ++lane)
    {
        const int g = lane / width, l = lane % width;

        if (lane >= numSounding)
        {
            smoothed[g][l] = 1000.0f;
            for (int i = 0; i < count; ++i)
                ampLanes[(g * renderChunk + i) * width + l] = filterLanes[(g * renderChunk + i) * width + l] = 0.0f;
            continue;
        }

        auto& voice = voices[voiceIndices[lane]];
        current[g][l] = voice.currentFrequency;
        target[g][l] = voice.targetFrequency;
        velocityFactor[g][l] = s.velSens * voice.velocity + (1.0f - s.velSens);
        cutoffBase[g][l] =
            s.synthCutoff + (float)(voice.playedNote - 60) * s.filterKeyTrack * 20.0f; // also while releasing
        phaseA[g][l] = voice.osc1Phase;
        phaseB[g][l] = voice.osc2Phase;
        previousB[g][l] = voice.previousOsc2Phase;
        smoothed[g][l] = voice.smoothedCutoff;

        for (int k = 0; k < 4; ++k)
            filter[g][k][l] = voice.filterState[k];

        // Envelopes advance per voice ahead of the lanes (they are cheap and branchy).
        for (int i = 0; i < count; ++i)
        {
            ampLanes[(g * renderChunk + i) * width + l] = voice.ampEnvelope.getNextSample();
            filterLanes[(g * renderChunk + i) * width + l] = voice.filterEnvelope.getNextSample();
        }
    }

    auto shape = [] (int wave, Float t, Float dt, Float invDt, Float pulseWidth) noexcept
    {
        switch (wave)
        {
            case 0:
                return saw (t, dt, invDt);
            case 1:
                return pulse (t, dt, invDt, pulseWidth);
            case 2:
                return triangle (t);
            default:
                return sinCycles (t);
        }
    };

    for (int i = 0; i < count; ++i)
    {
        const Float widthB = clamp (splat (lfoPulseWidth[i] + s.osc2PW), splat (0.02f), splat (0.98f));
        const float pitchFactorB = lfoPitchFactor[i] * invSampleRate;
        Float out{};

        for (int g = 0; g < NumGroups; ++g)
        {
            const Float a = load (ampLanes + (g * renderChunk + i) * width);
            const Float e = load (filterLanes + (g * renderChunk + i) * width);

            current[g] += (target[g] - current[g]) * glideCoeff;
            const Float v = bendFactor * current[g];

            // Oscillator B
            const Float baseB = oscBFactor * (keyTrackedB * v + (1.0f - keyTrackedB) * 65.406f);
            const Float dtB = limitIncrement (baseB * pitchFactorB);
            const Float invDtB = 1.0f / dtB;
            phaseB[g] = advancePhase (phaseB[g], dtB);
            const Float b = shape (s.osc2Wave, phaseB[g], dtB, invDtB, widthB);

            // Oscillator A, poly-modulated by B and the filter envelope
            Float fA = oscAFactor * v;
            fA *= pitchModulated
                      ? VoiceLanes::exp2 ((b * s.polyModOscBFreqA + e * s.polyModFEnvFreqA + lfoPitchSemitones[i]) *
                                          (1.0f / 12.0f))
                      : splat (lfoPitchFactor[i]);

            if (s.syncMode)
                phaseA[g] = select (phaseB[g] < previousB[g], Float{}, phaseA[g]);

            previousB[g] = phaseB[g];

            const Float dtA = limitIncrement (fA * invSampleRate);
            phaseA[g] = advancePhase (phaseA[g], dtA);
            const Float widthA =
                clamp (b * (s.polyModOscBPW * 0.4f) + (s.osc1PW + lfoPulseWidth[i]), splat (0.02f), splat (0.98f));
            const Float oscA = shape (s.osc1Wave, phaseA[g], dtA, 1.0f / dtA, widthA);

            Float cutoff = e * (s.synthEnvMod * velocityFactor[g]) + cutoffBase[g] +
                           (lfoCutoff[i] + b * (s.polyModOscBFilter * 5000.0f));
            cutoff = clamp (cutoff, splat (20.0f), cutoffLimit);
            smoothed[g] += (cutoff - smoothed[g]) * smoothCoeff;

            Float mix = oscA * s.osc1Mix + b * s.osc2Mix;
            if (noisy)
                mix += laneNoise.next() * s.noiseMix;

            const Float y = ladderFilter (filter[g], mix * 0.3f, smoothed[g], resonance, sr, VoiceHelpers::lowPass);
            out += y * a * velocityFactor[g];
        }

        mixSum[i] += sum (out);
    }

    for (int g = 0; g < NumGroups; ++g)
        resetNonFinite (filter[g]);

    for (int lane = 0; lane < numSounding; ++lane)
    {
        const int g = lane / width, l = lane % width;
        auto& voice = voices[voiceIndices[lane]];
        voice.currentFrequency = current[g][l];
        voice.osc1Phase = phaseA[g][l];
        voice.osc2Phase = phaseB[g][l];
        voice.previousOsc2Phase = previousB[g][l];
        voice.smoothedCutoff = smoothed[g][l];

        for (int k = 0; k < 4; ++k)
            voice.filterState[k] = filter[g][k][l];
    }
}

static_assert (PolySynthEngine::numVoices <= 3 * VoiceLanes::width, "three groups of lanes hold every voice");

// Inlined into both the baseline and the wide-target caller, so each compiles the groups
// with its own instruction set.
VOICE_LANES_INLINE void PolySynthEngine::renderInGroups (const int* voiceIndices, int numSounding, const Settings& s,
                                                         int count) noexcept
{
    if (numSounding > 2 * VoiceLanes::width)
        renderVoiceGroups<3> (voiceIndices, numSounding, s, count);
    else if (numSounding > VoiceLanes::width)
        renderVoiceGroups<2> (voiceIndices, numSounding, s, count);
    else if (numSounding > 0)
        renderVoiceGroups<1> (voiceIndices, numSounding, s, count);
}

void PolySynthEngine::renderSoundingVoices (const int* voiceIndices, int numSounding, const Settings& s,
                                            int count) noexcept
{
#if VOICE_LANES_HAS_WIDE_TARGET
    if (VoiceLanes::hasWideTarget())
    {
        renderSoundingVoicesWide (voiceIndices, numSounding, s, count);
        return;
    }
#endif

    renderInGroups (voiceIndices, numSounding, s, count);
}

#if VOICE_LANES_HAS_WIDE_TARGET
VOICE_LANES_WIDE_TARGET void PolySynthEngine::renderSoundingVoicesWide (const int* voiceIndices, int numSounding,
                                                                        const Settings& s, int count) noexcept
{
    renderInGroups (voiceIndices, numSounding, s, count);
}
#endif

void PolySynthEngine::renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept
{
    const juce::ScopedNoDenormals noDenormals; // decaying states must not fall into slow denormal arithmetic

    const auto s = readSettings();

    // Envelope rates first, so notes started by this block's MIDI use the current times.
    for (auto& voice : voices)
        setEnvelopesFromSettings (voice.ampEnvelope, voice.filterEnvelope, s.envelopes);

    for (const auto metadata : midi)
        handleMidiEvent (decodeMidi (metadata.data, metadata.numBytes));

    const int numSamples = buffer.getNumSamples();

    if (numSamples <= 0 || buffer.getNumChannels() <= 0)
        return;

    smoothCoeff = smoothingCoefficient (0.005, sampleRate);
    glideCoeff = smoothingCoefficient (juce::jmax (s.glide, 2.0f) * 0.001, sampleRate);
    bendFactor = std::exp2 (clampSetting (pitchBend, -2.0f, 2.0f, 0.0f) / 12.0f);
    tuneFactor = std::exp2 (s.globalTune / 1200.0f);

    const float lfoIncrement = (float)(s.lfoRate * juce::MathConstants<double>::twoPi / sampleRate);
    const float lfoDepth = clampSetting (modWheel, 0.0f, 1.0f, 0.0f) * 0.5f + s.lfoAmt;
    const float outputGain = 0.65f * s.masterVol;

    for (int start = 0; start < numSamples; start += renderChunk)
    {
        const int count = juce::jmin (renderChunk, numSamples - start);

        // The shared LFO, one value per sample, routed before the voices run.
        for (int i = 0; i < count; ++i)
        {
            lfoPhase += lfoIncrement;
            if (lfoPhase >= twoPi)
                lfoPhase -= twoPi;

            const float t = lfoPhase / twoPi;
            float shape;

            switch (s.lfoWave)
            {
                case 0:
                    shape = 4.0f * std::abs (t - 0.5f) - 1.0f;
                    break;
                case 1:
                    shape = 2.0f * t - 1.0f;
                    break;
                case 2:
                    shape = lfoPhase < pi ? 1.0f : -1.0f;
                    break;
                default:
                    shape = fastSin (lfoPhase);
                    break;
            }

            const float lfo = lfoDepth * shape;
            lfoPitchSemitones[i] = s.lfoTarget == 0 ? 2.0f * lfo : 0.0f;
            lfoPitchFactor[i] = s.lfoTarget == 0 ? fastExp2 (lfoPitchSemitones[i] / 12.0f) : 1.0f;
            lfoCutoff[i] = s.lfoTarget == 1 ? 4000.0f * lfo : 0.0f;
            lfoPulseWidth[i] = s.lfoTarget == 2 ? 0.4f * lfo : 0.0f;
            mixSum[i] = 0.0f;
        }

        // Voices sounding at the chunk's start run in lanes, four to a group; a voice that
        // falls silent inside the chunk runs on at zero level until the chunk ends.
        int sounding[numVoices];
        int numSounding = 0;

        for (int v = 0; v < numVoices; ++v)
            if (! voices[v].isFree())
                sounding[numSounding++] = v;

        renderSoundingVoices (sounding, numSounding, s, count);

        for (int i = 0; i < count; ++i)
            mixSum[i] = fastTanh (0.5f * mixSum[i]) * outputGain;

        addMonoToBuffer (buffer, start, mixSum, count);
    }
}
