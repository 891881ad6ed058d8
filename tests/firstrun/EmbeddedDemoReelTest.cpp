#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelLibrary.h"
#include "tests/firstrun/FirstRunTestSupport.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace
{
constexpr int demoTracks = 8;

/** The files of one complete copy of an 8-track reel, '/'-joined under prefix. */
juce::StringArray copyFiles (const juce::String& prefix)
{
    juce::StringArray files{prefix + "settings.xml", prefix + "automation.xml", prefix + "defects.gz",
                            prefix + ReelFolderFormat::manifestFile};

    for (int i = 0; i < demoTracks; ++i)
        files.add (prefix + ReelFolderFormat::getTrackFileName (i));

    return files;
}

class EmbeddedDemoReelTest : public FirstRunTest
{
protected:
    void installEmbedded()
    {
        const auto archive = getEmbeddedDemoReelArchive();
        ASSERT_FALSE (archive.isEmpty());
        ASSERT_EQ (FirstRun::installDemoReel (root, "Demo", archive, {}), FirstRun::DemoOutcome::installed);
    }
};
} // namespace

TEST_F (EmbeddedDemoReelTest, UnpacksToACompleteReelWithAnOlderRecoveryCopy)
{
    installEmbedded();

    // Exactly the main copy, the recovery copy and the marker: no enclosing folder, no pointer.
    auto expected = copyFiles ({});
    expected.addArray (copyFiles ("Recovery/"));
    expected.add (".installed_ok");
    expected.add ("Recovery");
    expected.sort (false);
    juce::StringArray found;

    for (const auto& [path, time] : snapshot (demo()))
        found.add (path);

    found.sort (false);
    EXPECT_EQ (found, expected);

    for (const auto& path : copyFiles ({}))
    {
        SCOPED_TRACE (path);
        EXPECT_LT (demo().getChildFile ("Recovery").getChildFile (path).getLastModificationTime(),
                   demo().getChildFile (path).getLastModificationTime());
    }

    // The reel's attributes as the library and the settings file give them.
    ReelLibrary library;
    ASSERT_TRUE (library.setLibraryFolder (root));
    EXPECT_EQ (library.readReelSampleRate ("Demo"), 48000.0);
    EXPECT_TRUE (library.hasSnapshot ("Demo", ReelFolderFormat::recoverySlot));
    EXPECT_FALSE (library.hasNewerRecovery ("Demo")); // opening the demo offers no recovery

    const auto settings = juce::parseXML (demo().getChildFile ("settings.xml"));
    ASSERT_NE (settings, nullptr);
    EXPECT_EQ (settings->getTagName(), "PARAMETERS");
    EXPECT_EQ (settings->getIntAttribute ("numTracks"), demoTracks);
    EXPECT_EQ (settings->getDoubleAttribute ("sampleRate"), 48000.0);
    EXPECT_EQ (settings->getDoubleAttribute ("reelLength"), 600.0);

    // Every track carries sound: 16-bit mono at the reel's rate, a few seconds long.
    juce::WavAudioFormat wav;

    for (const auto& prefix : {juce::String(), juce::String ("Recovery/")})
        for (int i = 0; i < demoTracks; ++i)
        {
            const auto path = prefix + ReelFolderFormat::getTrackFileName (i);
            SCOPED_TRACE (path);
            std::unique_ptr<juce::AudioFormatReader> reader (
                wav.createReaderFor (demo().getChildFile (path).createInputStream().release(), true));
            ASSERT_NE (reader, nullptr);
            EXPECT_EQ (reader->sampleRate, 48000.0);
            EXPECT_EQ (reader->numChannels, 1u);
            EXPECT_EQ (reader->bitsPerSample, 16u);
            EXPECT_GT (reader->lengthInSamples, 4 * 48000);
            EXPECT_LT (reader->lengthInSamples, 20 * 48000);

            juce::AudioBuffer<float> audio (1, (int)reader->lengthInSamples);
            ASSERT_TRUE (reader->read (&audio, 0, audio.getNumSamples(), 0, true, false));
            EXPECT_GT (audio.getRMSLevel (0, 0, audio.getNumSamples()), 0.01f);
            EXPECT_LE (audio.getMagnitude (0, 0, audio.getNumSamples()), 1.0f);
        }
}

TEST_F (EmbeddedDemoReelTest, TheProcessorInstallsItOnFirstStartAndLoadsIt)
{
    TavrelDelayAudioProcessor p;
    p.autoSaveTickMilliseconds = 1 << 30;
    const auto demoFolder = p.reelLibrary.getLibraryRoot().getChildFile ("Demo");

    // The processor's first-run job unpacks it in the background.
    for (int i = 0; i < 600 && ! demoFolder.getChildFile (".installed_ok").existsAsFile(); ++i)
        juce::Thread::sleep (50);

    ASSERT_TRUE (demoFolder.getChildFile (".installed_ok").existsAsFile());
    ASSERT_TRUE (p.loadReel ("Demo", ReelFolderFormat::mainSlot));

    ASSERT_EQ (p.tracks.size(), (size_t)demoTracks);

    for (const auto& track : p.tracks)
    {
        EXPECT_EQ (track.sampleRate, 48000.0);
        EXPECT_EQ (track.getAudio().getNumSamples(), TapeTrack::getLengthInSamples (48000.0, 600.0));
        EXPECT_GT (track.recordedLength, 4 * 48000);
        EXPECT_GT (track.getAudio().getRMSLevel (0, 0, track.recordedLength), 0.01f);
    }
}
