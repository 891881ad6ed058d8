#pragma once

#include "instruments/VoiceHelpers.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

/** The drum machine (built-in instrument type 2): ten analogue-style voices, each
    replaceable by a user's sample, and a 16-step, ten-row sequencer with swing
    that runs on its own tempo or follows the project's tempo and transport.

    Settings and the step grid are plain fields that the editors write directly.
    Custom samples are read on the calling (message) thread and handed to the
    audio thread through atomic pointers; a replaced sample is freed later on the
    message thread, never by the audio thread. */
class RhythmEngine
{
public:
    static constexpr int numVoices = 10;
    static constexpr int numSteps = 16;
    static constexpr int numPatterns = 16;
    static constexpr int customPattern = 15;

    /** Longest custom sample kept, in seconds at the file's own rate. */
    static constexpr double maxSampleSeconds = 10.0;

    /** Voice codes in voice order, as used in the reel attributes ("vKik", "rmSeqRow0" ...). */
    static constexpr const char* voiceCodes[numVoices] = {"Kik", "Sn1", "Sn2", "Rim", "Ch",
                                                          "Oh",  "Clv", "Cb",  "Th",  "Tl"};

    /** The MIDI note of each voice. */
    static constexpr int voiceNotes[numVoices] = {36, 38, 40, 37, 42, 46, 75, 56, 50, 41};

    enum Voice : int
    {
        kick = 0,
        snare1,
        snare2,
        rim,
        closedHat,
        openHat,
        claves,
        cowbell,
        highTom,
        lowTom
    };

    /** Factory pattern names, "ROCK 1" ... "CUSTOM"; empty outside 0..15. */
    static const char* getPatternName (int index) noexcept;

    /** The voice a MIDI note triggers, or -1. */
    static int getVoiceForNote (int note) noexcept;

    /** Loads factory pattern 0 into the grid. */
    RhythmEngine();
    ~RhythmEngine();

    /** Stores the rate, stops the sequencer at step 0 and silences the voices.
        The step grid is left alone: a device restart must not lose the user's pattern. */
    void prepare (double newSampleRate) noexcept;

    /** Applies the block's MIDI, runs the sequencer and adds the voices to channels 0 and 1. */
    void renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, double projectBpm,
                          bool transportPlaying) noexcept;

    /** Copies factory pattern 0..15 into the grid (15 clears it); other values do nothing. */
    void loadPattern (int index) noexcept;

    /** A custom sample as read from its file, not yet given to a voice. */
    struct CustomSample
    {
        juce::AudioBuffer<float> audio; // one channel
        double sourceRate = 44100.0;
    };

    /** Reads and decodes a file (first channel, at most maxSampleSeconds; NaN and infinity
        become 0). Null when the file cannot be read as audio. Any thread; touches no engine. */
    static std::unique_ptr<CustomSample> readCustomSample (const juce::File& file, juce::AudioFormatManager& formats);

    /** Gives a sample read by readCustomSample to the voice: a pointer exchange, cheap enough to
        make while holding the processor's audio lock, so a caller can decode first and take the
        lock only for the swap. The replaced sample is kept until releaseRetiredSamples (or the
        next load or clear) frees it on the calling thread, never on the audio thread. Null or a
        voice outside 0..9 does nothing. Message thread. */
    void installCustomSample (int voice, std::unique_ptr<CustomSample> sample, const juce::File& file);

    /** Reads a file as the voice's sample (first channel, at most maxSampleSeconds).
        Message thread, no lock needed: the sound changes at the next block.
        A folder or an empty file name clears the voice. A missing file leaves the voice
        on its built-in sound but keeps the path, so the reel still names it; a file that
        exists but cannot be read as audio changes nothing. Returns true when loaded. */
    bool loadCustomSample (int voice, const juce::File& file, juce::AudioFormatManager& formats);

    /** As above for a stored path; an empty path clears, a relative path counts as missing. */
    bool loadCustomSample (int voice, const juce::String& path, juce::AudioFormatManager& formats);

    /** The voice plays its built-in sound again. Its sample is freed by the next
        releaseRetiredSamples or load, on the message thread. Message thread. */
    void clearCustomSample (int voice);

    /** Frees samples the audio thread has finished with. Message thread; also done by every load. */
    void releaseRetiredSamples();

    /** Length in frames of the voice's custom sample, 0 for none. Message thread. */
    int getCustomSampleLength (int voice) const;

    /** Starts the voice of every row whose cell at currentStep is set. */
    void triggerStep() noexcept;

    /** Starts one voice: its sample from the start, or its synth sound at gain x level. */
    void triggerVoice (int voice, float gain) noexcept;

    /** Clamps every setting into its range (for readers of reels). */
    void clampSettings() noexcept;

    // Settings, named after their reel attributes.
    int rmPattern = 0;     // 0..15, 15 = CUSTOM
    float rmVolume = 0.8f; // 0..1
    float rmBpm = 120.0f;  // own tempo, 40..240; follows the project while rmSync is on
    bool rmSync = true;    // "DAW SYNC"
    bool playing = false;  // the run switch; not stored
    int rmSeqLen = 16;     // 1..16
    float rmSwing = 0.0f;  // 0..1

    // Per voice, in voice order: attributes "v", "t" and "l" followed by the voice code.
    float voiceLevel[numVoices] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    float voiceTune[numVoices] = {}; // semitones, -12..12
    float voiceLength[numVoices] = {0.65f, 0.65f, 0.65f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};

    bool steps[numVoices][numSteps] = {};

    juce::String sampleName[numVoices]; // upper-case file name without extension; empty = built-in sound
    juce::String samplePath[numVoices]; // attributes rmSamplePath0..9

    double samplePosition[numVoices] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

    juce::Random random;
    double sampleRate = 44100.0;
    int samplesSinceStep = 0;
    int currentStep = 0;
    bool wasRunning = false;

private:
    struct RetiredSample
    {
        std::unique_ptr<CustomSample> sample;
        juce::uint32 renderCountAtRetire = 0;
        bool waitForRender = false;
    };

    void publishSample (int voice, std::unique_ptr<CustomSample> sample);
    void freeFinishedSamples();
    void handleMidiEvent (const VoiceHelpers::MidiEvent& event) noexcept;

    // Synth voice state
    float envelopeLevel[numVoices] = {};
    float phase[numVoices] = {};
    float cowbellPhase2 = 0.0f;
    float kickFrequency = 300.0f;
    float hatState[2] = {}; // closed, open

    // Sample hand-over: the message thread publishes, the audio thread reads at block start.
    std::atomic<CustomSample*> publishedSamples[numVoices] = {};
    const CustomSample* activeSamples[numVoices] = {};
    float sampleStep[numVoices] = {}; // source frames per output sample
    float sampleLevel[numVoices] = {};
    float sampleFadeRate[numVoices] = {};
    std::atomic<bool> rendering{false};
    std::atomic<juce::uint32> renderCount{0};
    std::vector<RetiredSample> retiredSamples; // message thread only
    mutable std::mutex loaderMutex;            // message-side callers only; never taken by the audio thread

    float scratch[VoiceHelpers::renderChunk] = {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RhythmEngine)
};

/** A new engine with default settings and factory pattern 0, not yet prepared. */
std::unique_ptr<RhythmEngine> makeRhythmEngine();
