#include "instruments/RhythmEngine.h"

#include "storage/GuardedAudioReader.h"

using namespace VoiceHelpers;

namespace
{
struct FactoryPattern
{
    const char* name;
    const char* rows[RhythmEngine::numVoices]; // voice order; nullptr = empty row
};

// Rows in voice order: Kik, Sn1, Sn2, Rim, Ch, Oh, Clv, Cb, Th, Tl. 'x' = step on.
const FactoryPattern factoryPatterns[RhythmEngine::numPatterns] = {
    {"ROCK 1",
     {"x...x...x.x.x...", "....x.......x...", nullptr, nullptr, "x.x.x.x.x.x.x.x.", "..............x.", nullptr,
      nullptr, nullptr, nullptr}},
    {"ROCK 2",
     {"x.......x...x...", nullptr, "....x.......x...", nullptr, "xxx.xxx.xxx.xxx.", nullptr, nullptr,
      ".........x......", nullptr, nullptr}},
    {"DISCO",
     {"x...x...x...x...", nullptr, "....x.......x...", nullptr, "x.x.x.x.x.x.x.x.", "..x...x...x...x.", nullptr,
      nullptr, nullptr, nullptr}},
    {"HOUSE",
     {"x...x...x...x...", nullptr, "....x.......x...", nullptr, "xx..xx..xx..xx..", "..x...x...x...x.",
      "........x.x.....", nullptr, nullptr, nullptr}},
    {"BOSSA",
     {"x.....x.x.....x.", nullptr, nullptr, "x..x..x..x..x...", "x.x.x.x.x.x.x.x.", nullptr, nullptr, nullptr, nullptr,
      nullptr}},
    {"MAMBO",
     {"x.......x.......", nullptr, nullptr, ".....x.......x..", "x.x.x.x.x.x.x.x.", nullptr, "x.....x.x.x.....",
      "....x...........", nullptr, "......x........."}},
    {"RUMBA",
     {"x.......x.......", nullptr, nullptr, nullptr, "x.x.x.x.x.x.x.x.", nullptr, "x.....x.x.......",
      ".......x........", ".....x..........", ".........x......"}},
    {"CHA-CHA",
     {"x.....x.x.....x.", nullptr, nullptr, nullptr, "x.x.x.x.x.x.x.x.", nullptr, "x..x.....x..x...", nullptr, nullptr,
      nullptr}},
    {"WALTZ",
     {"x.......x.......", "..x.......x.....", nullptr, nullptr, "x.x.....x.x.....", nullptr, nullptr, nullptr,
      "....x.......x...", nullptr}},
    {"SWING",
     {"x.......x.......", nullptr, "....x.......x...", nullptr, "x.x.x...x.x.x...", nullptr, nullptr, nullptr,
      "....x.......x...", nullptr}},
    {"SHUFFLE",
     {"x.......x.......", nullptr, "....x.......x...", nullptr, "x.x.x...x.x.x...", ".....x.......x..", nullptr,
      nullptr, nullptr, nullptr}},
    {"MARCH",
     {"x...x...x...x...", ".x.x.x.x.x.x.x.x", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}},
    {"8-BEAT",
     {"x...x...x...x...", "....x.......x...", nullptr, nullptr, "xxxxxxxxxxxxxxxx", nullptr, nullptr, nullptr,
      ".........x......", nullptr}},
    {"16-BEAT",
     {"x.......x.......", nullptr, "....x.......x...", nullptr, "xxxxxxxxxxxxxxxx", nullptr, nullptr, nullptr, nullptr,
      "......x........."}},
    {"ELECTRO",
     {"x.......x.x.x...", nullptr, "....x.......x...", nullptr, "x.x.x.x.x.x.x.x.", ".....x..........", nullptr,
      "..........x.....", ".....x..........", nullptr}},
    {"CUSTOM", {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}},
};

// Notes outside the voice table, by note mod 12: 0 Kik, 1 Rim, 2 Sn1, 3 Clv, 4 Sn2, 5 Th, 6 Ch, 7 Tl, 8 Oh, 9 Cb.
constexpr int voiceByPitchClass[12] = {0, 3, 1, 6, 2, 8, 4, 9, 5, 7, -1, -1};

// Per-sample decay factors at length 0, 0.5 and 1.
constexpr float decayPoints[RhythmEngine::numVoices][3] = {
    {0.99f, 0.999f, 0.9998f},  // Kik
    {0.988f, 0.998f, 0.9996f}, // Sn1
    {0.985f, 0.998f, 0.9996f}, // Sn2
    {0.96f, 0.98f, 0.995f},    // Rim
    {0.985f, 0.998f, 0.9995f}, // Ch
    {0.995f, 0.999f, 0.9998f}, // Oh
    {0.995f, 0.999f, 0.9998f}, // Clv
    {0.992f, 0.998f, 0.9997f}, // Cb
    {0.993f, 0.998f, 0.9997f}, // Th
    {0.993f, 0.998f, 0.9997f}, // Tl
};

// The drum voices' own value of 2 pi.
constexpr float drumTwoPi = 6.28318f;

float decayFactor (int voice, float length) noexcept
{
    const auto& d = decayPoints[voice];

    if (length < 0.5f)
        return d[0] + 2.0f * length * (d[1] - d[0]);

    return d[1] + 2.0f * (length - 0.5f) * (d[2] - d[1]);
}
} // namespace

//==============================================================================
const char* RhythmEngine::getPatternName (int index) noexcept
{
    return juce::isPositiveAndBelow (index, numPatterns) ? factoryPatterns[index].name : "";
}

int RhythmEngine::getVoiceForNote (int note) noexcept
{
    for (int v = 0; v < numVoices; ++v)
        if (voiceNotes[v] == note)
            return v;

    return note >= 0 ? voiceByPitchClass[note % 12] : -1;
}

RhythmEngine::RhythmEngine()
{
    random.setSeedRandomly();
    loadPattern (0);
}

RhythmEngine::~RhythmEngine()
{
    // Destroyed on the message thread once no block is rendering.
    for (auto& published : publishedSamples)
        delete published.exchange (nullptr);
}

std::unique_ptr<RhythmEngine> makeRhythmEngine()
{
    return std::make_unique<RhythmEngine>();
}

void RhythmEngine::clampSettings() noexcept
{
    rmPattern = clampSetting (rmPattern, 0, numPatterns - 1, 0);
    rmVolume = clampSetting (rmVolume, 0.0f, 1.0f, 0.8f);
    rmBpm = clampSetting (rmBpm, 40.0f, 240.0f, 120.0f);
    rmSeqLen = clampSetting (rmSeqLen, 1, numSteps, numSteps);
    rmSwing = clampSetting (rmSwing, 0.0f, 1.0f, 0.0f);

    for (int v = 0; v < numVoices; ++v)
    {
        voiceLevel[v] = clampSetting (voiceLevel[v], 0.0f, 1.0f, 1.0f);
        voiceTune[v] = clampSetting (voiceTune[v], -12.0f, 12.0f, 0.0f);
        voiceLength[v] = clampSetting (voiceLength[v], 0.0f, 1.0f, v < 3 ? 0.65f : 0.5f);
    }
}

void RhythmEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    samplesSinceStep = 0;
    currentStep = 0;
    playing = false;
    wasRunning = false;

    for (int v = 0; v < numVoices; ++v)
    {
        envelopeLevel[v] = 0.0f;
        samplePosition[v] = -1.0;
    }
}

void RhythmEngine::loadPattern (int index) noexcept
{
    if (! juce::isPositiveAndBelow (index, numPatterns))
        return;

    const auto& pattern = factoryPatterns[index];

    for (int v = 0; v < numVoices; ++v)
        for (int s = 0; s < numSteps; ++s)
            steps[v][s] = pattern.rows[v] != nullptr && pattern.rows[v][s] == 'x';
}

//==============================================================================
std::unique_ptr<RhythmEngine::CustomSample> RhythmEngine::readCustomSample (const juce::File& file,
                                                                            juce::AudioFormatManager& formats)
{
    auto reader = GuardedAudioReader::open (formats, file);

    if (reader == nullptr)
        return nullptr;

    const double rate = reader->sampleRate;

    if (! (rate >= 1000.0 && rate <= 1000000.0) || reader->numChannels < 1 || reader->lengthInSamples < 1)
        return nullptr;

    const auto maxLength = (juce::int64)std::ceil (maxSampleSeconds * rate);
    const auto length = (int)juce::jmin (reader->lengthInSamples, maxLength);

    auto sample = std::make_unique<CustomSample>();
    sample->sourceRate = rate;
    sample->audio.setSize (1, length);

    if (! reader->read (&sample->audio, 0, length, 0, true, false))
        return nullptr;

    // A damaged float file must not feed NaN or infinity into the mix.
    auto* data = sample->audio.getWritePointer (0);

    for (int i = 0; i < length; ++i)
        if (! std::isfinite (data[i]))
            data[i] = 0.0f;

    return sample;
}

void RhythmEngine::publishSample (int voice, std::unique_ptr<CustomSample> sample)
{
    // Caller holds loaderMutex.
    auto* previous = publishedSamples[voice].exchange (sample.release());

    if (previous != nullptr)
    {
        // A block that began before the exchange may still read the old sample: free it
        // only once that block has finished (seen as renderCount moving on).
        RetiredSample retired;
        retired.sample.reset (previous);
        retired.waitForRender = rendering.load();
        retired.renderCountAtRetire = renderCount.load();
        retiredSamples.push_back (std::move (retired));
    }
}

void RhythmEngine::freeFinishedSamples()
{
    // Caller holds loaderMutex.
    retiredSamples.erase (std::remove_if (retiredSamples.begin(), retiredSamples.end(),
                                          [this] (const RetiredSample& r)
                                          { return ! r.waitForRender || renderCount.load() != r.renderCountAtRetire; }),
                          retiredSamples.end());
}

void RhythmEngine::releaseRetiredSamples()
{
    const std::lock_guard<std::mutex> lock (loaderMutex);
    freeFinishedSamples();
}

bool RhythmEngine::loadCustomSample (int voice, const juce::File& file, juce::AudioFormatManager& formats)
{
    if (! juce::isPositiveAndBelow (voice, numVoices))
        return false;

    if (file == juce::File() || file.isDirectory())
    {
        clearCustomSample (voice);
        return false;
    }

    if (! file.existsAsFile())
    {
        clearCustomSample (voice);
        const std::lock_guard<std::mutex> lock (loaderMutex);
        samplePath[voice] = file.getFullPathName();
        return false;
    }

    // Read before taking any lock: the audio thread never waits for the disk.
    auto sample = readCustomSample (file, formats);

    if (sample == nullptr)
        return false;

    installCustomSample (voice, std::move (sample), file);
    releaseRetiredSamples();
    return true;
}

void RhythmEngine::installCustomSample (int voice, std::unique_ptr<CustomSample> sample, const juce::File& file)
{
    if (! juce::isPositiveAndBelow (voice, numVoices) || sample == nullptr)
        return;

    const std::lock_guard<std::mutex> lock (loaderMutex);
    sampleName[voice] = file.getFileNameWithoutExtension().toUpperCase();
    samplePath[voice] = file.getFullPathName();
    publishSample (voice, std::move (sample));
}

bool RhythmEngine::loadCustomSample (int voice, const juce::String& path, juce::AudioFormatManager& formats)
{
    if (! juce::isPositiveAndBelow (voice, numVoices))
        return false;

    if (path.isEmpty())
    {
        clearCustomSample (voice);
        return false;
    }

    if (! juce::File::isAbsolutePath (path))
    {
        clearCustomSample (voice);
        const std::lock_guard<std::mutex> lock (loaderMutex);
        samplePath[voice] = path;
        return false;
    }

    return loadCustomSample (voice, juce::File (path), formats);
}

void RhythmEngine::clearCustomSample (int voice)
{
    if (! juce::isPositiveAndBelow (voice, numVoices))
        return;

    const std::lock_guard<std::mutex> lock (loaderMutex);
    sampleName[voice].clear();
    samplePath[voice].clear();
    publishSample (voice, nullptr);
}

int RhythmEngine::getCustomSampleLength (int voice) const
{
    if (! juce::isPositiveAndBelow (voice, numVoices))
        return 0;

    const std::lock_guard<std::mutex> lock (loaderMutex);
    const auto* sample = publishedSamples[voice].load();
    return sample != nullptr ? sample->audio.getNumSamples() : 0;
}

//==============================================================================
void RhythmEngine::triggerVoice (int voice, float gain) noexcept
{
    if (! juce::isPositiveAndBelow (voice, numVoices))
        return;

    if (activeSamples[voice] != nullptr && activeSamples[voice]->audio.getNumSamples() > 0)
    {
        samplePosition[voice] = 0.0;
        return;
    }

    envelopeLevel[voice] = gain * clampSetting (voiceLevel[voice], 0.0f, 1.0f, 1.0f);
    phase[voice] = 0.0f;

    if (voice == cowbell)
        cowbellPhase2 = 0.0f;

    if (voice == kick)
        kickFrequency = 300.0f * std::exp2 (clampSetting (voiceTune[kick], -12.0f, 12.0f, 0.0f) / 12.0f);
}

void RhythmEngine::triggerStep() noexcept
{
    const int step = juce::jlimit (0, numSteps - 1, currentStep);

    for (int v = 0; v < numVoices; ++v)
        if (steps[v][step])
            triggerVoice (v, 1.0f);
}

void RhythmEngine::handleMidiEvent (const MidiEvent& event) noexcept
{
    if (event.kind != MidiEvent::noteOn)
        return;

    triggerVoice (getVoiceForNote (event.number), 0.5f + 0.5f * (float)event.value / 127.0f);
}

void RhythmEngine::renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, double projectBpm,
                                    bool transportPlaying) noexcept
{
    const juce::ScopedNoDenormals noDenormals; // decaying voices must not fall into slow denormal arithmetic

    rendering.store (true);

    // Take over samples the message thread published since the last block.
    for (int v = 0; v < numVoices; ++v)
    {
        const auto* sample = publishedSamples[v].load();

        if (sample != activeSamples[v])
        {
            activeSamples[v] = sample;
            samplePosition[v] = -1.0;
        }
    }

    for (const auto metadata : midi)
        handleMidiEvent (decodeMidi (metadata.data, metadata.numBytes));

    const int numSamples = buffer.getNumSamples();

    if (numSamples > 0 && buffer.getNumChannels() > 0)
    {
        if (rmSync && std::isfinite (projectBpm) && projectBpm > 0.0)
            rmBpm = (float)projectBpm;

        const double bpm = juce::jlimit (20.0, 1000.0, std::isfinite (rmBpm) ? (double)rmBpm : 120.0);
        const double stepLength = 60.0 / bpm * sampleRate * 0.25;
        const float swing = clampSetting (rmSwing, 0.0f, 1.0f, 0.0f);
        const double evenStepLength = swing > 0.01f ? stepLength * (1.0 + swing / 2.0) : stepLength;
        const double oddStepLength = swing > 0.01f ? stepLength * (1.0 - swing / 2.0) : stepLength;
        const int sequenceLength = clampSetting (rmSeqLen, 1, numSteps, numSteps);
        const float gain = 1.5f * clampSetting (rmVolume, 0.0f, 1.0f, 0.8f);
        const float invSampleRate = (float)(1.0 / sampleRate);

        float tuneFactor[numVoices];
        float decay[numVoices];

        for (int v = 0; v < numVoices; ++v)
        {
            tuneFactor[v] = std::exp2 (clampSetting (voiceTune[v], -12.0f, 12.0f, 0.0f) / 12.0f);
            decay[v] = decayFactor (v, clampSetting (voiceLength[v], 0.0f, 1.0f, 0.5f));

            // A sample keeps its own pitch at any device rate; the tune knob transposes it.
            if (activeSamples[v] != nullptr)
                sampleStep[v] = (float)(tuneFactor[v] * activeSamples[v]->sourceRate / sampleRate);

            const float length = clampSetting (voiceLength[v], 0.0f, 1.0f, 0.5f);
            sampleLevel[v] = clampSetting (voiceLevel[v], 0.0f, 1.0f, 1.0f) * 1.2f;
            sampleFadeRate[v] = length < 0.99f ? -0.005f * (1.0f - length) : 0.0f;
        }

        const float kickFloor = 50.0f * tuneFactor[kick];

        for (int start = 0; start < numSamples; start += renderChunk)
        {
            const int count = juce::jmin (renderChunk, numSamples - start);

            for (int i = 0; i < count; ++i)
            {
                // Sequencer
                bool active;

                if (rmSync)
                {
                    active = playing && transportPlaying;

                    if (active && ! wasRunning)
                    {
                        samplesSinceStep = 0;
                        currentStep = 0;
                    }

                    wasRunning = active;
                }
                else
                {
                    active = playing;
                }

                if (active)
                {
                    const double length = (currentStep % 2 == 0) ? evenStepLength : oddStepLength;

                    if ((double)samplesSinceStep >= length)
                    {
                        samplesSinceStep = 0;
                        currentStep = (juce::jmax (currentStep, 0) + 1) % sequenceLength;
                        triggerStep();
                    }

                    ++samplesSinceStep;
                }

                // Synth voices
                const float n = noise (random);
                float sum = 0.0f;

                if (float e = envelopeLevel[kick]; e > 0.001f)
                {
                    sum += fastSin (drumTwoPi * phase[kick]) * e * 1.2f;
                    envelopeLevel[kick] = e * decay[kick];
                    phase[kick] = wrapPhase (phase[kick] + kickFrequency * invSampleRate);
                    kickFrequency = (kickFrequency - kickFloor) * 0.997f + kickFloor;
                }

                if (float e = envelopeLevel[snare1]; e > 0.001f)
                {
                    const float p = phase[snare1];
                    sum += (fastExp (-2.0f * p) * fastSin (drumTwoPi * p) * 1.2f + (0.6f * e + 0.4f) * n * 0.4f) * e;
                    envelopeLevel[snare1] = e * decay[snare1];
                    phase[snare1] = wrapPhase (p + 150.0f * tuneFactor[snare1] * (1.0f + 2.5f * e) * invSampleRate);
                }

                if (float e = envelopeLevel[snare2]; e > 0.001f)
                {
                    const float p = phase[snare2];
                    sum += ((n - fastSin (10.0f * p)) * 0.4f + fastTanh (2.0f * fastSin (drumTwoPi * p)) * 0.3f) * e;
                    envelopeLevel[snare2] = e * decay[snare2];
                    phase[snare2] = wrapPhase (p + 220.0f * tuneFactor[snare2] * (1.0f + 1.5f * e) * invSampleRate);
                }

                auto tone = [&] (int v, float frequency, float scale) noexcept
                {
                    if (const float e = envelopeLevel[v]; e > 0.001f)
                    {
                        sum += fastSin (drumTwoPi * phase[v]) * e * scale;
                        envelopeLevel[v] = e * decay[v];
                        phase[v] = wrapPhase (phase[v] + frequency * tuneFactor[v] * invSampleRate);
                    }
                };

                tone (rim, 800.0f, 0.8f);

                for (int hat = 0; hat < 2; ++hat)
                {
                    const int v = hat == 0 ? closedHat : openHat;

                    if (const float e = envelopeLevel[v]; e > 0.001f)
                    {
                        hatState[hat] = 0.5f * hatState[hat] + 0.5f * n;
                        sum += (n - hatState[hat]) * e * 0.4f;
                        envelopeLevel[v] = e * decay[v];
                    }
                }

                tone (claves, 2200.0f, 0.7f);

                if (const float e = envelopeLevel[cowbell]; e > 0.001f)
                {
                    sum += (fastSin (drumTwoPi * phase[cowbell]) + fastSin (drumTwoPi * cowbellPhase2)) * 0.4f * e;
                    envelopeLevel[cowbell] = e * decay[cowbell];
                    phase[cowbell] = wrapPhase (phase[cowbell] + 540.0f * tuneFactor[cowbell] * invSampleRate);
                    cowbellPhase2 = wrapPhase (cowbellPhase2 + 800.0f * tuneFactor[cowbell] * invSampleRate);
                }

                tone (highTom, 160.0f, 0.9f);
                tone (lowTom, 90.0f, 0.9f);

                // Custom samples, linearly interpolated
                for (int v = 0; v < numVoices; ++v)
                {
                    const auto* sample = activeSamples[v];
                    const double position = samplePosition[v];

                    if (sample == nullptr || position < 0.0)
                        continue;

                    const int last = sample->audio.getNumSamples() - 1;

                    if (! (position < (double)last))
                    {
                        samplePosition[v] = -1.0;
                        continue;
                    }

                    const float* data = sample->audio.getReadPointer (0);
                    const int index = (int)position;
                    const float frac = (float)(position - index);
                    const float x = data[index] + frac * (data[index + 1] - data[index]);
                    sum += x * sampleLevel[v] *
                           (sampleFadeRate[v] != 0.0f ? fastExp (sampleFadeRate[v] * (float)index) : 1.0f);

                    const double next = position + sampleStep[v];
                    samplePosition[v] = next < (double)last ? next : -1.0;
                }

                scratch[i] = fastTanh (gain * sum) * 0.8f;
            }

            addMonoToBuffer (buffer, start, scratch, count);
        }
    }

    renderCount.fetch_add (1);
    rendering.store (false);
}
