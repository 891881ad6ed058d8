// Writes the starting corpus of every fuzz target from files the program writes itself: a
// saved reel (with a drum machine naming a sample, automation and defects), the processor's
// state blobs, a backup archive of that reel and the embedded demo reel, and the per-user files.
//
// Usage: dravin8_fuzz_seeds <corpus folder>   (makes reel/, state/, archive/, userfiles/ in it)

#include "fuzz/FuzzEnvironment.h"

#include "engine/GlobalMidiMap.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/RhythmEngine.h"
#include "resources/DemoReelArchive.h"
#include "storage/ReelFolderFormat.h"
#include "storage/StorageIds.h"

#include <cmath>
#include <iostream>

namespace
{
juce::MemoryBlock load (const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    return bytes;
}

juce::MemoryBlock asBytes (const juce::XmlElement& xml)
{
    juce::MemoryOutputStream out;
    xml.writeTo (out);
    return out.getMemoryBlock();
}

/** The automation store always spans an hour: its lanes would make seeds of megabytes, far
    beyond what a fuzzer mutates usefully. Each lane is cut to a few points. */
void shortenLanes (juce::XmlElement& xml)
{
    if (xml.hasAttribute ("data"))
    {
        const float points[] = { 0.5f, 0.6f, 0.7f, 0.7f, 0.2f, 0.0f, 1.0f, 0.5f };
        xml.setAttribute ("data", juce::MemoryBlock (points, sizeof (points)).toBase64Encoding());
    }

    for (auto* child : xml.getChildIterator())
        shortenLanes (*child);
}

juce::MemoryBlock shortened (const juce::MemoryBlock& document)
{
    auto xml = juce::parseXML (document.toString());

    if (xml == nullptr)
        return document;

    shortenLanes (*xml);
    return asBytes (*xml);
}

void writeSeed (const juce::File& folder, const juce::String& name, const juce::MemoryBlock& bytes)
{
    FuzzEnvironment::write (folder.getChildFile (name), bytes);
}

/** Records a little signal and a painted defect on the first two tracks. */
void record (TavrelDelayAudioProcessor& p)
{
    for (int t = 0; t < 2; ++t)
    {
        auto& track = p.tracks[(size_t)t];

        for (int i = 0; i < 1000; ++i)
            track.getAudio().setSample (0, i, 0.5f * std::sin (0.03f * (float)(i + 50 * t)));

        track.recordedLength = 1000;
        track.dirty = true;
        track.getHead().defects[(size_t)(10 + t)].lanes[2] = 0.5f;
    }
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: " << argv[0] << " <corpus folder>\n";
        return 2;
    }

    const juce::File corpus (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    FuzzEnvironment env ("seeds");
    auto& p = env.getProcessor();
    const auto sample = FuzzEnvironment::getBaseFolder().getChildFile ("reel").getChildFile ("sample.wav");

    // Two reels: a plain one, and one with a drum machine, automation and a second track count.
    for (int variant = 0; variant < 2; ++variant)
    {
        const auto name = "Seed" + juce::String (variant);

        if (! p.prepareReel (variant == 0 ? 8 : 16, 0.25, 8000.0).wasOk())
            return 1;

        record (p);

        if (variant == 1)
        {
            p.addBuiltInInstrument (BuiltInInstruments::RhythmMachine);

            if (! p.instruments.empty() && p.instruments[0]->rhythmEngine != nullptr)
                p.instruments[0]->rhythmEngine->samplePath[0] = sample.getFullPathName();

            p.setAutomationMode (0, 1);
        }

        if (auto saved = p.saveReelAs (name); saved.failed())
        {
            std::cerr << saved.getErrorMessage() << "\n";
            return 1;
        }

        const auto reel = p.reelLibrary.getLibraryRoot().getChildFile (name);
        const auto track = load (reel.getChildFile (ReelFolderFormat::getTrackFileName (0)));
        writeSeed (corpus.getChildFile ("reel"), name,
                   FuzzEnvironment::join ({load (reel.getChildFile (StorageIds::settingsFile)),
                                           shortened (load (reel.getChildFile (StorageIds::automationFile))), track,
                                           load (reel.getChildFile (StorageIds::defectsFile)), track,
                                           load (reel.getChildFile (ReelFolderFormat::manifestFile))}));

        juce::MemoryBlock state;
        p.getStateInformation (state);

        if (auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int)state.getSize()))
        {
            shortenLanes (*xml);
            juce::AudioProcessor::copyXmlToBinary (*xml, state);
        }

        writeSeed (corpus.getChildFile ("state"), name, state);

        const auto archive = env.getFolder().getChildFile (name + ".zip");

        if (p.reelLibrary.zipReel (name, archive).wasOk())
            writeSeed (corpus.getChildFile ("archive"), name, load (archive));
    }

    if (const auto demo = getEmbeddedDemoReelArchive(); ! demo.isEmpty())
        writeSeed (corpus.getChildFile ("archive"), "Demo", juce::MemoryBlock (demo.data, demo.size));

    // The per-user files, as the program writes them.
    juce::XmlElement settings ("GLOBAL_SETTINGS");
    settings.setAttribute ("enable3rdPartyPlugins", 1);
    settings.setAttribute ("momentaryTransport", 1);
    settings.setAttribute ("disableAutoDisarm", 0);
    settings.setAttribute ("varispeedMusicalSnap", 1);

    GlobalMidiMap::Bindings bindings { { 7, "VOL_1" }, { 0x100 + 10, "PAN_2" } };
    const auto midiMap = env.getFolder().getChildFile ("midi_map.xml");
    GlobalMidiMap::writeFile (bindings, midiMap);

    juce::KnownPluginList plugins;
    juce::PluginDescription description;
    description.name = "Seed Plug-in";
    description.pluginFormatName = "VST3";
    description.fileOrIdentifier = "/usr/lib/vst3/Seed.vst3";
    description.manufacturerName = "Velmora";
    description.uniqueId = 1234;
    plugins.addType (description);

    p.reelLibrary.loadShelf(); // writes the layout of the two reels
    const auto layout = load (p.reelLibrary.getLibraryRoot().getChildFile (StorageIds::shelfLayoutFile));

    writeSeed (corpus.getChildFile ("userfiles"), "all",
               FuzzEnvironment::join ({asBytes (settings), load (midiMap), asBytes (*plugins.createXml()), layout}));
    return 0;
}
