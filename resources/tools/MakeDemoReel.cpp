// Build tool: writes the demo reel with the program's own reel writer, packs it as the ZIP
// archive the first-run job installs, and emits it as a C++ source defining
// getEmbeddedDemoReelArchive(). Everything is fixed (seeds, notes, stored times), so the same
// sources always give the same archive and the build does not recompile it needlessly.
//
// Usage: dravin8_make_demo_reel <output.cpp>

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/tape/TapeTrack.h"
#include "platform/Platform.h"
#include "storage/AutomationXml.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelLibrary.h"
#include "storage/StateXmlIds.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_core/juce_core.h>

#include <array>
#include <cmath>
#include <iostream>
#include <vector>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr double reelSeconds = 600.0;
constexpr int numTracks = 8;
constexpr double tempo = 112.0;
constexpr int numBars = 4;
constexpr double beatSeconds = 60.0 / tempo;
constexpr double musicSeconds = numBars * 4 * beatSeconds;
constexpr double twoPi = juce::MathConstants<double>::twoPi;

const char* const trackNames[numTracks] = {"Kick", "Snare", "Hats", "Bass", "Keys", "Pad", "Lead", "Bell"};

/** A parameter tree needs a processor; this one only carries it. */
class TreeHolder final : public juce::AudioProcessor
{
public:
    const juce::String getName() const override { return "Demo"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
};

double midiToHz (int note)
{
    return 440.0 * std::pow (2.0, (note - 69) / 12.0);
}

int secondsToSample (double seconds)
{
    return (int)std::lround (seconds * sampleRate);
}

/** Adds a decaying voice at a time; shape maps (phase in cycles, seconds since start) to a sample. */
template <typename Shape>
void addNote (float* out, int length, double start, double duration, double gain, Shape&& shape)
{
    const int first = secondsToSample (start);
    const int count = juce::jmin (secondsToSample (duration), length - first);
    const int fade = juce::jmin (count / 2, secondsToSample (0.004));

    for (int i = 0; i < count; ++i)
    {
        const double t = i / sampleRate;
        double edge = 1.0;

        if (i < fade)
            edge = (double)i / fade;
        else if (i >= count - fade)
            edge = (double)(count - i) / fade;

        out[first + i] += (float)(gain * edge * shape (t));
    }
}

void writeKick (float* out, int length)
{
    for (int beat = 0; beat < numBars * 4; ++beat)
    {
        addNote (out, length, beat * beatSeconds, 0.45, 0.9,
                 [] (double t)
                 {
                     const double phase =
                         48.0 * t + (110.0 / 28.0) * (1.0 - std::exp (-28.0 * t)); // pitch falls 160 -> 48 Hz
                     return std::sin (twoPi * phase) * std::exp (-7.0 * t);
                 });
    }
}

void writeSnare (float* out, int length)
{
    juce::Random noise (8101);

    for (int beat = 1; beat < numBars * 4; beat += 2)
    {
        addNote (out, length, beat * beatSeconds, 0.25, 0.6,
                 [&noise] (double t)
                 {
                     const double body = 0.5 * std::sin (twoPi * 185.0 * t) * std::exp (-30.0 * t);
                     return body + (noise.nextDouble() * 2.0 - 1.0) * std::exp (-18.0 * t);
                 });
    }
}

void writeHats (float* out, int length)
{
    juce::Random noise (8102);
    float previous = 0.0f;

    for (int step = 0; step < numBars * 8; ++step)
    {
        const double gain = step % 2 == 0 ? 0.35 : 0.2;
        addNote (out, length, step * beatSeconds * 0.5, 0.08, gain,
                 [&noise, &previous] (double t)
                 {
                     // Differenced noise: only the highs remain.
                     const auto white = (float)(noise.nextDouble() * 2.0 - 1.0);
                     const auto high = white - previous;
                     previous = white;
                     return 0.5 * high * std::exp (-60.0 * t);
                 });
    }
}

// A minor progression: Am, F, C, G (one chord a bar).
const std::array<std::array<int, 3>, numBars> chords{{{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}}};
const std::array<int, numBars> roots{33, 29, 36, 31};

void writeBass (float* out, int length)
{
    const int pattern[8] = {0, 0, 12, 0, 0, 7, 12, 0};

    for (int bar = 0; bar < numBars; ++bar)
        for (int step = 0; step < 8; ++step)
        {
            const double frequency = midiToHz (roots[(size_t)bar] + pattern[step]);
            addNote (out, length, (bar * 8 + step) * beatSeconds * 0.5, beatSeconds * 0.45, 0.5,
                     [frequency] (double t)
                     {
                         double sample = 0.0;

                         for (int h = 1; h <= 6; ++h) // a soft sawtooth
                             sample += std::sin (twoPi * frequency * h * t) / h;

                         return 0.6 * sample * std::exp (-4.0 * t);
                     });
        }
}

void writeKeys (float* out, int length)
{
    for (int bar = 0; bar < numBars; ++bar)
        for (int hit : {0, 3, 6}) // pushed eighths
            for (auto note : chords[(size_t)bar])
            {
                const double frequency = midiToHz (note);
                addNote (out, length, (bar * 8 + hit) * beatSeconds * 0.5, beatSeconds * 1.2, 0.18,
                         [frequency] (double t)
                         {
                             const double tine = std::sin (
                                 twoPi * frequency * t + 1.5 * std::sin (twoPi * frequency * t) * std::exp (-6.0 * t));
                             return tine * std::exp (-3.0 * t);
                         });
            }
}

void writePad (float* out, int length)
{
    for (int bar = 0; bar < numBars; ++bar)
        for (auto note : chords[(size_t)bar])
        {
            const double frequency = midiToHz (note + 12);
            addNote (out, length, bar * 4 * beatSeconds, 4 * beatSeconds, 0.12,
                     [frequency] (double t)
                     {
                         const double swell = 1.0 - std::exp (-2.5 * t);
                         return swell *
                                (std::sin (twoPi * frequency * t) + 0.5 * std::sin (twoPi * frequency * 1.003 * t) +
                                 0.25 * std::sin (twoPi * frequency * 2.0 * t));
                     });
        }
}

void writeLead (float* out, int length)
{
    // One note per beat (0 = rest), over the chords above.
    const int melody[numBars * 4] = {76, 0, 74, 72, 72, 0, 69, 72, 67, 0, 72, 74, 74, 76, 74, 0};

    for (int beat = 0; beat < numBars * 4; ++beat)
    {
        if (melody[beat] == 0)
            continue;

        const double frequency = midiToHz (melody[beat]);
        addNote (out, length, beat * beatSeconds, beatSeconds * 0.9, 0.3,
                 [frequency] (double t)
                 {
                     const double vibrato = 0.004 * std::sin (twoPi * 5.5 * t) * juce::jmin (1.0, t * 4.0);
                     const double phase = frequency * t * (1.0 + vibrato);
                     return (std::sin (twoPi * phase) + 0.3 * std::sin (twoPi * 3.0 * phase)) * std::exp (-1.5 * t);
                 });
    }
}

void writeBell (float* out, int length)
{
    for (int bar = 0; bar < numBars; ++bar)
    {
        const double frequency = midiToHz (chords[(size_t)bar][2] + 24);
        addNote (out, length, (bar * 4 + 3.5) * beatSeconds, 1.5, 0.2,
                 [frequency] (double t)
                 {
                     return std::sin (twoPi * frequency * t +
                                      2.0 * std::sin (twoPi * frequency * 3.5 * t) * std::exp (-3.0 * t)) *
                            std::exp (-2.5 * t);
                 });
    }
}

/** The reel in a library made for the purpose; returns the reel folder. */
juce::File writeDemoReel (const juce::File& workFolder)
{
    const Platform::ScopedFolderOverride folders (workFolder.getChildFile ("user"), workFolder.getChildFile ("music"));
    ReelLibrary library;

    TreeHolder holder;
    juce::AudioProcessorValueTreeState state (holder, nullptr, "PARAMETERS",
                                              TavrelDelayAudioProcessor::createParameterLayout());

    for (int i = 0; i < numTracks; ++i)
        state.state.setProperty (ParameterIds::forTrack (ParameterIds::TrackName_, i + 1), trackNames[i], nullptr);

    std::vector<TapeTrack> tracks ((size_t)numTracks);
    using Writer = void (*) (float*, int);
    const Writer writers[numTracks] = {writeKick, writeSnare, writeHats, writeBass,
                                       writeKeys, writePad,   writeLead, writeBell};
    const int length = secondsToSample (musicSeconds);

    for (int i = 0; i < numTracks; ++i)
    {
        auto& track = tracks[(size_t)i];
        const auto prepared = track.prepare (sampleRate, reelSeconds);

        if (prepared.failed())
            throw std::runtime_error (prepared.getErrorMessage().toStdString());

        auto* samples = track.getAudio().getWritePointer (0);
        writers[i](samples, length);
        track.recordedLength = length;
        track.dirty = true;
    }

    // No automation and an empty rack, as a fresh reel saves them.
    const juce::AudioBuffer<float> noLanes;
    AutomationXml::Modes modes;

    for (auto& mode : modes)
        mode = 0;

    const auto automation = AutomationXml::create (noLanes, modes, numTracks);
    const juce::XmlElement rack (StateXmlIds::RACK_STATE);

    for (int slot : {ReelFolderFormat::mainSlot, ReelFolderFormat::recoverySlot})
    {
        const auto written = library.writeReel ("Demo", tracks, state, 0.0, 0.0, sampleRate, &rack, automation.get(),
                                                slot, std::vector<bool> ((size_t)numTracks, true));

        if (written.failed())
            throw std::runtime_error (written.getErrorMessage().toStdString());
    }

    return library.getReelFolder ("Demo");
}

/** The archive: every file of the reel at the top level (no enclosing folder, no pointer
    file), the recovery copy stored an hour older than the main copy. */
juce::MemoryBlock packArchive (const juce::File& reelFolder)
{
    const juce::Time mainTime (2024, 2, 1, 12, 0, 0, 0, false); // 1 March 2024, 12:00 UTC
    const juce::Time recoveryTime = mainTime - juce::RelativeTime::hours (1);

    juce::ZipFile::Builder builder;
    auto files = reelFolder.findChildFiles (juce::File::findFiles, true);
    files.sort();

    for (const auto& file : files)
    {
        const auto path = file.getRelativePathFrom (reelFolder).replaceCharacter ('\\', '/');

        if (file.getFileExtension() == ".reel")
            continue; // the writer makes the pointer when the reel is first saved

        const bool recovery = path.startsWith ("Recovery/");
        file.setLastModificationTime (recovery ? recoveryTime : mainTime);
        builder.addFile (file, 9, path);
    }

    juce::MemoryBlock archive;
    {
        juce::MemoryOutputStream out (archive, false);

        if (! builder.writeToStream (out, nullptr))
            throw std::runtime_error ("could not pack the demo reel");
    }
    return archive;
}

/** The archive as one string literal: printable characters as they are, the rest as
    three-digit octal escapes. Compiles far faster than a list of numbers. */
juce::String makeSource (const juce::MemoryBlock& archive)
{
    juce::MemoryOutputStream out;
    out << "// Generated by dravin8_make_demo_reel. Do not edit.\n\n"
           "#include \"resources/DemoReelArchive.h\"\n\n"
           "namespace\n{\n"
           "const char demoReelArchive[] =\n\"";

    const auto* bytes = static_cast<const unsigned char*> (archive.getData());
    int column = 0;

    for (size_t i = 0; i < archive.getSize(); ++i)
    {
        const auto c = bytes[i];

        if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"' && c != '?')
        {
            out.writeByte ((char)c);
            ++column;
        }
        else
        {
            const char escape[] = {'\\', (char)('0' + (c >> 6)), (char)('0' + ((c >> 3) & 7)), (char)('0' + (c & 7))};
            out.write (escape, 4);
            column += 4;
        }

        if (column >= 120)
        {
            out << "\"\n\"";
            column = 0;
        }
    }

    out << "\";\n} // namespace\n\n"
           "EmbeddedBytes getEmbeddedDemoReelArchive() noexcept\n{\n"
           "    // The literal's own terminating zero is not part of the archive.\n"
           "    return {demoReelArchive, sizeof (demoReelArchive) - 1};\n}\n";
    return out.toString();
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: dravin8_make_demo_reel <output.cpp>\n";
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto work = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getNonexistentChildFile ("dravin8-demo-reel", {}, false);
    int result = 0;

    try
    {
        work.createDirectory();
        const auto archive = packArchive (writeDemoReel (work));
        const auto source = makeSource (archive);
        const juce::File output (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));

        // Left untouched when unchanged, so the build does not recompile it.
        if (! output.existsAsFile() || output.loadFileAsString() != source)
            if (! output.getParentDirectory().createDirectory() ||
                ! output.replaceWithText (source, false, false, nullptr))
                throw std::runtime_error ("could not write " + output.getFullPathName().toStdString());

        std::cout << "demo reel archive: " << archive.getSize() << " bytes\n";
    }
    catch (const std::exception& e)
    {
        std::cerr << "dravin8_make_demo_reel: " << e.what() << "\n";
        result = 1;
    }

    work.deleteRecursively();
    return result;
}
