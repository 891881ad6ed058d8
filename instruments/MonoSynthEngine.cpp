#include "instruments/MonoSynthEngine.h"

using namespace VoiceHelpers;

struct MonoSynthEngine::Settings
{
    int globalOctave, osc1Wave, osc2Wave, lfoTarget;
    float globalTune, osc2Tune, osc1Mix, osc2Mix, noiseMix, synthGlide, synthCutoff, synthRes, synthEnvMod;
    float lfoRate, lfoAmt;
    EnvelopeSettings envelopes;
};

MonoSynthEngine::MonoSynthEngine()
{
    random.setSeedRandomly();
}

std::unique_ptr<MonoSynthEngine> makeMonoSynthEngine()
{
    return std::make_unique<MonoSynthEngine>();
}

// Also the fallbacks for non-finite values.
constexpr EnvelopeSettings envelopeDefaults{5.0f, 500.0f, 0.2f, 500.0f, 5.0f, 500.0f, 1.0f, 500.0f};

MonoSynthEngine::Settings MonoSynthEngine::readSettings() const noexcept
{
    Settings s;
    s.globalOctave = clampSetting (globalOctave, -3, 3, 0);
    s.osc1Wave = clampSetting (osc1Wave, 0, 2, 0);
    s.osc2Wave = clampSetting (osc2Wave, 0, 2, 1);
    s.lfoTarget = clampSetting (lfoTarget, 0, 1, 0);
    s.globalTune = clampSetting (globalTune, -100.0f, 100.0f, 0.0f);
    s.osc2Tune = clampSetting (osc2Tune, -24.0f, 24.0f, -12.0f);
    s.osc1Mix = clampSetting (osc1Mix, 0.0f, 1.0f, 1.0f);
    s.osc2Mix = clampSetting (osc2Mix, 0.0f, 1.0f, 0.5f);
    s.noiseMix = clampSetting (noiseMix, 0.0f, 1.0f, 0.0f);
    s.synthGlide = clampSetting (synthGlide, 0.0f, 1000.0f, 50.0f);
    s.synthCutoff = clampSetting (synthCutoff, 20.0f, 20000.0f, 1000.0f);
    s.synthRes = clampSetting (synthRes, 0.0f, 0.95f, 0.5f);
    s.synthEnvMod = clampSetting (synthEnvMod, 0.0f, 10000.0f, 4000.0f);
    s.envelopes = readEnvelopeSettings (*this, 5000.0f, envelopeDefaults);
    s.lfoRate = clampSetting (lfoRate, 0.1f, 50.0f, 5.0f);
    s.lfoAmt = clampSetting (lfoAmt, 0.0f, 1.0f, 0.0f);
    return s;
}

void MonoSynthEngine::clampSettings() noexcept
{
    const auto s = readSettings();
    globalOctave = s.globalOctave;
    osc1Wave = s.osc1Wave;
    osc2Wave = s.osc2Wave;
    lfoTarget = s.lfoTarget;
    globalTune = s.globalTune;
    osc2Tune = s.osc2Tune;
    osc1Mix = s.osc1Mix;
    osc2Mix = s.osc2Mix;
    noiseMix = s.noiseMix;
    synthGlide = s.synthGlide;
    synthCutoff = s.synthCutoff;
    synthRes = s.synthRes;
    synthEnvMod = s.synthEnvMod;
    writeEnvelopeSettings (*this, s.envelopes);
    lfoRate = s.lfoRate;
    lfoAmt = s.lfoAmt;
}

void MonoSynthEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    ampEnvelope.setSampleRate (sampleRate);
    filterEnvelope.setSampleRate (sampleRate);

    // A device restart must not leave a note hanging whose key-up went to the old device.
    ampEnvelope.reset();
    filterEnvelope.reset();
    gate = false;

    noteCount = 0;
    smoothedVelocity = 0.0f;
    smoothedCutoff = 1000.0f;
    smoothedAmp = 0.0f;
    sustainPedal = false;
    std::fill (std::begin (filterState), std::end (filterState), 0.0f);
}

void MonoSynthEngine::releaseEnvelopes() noexcept
{
    ampEnvelope.noteOff();
    filterEnvelope.noteOff();
    gate = false;
}

void MonoSynthEngine::startNote (int note, int velocity127) noexcept
{
    if (noteCount < maxHeldNotes)
        noteStack[noteCount++] = note;

    targetFrequency = noteToFrequency (note);
    velocity = (float)velocity127 / 127.0f;

    if (! gate)
    {
        // A note from silence starts at its pitch; only legato notes glide.
        const int octave = clampSetting (globalOctave, -3, 3, 0);
        const float tune = clampSetting (globalTune, -100.0f, 100.0f, 0.0f);
        currentFrequency = targetFrequency * std::exp2 (((float)octave * 12.0f + tune / 100.0f) / 12.0f);
        gate = true;
        ampEnvelope.noteOn();
        filterEnvelope.noteOn();
    }
}

void MonoSynthEngine::stopNote (int note) noexcept
{
    for (int i = 0; i < noteCount; ++i)
    {
        if (noteStack[i] == note)
        {
            for (int j = i; j < noteCount - 1; ++j)
                noteStack[j] = noteStack[j + 1];

            --noteCount;
            break;
        }
    }

    if (noteCount > 0)
    {
        targetFrequency = noteToFrequency (noteStack[noteCount - 1]);
        return;
    }

    if (! sustainPedal)
        releaseEnvelopes();
}

void MonoSynthEngine::handleMidiEvent (const MidiEvent& event) noexcept
{
    applyMidiEvent (
        event, pitchBend, modWheel, sustainPedal, [this] (int note, int velocity127) { startNote (note, velocity127); },
        [this] (int note) { stopNote (note); },
        [this]
        {
            if (noteCount == 0)
                releaseEnvelopes();
        },
        [this]
        {
            noteCount = 0;
            releaseEnvelopes();
        });
}

void MonoSynthEngine::renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept
{
    const juce::ScopedNoDenormals noDenormals; // decaying states must not fall into slow denormal arithmetic

    const auto s = readSettings();
    const float sr = (float)sampleRate;

    // Envelope rates first, so notes started by this block's MIDI use the current times.
    setEnvelopesFromSettings (ampEnvelope, filterEnvelope, s.envelopes);

    for (const auto metadata : midi)
        handleMidiEvent (decodeMidi (metadata.data, metadata.numBytes));

    const int numSamples = buffer.getNumSamples();

    if (numSamples <= 0 || buffer.getNumChannels() <= 0)
        return;

    const float glideCoeff = smoothingCoefficient (juce::jmax (s.synthGlide, 2.0f) * 0.001, sampleRate);
    const float smoothCoeff = smoothingCoefficient (0.005, sampleRate);
    const float ampCoeff = smoothingCoefficient (0.01, sampleRate);
    const float lfoIncrement = (float)(s.lfoRate * juce::MathConstants<double>::twoPi / sampleRate);
    const float bendSafe = clampSetting (pitchBend, -2.0f, 2.0f, 0.0f);
    const float modSafe = clampSetting (modWheel, 0.0f, 1.0f, 0.0f);
    const float pitchFactor = std::exp2 (((float)s.globalOctave * 12.0f + s.globalTune / 100.0f + bendSafe) / 12.0f);
    const float osc2Ratio = std::exp2 (s.osc2Tune / 12.0f);
    const float lfoDepth = modSafe * 0.5f + s.lfoAmt;
    const float cutoffLimit = maxCutoff (sampleRate);
    const float invSampleRate = 1.0f / sr;

    auto shape = [] (int wave, float t, float dt) noexcept
    {
        if (wave == 0)
            return sawShape (t, dt);
        if (wave == 1)
            return squareShape (t, dt);
        return triangleShape (t);
    };

    for (int start = 0; start < numSamples; start += renderChunk)
    {
        const int count = juce::jmin (renderChunk, numSamples - start);

        for (int i = 0; i < count; ++i)
        {
            lfoPhase += lfoIncrement;
            if (lfoPhase >= twoPi)
                lfoPhase -= twoPi;

            currentFrequency += (pitchFactor * targetFrequency - currentFrequency) * glideCoeff;
            smoothedVelocity += (velocity - smoothedVelocity) * smoothCoeff;

            const float lfo = fastSin (lfoPhase) * lfoDepth;
            const float f1 = s.lfoTarget == 0 ? currentFrequency * fastExp2 (2.0f * lfo / 12.0f) : currentFrequency;

            const float dt1 = f1 * invSampleRate;
            osc1Phase = wrapPhase (osc1Phase + dt1);
            const float dt2 = osc2Ratio * f1 * invSampleRate;
            osc2Phase = wrapPhase (osc2Phase + dt2);

            const float o1 = shape (s.osc1Wave, osc1Phase, dt1);
            const float o2 = shape (s.osc2Wave, osc2Phase, dt2);
            const float mix = (o1 * s.osc1Mix + o2 * s.osc2Mix + noise (random) * s.noiseMix) * 0.3f;

            const float a = ampEnvelope.getNextSample();
            const float e = filterEnvelope.getNextSample();
            smoothedAmp += (a - smoothedAmp) * ampCoeff;

            float cutoff = e * s.synthEnvMod + s.synthCutoff + (s.lfoTarget == 1 ? 4000.0f * lfo : 0.0f);
            cutoff = juce::jlimit (20.0f, cutoffLimit, cutoff);
            smoothedCutoff += (cutoff - smoothedCutoff) * smoothCoeff;

            const float y = processLadderFilter (filterState, mix, smoothedCutoff, s.synthRes, sr, lowPass);
            scratch[i] = fastTanh (2.0f * y * smoothedAmp * smoothedVelocity) * 0.35f;
        }

        addMonoToBuffer (buffer, start, scratch, count);
    }
}
